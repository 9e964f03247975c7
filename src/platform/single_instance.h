#pragma once

#include <QLockFile>
#include <QString>

#include <memory>

namespace kova {

// One running copy per program and data folder. A lock left behind by a
// process that no longer runs is taken over.
class SingleInstance {
public:
    // `name` is the lock's file name inside `folder`.
    SingleInstance(const QString& folder, const QString& name);
    bool acquired() const { return acquired_; }

private:
    std::unique_ptr<QLockFile> lock_;
    bool acquired_ = false;
};

} // namespace kova
