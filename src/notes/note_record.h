#pragma once

#include "base/settings.h"
#include "notes/countdown.h"
#include "platform/colors.h"

#include <QColor>
#include <QString>
#include <QStringList>

#include <optional>

namespace kova {

// The words a note's flags are stored as.
inline const QString kFlagTrue = QStringLiteral("True");
inline const QString kFlagFalse = QStringLiteral("False");
// The z-order state "back-most"; "True" is top-most, "False" normal.
inline const QString kZOrderBackMost = QStringLiteral("0");
inline QString flagText(bool on) {
    return on ? kFlagTrue : kFlagFalse;
}

// A note's z-order state, stored as "False", "True" and "0".
enum class ZOrder { Normal, TopMost, BackMost };
QString zOrderText(ZOrder state);
// nullopt for any other text (a damaged file, the missing fifteenth line of
// an old file).
std::optional<ZOrder> zOrderFromText(const QString& text);

// One note at the file boundary: its text (CR LF line breaks) and its
// fifteen fields with their types. The one place where the field strings of
// the .hsn file and the typed values meet.
struct NoteRecord {
    QString text;
    // A new note's look: the first-run defaults for new notes.
    QString fontName = firstRunValue(Fusen::FontName);
    double fontSize = firstRunNumber(Fusen::FontSize);
    bool bold = false;
    bool italic = false;
    QColor backColor = firstRunColor(Fusen::BackColor);
    QColor foreColor = firstRunColor(Fusen::ForeColor);
    bool visible = true;
    int top = 0; // twips
    int left = 0;
    // As stored: four-digit year, two-digit rest; an empty year = no timer.
    TimerFields timer;
    std::optional<ZOrder> zOrder = ZOrder::Normal;

    // Values that cannot be read (letters for a colour, a short file) fall
    // back to those of a new note; only the first fifteen fields count.
    static NoteRecord fromFields(const QStringList& fields, const QString& text = {});
    QStringList toFields() const;
};

} // namespace kova
