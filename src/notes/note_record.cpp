#include "note_record.h"

#include "base/twips_and_numbers.h"
#include "notes/note_store.h"
#include "platform/colors.h"

#include <algorithm>
#include <cmath>

namespace kova {

namespace {

double fontSizeFrom(const QString& text, double fallback) {
    bool ok = false;
    const double size = text.trimmed().toDouble(&ok);
    // Beyond these a label can no longer be laid out sensibly.
    if (!ok || !(size > 0.0) || size > 1000.0)
        return fallback;
    return size;
}

QColor colorFrom(const QString& text, const QColor& fallback) {
    bool ok = false;
    const QColor color = colorFromText(text, &ok);
    return ok ? color : fallback;
}

} // namespace

QString zOrderText(ZOrder state) {
    switch (state) {
    case ZOrder::TopMost:
        return kFlagTrue;
    case ZOrder::BackMost:
        return kZOrderBackMost;
    case ZOrder::Normal:
        break;
    }
    return kFlagFalse;
}

std::optional<ZOrder> zOrderFromText(const QString& text) {
    if (text == kFlagTrue)
        return ZOrder::TopMost;
    if (text == kFlagFalse)
        return ZOrder::Normal;
    if (text == kZOrderBackMost)
        return ZOrder::BackMost;
    return std::nullopt;
}

NoteRecord NoteRecord::fromFields(const QStringList& fields, const QString& text) {
    NoteRecord r;
    const auto field = [&fields](int index) {
        return index < fields.size() ? fields.at(index) : QString();
    };
    r.text = text;
    if (!field(FieldFontName).isEmpty())
        r.fontName = field(FieldFontName);
    r.fontSize = fontSizeFrom(field(FieldFontSize), r.fontSize);
    r.bold = field(FieldFontBold) == kFlagTrue;
    r.italic = field(FieldFontItalic) == kFlagTrue;
    r.backColor = colorFrom(field(FieldBackColor), r.backColor);
    r.foreColor = colorFrom(field(FieldForeColor), r.foreColor);
    r.visible = field(FieldVisible) != kFlagFalse;
    r.top = twipsFromText(field(FieldTop));
    r.left = twipsFromText(field(FieldLeft));
    r.timer = {field(FieldTimerYear), field(FieldTimerMonth), field(FieldTimerDay),
               field(FieldTimerHour), field(FieldTimerMinute)};
    r.zOrder = zOrderFromText(field(FieldZOrder));
    return r;
}

QStringList NoteRecord::toFields() const {
    return {fontName,
            numberText(fontSize),
            flagText(bold),
            flagText(italic),
            colorToText(backColor),
            colorToText(foreColor),
            flagText(visible),
            QString::number(top),
            QString::number(left),
            timer.year,
            timer.month,
            timer.day,
            timer.hour,
            timer.minute,
            zOrder ? zOrderText(*zOrder) : QString()};
}

} // namespace kova
