#pragma once

#include <QLoggingCategory>

namespace kova {

// The one logging category, "kova": a warning on standard error (a session's
// journal keeps it) for every failure the program otherwise keeps to itself,
// one line each. A line names the file, the key, the program or the server
// and the reason; never a value the user typed: no password, no note's text.
Q_DECLARE_LOGGING_CATEGORY(kovaLog)

} // namespace kova
