#include "text_codec.h"

#include "base/logging.h"

#include <QStringDecoder>
#include <QSysInfo>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iconv.h>
#include <memory>

namespace kova {

namespace {

const QByteArray kUtf8Bom("\xEF\xBB\xBF", 3);

// glibc's "CP932" is Microsoft's table, unlike ICU's "Shift_JIS" (IBM-943).
// What glibc 2.36 does with the edges:
// - bytes 0x00-0x1F and 0x7F map to themselves both ways;
// - 0x80, 0xA0 and 0xFD-0xFF are rejected (EILSEQ), so they read as U+FFFD;
// - the user-defined rows 0xF040-0xF9FC read as U+E000-U+E757 and back;
// - a few characters are written one way only: U+00A5 as 0x5C, U+203E as 0x7E,
//   U+2014 as 0x815C (read back as U+2015), and tag characters U+E0000-U+E007F
//   vanish. toShiftJis reads its result back to catch these.
constexpr const char* kCp932 = "CP932";
const char* utf16() {
    return QSysInfo::ByteOrder == QSysInfo::LittleEndian ? "UTF-16LE" : "UTF-16BE";
}

// One descriptor per direction and thread: capValue encodes a value one
// character at a time, and opening a converter is not free.
class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (valid())
            iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    // Converts all of `in`. Input the target cannot take, or cannot be read,
    // becomes `replacement` and turns `clean` false; `skip` tells how many
    // input bytes to drop there, 0 to give up.
    template <typename Skip>
    QByteArray run(QByteArrayView in, qsizetype outGuess, QByteArrayView replacement, Skip skip,
                   bool* clean) {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        QByteArray out(outGuess + 16, Qt::Uninitialized);
        char* inPtr = const_cast<char*>(in.data());
        size_t inLeft = size_t(in.size());
        qsizetype used = 0;
        while (true) {
            char* outPtr = out.data() + used;
            size_t outLeft = size_t(out.size() - used);
            const bool flushing = inLeft == 0;
            const size_t r = flushing ? iconv(cd_, nullptr, nullptr, &outPtr, &outLeft)
                                      : iconv(cd_, &inPtr, &inLeft, &outPtr, &outLeft);
            used = outPtr - out.data();
            if (r != size_t(-1)) {
                if (flushing)
                    break;
                continue;
            }
            if (errno == E2BIG) {
                out.resize(out.size() * 2 + 16);
                continue;
            }
            if (flushing)
                break;
            // EILSEQ, or EINVAL for a sequence cut off by the end of the input.
            *clean = false;
            const size_t n = std::min(inLeft, skip(inPtr, inLeft));
            if (n == 0)
                break;
            inPtr += n;
            inLeft -= n;
            if (out.size() - used < replacement.size())
                out.resize(out.size() * 2 + 16);
            memcpy(out.data() + used, replacement.data(), size_t(replacement.size()));
            used += replacement.size();
        }
        out.truncate(used);
        return out;
    }

private:
    iconv_t cd_;
};

// nullptr when glibc cannot open the converter now (its module cannot be
// loaded: too many open files, say). Opening is tried again at the next use:
// one failure must not last for the rest of the run.
Converter* open(std::unique_ptr<Converter>& slot, const char* to, const char* from) {
    if (slot && slot->valid())
        return slot.get();
    slot = std::make_unique<Converter>(to, from);
    if (slot->valid())
        return slot.get();
    qCWarning(kovaLog, "cannot open the %s to %s converter: %s", from, to, std::strerror(errno));
    return nullptr;
}

Converter* decoder() {
    thread_local std::unique_ptr<Converter> c;
    return open(c, utf16(), kCp932);
}

Converter* encoder() {
    thread_local std::unique_ptr<Converter> c;
    return open(c, kCp932, utf16());
}

// With `untilError` it stops at the first byte CP932 rejects, for a caller that
// then reads the file another way.
// *available turns false when there is no converter; the result is empty then.
QString decodeCp932(const QByteArray& bytes, bool* clean, bool untilError = false,
                    bool* available = nullptr) {
    *clean = true;
    Converter* c = decoder();
    if (available != nullptr)
        *available = c != nullptr;
    if (c == nullptr) {
        *clean = false;
        return {};
    }
    const char16_t kReplacement = u'\uFFFD';
    // Decoding resumes at the very next byte, so one bad byte costs one character.
    const QByteArray out = c->run(
        bytes, bytes.size() * 2, QByteArrayView(reinterpret_cast<const char*>(&kReplacement), 2),
        [untilError](const char*, size_t) { return size_t(untilError ? 0 : 1); }, clean);
    return QString(reinterpret_cast<const QChar*>(out.constData()), out.size() / 2);
}

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

namespace {

// *available turns false when a converter cannot be opened.
QByteArray encodeCp932(const QString& text, bool* ok, bool* available) {
    const QString mapped = mapJisLookAlikes(text);
    Converter* c = encoder();
    *available = c != nullptr;
    bool clean = c != nullptr;
    QByteArray bytes;
    if (clean) {
        const QByteArrayView in(reinterpret_cast<const char*>(mapped.utf16()), mapped.size() * 2);
        // A character CP932 lacks costs two bytes, as the classic converter's
        // default character does; a surrogate pair is one character.
        bytes = c->run(
            in, in.size(), QByteArrayView("\xFC\xFC", 2),
            [](const char* at, size_t left) {
                char16_t first = 0;
                memcpy(&first, at, sizeof first);
                return size_t(QChar::isHighSurrogate(first) && left >= 4 ? 4 : 2);
            },
            &clean);
    }
    if (clean) {
        bool readable = false;
        clean = decodeCp932(bytes, &readable, false, available) == mapped;
    }
    if (ok != nullptr)
        *ok = clean;
    return bytes;
}

} // namespace

QByteArray toShiftJis(const QString& text, bool* ok) {
    bool available = false;
    return encodeCp932(text, ok, &available);
}

QString fromShiftJis(const QByteArray& bytes) {
    bool clean = false;
    bool available = false;
    const QString text = decodeCp932(bytes, &clean, false, &available);
    // Protocol lines still read: their words are ASCII.
    return available ? text : QString::fromLatin1(bytes);
}

QByteArray encodeFileText(const QString& text, bool* converted) {
    bool ok = false;
    bool available = false;
    QByteArray bytes = encodeCp932(text, &ok, &available);
    if (converted != nullptr)
        *converted = available;
    // Never UTF-8 for want of a converter: the file would stay UTF-8 for good.
    if (!available)
        return {};
    if (ok)
        return bytes;
    return kUtf8Bom + text.toUtf8();
}

namespace {

bool isStrictUtf8(const QByteArray& bytes) {
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    const QString text = decoder.decode(bytes);
    return !decoder.hasError() && text.toUtf8() == bytes;
}

} // namespace

QString decodeFileText(const QByteArray& bytes, bool* utf8, bool* converted) {
    const bool bom = bytes.startsWith(kUtf8Bom);
    bool cp932 = false;
    bool available = true;
    QString text;
    if (!bom)
        text = decodeCp932(bytes, &cp932, true, &available);
    if (converted != nullptr)
        *converted = available;
    if (!available)
        return {};
    // Shift-JIS text is often valid UTF-8 as well, so only a file CP932
    // rejects is taken for one saved by a UTF-8 editor.
    const bool isUtf8 = bom || (!cp932 && isStrictUtf8(bytes));
    if (utf8 != nullptr)
        *utf8 = isUtf8;
    if (isUtf8) {
        // Only the file's first BOM is one: a text may begin with U+FEFF.
        QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
        return decoder.decode(bom ? bytes.mid(kUtf8Bom.size()) : bytes);
    }
    return cp932 ? text : fromShiftJis(bytes);
}

} // namespace kova
