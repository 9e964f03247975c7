#pragma once

#include <QString>

// KovaRemover's own copy of the special-folder lookup: it links none of the
// main program's subsystems, so it keeps this small procedure itself. It
// must behave exactly as the main program's (settings/special_folder.h).

namespace kova::remover {

// The user's Startup folder: programs there start at log-on (the XDG
// autostart folder).
constexpr int kStartupFolder = 7;

// The path of a special folder of the user, without a trailing "/"; empty
// when it cannot be resolved or made. Only kStartupFolder is known:
// $XDG_CONFIG_HOME/autostart (~/.config/autostart), created when missing.
QString SpecialFolderPath(int folderId);

} // namespace kova::remover
