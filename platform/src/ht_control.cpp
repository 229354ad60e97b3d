// Recording switches of the host control interface.
#include "host/HostControl.h"
#include "ht/HtRuntime.h"

namespace host {

void SetRecording(bool on) {
    ht::TCLibraryRegistry::Instance()->SetRecording(on);
}

bool Recording() {
    return ht::TIStorageManagerState::enabled.load(std::memory_order_relaxed);
}

void SetCpuStatistics(bool on) {
    ht::TIStorageManager::Instance()->SetCpuStatistics(on);
}

int RegistrationCount() {
    return ht::TCLibraryRegistry::Instance()->RegistrationCount();
}

int DeregistrationCount() {
    return ht::TCLibraryRegistry::Instance()->DeregistrationCount();
}

}  // namespace host
