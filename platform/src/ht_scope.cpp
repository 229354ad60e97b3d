// Scope values of the call-recording runtime: per-thread handler and the
// containers that collect values of one function scope.
#include "ht/HtRuntime.h"

namespace ht {

TCScopeHandler& TCScopeHandler::Current() {
    thread_local TCScopeHandler handler;
    return handler;
}

TCScopeHandler& TCScopeHandler::Instance(TCScopeContainer& container) {
    TCScopeHandler& handler = Current();
    handler.m_pTarget = &container;
    return handler;
}

size_t TCScopeHandler::Depth() {
    return Current().m_depth;
}

TCScopeContainer::TCScopeContainer(const TSCodeLocation& location, int direction)
    : m_direction(direction),
      m_bActive(TIStorageManagerState::enabled.load(std::memory_order_relaxed) &&
                location.libEnabled->load(std::memory_order_relaxed)) {
    TCScopeHandler& handler = TCScopeHandler::Current();
    m_pPrevious = handler.m_pTarget;
    handler.m_pTarget = this;
    ++handler.m_depth;
    if (m_bActive) {
        // Scopes carry no argument types: the location only says where they are.
        m_id = AcquireLocationId(*TIStorageManager::Instance(), location, [](TCCallLocation&) {});
    }
}

TCScopeContainer::~TCScopeContainer() {
    TCScopeHandler& handler = TCScopeHandler::Current();
    handler.m_pTarget = m_pPrevious;
    --handler.m_depth;
    if (!m_bActive) return;
    TSCallItemHelper record(TIStorageManager::Instance()->GetStorage(), kRecordScope, m_id);
    for (const Entry& entry : m_entries) {
        if (entry.deferred != nullptr) record.Add(entry.deferred, entry.size);
        else record.Add(entry.bytes.data(), entry.bytes.size());
    }
    record.Commit();
}

void TCScopeContainer::StoreNow(const void* data, size_t size) {
    if (!m_bActive) return;
    Entry entry;
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    entry.bytes.assign(bytes, bytes + size);
    m_entries.push_back(std::move(entry));
}

void TCScopeContainer::StoreDeferred(const void* data, size_t size) {
    if (!m_bActive) return;
    Entry entry;
    entry.deferred = data;
    entry.size = size;
    m_entries.push_back(std::move(entry));
}

}  // namespace ht
