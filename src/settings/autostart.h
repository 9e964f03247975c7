#pragma once

#include "settings/special_folder.h"

#include <QString>

namespace kova {

// The autostart entry (kAutostartFileName in the Startup folder).

// The desktop entry for a program at `programPath`.
QString autostartEntryText(const QString& programPath);

// One argument of an Exec line, quoted and escaped as desktop entries need.
QString desktopExecArgument(const QString& argument);

enum class StartupResult { Registered, Removed, NotFound, NoFolder, WriteFailed, DeleteFailed };

// Writes (or rewrites) the entry for the program at `programPath`.
StartupResult registerStartup(const QString& programPath);
// Deletes the entry.
StartupResult removeStartup();
// What the user is told.
QString startupMessage(StartupResult result);

} // namespace kova
