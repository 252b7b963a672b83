#pragma once

#include <csignal>
#include <sys/resource.h>

namespace tekstovar::test {

// A full disk, as far as this process can tell, while the object lives: a
// write past `bytes` fails with EFBIG, even for root.
class TFileSizeLimit {
public:
    explicit TFileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &Saved);
        rlimit limit = Saved;
        limit.rlim_cur = bytes;
        Handler = std::signal(SIGXFSZ, SIG_IGN); // the write fails instead of killing us
        Active = ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    TFileSizeLimit(const TFileSizeLimit&) = delete;
    TFileSizeLimit& operator=(const TFileSizeLimit&) = delete;
    ~TFileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &Saved);
        std::signal(SIGXFSZ, Handler);
    }
    bool Active = false;

private:
    rlimit Saved{};
    void (*Handler)(int) = nullptr;
};

} // namespace tekstovar::test
