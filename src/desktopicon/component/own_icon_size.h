#pragma once

#include "desktopicon/component/desktop_commands.h"
#include "desktopicon/component/icon_size.h"

#include <QString>

#include <optional>

namespace kova {

// "Large" is the user's own size: kept before the first change to small (in
// a file of ours, so a kill or a log-off does not lose it), put back and
// forgotten by the next large step.

// What one size step does to a setting, from its value now and the size kept.
struct SizeStep {
    std::optional<QString> keep; // keep this as the user's own size first
    std::optional<QString> set;  // then give the desktop this value
    bool forget = false;         // and then forget the kept size
    bool operator==(const SizeStep&) const = default;
};
SizeStep planIconSize(const IconSizeSetting& setting, IconSize size,
                      const std::optional<QString>& current, const std::optional<QString>& kept);

// The file of the kept sizes, beside the registry store.
QString keptSizesPath();

// Applies a size on the running desktop; false when a change failed. A
// desktop with none of its settings installed is left alone (both said in
// the log).
bool applyIconSize(Desktop desktop, IconSize size);

// Puts every kept size back on whichever desktop it came from and forgets it;
// a size that cannot be put back now stays kept. False when one could not.
bool restoreOwnIconSizes();

} // namespace kova
