// Cost of a picture-size change on the host stand-in: the menu's request
// SetPictureSize(stream, key, size, true) and the signal re-apply
// SetPictureSize(stream, key), each with the stand-in's log capture on and off.
//
// Heap allocations. Every call also runs the stand-in, which allocates for its
// own bookkeeping (a journal entry with text arguments for each outside call,
// scope-trace labels, the kept log lines when capture is on, event records);
// the real platform does none of that, so those allocations must not be
// charged to the library. They cannot be switched off one by one without
// changing what is measured, but they can be told apart by where they happen:
// a few calls after the timed loop are run with every allocation charged to
// the innermost stack frame that is library code or stand-in code
// (BenchSupport.h). What the library allocates itself, in its own frames or
// through the C++ runtime, is "library allocs/call"; what the stand-in's
// functions allocate while serving an outside call is "stand-in allocs/call".
// "allocs/call" is the total of the timed loop, both together. The times
// include the stand-in's work, journal included; log capture off takes away
// the kept log lines (and the formatting of lines nobody prints). The
// variants with the journal off as well leave the stand-in almost nothing to
// do, so their time is essentially the library's own.
#include <cstdio>

#include <benchmark/benchmark.h>

#include "BenchSupport.h"
#include <tvav/SizeControl.h>
#include "host/HostControl.h"

namespace {

enum class Request { Menu, Signal };

// Calls attributed after each timed loop.
constexpr int kAttributedCalls = 64;
// The journal, log and event records grow with every call: every so many
// calls the stand-in is reset (timing paused) and the state re-established.
constexpr long long kResetEvery = 1024;

struct Variant {
    const char* name;
    double libraryPerCall = -1;
    double standInPerCall = -1;
};
Variant g_variants[] = {
    {"SetPictureSize(stream, key, size, true), log capture on"},
    {"SetPictureSize(stream, key, size, true), log capture off"},
    {"SetPictureSize(stream, key), log capture on"},
    {"SetPictureSize(stream, key), log capture off"},
    {"SetPictureSize(stream, key, size, true), log capture and journal off"},
    {"SetPictureSize(stream, key), log capture and journal off"},
};

// What the stand-in keeps while the calls run.
struct Keeping {
    bool log;
    bool journal;
};
constexpr Keeping kEverything{true, true};
constexpr Keeping kNoLog{false, true};
constexpr Keeping kNothing{false, false};

// A full-HD digital TV input on the main video path.
TSAspectRatioKey Key() {
    TSAspectRatioKey key;
    key.source = 0;
    key.dtv = true;
    key.resolution = 0x10002;
    key.resolutionInfo.horizontal = 1920;
    key.resolutionInfo.vertical = 1080;
    key.resolutionInfo.aspectratio = 3;
    return key;
}

int Apply(TCSizeControl* control, TVStream stream, const TSAspectRatioKey& key, Request request) {
    return request == Request::Menu ? control->SetPictureSize(stream, key, PICTURESIZETYPE_16_9, true)
                                    : control->SetPictureSize(stream, key);
}

// A fresh stand-in, then the calls that leave the steady state: the input's
// records created on first read, the fast-video server ended, the picture
// size stored.
void Prepare(TCSizeControl* control, const TSAspectRatioKey& key, Request request, Keeping keeping) {
    host::Reset();
    host::SetLogCapture(keeping.log);
    host::SetJournal(keeping.journal);
    control->SetPictureSize(host::DefaultStream(), key, PICTURESIZETYPE_16_9, true);
    Apply(control, host::DefaultStream(), key, request);
}

void Run(benchmark::State& state, Request request, Keeping capture, Variant& variant) {
    TCSizeControl* control = TCSizeControl::GetInstance(ORBHandle(1, 0));
    const TSAspectRatioKey key = Key();
    Prepare(control, key, request, capture);
    TVStream stream = host::DefaultStream();

    long long allocations = 0;
    long long calls = 0;
    long long mark = bench::Allocations();
    for (auto _ : state) {
        benchmark::DoNotOptimize(Apply(control, stream, key, request));
        if (++calls % kResetEvery == 0) {
            allocations += bench::Allocations() - mark;
            state.PauseTiming();
            Prepare(control, key, request, capture);
            stream = host::DefaultStream();
            state.ResumeTiming();
            mark = bench::Allocations();
        }
    }
    allocations += bench::Allocations() - mark;
    if (calls > 0) {
        state.counters["allocs/call"] = static_cast<double>(allocations) / static_cast<double>(calls);
    }

    Prepare(control, key, request, capture);
    stream = host::DefaultStream();
    bench::BeginAttribution();
    for (int i = 0; i < kAttributedCalls; ++i) {
        benchmark::DoNotOptimize(Apply(control, stream, key, request));
    }
    const bench::Attribution a = bench::EndAttribution();
    if (!a.valid) {
        state.SkipWithError("the library's and the stand-in's code could not be told apart");
        return;
    }
    variant.libraryPerCall = static_cast<double>(a.library) / kAttributedCalls;
    variant.standInPerCall = static_cast<double>(a.standIn) / kAttributedCalls;
    state.counters["library allocs/call"] = variant.libraryPerCall;
    state.counters["stand-in allocs/call"] = variant.standInPerCall;
    host::Reset();
}

void BM_MenuCaptureOn(benchmark::State& state) { Run(state, Request::Menu, kEverything, g_variants[0]); }
void BM_MenuCaptureOff(benchmark::State& state) { Run(state, Request::Menu, kNoLog, g_variants[1]); }
void BM_SignalCaptureOn(benchmark::State& state) { Run(state, Request::Signal, kEverything, g_variants[2]); }
void BM_SignalCaptureOff(benchmark::State& state) { Run(state, Request::Signal, kNoLog, g_variants[3]); }
void BM_MenuNothingKept(benchmark::State& state) { Run(state, Request::Menu, kNothing, g_variants[4]); }
void BM_SignalNothingKept(benchmark::State& state) { Run(state, Request::Signal, kNothing, g_variants[5]); }

// Repetitions give the median per call beside the mean.
BENCHMARK(BM_MenuCaptureOn)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_MenuCaptureOff)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_SignalCaptureOn)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_SignalCaptureOff)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_MenuNothingKept)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_SignalNothingKept)->Repetitions(5)->ReportAggregatesOnly(true);

int Summary() {
    for (const Variant& v : g_variants) {
        if (v.libraryPerCall >= 0) {
            std::printf("%s: heap allocations per call by the library %.2f, by the stand-in %.2f\n", v.name,
                        v.libraryPerCall, v.standInPerCall);
        }
    }
    return 0;
}

const bool g_registered = bench::AddSummary(&Summary);

}  // namespace
