// The kernel's prctl as the library reaches it: option 666 (performance
// markers) is kept for tests and tools and accepted; every other option goes
// to the kernel unchanged.
#include <sys/syscall.h>
#include <unistd.h>

#include <cstdarg>
#include <mutex>
#include <vector>

#include "HostState.h"
#include "host/HostControl.h"

namespace {

constexpr int kPerfMarkerOption = 666;

struct MarkerStore {
    std::mutex mutex;
    std::vector<host::PerfMarker> markers;
};

// Never destroyed: service threads may still call in during process exit.
MarkerStore& Markers() {
    static MarkerStore* store = new MarkerStore;
    return *store;
}

}  // namespace

extern "C" int prctl(int option, ...) {
    va_list ap;
    va_start(ap, option);
    const unsigned long arg2 = va_arg(ap, unsigned long);
    const unsigned long arg3 = va_arg(ap, unsigned long);
    const unsigned long arg4 = va_arg(ap, unsigned long);
    const unsigned long arg5 = va_arg(ap, unsigned long);
    va_end(ap);
    if (option != kPerfMarkerOption) {
        return static_cast<int>(syscall(SYS_prctl, option, arg2, arg3, arg4, arg5));
    }
    // Markers are kept like journal entries, only while the journal is.
    if (!host::detail::JournalOn()) {
        return 0;
    }
    const char* text = reinterpret_cast<const char*>(arg2);
    MarkerStore& store = Markers();
    std::lock_guard<std::mutex> lock(store.mutex);
    store.markers.push_back(host::PerfMarker{text != nullptr ? text : "", arg3});
    return 0;
}

namespace host {

std::vector<PerfMarker> PerfMarkers() {
    MarkerStore& store = Markers();
    std::lock_guard<std::mutex> lock(store.mutex);
    return store.markers;
}

void ClearPerfMarkers() {
    MarkerStore& store = Markers();
    std::lock_guard<std::mutex> lock(store.mutex);
    store.markers.clear();
}

}  // namespace host
