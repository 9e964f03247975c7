#include "text_codec.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>

namespace kova {

namespace {
const QByteArray kUtf8Bom("\xEF\xBB\xBF", 3);
} // namespace

QString mapJisLookAlikes(QString text) {
    static constexpr std::pair<char16_t, char16_t> kMap[] = {
        {u'\u301C', u'\uFF5E'}, // WAVE DASH -> FULLWIDTH TILDE
        {u'\u2212', u'\uFF0D'}, // MINUS SIGN -> FULLWIDTH HYPHEN-MINUS
        {u'\u2016', u'\u2225'}, // DOUBLE VERTICAL LINE -> PARALLEL TO
        {u'\u00A2', u'\uFFE0'}, // CENT SIGN
        {u'\u00A3', u'\uFFE1'}, // POUND SIGN
        {u'\u00AC', u'\uFFE2'}, // NOT SIGN
    };
    for (QChar& c : text) {
        for (const auto& [from, to] : kMap) {
            if (c.unicode() == from) {
                c = QChar(to);
                break;
            }
        }
    }
    return text;
}

QByteArray toShiftJis(const QString& text, bool* ok) {
    QStringEncoder encoder("Shift_JIS", QStringConverter::Flag::Stateless);
    if (!encoder.isValid()) {
        if (ok != nullptr)
            *ok = false;
        return {};
    }
    QByteArray bytes = encoder.encode(mapJisLookAlikes(text));
    if (ok != nullptr)
        *ok = !encoder.hasError();
    return bytes;
}

QString fromShiftJis(const QByteArray& bytes) {
    QStringDecoder decoder("Shift_JIS", QStringConverter::Flag::Stateless);
    if (!decoder.isValid())
        return QString::fromLatin1(bytes);
    return decoder.decode(bytes);
}

QByteArray encodeFileText(const QString& text) {
    bool ok = false;
    QByteArray bytes = toShiftJis(text, &ok);
    if (ok)
        return bytes;
    return kUtf8Bom + text.toUtf8();
}

namespace {

// Strict UTF-8 holding at least one character of three or more bytes (kana,
// kanji). Shift-JIS text practically never passes: half-width katakana pairs
// can look like two-byte UTF-8, so those alone are not taken as a sign.
bool looksLikeUtf8(const QByteArray& bytes) {
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    const QString text = decoder.decode(bytes);
    if (decoder.hasError() || text.toUtf8() != bytes)
        return false;
    return std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() >= 0x800; });
}

} // namespace

QString decodeFileText(const QByteArray& bytes, bool* utf8) {
    const bool bom = bytes.startsWith(kUtf8Bom);
    // A file saved by a UTF-8 editor reads as what it says, so the next write
    // does not turn its text into mojibake for good.
    const bool isUtf8 = bom || looksLikeUtf8(bytes);
    if (utf8 != nullptr)
        *utf8 = isUtf8;
    if (!isUtf8)
        return fromShiftJis(bytes);
    return QString::fromUtf8(bom ? bytes.mid(kUtf8Bom.size()) : bytes);
}

} // namespace kova
