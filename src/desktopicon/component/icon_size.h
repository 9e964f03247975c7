#pragma once

#include <QString>

namespace kova {

enum class IconSize { Unchanged, Small, Large };

// What a desktop icon command means: "0" (written at every start) asks for
// small icons when the start-up option `b6` is "1" and leaves the desktop as
// it is otherwise; odd numbers mean large icons, even numbers from 2 small
// ones, so each double-click toggles. Anything else changes nothing.
IconSize iconSizeForCommand(const QString& click, const QString& b6);

} // namespace kova
