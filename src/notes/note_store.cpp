#include "note_store.h"

#include "base/atomic_file.h"
#include "base/data_folder.h"
#include "base/line_breaks.h"
#include "base/logging.h"
#include "base/text_codec.h"
#include "notes/note_record.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace kova {

namespace {

const QString kCrLf = QStringLiteral("\r\n");
// A note file's next content, complete and synced, waiting for its rename.
const QString kNextSuffix = QStringLiteral(".kova-next");

QString unquote(const QString& line) {
    const QString t = line.trimmed();
    if (t.size() >= 2 && t.startsWith(QLatin1Char('"')) && t.endsWith(QLatin1Char('"'))) {
        QString inner = t.mid(1, t.size() - 2);
        inner.replace(QStringLiteral("\"\""), QStringLiteral("\""));
        return inner;
    }
    // A damaged line without its quotes: take what is there.
    QString value = t;
    value.remove(QLatin1Char('"'));
    return value;
}

} // namespace

QString noteFieldsFileName(int number) {
    return QStringLiteral("KovaShell") + QString::number(number) + QStringLiteral(".hsn");
}

QString noteTextFileName(int number) {
    return QStringLiteral("KovaShell") + QString::number(number) + QStringLiteral(".log");
}

QString noteFieldsPath(int number) {
    return dataFilePath(noteFieldsFileName(number));
}
QString noteTextPath(int number) {
    return dataFilePath(noteTextFileName(number));
}

bool isNoteFileName(const QString& name) {
    if (!name.startsWith(QLatin1String("KovaShell")) ||
        !(name.endsWith(QLatin1String(".hsn")) || name.endsWith(QLatin1String(".log"))))
        return false;
    const QString digits = name.mid(9, name.size() - 13);
    bool ok = false;
    const int number = digits.toInt(&ok);
    return ok && number >= kFirstNoteNumber && number <= kLastNoteNumber &&
           QString::number(number) == digits;
}

bool noteFieldsExist(int number) {
    return QFileInfo(noteFieldsPath(number)).isFile();
}
bool noteTextExists(int number) {
    return QFileInfo(noteTextPath(number)).isFile();
}

int FindFreeNoteNumber() {
    for (int n = kFirstNoteNumber; n <= kLastNoteNumber; ++n) {
        if (!noteFieldsExist(n))
            return n;
    }
    return kNoFreeNoteNumber;
}

bool isNextNoteFileName(const QString& name) {
    return name.endsWith(kNextSuffix) && isNoteFileName(name.chopped(kNextSuffix.size()));
}

QStringList parseNoteFields(const QByteArray& bytes, bool* converted) {
    // Shift-JIS trail bytes never equal '"', CR or LF, so the text can be
    // split after decoding.
    const QString text = decodeFileText(bytes, nullptr, converted);
    QStringList values;
    if (text.isEmpty())
        return values;
    // CR LF, LF and a lone CR all end a line: files pass through editors of
    // every kind.
    QStringList lines = toCrLf(text).split(kCrLf);
    // The writer ends every line, so the piece after the last break is empty.
    if (lines.last().trimmed().isEmpty())
        lines.removeLast();
    values.reserve(lines.size());
    for (const QString& line : lines)
        values << unquote(line);
    return values;
}

QByteArray formatNoteFields(const QStringList& values, bool* converted) {
    QString text;
    for (const QString& value : values) {
        QString escaped = value;
        escaped.replace(QStringLiteral("\""), QStringLiteral("\"\""));
        // A value is one line; a break inside it would shift every later field.
        escaped.replace(QLatin1Char('\r'), QLatin1Char(' '));
        escaped.replace(QLatin1Char('\n'), QLatin1Char(' '));
        text += QLatin1Char('"') + escaped + QLatin1Char('"') + kCrLf;
    }
    return encodeFileText(text, converted);
}

namespace {

QByteArray formatNoteText(const QString& text, bool* converted) {
    return encodeFileText(toCrLf(text) + kCrLf, converted);
}

// Content that could not be converted is never written; the old file stays.
bool writeConverted(const QString& path, const QByteArray& bytes, bool converted) {
    if (!converted) {
        qCWarning(kovaLog, "cannot save %s: no text converter", qUtf8Printable(path));
        return false;
    }
    return writeFileAtomically(path, bytes);
}

} // namespace

bool ReadNoteFields(int number, QStringList* list) {
    QByteArray bytes;
    if (!readWholeFile(noteFieldsPath(number), &bytes))
        return false;
    bool converted = false;
    const QStringList values = parseNoteFields(bytes, &converted);
    if (!converted)
        return false;
    list->append(values);
    return true;
}

bool WriteNoteFields(int number, const QStringList& list) {
    if (number < kFirstNoteNumber || number > kLastNoteNumber)
        return false;
    bool converted = false;
    const QByteArray bytes = formatNoteFields(list, &converted);
    return writeConverted(noteFieldsPath(number), bytes, converted);
}

