// For the tests of running out of memory, in a forked child: the address
// space capped at what the process already uses and `headroom` bytes more.
#pragma once

#include <sys/resource.h>
#include <unistd.h>

#include <cstddef>
#include <cstdio>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define TESSADOX_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define TESSADOX_SANITIZED 1
#endif
#endif

// Ends the child with status 90 when its size cannot be read, 91 when the
// cap cannot be set.
inline void cap_address_space(std::size_t headroom) {
    long pages = 0;
    std::FILE* statm = std::fopen("/proc/self/statm", "r");
    if (statm == nullptr || std::fscanf(statm, "%ld", &pages) != 1) {
        _exit(90);
    }
    const rlim_t cap = static_cast<rlim_t>(pages) * sysconf(_SC_PAGESIZE) + headroom;
    const rlimit limit{cap, cap};
    if (setrlimit(RLIMIT_AS, &limit) != 0) {
        _exit(91);
    }
}
