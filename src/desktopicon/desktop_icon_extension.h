#pragma once

#include "desktopicon/class_id.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace kova {

// The program's side of the desktop-icon component: keeps it registered and
// pointing at the copy beside the program, and lets it act on the command
// the caller has just written to [desktop] click.
class DesktopIconExtension {
public:
    // `marker` is the main window's registration marker ("1" once registration
    // was tried in this run); `unloadMainWindow` is the guarded exit and
    // `programEnded` tells whether it went through.
    DesktopIconExtension(const QStringList& arguments, QString& marker,
                         std::function<void()> unloadMainWindow,
                         std::function<bool()> programEnded);

    void LoadDesktopIconExtension();
    void RepairExtensionPath();
    void RegisterExtension();

    // Longest wait for the registration tool before looking again.
    static constexpr int kRegistrationWaitMs = 10000;

    // The class id text last read from the store.
    const QString& classIdText() const { return classIdText_; }
    // Folder of the program, the component and its tools.
    QString programFolder;

private:
    void SHLoadInProc(const ClassId& id);

    const QStringList& arguments_;
    QString& marker_;
    std::function<void()> unloadMainWindow_;
    std::function<bool()> programEnded_;
    QString classIdText_;
    bool registering_ = false;
};

} // namespace kova
