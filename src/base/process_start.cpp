#include "process_start.h"

#include <QEventLoop>
#include <QProcess>
#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <csignal>
#include <memory>
#include <sys/syscall.h>
#include <unistd.h>

namespace kova {

bool startProcess(const QString& program, const QStringList& arguments, qint64* pid) {
    return QProcess::startDetached(program, arguments, QString(), pid);
}

// Waits for a process that is not our child. A pidfd reports its end;
// without one (old kernels) the process is looked for now and then.
bool waitForProcessEnd(qint64 pid, int waitMs) {
    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    int fd = -1;
#ifdef SYS_pidfd_open
    fd = int(::syscall(SYS_pidfd_open, pid_t(pid), 0));
    if (fd < 0 && errno == ESRCH)
        return true;
#endif
    std::unique_ptr<QSocketNotifier> notifier;
    QTimer poll;
    if (fd >= 0) {
        notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
        QObject::connect(notifier.get(), &QSocketNotifier::activated, &loop, &QEventLoop::quit);
    } else {
        QObject::connect(&poll, &QTimer::timeout, &loop, [&loop, pid] {
            if (::kill(pid_t(pid), 0) != 0 && errno == ESRCH)
                loop.quit();
        });
        poll.start(50);
    }
    deadline.start(waitMs);
    loop.exec();
    notifier.reset();
    if (fd >= 0)
        ::close(fd);
    return deadline.isActive();
}
} // namespace kova
