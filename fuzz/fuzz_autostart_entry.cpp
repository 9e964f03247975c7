// The autostart entry writer: for any program path and data folder without
// control characters (registerStartup refuses those), the entry has its
// eight lines and its Exec line, read as the desktop-entry rules say, gives
// back exactly the words written.

#include "fuzz_support.h"
#include "settings/autostart.h"

#include <QStringList>

#include <algorithm>

using namespace kova;
using namespace Qt::StringLiterals;

namespace {

// The string escapes of a desktop entry's value.
QString unescapeString(const QString& value) {
    QString out;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] != u'\\' || i + 1 == value.size()) {
            out += value[i];
            continue;
        }
        const QChar next = value[++i];
        out += next == u'n' ? u'\n' : next == u't' ? u'\t' : next == u'r' ? u'\r' : next;
    }
    return out;
}

// The Exec rules: blanks part arguments, "..." quotes one with \" \` \$ \\
// escaped, %% is a percent sign; nullopt for anything the rules forbid.
std::optional<QStringList> execWords(const QString& exec) {
    QStringList words;
    QString word;
    bool inWord = false;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        const QChar c = exec[i];
        if (c == u' ') {
            if (inWord)
                words << word;
            word.clear();
            inWord = false;
        } else if (c == u'"') {
            inWord = true;
            for (++i;; ++i) {
                if (i == exec.size())
                    return std::nullopt;
                if (exec[i] == u'"')
                    break;
                if (exec[i] == u'\\') {
                    if (i + 1 == exec.size() || !u"\"`$\\"_s.contains(exec[i + 1]))
                        return std::nullopt;
                    ++i;
                }
                if (exec[i] == u'%' && (i + 1 == exec.size() || exec[++i] != u'%'))
                    return std::nullopt;
                word += exec[i];
            }
        } else if (c == u'%') {
            if (i + 1 == exec.size() || exec[++i] != u'%')
                return std::nullopt;
            word += u'%';
            inWord = true;
        } else {
            if (u"\t\n\"'\\><~|&;$*?#()`"_s.contains(c))
                return std::nullopt; // reserved outside quotes
            word += c;
            inWord = true;
        }
    }
    if (inWord)
        words << word;
    return words;
}

bool hasControlCharacters(const QString& text) {
    return std::any_of(text.cbegin(), text.cend(), [](QChar c) {
        return c.unicode() < 0x20 || (c.unicode() >= 0x7F && c.unicode() < 0xA0);
    });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString input = fuzz::utf16Of(data, size);
    // The first NUL-free part is the program, the rest the data folder.
    const qsizetype cut = input.indexOf(QChar(0));
    const QString program = cut < 0 ? input : input.left(cut);
    const QString folder = cut < 0 ? QString() : input.mid(cut + 1);
    if (program.isEmpty() || hasControlCharacters(program) || hasControlCharacters(folder))
        return 0;
    const QStringList lines = autostartEntryText(program, folder).split(u'\n');
    fuzz::require(lines.size() == 9 && lines.last().isEmpty(), "the entry has other lines");
    fuzz::require(lines[4].startsWith(u"Exec="_s), "no Exec line in its place");
    const std::optional<QStringList> words = execWords(unescapeString(lines[4].mid(5)));
    const QStringList expected =
        folder.isEmpty() ? QStringList{program}
                         : QStringList{u"env"_s, u"KOVASHELL_HOME="_s + folder, program};
    fuzz::require(words && *words == expected, "the Exec line does not give back its words");
    return 0;
}
