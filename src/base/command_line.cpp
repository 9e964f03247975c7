#include "command_line.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>

namespace kova {

namespace {

bool isBlank(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\n';
}

// Inside double quotes a backslash escapes only these.
bool escapableInDoubleQuotes(QChar c) {
    return c == u'\\' || c == u'"' || c == u'$' || c == u'`';
}

} // namespace

QString expandHome(const QString& word) {
    if (word == u"~")
        return QDir::homePath();
    if (word.startsWith(u"~/"))
        return QDir::homePath() + word.mid(1);
    return word;
}

std::optional<QStringList> splitCommandLine(const QString& line) {
    QStringList words;
    QString word;
    bool inWord = false;
    enum { None, Single, Double } quote = None;
    const qsizetype n = line.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = line.at(i);
        const QChar next = i + 1 < n ? line.at(i + 1) : QChar();
        if (quote == Single) {
            if (c == u'\'')
                quote = None;
            else
                word += c;
        } else if (quote == Double) {
            if (c == u'"') {
                quote = None;
            } else if (c == u'\\' && escapableInDoubleQuotes(next)) {
                word += next;
                ++i;
            } else {
                word += c;
            }
        } else if (isBlank(c)) {
            if (inWord)
                words << word;
            word.clear();
            inWord = false;
        } else {
            if (c == u'\'') {
                quote = Single;
            } else if (c == u'"') {
                quote = Double;
            } else if (c == u'\\' && i + 1 < n) {
                word += next;
                ++i;
            } else if (c == u'~' && !inWord && (next.isNull() || isBlank(next) || next == u'/')) {
                word += QDir::homePath();
            } else {
                word += c; // a backslash at the very end stands for itself
            }
            inWord = true;
        }
    }
    if (quote != None)
        return std::nullopt;
    if (inWord)
        words << word;
    return words;
}

QString commandLineWord(const QString& path) {
    const bool plain = !path.isEmpty() && !path.startsWith(u'~') &&
                       std::none_of(path.cbegin(), path.cend(), [](QChar c) {
                           return isBlank(c) || c == u'\'' || c == u'"' || c == u'\\';
                       });
    if (plain)
        return path;
    QString quoted = QStringLiteral("\"");
    for (const QChar c : path) {
        if (escapableInDoubleQuotes(c))
            quoted += u'\\';
        quoted += c;
    }
    return quoted + u'"';
}

ProgramStart resolveCommandLine(const QString& line) {
    ProgramStart start;
    const std::optional<QStringList> split = splitCommandLine(line);
    if (!split) {
        start.status = ProgramStart::OpenQuote;
        return start;
    }
    QStringList words = *split;
    if (words.isEmpty()) {
        start.status = line.isEmpty() ? ProgramStart::Empty : ProgramStart::NotFound;
        return start;
    }
    const QString word = words.takeFirst();
    start.status = ProgramStart::NotFound;
    if (word.isEmpty())
        return start;
    const QString found =
        word.contains(u'/') ? word : QStandardPaths::findExecutable(word); // PATH only
    if (found.isEmpty())
        return start;
    const QFileInfo file(found);
    if (!file.exists())
        return start;
    if (file.isDir()) {
        start.status = ProgramStart::Folder;
        return start;
    }
    if (!file.isExecutable()) {
        start.status = ProgramStart::NotProgram;
        return start;
    }
    start.status = ProgramStart::Start;
    start.program = file.absoluteFilePath();
    start.arguments = words;
    return start;
}

} // namespace kova
