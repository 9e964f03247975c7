#include "desktop_process.h"

#include "base/logging.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QThread>

#include <csignal>
#include <sys/types.h>
#include <unistd.h>

namespace kova {

namespace {

QByteArray readProcFile(qint64 pid, const char* name) {
    QFile file(QStringLiteral("/proc/%1/%2").arg(pid).arg(QLatin1String(name)));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool alive(qint64 pid) {
    // A zombie has ended; only its parent has not looked yet.
    const QByteArray stat = readProcFile(pid, "stat");
    const qsizetype close = stat.lastIndexOf(')');
    return !stat.isEmpty() && !(close > 0 && stat.mid(close + 2, 1) == "Z");
}

bool waitUntilGone(const QList<DesktopProcess>& processes, int waitMs) {
    QElapsedTimer timer;
    timer.start();
    for (;;) {
        bool any = false;
        for (const DesktopProcess& p : processes)
            any = any || alive(p.pid);
        if (!any)
            return true;
        if (timer.elapsed() > waitMs)
            return false;
        QThread::msleep(50);
    }
}

// The options that say which settings a process uses, to be given to its
// quit request as well.
QStringList profileOptions(const QStringList& arguments) {
    QStringList kept;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& a = arguments.at(i);
        if (a.startsWith(QLatin1String("--profile=")))
            kept << a;
        else if ((a == QLatin1String("--profile") || a == QLatin1String("-p")) &&
                 i + 1 < arguments.size())
            kept << a << arguments.at(++i);
    }
    return kept;
}

void terminate(const QList<DesktopProcess>& processes) {
    for (const DesktopProcess& p : processes)
        ::kill(pid_t(p.pid), SIGTERM);
}

} // namespace

QList<DesktopProcess> runningDesktopProcesses(const QString& name, const QString& marker) {
    QList<DesktopProcess> found;
    const uint uid = ::getuid();
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString& entry : entries) {
        bool numeric = false;
        const qint64 pid = entry.toLongLong(&numeric);
        if (!numeric || QFileInfo(QStringLiteral("/proc/") + entry).ownerId() != uid)
            continue;
        if (QString::fromLocal8Bit(readProcFile(pid, "comm").trimmed()) != name || !alive(pid))
            continue;
        QStringList arguments;
        for (const QByteArray& part : readProcFile(pid, "cmdline").split('\0'))
            if (!part.isEmpty())
                arguments << QString::fromLocal8Bit(part);
        if (arguments.isEmpty() || (!marker.isEmpty() && !arguments.contains(marker)))
            continue;
        found << DesktopProcess{pid, arguments};
    }
    return found;
}

bool endDesktopProcesses(const QList<DesktopProcess>& processes, const QString& quitOption) {
    if (processes.isEmpty())
        return true;
    if (quitOption.isEmpty()) {
        terminate(processes);
    } else {
        const DesktopProcess& first = processes.first();
        QProcess quit;
        quit.setStandardOutputFile(QProcess::nullDevice());
        quit.setStandardErrorFile(QProcess::nullDevice());
        quit.start(first.arguments.first(), profileOptions(first.arguments) << quitOption);
        if (!quit.waitForFinished(5000))
            quit.kill();
    }
    if (waitUntilGone(processes, 5000))
        return true;
    // It did not take its own quit request: the signal every desktop process ends on.
    terminate(processes);
    if (waitUntilGone(processes, 2000))
        return true;
    qCWarning(kovaLog, "%s (pid %lld) did not end; its settings are left as they are",
              qUtf8Printable(processes.first().arguments.first()), processes.first().pid);
    return false;
}

bool startDesktopProcessAgain(const DesktopProcess& process) {
    QProcess start;
    start.setProgram(process.arguments.first());
    start.setArguments(process.arguments.mid(1));
    start.setWorkingDirectory(QDir::homePath());
    start.setStandardOutputFile(QProcess::nullDevice());
    start.setStandardErrorFile(QProcess::nullDevice());
    if (start.startDetached())
        return true;
    qCWarning(kovaLog, "cannot start %s again", qUtf8Printable(process.arguments.first()));
    return false;
}

} // namespace kova
