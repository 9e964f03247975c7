#pragma once

#include "core/main_window.h"

#include "support/fake_platform.h"
#include "support/temp_home.h"

#include <QByteArray>

namespace kova::test {

// The program started in a fresh data folder whose settings file starts as
// given, with the test double answering the platform. Header only: for the
// tests that link the whole program.
struct RunningProgram {
    explicit RunningProgram(const QByteArray& settings = {}) {
        if (!settings.isEmpty())
            home.write("KovaShell.ini", settings);
        started = form.Form_Load({});
    }
    TempHome home;
    FakePlatform platform;
    Form1 form;
    bool started = false;
};

} // namespace kova::test
