#pragma once

#include "core/main_window.h"

#include "support/fake_platform.h"
#include "support/temp_home.h"

#include <QByteArray>
#include <QStringList>

namespace kova::test {

// The program started in a fresh data folder whose settings file starts as
// given, with the test double answering the platform. A test that prepares
// the folder, the double or the window first makes it Later and calls
// start(). Header only: for the tests that link the whole program.
struct RunningProgram {
    enum When { Now, Later };
    explicit RunningProgram(const QByteArray& settings = {}, When when = Now,
                            TempHome::DesktopIcon desktopIcon = TempHome::Registered)
        : home(desktopIcon) {
        if (!settings.isEmpty())
            home.write("KovaShell.ini", settings);
        if (when == Now)
            start();
    }
    explicit RunningProgram(When when, TempHome::DesktopIcon desktopIcon = TempHome::Registered)
        : RunningProgram({}, when, desktopIcon) {}

    // The start-up with these arguments: true when the program runs on.
    bool start(const QStringList& arguments = {}) {
        started = form.Form_Load(arguments);
        return started;
    }

    TempHome home;
    FakePlatform platform;
    Form1 form;
    bool started = false;
};

} // namespace kova::test
