#pragma once

#include "base/settings_keys.h"

#include <QColor>
#include <QString>

#include <optional>

namespace kova {

// Colours are 24-bit numbers in &HBBGGRR order, written as "&H" + upper-case
// hexadecimal without leading zeros ("&HFFFFFF", "&H0").
QString colorToText(const QColor& color);
QColor colorFromBgr(quint32 bgr);
quint32 colorToBgr(const QColor& color);

// Reads "&H..." (hexadecimal) or a plain decimal number. Returns false in *ok
// for text that is neither; the system colours &H8000000D / &H8000000F map to
// the palette's highlight and button colours.
QColor colorFromText(const QString& text, bool* ok = nullptr);

// The typed read of a colour setting, beside ReadFlag and the others
// (base/settings.h): nullopt for text that is no colour.
std::optional<QColor> ReadColor(const SettingKey& key);
QColor firstRunColor(const SettingKey& key);

} // namespace kova
