#pragma once

#include <QString>

namespace kova {

// One running copy per program and data folder: an exclusive lock on a file
// in the folder, held for the process's lifetime. The kernel drops the lock
// when the process ends however it ends, so a file left behind by a crash,
// a dead process number or an empty file never blocks the next start. When
// the folder cannot hold the file (read-only media), a lock in the user's
// runtime folder named after the data folder stands in.
class SingleInstance {
public:
    // `name` is the lock's file name inside `folder`.
    SingleInstance(const QString& folder, const QString& name);
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    bool acquired() const { return fd_ >= 0; }
    // Where the lock that was tried last lives.
    const QString& lockPath() const { return path_; }

    static QString fallbackLockPath(const QString& folder, const QString& name);

private:
    enum class Outcome { Locked, HeldElsewhere, Unusable };
    Outcome lockAt(const QString& path);

    QString path_;
    int fd_ = -1;
};

} // namespace kova
