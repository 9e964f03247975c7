#pragma once

namespace kova::test {

// Registers the desktop-icon component in the current registry store (the
// one under $XDG_CONFIG_HOME), as the registration tool would, so that a
// start-up does not ask to install it. TempHome does this unless told not to.
void registerDesktopIconComponent();

} // namespace kova::test
