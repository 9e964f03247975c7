#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace kova {

// Command lines as a Linux user types them, split by the shell's word rules
// and started without a shell:
// - blanks (space, tab, line break) separate words, nothing else does;
// - '...' keeps everything as it stands; "..." too, except that a backslash
//   before \ " $ or ` stands for that character; outside quotes a backslash
//   stands for the character after it;
// - an unquoted "~" or "~/" at the start of a word is the home folder;
//   nothing else is expanded.
// nullopt when a quote is left open.
std::optional<QStringList> splitCommandLine(const QString& line);

// A path as one word that splitCommandLine reads back as the path: quoted
// only when it holds what the splitter would split or take away.
QString commandLineWord(const QString& path);

// What a command line starts. A first word with a "/" is a path; any other is
// looked up on PATH only, as a shell does. Documents are not programs: they
// are never opened through a file association.
struct ProgramStart {
    enum Status { Empty, Start, OpenQuote, NotFound, Folder, NotProgram } status = Empty;
    QString program; // Start: the full path
    QStringList arguments;
};
ProgramStart resolveCommandLine(const QString& line);

// "~" and "~/..." as the home folder; any other text as it stands.
QString expandHome(const QString& word);

} // namespace kova
