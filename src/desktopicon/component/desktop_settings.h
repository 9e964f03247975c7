#pragma once

#include "desktopicon/component/desktop_commands.h"

#include <QString>

#include <optional>

namespace kova {

// Reading and writing a desktop's icon-size setting on the running desktop,
// each with the desktop's own means: gsettings, xfconf-query, plasmashell's
// script interface over D-Bus, or its file with its process started anew.

// Whether the setting is in use here (its schema installed, its tool or its
// process there, its view chosen).
bool settingPresent(const IconSizeSetting& setting);
// The value as the desktop has it now; nothing when it cannot be read.
std::optional<QString> readIconSize(const IconSizeSetting& setting);
bool writeIconSize(const IconSizeSetting& setting, const QString& value);

} // namespace kova
