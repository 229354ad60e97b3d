// Shared by the benchmarks: heap allocation counts (a replaced global
// operator new) and the summaries printed after the runs.
#pragma once

namespace bench {

// operator new calls so far, on every thread.
long long Allocations();

// Allocations on this thread between Begin and End, each charged to the
// innermost stack frame that lies in the library (libtvav) or in the host
// stand-in (libtvav_host); frames of the C++ runtime and of the benchmark
// are skipped, an allocation with neither above it counts as other. Walking
// the stack is slow: attribute a few calls outside the timed loop.
struct Attribution {
    long long library = 0;
    long long standIn = 0;
    long long other = 0;
    bool valid = true;  // false when the two libraries could not be told apart
};
void BeginAttribution();
Attribution EndAttribution();

// A summary printed after all benchmarks have run; a non-zero result makes
// the run exit with status 1. Register from a static initialiser.
using Summary = int (*)();
bool AddSummary(Summary summary);

}  // namespace bench
