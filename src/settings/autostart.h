#pragma once

#include "settings/startup_folder.h"

#include <QString>

namespace kova {

// The autostart entry (kAutostartFileName in the Startup folder).

// The desktop entry for a program at `programPath`; with a `dataFolder` the
// entry starts it with KOVASHELL_HOME set to that folder.
QString autostartEntryText(const QString& programPath, const QString& dataFolder = {});

// One argument of an Exec line, quoted and escaped as desktop entries need.
QString desktopExecArgument(const QString& argument);

enum class StartupResult {
    Registered,
    Removed,
    NotFound,
    NoFolder,
    WriteFailed,
    DeleteFailed,
    ControlCharacters, // in the program's path or KOVASHELL_HOME: no entry can hold them
};

// Writes (or rewrites) the entry for the program at `programPath`, started
// with the KOVASHELL_HOME this run has, if any, so that it finds the same
// data folder at log-on.
StartupResult registerStartup(const QString& programPath);
// Deletes the entry.
StartupResult removeStartup();
// What the user is told.
QString startupMessage(StartupResult result);

} // namespace kova
