#pragma once

#include <QColor>
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

// Colours are 24-bit numbers in &HBBGGRR order, written as "&H" + upper-case
// hexadecimal without leading zeros ("&HFFFFFF", "&H0").
QString colorToText(const QColor& color);
QColor colorFromBgr(quint32 bgr);
quint32 colorToBgr(const QColor& color);

// Reads "&H..." (hexadecimal) or a plain decimal number. Returns false in *ok
// for text that is neither; the system colours &H8000000D / &H8000000F map to
// the palette's highlight and button colours.
QColor colorFromText(const QString& text, bool* ok = nullptr);

// The leading decimal number of a text, 0 when it does not start with one.
long long leadingNumber(const QString& text);

// Decimal text of a number the way the classic runtime writes it: plain,
// no leading zeros, no blank, "-" for negatives, fractions only when present.
QString numberText(double value);

} // namespace kova
