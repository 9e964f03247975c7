#pragma once

#include <QByteArray>
#include <QString>

namespace kova {

// Files are Shift-JIS (CP932) as on the Japanese desktop the formats come from.
// Text CP932 cannot hold is never dropped: such a file is written as UTF-8
// with a BOM, and a BOM-led file is read as UTF-8.

// Encodes one piece of text as CP932. Returns false in *ok when some character
// has no CP932 form that reads back as itself, or when the converter cannot be
// opened (the result is then unusable).
QByteArray toShiftJis(const QString& text, bool* ok = nullptr);

// Decodes CP932 bytes. A byte that starts no CP932 character, and a lead byte
// cut off by the end, reads as U+FFFD; decoding goes on with the next byte.
// Without a converter the bytes read as Latin-1 (for protocol lines).
QString fromShiftJis(const QByteArray& bytes);

// Whole-file text: CP932 when it fits, else UTF-8 with a BOM. When the
// converter cannot be opened the result is empty and *converted false: the
// caller must not write it.
QByteArray encodeFileText(const QString& text, bool* converted = nullptr);

// Whole-file text: UTF-8 when it starts with a BOM, or when it is not valid
// CP932 but is valid UTF-8 (saved by a UTF-8 editor); else CP932.
// `utf8`, when given, tells which of the two it was. *converted turns false
// when the converter cannot be opened: the result is empty then, not the file.
QString decodeFileText(const QByteArray& bytes, bool* utf8 = nullptr, bool* converted = nullptr);

// Input methods often produce JIS look-alikes that CP932 spells differently
// (wave dash, minus sign ...); this maps them to the CP932 forms.
QString mapJisLookAlikes(QString text);

} // namespace kova
