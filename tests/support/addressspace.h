#pragma once

#include <cstddef>
#include <cstdio>
#include <sys/resource.h>
#include <unistd.h>

namespace tekstovar::test {

// Limits the calling process (a child forked for the purpose: the limit
// stays with it) to `room` bytes of address space beyond what it uses now.
inline void LeaveAddressSpace(std::size_t room)
{
    std::size_t used = 0;
    if (std::FILE* statm = std::fopen("/proc/self/statm", "r")) {
        unsigned long pages = 0;
        if (std::fscanf(statm, "%lu", &pages) == 1)
            used = pages * static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
        std::fclose(statm);
    }
    rlimit limit{};
    ::getrlimit(RLIMIT_AS, &limit);
    limit.rlim_cur = used + room;
    ::setrlimit(RLIMIT_AS, &limit);
}

} // namespace tekstovar::test
