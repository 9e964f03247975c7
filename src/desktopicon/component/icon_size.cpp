#include "icon_size.h"

#include "base/twips_and_numbers.h"

namespace kova {

IconSize iconSizeForCommand(const QString& click, const QString& b6) {
    const long long number = leadingNumber(click);
    if (number < 0)
        return IconSize::Unchanged;
    if (number == 0)
        return b6 == QLatin1String("1") ? IconSize::Small : IconSize::Unchanged;
    return number % 2 == 1 ? IconSize::Large : IconSize::Small;
}

} // namespace kova
