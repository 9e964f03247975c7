#pragma once

#include <QString>

#include <algorithm>
#include <cmath>
#include <limits>

namespace kova {

// Positions and sizes are kept in twips: 15 per device-independent pixel.
constexpr int kTwipsPerPixel = 15;
// Rounds half away from zero. A damaged position ("1e30", "nan") gives the
// nearest int (0 for "nan") instead of overflowing.
inline int twipsToPixels(double twips) {
    if (std::isnan(twips))
        return 0;
    const double pixels = std::round(twips / kTwipsPerPixel);
    return int(std::clamp(pixels, double(std::numeric_limits<int>::min()),
                          double(std::numeric_limits<int>::max())));
}
inline int pixelsToTwips(int pixels) {
    return pixels * kTwipsPerPixel;
}

// A position or size in twips as the files write it ("1530", "1530.5");
// 0 for text that is no number, clamped far beyond any desktop (the window
// is put onto a screen anyway).
int twipsFromText(const QString& text);

// The leading decimal number of a text, 0 when it does not start with one.
long long leadingNumber(const QString& text);

// Decimal text of a number the way the classic runtime writes it: plain,
// no leading zeros, no blank, "-" for negatives, fractions only when present.
QString numberText(double value);

} // namespace kova
