#pragma once

#include <QColor>
#include <QString>

namespace kova {

// Positions and sizes are kept in twips: 15 per device-independent pixel.
constexpr int kTwipsPerPixel = 15;
inline int twipsToPixels(double twips) { return int(twips >= 0 ? (twips / kTwipsPerPixel) + 0.5 : (twips / kTwipsPerPixel) - 0.5); }
inline int pixelsToTwips(int pixels) { return pixels * kTwipsPerPixel; }

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
