#pragma once

#include <QString>
#include <QStringList>

namespace kova::remover {

// Platform identifiers of the version record: only the NT family (a per-user
// session that can be logged off) has a question here.
constexpr int kPlatformWin9x = 1;
constexpr int kPlatformNt = 2;
// The answer of this platform.
int platformId();

// The log-off question: three lines joined by CR LF.
QString logOffQuestion();
// Shown when the log-off could not be done.
QString logOffFailedMessage();

// The unregistration command for the component beside `programFolder`:
// the program and its whole arguments.
QString registrationToolPath(const QString& programFolder);
QStringList unregisterArguments(const QString& programFolder);

enum class Outcome {
    Declined,     // No to the first question: nothing changed
    Finished,     // removed; no log-off asked for (No, or no question)
    LoggedOff,    // removed; the log-off was requested
    LogOffFailed, // removed; the log-off could not be done
};

// The whole removal, from the first question to its end, through the platform
// seam: `programFolder` holds the component and the registration tool,
// `platform` is the version record's platform identifier.
Outcome runRemoval(const QString& programFolder, int platform);

} // namespace kova::remover
