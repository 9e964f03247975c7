#include "profile_file.h"

#include "atomic_file.h"
#include "logging.h"
#include "text_codec.h"

#include <QFileInfo>
#include <QStringList>

#include <optional>

namespace kova {

namespace {

struct Line {
    enum Kind { Other, Section, Key } kind = Other;
    QString name;  // section or key name, trimmed
    QString value; // key value, trimmed
};

Line parseLine(const QString& raw) {
    const QString t = raw.trimmed();
    Line line;
    if (t.startsWith(QLatin1Char('['))) {
        const int close = t.indexOf(QLatin1Char(']'));
        line.kind = Line::Section;
        line.name = (close < 0 ? t.mid(1) : t.mid(1, close - 1)).trimmed();
        return line;
    }
    const int eq = t.indexOf(QLatin1Char('='));
    if (eq > 0) {
        line.kind = Line::Key;
        line.name = t.left(eq).trimmed();
        line.value = t.mid(eq + 1).trimmed();
    }
    return line;
}

QStringList splitLines(const QString& text) {
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString& l : lines) {
        if (l.endsWith(QLatin1Char('\r')))
            l.chop(1);
    }
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

// The bytes of each line of a Shift-JIS file, so that a rewrite keeps those
// of the lines it leaves alone, bytes CP932 cannot read and all, as the
// classic byte-wise profile calls did; nullopt for a line made or changed.
using RawLines = QList<std::optional<QByteArray>>;

bool readLines(const QString& path, QStringList* lines, bool* utf8, RawLines* raw = nullptr,
               QByteArray* original = nullptr) {
    QByteArray bytes;
    if (!readWholeFile(path, &bytes))
        return false;
    if (original != nullptr)
        *original = bytes;
    bool converted = false;
    const QString text = decodeFileText(bytes, utf8, &converted);
    if (!converted)
        return false;
    *lines = splitLines(text);
    if (raw == nullptr)
        return true;
    raw->clear();
    if (!*utf8) {
        // CR and LF are never part of a CP932 character: the byte lines are
        // the text's lines.
        QList<QByteArray> pieces = bytes.split('\n');
        for (QByteArray& piece : pieces) {
            if (piece.endsWith('\r'))
                piece.chop(1);
        }
        if (!pieces.isEmpty() && pieces.last().isEmpty())
            pieces.removeLast();
        if (pieces.size() == lines->size()) {
            for (const QByteArray& piece : std::as_const(pieces))
                raw->append(piece);
        }
    }
    if (raw->size() != lines->size())
        *raw = RawLines(lines->size());
    return true;
}

// Shift-JIS lines keep their bytes where unchanged; a changed line CP932
// cannot hold makes the whole file UTF-8, as does a UTF-8 file.
QByteArray encodeLines(const QStringList& lines, const RawLines& raw, bool utf8, bool* converted) {
    if (!utf8) {
        QByteArray out;
        bool clean = true;
        for (qsizetype i = 0; i < lines.size() && clean; ++i) {
            if (raw.at(i))
                out += *raw.at(i);
            else
                out += toShiftJis(lines.at(i), &clean);
            out += "\r\n";
        }
        if (clean) {
            *converted = true;
            return out;
        }
    }
    return encodeFileText(lines.join(QLatin1String("\r\n")) + QLatin1String("\r\n"), converted);
}

// Classic readers strip one pair of matching quotes around a value.
QString unquote(const QString& v) {
    if (v.size() >= 2 && (v.front() == QLatin1Char('"') || v.front() == QLatin1Char('\'')) &&
        v.back() == v.front())
        return v.mid(1, v.size() - 2);
    return v;
}

// Cuts to the byte cap of the file's encoding without splitting a character.
QString capValue(const QString& value, bool utf8) {
    int bytes = 0;
    int i = 0;
    while (i < value.size()) {
        const int width = (value.at(i).isHighSurrogate() && i + 1 < value.size()) ? 2 : 1;
        const QString piece = value.mid(i, width);
        const int size = utf8 ? int(piece.toUtf8().size()) : int(toShiftJis(piece).size());
        if (bytes + size > ProfileFile::kMaxValueBytes)
            break;
        bytes += size;
        i += width;
    }
    return value.left(i);
}

// Values are single-line; a line break would split the entry in two. A
// value in matching quotes gets one more pair, which the reader strips, so
// that it reads back as written (a password, a quoted command line).
QString singleLine(QString value) {
    value.replace(QLatin1String("\r\n"), QLatin1String(" "));
    value.replace(QLatin1Char('\r'), QLatin1Char(' '));
    value.replace(QLatin1Char('\n'), QLatin1Char(' '));
    if (value.size() >= 2 &&
        (value.front() == QLatin1Char('"') || value.front() == QLatin1Char('\'')) &&
        value.back() == value.front())
        value = QLatin1Char('"') + value + QLatin1Char('"');
    return value;
}

} // namespace

bool ProfileFile::exists() const {
    return QFileInfo(path_).isFile();
}

QString ProfileFile::read(const QString& section, const QString& key) const {
    return read(QList<Key>{{section, key}}).value(0);
}

QStringList ProfileFile::read(const QList<Key>& keys) const {
    QStringList values(keys.size());
    QStringList lines;
    bool utf8 = false;
    if (!readLines(path_, &lines, &utf8))
        return values;
    QList<Line> parsed;
    parsed.reserve(lines.size());
    for (const QString& raw : std::as_const(lines))
        parsed.append(parseLine(raw));
    for (qsizetype i = 0; i < keys.size(); ++i) {
        bool inSection = false;
        bool seenSection = false;
        for (const Line& line : std::as_const(parsed)) {
            if (line.kind == Line::Section) {
                if (inSection)
                    break; // only the first matching section counts
                inSection =
                    !seenSection && line.name.compare(keys[i].section, Qt::CaseInsensitive) == 0;
                seenSection = seenSection || inSection;
            } else if (inSection && line.kind == Line::Key &&
                       line.name.compare(keys[i].key, Qt::CaseInsensitive) == 0) {
                // A value ends at its first NUL, as a C string does.
                const QString value = unquote(line.value);
                values[i] = capValue(value.left(value.indexOf(QChar(0))), utf8);
                break;
            }
        }
    }
    return values;
}

namespace {

void applyWrite(QStringList& lines, RawLines& raw, const QString& section, const QString& key,
                const QString& value) {
    const QString entry = key + QLatin1Char('=') + singleLine(value);
    int sectionAt = -1;
    int insertAt = -1; // after the section's last non-blank line
    for (int i = 0; i < lines.size(); ++i) {
        const Line line = parseLine(lines.at(i));
        if (line.kind == Line::Section) {
            if (sectionAt >= 0)
                break;
            if (line.name.compare(section, Qt::CaseInsensitive) == 0) {
                sectionAt = i;
                insertAt = i + 1;
            }
            continue;
        }
        if (sectionAt < 0)
            continue;
        if (line.kind == Line::Key && line.name.compare(key, Qt::CaseInsensitive) == 0) {
            // The stored name keeps its spelling; only the value changes.
            lines[i] = line.name + QLatin1Char('=') + singleLine(value);
            raw[i] = std::nullopt;
            return;
        }
        if (!lines.at(i).trimmed().isEmpty())
            insertAt = i + 1;
    }
    if (sectionAt < 0) {
        lines << QLatin1Char('[') + section + QLatin1Char(']') << entry;
        raw << std::nullopt << std::nullopt;
    } else {
        lines.insert(insertAt, entry);
        raw.insert(insertAt, std::nullopt);
    }
}

} // namespace

bool ProfileFile::write(const QString& section, const QString& key, const QString& value) const {
    return write(QList<Entry>{{section, key, value}});
}

bool ProfileFile::write(const QList<Entry>& entries) const {
    QStringList lines;
    RawLines raw;
    bool utf8 = false;
    QByteArray original;
    // A missing file is an empty one; one that is there but cannot be read
    // would be replaced by the new entries alone.
    if (!readLines(path_, &lines, &utf8, &raw, &original) && QFileInfo::exists(path_)) {
        qCWarning(kovaLog, "cannot read %s: left as it is", qUtf8Printable(path_));
        return false;
    }
    for (const Entry& e : entries)
        applyWrite(lines, raw, e.section, e.key, e.value);

    bool converted = false;
    const QByteArray bytes = encodeLines(lines, raw, utf8, &converted);
    if (!converted) {
        qCWarning(kovaLog, "cannot save %s: no text converter", qUtf8Printable(path_));
        return false;
    }
    // The same bytes again (the start-up command, an unmoved window) are no
    // reason for a rewrite and its syncs.
    if (bytes == original && !original.isEmpty())
        return true;
    return writeFileAtomically(path_, bytes);
}

} // namespace kova
