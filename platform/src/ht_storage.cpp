// Call store, storage manager, CPU statistics and demangler of the
// call-recording runtime.
#include <cxxabi.h>
#include <sched.h>
#include <sys/resource.h>
#include <time.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "ht/HtRuntime.h"

namespace ht {

std::atomic<bool> TIStorageManagerState::enabled{false};

std::string Demangle(const char* mangled) {
    if (mangled == nullptr) return std::string();
    int status = 0;
    char* text = abi::__cxa_demangle(mangled, nullptr, nullptr, &status);
    if (status != 0 || text == nullptr) return std::string(mangled);
    std::string name(text);
    std::free(text);
    return name;
}

// ---------------------------------------------------------------------------
TCCallLocation::TCCallLocation(const char* file, int32_t line, const char* function)
    : m_file(file ? file : ""), m_line(line), m_function(function ? function : "") {}

void TCCallLocation::AddArgument(const std::string& typeName, uint8_t direction, uint16_t sizeCode) {
    m_arguments.push_back(TSTypeDescriptor{typeName, direction, sizeCode});
}

void TCCallLocation::SetResult(const std::string& typeName, uint16_t sizeCode) {
    m_result = TSTypeDescriptor{typeName, 0, sizeCode};
    m_bHasResult = true;
}

// ---------------------------------------------------------------------------
void TCStorage::SaveLocation(uint32_t id, const TCCallLocation& location) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_locations[id] = location;
}

void TCStorage::SaveRecord(const TSCallRecord& record) {
    TSCallItemHelper helper(*this, record.kind, record.id);
    for (const TSCallItem& item : record.items) {
        if (item.isNull) helper.AddNull();
        else helper.Add(item.bytes.data(), item.bytes.size());
    }
    helper.Commit();
}

void TCStorage::SaveEncoded(uint8_t kind, uint32_t id, const uint8_t* items, size_t size) {
    const std::thread::id thread = std::this_thread::get_id();
    std::lock_guard<std::mutex> lock(m_mutex);
    const size_t offset = m_bytes.size();
    m_entries.push_back(Entry{offset, size, id, kind, thread});
    m_bytes.resize(offset + size);
    if (size != 0) std::memcpy(m_bytes.data() + offset, items, size);
}

TSCallRecord TCStorage::Decode(const Entry& entry) const {
    TSCallRecord record;
    record.kind = entry.kind;
    record.id = entry.id;
    record.thread = entry.thread;
    const uint8_t* at = m_bytes.data() + entry.offset;
    const uint8_t* const end = at + entry.size;
    while (at < end) {
        uint32_t length = 0;
        std::memcpy(&length, at, sizeof length);
        at += sizeof length;
        TSCallItem item;
        if (length == kNullItem) {
            item.isNull = true;
        } else {
            item.bytes.assign(at, at + length);
            at += length;
        }
        record.items.push_back(std::move(item));
    }
    return record;
}

std::vector<TSCallRecord> TCStorage::Records() const { return RecordsSince(0); }

std::vector<TSCallRecord> TCStorage::RecordsSince(size_t from) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<TSCallRecord> records;
    for (size_t i = from; i < m_entries.size(); ++i) records.push_back(Decode(m_entries[i]));
    return records;
}

size_t TCStorage::RecordCount() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_entries.size();
}

bool TCStorage::FindLocation(uint32_t id, TCCallLocation& out) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto it = m_locations.find(id);
    if (it == m_locations.end()) return false;
    out = it->second;
    return true;
}

size_t TCStorage::LocationCount() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_locations.size();
}

void TCStorage::Clear() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_entries.clear();
    m_bytes.clear();
}

// ---------------------------------------------------------------------------
TSCallItemHelper::TSCallItemHelper(TCStorage& store, uint8_t kind, uint32_t id)
    : m_store(store), m_kind(kind), m_id(id) {}

void TSCallItemHelper::Append(const void* data, size_t size) {
    if (size == 0) return;
    if (m_overflow.empty() && m_size + size <= kInlineSize) {
        std::memcpy(m_inline + m_size, data, size);
    } else {
        if (m_overflow.empty()) m_overflow.assign(m_inline, m_inline + m_size);
        const uint8_t* bytes = static_cast<const uint8_t*>(data);
        m_overflow.insert(m_overflow.end(), bytes, bytes + size);
    }
    m_size += size;
}

