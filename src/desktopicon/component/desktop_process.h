#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace kova {

// A desktop process of this user, as it was started.
struct DesktopProcess {
    qint64 pid = 0;
    QStringList arguments; // the program first
};

// This user's processes named `name` that run with `marker` among their
// arguments (any, when it is empty).
QList<DesktopProcess> runningDesktopProcesses(const QString& name, const QString& marker);

// Ends them, with `quitOption` run as the program's own request (its profile
// options kept) or SIGTERM where it has none, and waits until they are gone.
// False when one is still there after a few seconds.
bool endDesktopProcesses(const QList<DesktopProcess>& processes, const QString& quitOption);

// Starts one again as it was started, outside our process group.
bool startDesktopProcessAgain(const DesktopProcess& process);

} // namespace kova
