// Registry of instrumented libraries: the enable flag of each, with the
// number of units that registered it.
#include "ht/HtRuntime.h"

namespace ht {

TCLibraryRegistry* TCLibraryRegistry::Instance() {
    // Never destroyed: units deregister during static destruction.
    static TCLibraryRegistry* instance = new TCLibraryRegistry();
    return instance;
}

void TCLibraryRegistry::Register(std::atomic<bool>* flag) {
    std::lock_guard<std::mutex> lock(m_mutex);
    ++m_registrations;
    if (flag == nullptr) return;
    ++m_flags[flag];
    flag->store(TIStorageManagerState::enabled.load(std::memory_order_relaxed), std::memory_order_relaxed);
}

void TCLibraryRegistry::Deregister(std::atomic<bool>* flag) {
    std::lock_guard<std::mutex> lock(m_mutex);
    ++m_deregistrations;
    auto it = m_flags.find(flag);
    if (it == m_flags.end()) return;
    if (--it->second <= 0) m_flags.erase(it);
}

void TCLibraryRegistry::SetRecording(bool on) {
    // Under the lock, so a library registering meanwhile takes the new state.
    std::lock_guard<std::mutex> lock(m_mutex);
    TIStorageManagerState::enabled.store(on, std::memory_order_relaxed);
    for (auto& entry : m_flags) entry.first->store(on, std::memory_order_relaxed);
}

int TCLibraryRegistry::RegistrationCount() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_registrations;
}

int TCLibraryRegistry::DeregistrationCount() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_deregistrations;
}

size_t TCLibraryRegistry::LibraryCount() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_flags.size();
}

int TCLibraryRegistry::Registrations(const std::atomic<bool>* flag) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto it = m_flags.find(const_cast<std::atomic<bool>*>(flag));
    return it == m_flags.end() ? 0 : it->second;
}

std::map<const std::atomic<bool>*, int> TCLibraryRegistry::Libraries() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return std::map<const std::atomic<bool>*, int>(m_flags.begin(), m_flags.end());
}

}  // namespace ht

extern "C" void ht_register_library(std::atomic<bool>* libEnabled) {
    ht::TCLibraryRegistry::Instance()->Register(libEnabled);
}

extern "C" void ht_deregister_library(std::atomic<bool>* libEnabled) {
    ht::TCLibraryRegistry::Instance()->Deregister(libEnabled);
}
