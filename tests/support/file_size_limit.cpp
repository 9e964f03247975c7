#include "file_size_limit.h"

namespace kova::test {

FileSizeLimit::FileSizeLimit(rlim_t bytes) {
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    if (::sigaction(SIGXFSZ, &ignore, &oldAction_) != 0)
        return;
    if (::getrlimit(RLIMIT_FSIZE, &old_) != 0) {
        ::sigaction(SIGXFSZ, &oldAction_, nullptr);
        return;
    }
    struct rlimit small = old_;
    small.rlim_cur = bytes;
    active_ = ::setrlimit(RLIMIT_FSIZE, &small) == 0;
    if (!active_)
        ::sigaction(SIGXFSZ, &oldAction_, nullptr);
}

FileSizeLimit::~FileSizeLimit() {
    if (!active_)
        return;
    ::setrlimit(RLIMIT_FSIZE, &old_);
    ::sigaction(SIGXFSZ, &oldAction_, nullptr);
}

} // namespace kova::test
