#include "key_file.h"

#include <QList>

namespace kova {

namespace {

// The lines with their own line ends, so that joining them gives the content back.
QList<QByteArray> splitKeepingEnds(const QByteArray& content) {
    QList<QByteArray> lines;
    qsizetype start = 0;
    while (start < content.size()) {
        qsizetype end = content.indexOf('\n', start);
        end = end < 0 ? content.size() : end + 1;
        lines << content.mid(start, end - start);
        start = end;
    }
    return lines;
}

QByteArray withoutEnd(const QByteArray& line) {
    QByteArray text = line;
    while (text.endsWith('\n') || text.endsWith('\r'))
        text.chop(1);
    return text;
}

// The group a "[name]" line opens, if it is one.
std::optional<QByteArray> groupOf(const QByteArray& line) {
    const QByteArray text = withoutEnd(line).trimmed();
    if (text.size() < 2 || !text.startsWith('[') || !text.endsWith(']'))
        return std::nullopt;
    return text.mid(1, text.size() - 2);
}

bool groupMatches(const QByteArray& name, const QString& pattern) {
    const QByteArray wanted = pattern.toUtf8();
    if (wanted.endsWith('*'))
        return name.startsWith(wanted.left(wanted.size() - 1));
    return name == wanted;
}

bool isKeyLine(const QByteArray& line, const QByteArray& key) {
    const QByteArray text = withoutEnd(line);
    const qsizetype equals = text.indexOf('=');
    return equals > 0 && text.left(equals).trimmed() == key;
}

} // namespace

std::optional<QByteArray> keyFileValue(const QByteArray& content, const QString& group,
                                       const QString& key) {
    const QByteArray wantedKey = key.toUtf8();
    bool inGroup = false;
    for (const QByteArray& line : splitKeepingEnds(content)) {
        if (const auto name = groupOf(line)) {
            inGroup = groupMatches(*name, group);
            continue;
        }
        if (inGroup && isKeyLine(line, wantedKey)) {
            const QByteArray text = withoutEnd(line);
            return text.mid(text.indexOf('=') + 1).trimmed();
        }
    }
    return std::nullopt;
}

QByteArray setKeyFileValue(const QByteArray& content, const QString& group, const QString& key,
                           const QByteArray& value, const QString& newGroup) {
    const QByteArray wantedKey = key.toUtf8();
    const QByteArray end = content.contains("\r\n") ? QByteArray("\r\n") : QByteArray("\n");
    const QByteArray keyLine = wantedKey + '=' + value + end;
    QList<QByteArray> lines = splitKeepingEnds(content);
    if (!lines.isEmpty() && !lines.last().endsWith('\n'))
        lines.last() += end;

    bool anyGroup = false;
    bool inGroup = false;
    bool done = false;
    // Where the key goes in a group without it: after its last non-blank line.
    qsizetype insertAt = -1;
    QList<QByteArray> out;
    const auto closeGroup = [&] {
        if (inGroup && !done)
            out.insert(insertAt, keyLine);
    };
    for (const QByteArray& line : lines) {
        if (const auto name = groupOf(line)) {
            closeGroup();
            inGroup = groupMatches(*name, group);
            anyGroup = anyGroup || inGroup;
            done = false;
            out << line;
            insertAt = out.size();
            continue;
        }
        if (inGroup && !done && isKeyLine(line, wantedKey)) {
            out << keyLine;
            done = true;
            continue;
        }
        out << line;
        if (inGroup && !withoutEnd(line).trimmed().isEmpty())
            insertAt = out.size();
    }
    closeGroup();
    if (!anyGroup) {
        if (!out.isEmpty() && !withoutEnd(out.last()).trimmed().isEmpty())
            out << end;
        out << '[' + newGroup.toUtf8() + ']' + end << keyLine;
    }
    return out.join();
}

} // namespace kova
