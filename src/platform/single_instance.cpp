#include "single_instance.h"

namespace kova {

SingleInstance::SingleInstance(const QString& folder, const QString& name)
    : lock_(std::make_unique<QLockFile>(folder + QLatin1Char('/') + name)) {
    // Only a dead owner makes a lock stale; age alone never does.
    lock_->setStaleLockTime(0);
    acquired_ = lock_->tryLock(0);
    if (!acquired_ && lock_->error() == QLockFile::LockFailedError) {
        // tryLock already removed a lock whose process is gone; a second try
        // settles a race with such a removal.
        acquired_ = lock_->tryLock(100);
    }
}

} // namespace kova
