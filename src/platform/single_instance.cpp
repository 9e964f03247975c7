#include "single_instance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace kova {

SingleInstance::SingleInstance(const QString& folder, const QString& name) {
    acquired_ = tryLockAt(folder + QLatin1Char('/') + name);
    if (!acquired_ && lock_->error() != QLockFile::LockFailedError)
        acquired_ = tryLockAt(fallbackLockPath(folder, name));
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

bool SingleInstance::tryLockAt(const QString& path) {
    lock_ = std::make_unique<QLockFile>(path);
    // Only a dead owner makes a lock stale; age alone never does.
    lock_->setStaleLockTime(0);
    if (lock_->tryLock(0))
        return true;
    // tryLock already removed a lock whose process is gone; a second try
    // settles a race with such a removal.
    return lock_->error() == QLockFile::LockFailedError && lock_->tryLock(100);
}

} // namespace kova
