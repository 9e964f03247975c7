#pragma once

#include <sys/resource.h>

#include <csignal>

namespace kova::test {

// Makes the kernel refuse to grow any file of this process past `bytes`
// (writes fail with EFBIG instead of raising SIGXFSZ) for its lifetime: a real
// write failure without a full disk or the superuser's rights.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

    bool active() const { return active_; }

private:
    struct rlimit old_ {};
    struct sigaction oldAction_ {};
    bool active_ = false;
};

} // namespace kova::test