bool ReadNoteText(int number, QString* text) {
    QByteArray bytes;
    if (!readWholeFile(noteTextPath(number), &bytes))
        return false;
    bool converted = false;
    QString decoded = decodeFileText(bytes, nullptr, &converted);
    if (!converted)
        return false;
    if (decoded.endsWith(kCrLf))
        decoded.chop(2);
    *text = decoded;
    return true;
}

bool WriteNoteText(int number, const QString& text) {
    if (number < kFirstNoteNumber || number > kLastNoteNumber)
        return false;
    bool converted = false;
    const QByteArray bytes = formatNoteText(text, &converted);
    return writeConverted(noteTextPath(number), bytes, converted);
}

// The pair is saved through two "next" files. The text's next file is the
// commit: once it exists, the next start finishes the save (finishNoteSaves);
// a fields' next file alone is an unfinished save and is dropped. The fields
// are renamed into place before the text, so that no state between the
// renames reads as a mix or leaves a field file without its text.
bool WriteNote(int number, const QStringList& fields, const QString& text, QString* unsaved) {
    QString ignored;
    QString& failed = unsaved != nullptr ? *unsaved : ignored;
    failed = noteFieldsFileName(number);
    if (number < kFirstNoteNumber || number > kLastNoteNumber)
        return false;
    const QString hsn = noteFieldsPath(number);
    const QString log = noteTextPath(number);
    const QString hsnNext = hsn + kNextSuffix;
    const QString logNext = log + kNextSuffix;
    bool fieldsConverted = false;
    bool textConverted = false;
    const QByteArray fieldBytes = formatNoteFields(fields, &fieldsConverted);
    const QByteArray textBytes = formatNoteText(text, &textConverted);
    if (!writeConverted(hsnNext, fieldBytes, fieldsConverted)) {
        removeDurably(hsnNext);
        return false;
    }
    if (!writeConverted(logNext, textBytes, textConverted)) {
        failed = noteTextFileName(number);
        // The text's next file goes first: with it the save would count.
        removeDurably(logNext);
        removeDurably(hsnNext);
        return false;
    }
    bool renamed = false;
    const bool fieldsLast = renameDurably(hsnNext, hsn, &renamed);
    if (!renamed) {
        removeDurably(logNext);
        removeDurably(hsnNext);
        return false;
    }
    // Committed: whatever fails from here, the next start finishes the save.
    if (!renameDurably(logNext, log, &renamed)) {
        failed = noteTextFileName(number);
        return false;
    }
    return fieldsLast;
}

int finishNoteSaves() {
    const QDir folder(dataFolder());
    // Filtered by hand: a name filter is a pattern, and would bring the
    // regular-expression engine into start-up.
    QStringList nextFiles = folder.entryList(QDir::Files | QDir::Hidden);
    nextFiles.removeIf([](const QString& name) { return !name.endsWith(kNextSuffix); });
    int finished = 0;
    for (int n = kFirstNoteNumber; n <= kLastNoteNumber; ++n) {
        const QString hsnNext = noteFieldsFileName(n) + kNextSuffix;
        const QString logNext = noteTextFileName(n) + kNextSuffix;
        if (!nextFiles.contains(logNext)) {
            if (nextFiles.contains(hsnNext))
                removeDurably(folder.filePath(hsnNext));
            continue;
        }
        bool renamed = true;
        if (nextFiles.contains(hsnNext))
            renameDurably(folder.filePath(hsnNext), noteFieldsPath(n), &renamed);
        // Fields first, as the save does; what cannot be renamed now waits
        // for the next start.
        if (renamed)
            renameDurably(folder.filePath(logNext), noteTextPath(n), &renamed);
        if (renamed)
            ++finished;
    }
    return finished;
}

bool changeNoteField(int number, int index, const QString& value, const QString& placeholder) {
    QStringList list;
    if (!ReadNoteFields(number, &list))
        return false;
    const QStringList defaults = defaultNoteFields();
    while (list.size() < index)
        list << defaults.value(list.size());
    if (list.size() == index)
        list << placeholder;
    list.removeAt(index);
    list.insert(index, value);
    return WriteNoteFields(number, list);
}

bool removeNoteFiles(int number) {
    // An unfinished save of this note must not bring it back at the next start.
    QFile::remove(noteTextPath(number) + kNextSuffix);
    QFile::remove(noteFieldsPath(number) + kNextSuffix);
    QFile fields(noteFieldsPath(number));
    if (!fields.remove() && fields.exists()) {
        qCWarning(kovaLog, "cannot remove %s: %s", qUtf8Printable(fields.fileName()),
                  qUtf8Printable(fields.errorString()));
        return false;
    }
    QFile::remove(noteTextPath(number));
    return true;
}

QStringList defaultNoteFields() {
    return NoteRecord().toFields();
}

} // namespace kova
