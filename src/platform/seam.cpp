#include "seam.h"

#include <QApplication>
#include <QColorDialog>
#include <QEventLoop>
#include <QFontDialog>
#include <QMessageBox>
#include <QProcess>
#include <QSocketNotifier>
#include <QSystemTrayIcon>
#include <QTimer>

#include <cerrno>
#include <csignal>
#include <memory>
#include <sys/syscall.h>
#include <unistd.h>

namespace kova {

namespace {
Platform* g_installed = nullptr;

// Waits for a process that is not our child. A pidfd reports its end;
// without one (old kernels) the process is looked for now and then.
void waitForProcessEnd(qint64 pid, int waitMs) {
    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    int fd = -1;
#ifdef SYS_pidfd_open
    fd = int(::syscall(SYS_pidfd_open, pid_t(pid), 0));
    if (fd < 0 && errno == ESRCH)
        return;
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
}
} // namespace

Platform& Platform::instance() {
    static RealPlatform real;
    return g_installed != nullptr ? *g_installed : real;
}

void Platform::install(Platform* platform) { g_installed = platform; }

Answer RealPlatform::messageBox(const QString& text, Buttons buttons) {
    QMessageBox box;
    box.setWindowTitle(QCoreApplication::applicationName());
    box.setText(text);
    box.setIcon(QMessageBox::NoIcon);
    if (buttons == Buttons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
    }
    // A resident program has no window of its own to sit on top of.
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    const int result = box.exec();
    if (buttons == Buttons::Ok)
        return Answer::Ok;
    return result == QMessageBox::Yes ? Answer::Yes : Answer::No;
}

void RealPlatform::beep() { QApplication::beep(); }

bool RealPlatform::startDetached(const QString& program, const QStringList& arguments) {
    return QProcess::startDetached(program, arguments);
}

bool RealPlatform::startAndWait(const QString& program, const QStringList& arguments, int waitMs) {
    qint64 pid = 0;
    if (!QProcess::startDetached(program, arguments, QString(), &pid))
        return false;
    if (waitMs > 0)
        waitForProcessEnd(pid, waitMs);
    return true;
}

bool RealPlatform::openWithDesktop(const QString& target) {
    return QProcess::startDetached(QStringLiteral("xdg-open"), {target});
}

std::optional<QFont> RealPlatform::chooseFont(const QFont& initial, QWidget* parent) {
    bool ok = false;
    const QFont font = QFontDialog::getFont(&ok, initial, parent);
    if (!ok)
        return std::nullopt;
    return font;
}

std::optional<QColor> RealPlatform::chooseColor(const QColor& initial, QWidget* parent) {
    const QColor color = QColorDialog::getColor(initial, parent);
    if (!color.isValid())
        return std::nullopt;
    return color;
}

bool RealPlatform::trayAvailable() { return QSystemTrayIcon::isSystemTrayAvailable(); }

} // namespace kova
