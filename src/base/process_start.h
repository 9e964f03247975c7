#pragma once

#include <QString>
#include <QStringList>

namespace kova {

// Starts a program without tying it to us (it outlives us, we never wait for
// it as a child). False when it cannot be started; *pid gets its id.
bool startProcess(const QString& program, const QStringList& arguments, qint64* pid = nullptr);

// Waits at most `waitMs` for a process that is not our child to end, with the
// event loop running; the process is never killed. False when it still runs.
bool waitForProcessEnd(qint64 pid, int waitMs);

} // namespace kova
