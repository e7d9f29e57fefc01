#pragma once
// The peak resident memory of the whole process so far, the figure the report and export
// benchmarks give as peak_rss_mb. It never goes down, so a benchmark that needs its own peak
// runs in a process of its own (--benchmark_filter).

#include <sys/resource.h>

namespace orv::bench {

inline double peakRssMb()
{
    struct rusage ru {};
    getrusage(RUSAGE_SELF, &ru);
    return double(ru.ru_maxrss) / 1024.0; // kilobytes on Linux
}

} // namespace orv::bench
