// Cost of the instrumented call layer: a wrapped call against the same direct
// call with recording off (an empty callee, a bound member, and a real
// stand-in operation: a player property read), and a recorded call. Each
// figure is printed as a ratio to the direct call measured in the same run.
// Heap allocations during the wrapped calls are counted with the replaced
// global operator new of bench_main.cpp.
#include <chrono>
#include <cstdio>

#include <benchmark/benchmark.h>

#include "BenchSupport.h"
#include "host/HostControl.h"
#include "instrument/CallLayer.h"
#include "tv_stream.h"

namespace {

// The callee stays out of line so both variants pay the same call.
__attribute__((noinline)) int ReadSetting(const char* key, int* value) {
    benchmark::DoNotOptimize(key);
    *value = 42;
    return 0;
}

class Counter {
public:
    __attribute__((noinline)) virtual int Scale(int v, int* out) {
        *out = v * 3;
        return 1;
    }
    virtual ~Counter() = default;
};

// Both variants sit in an out-of-line function of the same shape, so the
// only difference measured is the layer.
__attribute__((noinline)) int Direct(int* value) {
    return ReadSetting("db/menu/picture/size", value);
}
__attribute__((noinline)) int Wrapped(int* value) {
    return HT_CALL(ReadSetting, HT_DIRS(1, 2), "db/menu/picture/size", value);
}
__attribute__((noinline)) int WrappedMember(Counter* c, int v, int* out) {
    return HT_CALL_MEMBER(c, &Counter::Scale, HT_DIRS(1, 2), v, out);
}

// A property read of the stand-in's player, direct and wrapped.
__attribute__((noinline)) int DirectProperty(TVStream stream, int* value) {
    return tv_stream_get_property(stream, TV_PROPERTY_AFD, value, nullptr);
}
__attribute__((noinline)) int WrappedProperty(TVStream stream, int* value) {
    return HT_CALL(tv_stream_get_property, HT_DIRS(1, 1, 2, 1), stream, TV_PROPERTY_AFD, value, nullptr);
}

struct Figures {
    double directNs = 0;
    double propertyDirectNs = 0;
    double propertyWrappedNs = 0;
    double wrappedNs = 0;
    double memberNs = 0;
    double recordedNs = 0;
    long long offAllocations = -1;
    long long memberOffAllocations = -1;
    double recordedAllocationsPerCall = 0;
} g_figures;

double NsPerIteration(const benchmark::State& state, std::chrono::steady_clock::duration elapsed) {
    return state.iterations() ? std::chrono::duration<double, std::nano>(elapsed).count() / state.iterations()
                              : 0;
}

// Nanoseconds per call of `call`, recording off; `allocations`, when given,
// receives the heap allocations made during the calls.
template <class Call>
double TimeCalls(benchmark::State& state, Call&& call, long long* allocations = nullptr) {
    host::SetRecording(false);
    const long long before = bench::Allocations();
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        benchmark::DoNotOptimize(call());
        benchmark::ClobberMemory();
    }
    const double ns = NsPerIteration(state, std::chrono::steady_clock::now() - start);
    if (allocations != nullptr) {
        *allocations = bench::Allocations() - before;
        state.counters["allocations"] = static_cast<double>(*allocations);
    }
    return ns;
}

// Reads of the stand-in's player property, with the journal off: it would
// grow with every read.
template <int (*Read)(TVStream, int*)>
double TimePropertyReads(benchmark::State& state) {
    host::SetJournal(false);
    const TVStream stream = host::DefaultStream();
    int value = 0;
    const double ns = TimeCalls(state, [&] { return Read(stream, &value); });
    host::SetJournal(true);
    return ns;
}

void BM_Direct(benchmark::State& state) {
    int value = 0;
    g_figures.directNs = TimeCalls(state, [&] { return Direct(&value); });
}
BENCHMARK(BM_Direct);

void BM_WrappedRecordingOff(benchmark::State& state) {
    int value = 0;
    g_figures.wrappedNs = TimeCalls(state, [&] { return Wrapped(&value); }, &g_figures.offAllocations);
}
BENCHMARK(BM_WrappedRecordingOff);

void BM_WrappedMemberRecordingOff(benchmark::State& state) {
    Counter counter;
    int out = 0;
    g_figures.memberNs =
        TimeCalls(state, [&] { return WrappedMember(&counter, 7, &out); }, &g_figures.memberOffAllocations);
}
BENCHMARK(BM_WrappedMemberRecordingOff);

void BM_PropertyDirect(benchmark::State& state) {
    g_figures.propertyDirectNs = TimePropertyReads<DirectProperty>(state);
}
BENCHMARK(BM_PropertyDirect);

void BM_PropertyWrappedRecordingOff(benchmark::State& state) {
    g_figures.propertyWrappedNs = TimePropertyReads<WrappedProperty>(state);
}
BENCHMARK(BM_PropertyWrappedRecordingOff);

void BM_WrappedRecordingOn(benchmark::State& state) {
    host::SetRecording(true);
    ht::TCStorage& store = ht::TIStorageManager::Instance()->GetStorage();
    int value = 0;
    long long allocations = 0;
    unsigned calls = 0;
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        const long long before = bench::Allocations();
        benchmark::DoNotOptimize(Wrapped(&value));
        allocations += bench::Allocations() - before;
        // Keep the store from growing without bound (amortised over the calls).
        if ((++calls & 0xFFFF) == 0) store.Clear();
    }
    g_figures.recordedNs = NsPerIteration(state, std::chrono::steady_clock::now() - start);
    g_figures.recordedAllocationsPerCall =
        state.iterations() ? static_cast<double>(allocations) / state.iterations() : 0;
    state.counters["allocations/call"] = g_figures.recordedAllocationsPerCall;
    store.Clear();
    host::SetRecording(false);
}
BENCHMARK(BM_WrappedRecordingOn);

// Figures of the runs above, each beside its direct call. A wrapped call that
// allocates with recording off, or a recorded call that allocates more than
// once, fails the run.
int Summary() {
    const Figures& f = g_figures;
    auto line = [](const char* what, double ns, double directNs) {
        if (ns <= 0 || directNs <= 0) return;
        std::printf("%-46s %8.2f ns  ratio to direct %6.2f  (+%.2f ns)\n", what, ns, ns / directNs, ns - directNs);
    };
    if (f.directNs > 0) std::printf("%-46s %8.2f ns\n", "direct call, empty callee", f.directNs);
    line("wrapped call, recording off", f.wrappedNs, f.directNs);
    line("bound member call, recording off", f.memberNs, f.directNs);
    line("recorded call", f.recordedNs, f.directNs);
    if (f.propertyDirectNs > 0) std::printf("%-46s %8.2f ns\n", "direct property read", f.propertyDirectNs);
    line("wrapped property read, recording off", f.propertyWrappedNs, f.propertyDirectNs);
    if (f.offAllocations >= 0) {
        std::printf("heap allocations during wrapped calls, recording off: %lld\n", f.offAllocations);
    }
    if (f.memberOffAllocations >= 0) {
        std::printf("heap allocations during bound member calls, recording off: %lld\n", f.memberOffAllocations);
    }
    if (f.recordedNs > 0) std::printf("allocations per recorded call: %.3f\n", f.recordedAllocationsPerCall);
    const bool bRecordedAllocates = f.recordedNs > 0 && f.recordedAllocationsPerCall > 1.0;
    return (f.offAllocations > 0 || f.memberOffAllocations > 0 || bRecordedAllocates) ? 1 : 0;
}

const bool g_registered = bench::AddSummary(&Summary);

}  // namespace
