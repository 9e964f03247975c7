#pragma once

#include "desktopicon/component/desktop_commands.h"

#include <QString>

namespace kova {

// The folder of KovaShell.ini as the program finds it, with the component's
// own folder standing for the program folder.
QString componentDataFolder(const QString& libraryFolder);

// Taken while the component acts, beside the registry store.
QString actOnceLockPath();

// Reads [desktop] click and [a1] b6 from the settings file and returns the
// command that applies them on the given desktop (empty program: nothing).
DesktopCommand commandForSettings(const QString& settingsFile, const QString& xdgCurrentDesktop,
                                  const ProgramFinder& find = findOnPath);

} // namespace kova
