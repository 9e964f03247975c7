#include "note_store.h"

#include "base/atomic_file.h"
#include "base/data_folder.h"
#include "base/line_breaks.h"
#include "base/logging.h"
#include "base/text_codec.h"
#include "notes/note_record.h"

#include <QFile>
#include <QFileInfo>

namespace kova {

namespace {

const QString kCrLf = QStringLiteral("\r\n");

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

QStringList parseNoteFields(const QByteArray& bytes) {
    // Shift-JIS trail bytes never equal '"', CR or LF, so the text can be
    // split after decoding.
    const QString text = decodeFileText(bytes);
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

QByteArray formatNoteFields(const QStringList& values) {
    QString text;
    for (const QString& value : values) {
        QString escaped = value;
        escaped.replace(QStringLiteral("\""), QStringLiteral("\"\""));
        // A value is one line; a break inside it would shift every later field.
        escaped.replace(QLatin1Char('\r'), QLatin1Char(' '));
        escaped.replace(QLatin1Char('\n'), QLatin1Char(' '));
        text += QLatin1Char('"') + escaped + QLatin1Char('"') + kCrLf;
    }
    return encodeFileText(text);
}

bool ReadNoteFields(int number, QStringList* list) {
    QByteArray bytes;
    if (!readWholeFile(noteFieldsPath(number), &bytes))
        return false;
    list->append(parseNoteFields(bytes));
    return true;
}

bool WriteNoteFields(int number, const QStringList& list) {
    if (number < kFirstNoteNumber || number > kLastNoteNumber)
        return false;
    return writeFileAtomically(noteFieldsPath(number), formatNoteFields(list));
}

bool ReadNoteText(int number, QString* text) {
    QByteArray bytes;
    if (!readWholeFile(noteTextPath(number), &bytes))
        return false;
    QString decoded = decodeFileText(bytes);
    if (decoded.endsWith(kCrLf))
        decoded.chop(2);
    *text = decoded;
    return true;
}

bool WriteNoteText(int number, const QString& text) {
    if (number < kFirstNoteNumber || number > kLastNoteNumber)
        return false;
    return writeFileAtomically(noteTextPath(number), encodeFileText(toCrLf(text) + kCrLf));
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
