#pragma once

#include <QLockFile>
#include <QString>

#include <memory>

namespace kova {

// One running copy per program and data folder. A lock left behind by a
// process that no longer runs is taken over. When the folder cannot hold a
// lock file (read-only media), a lock in the user's runtime folder named
// after the data folder stands in, so the program still starts once.
class SingleInstance {
public:
    // `name` is the lock's file name inside `folder`.
    SingleInstance(const QString& folder, const QString& name);
    bool acquired() const { return acquired_; }
    // Where the lock that was tried last lives.
    QString lockPath() const { return lock_ ? lock_->fileName() : QString(); }

    static QString fallbackLockPath(const QString& folder, const QString& name);

private:
    bool tryLockAt(const QString& path);

    std::unique_ptr<QLockFile> lock_;
    bool acquired_ = false;
};

} // namespace kova
