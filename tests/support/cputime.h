#pragma once

// The CPU time this process has used, in ms: a line that keeps waking the
// event loop after it died shows up here.

#include <sys/resource.h>

namespace krn::test {

inline double cpuMs()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 +
           (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
}

} // namespace krn::test
