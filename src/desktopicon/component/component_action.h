#pragma once

#include "desktopicon/component/icon_size.h"

#include <QString>

namespace kova {

// The folder of KovaShell.ini as the program finds it, with the component's
// own folder standing for the program folder.
QString componentDataFolder(const QString& libraryFolder);

// Taken while the component acts, beside the registry store.
QString actOnceLockPath();

// Reads [desktop] click and [a1] b6 from the settings file: the size they ask for.
IconSize iconSizeForSettings(const QString& settingsFile);

// Acts once on the command of the settings file, on the desktop that
// XDG_CURRENT_DESKTOP names; 0 when done or nothing was to be done.
int actOnSettings(const QString& settingsFile, const QString& xdgCurrentDesktop);

} // namespace kova
