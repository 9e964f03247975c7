#pragma once

#include <QString>

namespace kova {

// The user's Startup folder: programs there start at log-on. Here it is the
// XDG autostart folder.
constexpr int kStartupFolder = 7;

// The path of a special folder of the user, without a trailing "/"; empty
// when the folder cannot be resolved or made. Only kStartupFolder is known:
// $XDG_CONFIG_HOME/autostart (~/.config/autostart), created when missing.
QString SpecialFolderPath(int folderId);
// Where the Startup folder is, without making it (for removing and looking);
// empty when it cannot be resolved.
QString startupFolderLocation();

// The autostart entry that starts KovaShell at log-on, in the Startup folder:
// written by the settings dialog, taken away by KovaRemover.
inline const QString kAutostartFileName = QStringLiteral("KovaShell.desktop");

// The temporary files that saves of the entry killed before their rename left
// in the Startup folder; a missing folder is not made.
void removeLeftoverStartupEntries();

} // namespace kova
