// The CPU time of the calling thread: other programs on a busy machine do not
// count in it, so the figures of one run compare fairly.
#pragma once

#include <ctime>

inline double cpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}
