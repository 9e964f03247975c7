#include "single_instance.h"

#include "base/logging.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace kova {

SingleInstance::SingleInstance(const QString& folder, const QString& name) {
    const QString path = folder + QLatin1Char('/') + name;
    if (lockAt(path) != Outcome::Unusable)
        return;
    const int error = errno;
    const Outcome fallback = lockAt(fallbackLockPath(folder, name));
    const int fallbackError = errno;
    if (fallback == Outcome::Unusable)
        qCWarning(kovaLog, "cannot lock %s (%s) nor %s (%s)", qUtf8Printable(path),
                  std::strerror(error), qUtf8Printable(path_), std::strerror(fallbackError));
    else
        qCWarning(kovaLog, "cannot lock %s (%s); %s stands in", qUtf8Printable(path),
                  std::strerror(error), qUtf8Printable(path_));
}

SingleInstance::~SingleInstance() {
    // The file stays: removing it could pull it from under a copy starting now.
    if (fd_ >= 0)
        ::close(fd_);
}

QString SingleInstance::fallbackLockPath(const QString& folder, const QString& name) {
    QString base = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (base.isEmpty())
        base = QDir::tempPath();
    const QByteArray key = QDir::cleanPath(QFileInfo(folder).absoluteFilePath()).toUtf8();
    const QByteArray hash =
        QCryptographicHash::hash(key, QCryptographicHash::Sha1).toHex().left(16);
    return base + QLatin1Char('/') + name + QLatin1Char('-') + QString::fromLatin1(hash);
}

SingleInstance::Outcome SingleInstance::lockAt(const QString& path) {
    path_ = path;
    // Close-on-exec: programs started from here must not keep the lock alive.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return Outcome::Unusable;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        errno = error; // for the caller's log line
        return error == EWOULDBLOCK ? Outcome::HeldElsewhere : Outcome::Unusable;
    }
    // Which process holds it, for people looking; the lock holds without it.
    const QByteArray pid = QByteArray::number(QCoreApplication::applicationPid()) + '\n';
    [[maybe_unused]] const bool noted =
        ::ftruncate(fd, 0) == 0 && ::pwrite(fd, pid.constData(), size_t(pid.size()), 0) > 0;
    fd_ = fd;
    return Outcome::Locked;
}

} // namespace kova
