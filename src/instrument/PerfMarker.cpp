#include "PerfMarker.h"

#include <sys/prctl.h>

#include <cstddef>

#include "CallLayer.h"  // registers this unit with the instrumentation runtime

namespace tvav {
namespace {

constexpr int kPerfMarkerOption = 666;
constexpr size_t kMaxText = 127;  // the text fits a 128-byte buffer

// Appends `piece`, keeping at most kMaxText characters. Plain copying: the
// markers run on every picture change and need no printf machinery.
void Append(char* text, size_t& n, const char* piece) {
    for (; piece != nullptr && *piece != '\0' && n < kMaxText; ++piece) {
        text[n++] = *piece;
    }
}

// "<prefix><cls>::<fn><tag>", cut to 127 characters, with its length.
void Emit(const char* prefix, const char* cls, const char* fn, const char* tag) {
    char text[kMaxText + 1];
    size_t n = 0;
    Append(text, n, prefix);
    Append(text, n, cls);
    Append(text, n, "::");
    Append(text, n, fn);
    Append(text, n, tag);
    text[n] = '\0';
    (void)prctl(kPerfMarkerOption, reinterpret_cast<unsigned long>(text), static_cast<unsigned long>(n), 0UL, 0UL);
}

}  // namespace

void PerfBegin(const char* cls, const char* fn, const char* tag) { Emit("[BEGIN]PER_ORB_", cls, fn, tag); }
void PerfEnd(const char* cls, const char* fn, const char* tag) { Emit("[END]PER_ORB_", cls, fn, tag); }
void PerfBeginTV(const char* cls, const char* fn) { Emit("[BEGIN]PER_ORB_TV_", cls, fn, ""); }
void PerfEndTV(const char* cls, const char* fn) { Emit("[END]PER_ORB_TV_", cls, fn, ""); }

}  // namespace tvav
