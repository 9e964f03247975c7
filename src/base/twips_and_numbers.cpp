#include "twips_and_numbers.h"

#include <algorithm>
#include <cmath>

namespace kova {

int twipsFromText(const QString& text) {
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return 0;
    return int(std::clamp(std::round(value), -15000000.0, 15000000.0));
}

long long leadingNumber(const QString& text) {
    const QString t = text.trimmed();
    int i = 0;
    bool negative = false;
    if (i < t.size() && (t.at(i) == QLatin1Char('-') || t.at(i) == QLatin1Char('+'))) {
        negative = t.at(i) == QLatin1Char('-');
        ++i;
    }
    long long value = 0;
    const int start = i;
    while (i < t.size() && t.at(i) >= QLatin1Char('0') && t.at(i) <= QLatin1Char('9') &&
           value < 100000000000000LL) {
        value = value * 10 + (t.at(i).unicode() - '0');
        ++i;
    }
    if (i == start)
        return 0;
    return negative ? -value : value;
}

QString numberText(double value) {
    if (std::isfinite(value) && value == std::floor(value) && std::fabs(value) < 1e15)
        return QString::number(qint64(value));
    return QString::number(value, 'g', 7);
}

} // namespace kova
