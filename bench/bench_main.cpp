// Entry point of the benchmarks, the counting operator new and the
// allocation attribution of BenchSupport.h.
#include <dlfcn.h>
#include <execinfo.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <vector>

#include <benchmark/benchmark.h>

#include "BenchSupport.h"
#include <tvav/SizeControl.h>
#include "host/HostControl.h"

namespace {

std::atomic<long long> g_allocations{0};

const void* g_libraryBase = nullptr;
const void* g_standInBase = nullptr;
thread_local bool t_attributing = false;
thread_local bool t_walking = false;  // the stack walk's own allocations are not counted
thread_local bench::Attribution t_counts;

const void* BaseOf(const void* address) {
    Dl_info info{};
    return dladdr(address, &info) != 0 ? info.dli_fbase : nullptr;
}

void Attribute() {
    t_walking = true;
    void* frames[64];
    const int n = backtrace(frames, 64);
    long long* counter = &t_counts.other;
    for (int i = 1; i < n; ++i) {  // frame 0 is this function
        const void* base = BaseOf(frames[i]);
        if (base == g_libraryBase) {
            counter = &t_counts.library;
            break;
        }
        if (base == g_standInBase) {
            counter = &t_counts.standIn;
            break;
        }
    }
    ++*counter;
    t_walking = false;
}

std::vector<bench::Summary>& Summaries() {
    static std::vector<bench::Summary> summaries;
    return summaries;
}

}  // namespace

__attribute__((noinline)) void* operator new(std::size_t size) {
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    if (t_attributing && !t_walking) Attribute();
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}
__attribute__((noinline)) void* operator new[](std::size_t size) { return ::operator new(size); }
__attribute__((noinline)) void operator delete(void* p) noexcept { std::free(p); }
__attribute__((noinline)) void operator delete[](void* p) noexcept { std::free(p); }
__attribute__((noinline)) void operator delete(void* p, std::size_t) noexcept { std::free(p); }
__attribute__((noinline)) void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace bench {

long long Allocations() { return g_allocations.load(std::memory_order_relaxed); }

void BeginAttribution() {
    // Load bases of the two libraries, from a function defined in each.
    g_libraryBase = BaseOf(reinterpret_cast<const void*>(&TCSizeControl::GetInstance));
    g_standInBase = BaseOf(reinterpret_cast<const void*>(&host::Reset));
    void* warm[4];
    backtrace(warm, 4);  // the first walk loads the unwinder
    t_counts = Attribution();
    t_attributing = true;
}

Attribution EndAttribution() {
    t_attributing = false;
    Attribution counts = t_counts;
    const void* self = BaseOf(reinterpret_cast<const void*>(&Allocations));
    counts.valid = g_libraryBase != nullptr && g_standInBase != nullptr && g_libraryBase != g_standInBase &&
                   g_libraryBase != self && g_standInBase != self;
    return counts;
}

bool AddSummary(Summary summary) {
    Summaries().push_back(summary);
    return true;
}

}  // namespace bench

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    int status = 0;
    for (bench::Summary summary : Summaries()) {
        status |= summary();
    }
    return status != 0 ? 1 : 0;
}
