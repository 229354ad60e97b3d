#include "PerfMarker.h"

#include <sys/prctl.h>

#include <cstdio>

#include "CallLayer.h"  // registers this unit with the instrumentation runtime

namespace tvav {
namespace {

constexpr int kPerfMarkerOption = 666;

void Emit(const char* format, const char* cls, const char* fn, const char* tag) {
    char text[128];
    int n = std::snprintf(text, sizeof text, format, cls, fn, tag);
    if (n < 0) {
        return;
    }
    if (n > static_cast<int>(sizeof text) - 1) {
        n = sizeof text - 1;
    }
    (void)prctl(kPerfMarkerOption, reinterpret_cast<unsigned long>(text), static_cast<unsigned long>(n), 0UL, 0UL);
}

}  // namespace

void PerfBegin(const char* cls, const char* fn, const char* tag) { Emit("[BEGIN]PER_ORB_%s::%s%s", cls, fn, tag); }
void PerfEnd(const char* cls, const char* fn, const char* tag) { Emit("[END]PER_ORB_%s::%s%s", cls, fn, tag); }
void PerfBeginTV(const char* cls, const char* fn) { Emit("[BEGIN]PER_ORB_TV_%s::%s%s", cls, fn, ""); }
void PerfEndTV(const char* cls, const char* fn) { Emit("[END]PER_ORB_TV_%s::%s%s", cls, fn, ""); }

}  // namespace tvav
