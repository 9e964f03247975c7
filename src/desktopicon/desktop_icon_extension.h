#pragma once

#include "desktopicon/registry_lookup.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace kova {

// The program's side of the desktop-icon component: keeps it registered and
// pointing at the copy beside the program, and speaks the one-value command
// channel [desktop] click with it: every command is written first, then the
// component is asked to act on it.
class DesktopIconExtension {
public:
    // `unloadMainWindow` is the guarded exit and `programEnded` tells whether
    // it went through.
    DesktopIconExtension(std::function<void()> unloadMainWindow,
                         std::function<bool()> programEnded);

    // The command channel, one procedure per writer. Start-up: "0", with the
    // program's arguments (a run with arguments never loads the component).
    void atStartUp(const QStringList& arguments);
    // The tray items: 0 "1" (large icons), 1 "2" (small icons); any other
    // index does nothing.
    void mnuIcon_Click(int index);
    // The tray icon's left double-click: the command's number plus one.
    void nextCommand();
    // The normal exit: "1", large icons again.
    void atExit();

    void LoadDesktopIconExtension();
    void RepairExtensionPath();
    void RegisterExtension();

    // Longest wait for the registration tool before looking again.
    static constexpr int kRegistrationWaitMs = 10000;

    // The class id text last read from the store.
    const QString& classIdText() const { return classIdText_; }
    // Folder of the program, the component and its tools.
    QString programFolder;
    // The arguments the program was started with.
    QStringList arguments;
    // The registration marker: "1" once registration was tried in this run.
    QString Text4 = QStringLiteral("0");

private:
    void command(const QString& click);
    void SHLoadInProc(const ClassId& id);

    std::function<void()> unloadMainWindow_;
    std::function<bool()> programEnded_;
    QString classIdText_;
    bool registering_ = false;
};

} // namespace kova
