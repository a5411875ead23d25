#pragma once

// CPU time for the benchmark programs that measure how busy an idle loop
// keeps the machine: the process's user and system time so far, every
// thread included, in seconds.

#include <sys/resource.h>

inline double ProcessCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}