void TSCallItemHelper::AddLong(const void* data, size_t size) {
    // An item longer than a header can say is cut to the longest it can say.
    const uint32_t length = static_cast<uint32_t>(std::min<size_t>(size, TCStorage::kNullItem - 1));
    Append(&length, sizeof length);
    Append(data, length);
}

void TSCallItemHelper::AddNull() {
    const uint32_t header = TCStorage::kNullItem;
    Append(&header, sizeof header);
}

void TSCallItemHelper::Commit() {
    if (m_bCommitted) return;
    m_bCommitted = true;
    m_store.SaveEncoded(m_kind, m_id, m_overflow.empty() ? m_inline : m_overflow.data(), m_size);
}

// ---------------------------------------------------------------------------
namespace {
int64_t Nanoseconds(clockid_t clock) {
    timespec ts{};
    if (clock_gettime(clock, &ts) != 0) return 0;
    return static_cast<int64_t>(ts.tv_sec) * 1000000000LL + ts.tv_nsec;
}

int64_t Microseconds(const timeval& tv) {
    return static_cast<int64_t>(tv.tv_sec) * 1000000LL + tv.tv_usec;
}

void PutLE(uint8_t* out, int64_t value) {
    uint64_t v = static_cast<uint64_t>(value);
    for (int i = 0; i < 8; ++i) out[i] = static_cast<uint8_t>(v >> (8 * i));
}
}  // namespace

void TSCPUStatistic::Take(Sample& s) {
    s.wallNs = Nanoseconds(CLOCK_MONOTONIC);
    s.threadNs = Nanoseconds(CLOCK_THREAD_CPUTIME_ID);
    rusage usage{};
    const bool bUsage = getrusage(RUSAGE_THREAD, &usage) == 0;
    s.userUs = bUsage ? Microseconds(usage.ru_utime) : 0;
    s.sysUs = bUsage ? Microseconds(usage.ru_stime) : 0;
    s.cpu = sched_getcpu();
}

void TSCPUStatistic::Start() {
    Take(m_start);
    m_bStarted = true;
    m_bStopped = false;
}

void TSCPUStatistic::Stop() {
    if (!m_bStarted) return;
    Take(m_stop);
    m_bStopped = true;
}

void TSCPUStatistic::Serialize(uint8_t (&out)[kCpuStatisticSize]) const {
    std::memset(out, 0, sizeof(out));
    const bool bValid = m_bStarted && m_bStopped;
    out[0] = bValid ? 1 : 0;
    if (bValid) {
        PutLE(out + 1, m_stop.wallNs - m_start.wallNs);
        PutLE(out + 9, m_stop.threadNs - m_start.threadNs);
        PutLE(out + 17, m_stop.userUs - m_start.userUs);
        PutLE(out + 25, m_stop.sysUs - m_start.sysUs);
    }
    out[33] = (m_bStarted && m_start.cpu >= 0 && m_start.cpu < 0xFF) ? static_cast<uint8_t>(m_start.cpu) : 0xFF;
    out[34] = (m_bStopped && m_stop.cpu >= 0 && m_stop.cpu < 0xFF) ? static_cast<uint8_t>(m_stop.cpu) : 0xFF;
}

// ---------------------------------------------------------------------------
namespace {
class TCStorageManager : public TIStorageManager {
public:
    uint32_t NewLocationId() override { return m_nextId.fetch_add(1, std::memory_order_relaxed); }
    TCStorage& GetStorage() override { return m_storage; }
    bool IsCpuStatisticsEnabled() const override { return m_bCpu.load(std::memory_order_relaxed); }
    void SetCpuStatistics(bool on) override { m_bCpu.store(on, std::memory_order_relaxed); }

    void RegisterType(const std::string& name, uint16_t size) override {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_types.emplace(name, size);
    }
    std::map<std::string, uint16_t> RegisteredTypes() const override {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_types;
    }

private:
    std::atomic<uint32_t> m_nextId{1};
    std::atomic<bool> m_bCpu{false};
    TCStorage m_storage;
    mutable std::mutex m_mutex;
    std::map<std::string, uint16_t> m_types;
};
}  // namespace

TIStorageManager* TIStorageManager::Instance() {
    // Never destroyed: libraries record and deregister during static destruction.
    static TIStorageManager* instance = new TCStorageManager();
    return instance;
}

}  // namespace ht
