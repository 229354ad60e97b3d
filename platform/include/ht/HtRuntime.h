// Call-recording runtime of the framework: storage manager with the global
// enable flag, call store, trap registry, scope handler, demangler and the
// registry of instrumented libraries. Everything here is thread-safe.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace ht {

// ---------------------------------------------------------------------------
// Call sites
// ---------------------------------------------------------------------------
// One static record per instrumented call site or scope, never changed after
// its first execution.
struct TSCodeLocation {
    const char* file;                   // source file of the site
    int32_t line;                       // source line
    const char* function;               // pretty name of the enclosing function
    std::atomic<uint32_t>* locationId;  // 0 until the first recorded call
    std::atomic<bool>* libEnabled;      // the owning library's enable flag
};

// Readable name of a mangled type name ("Pv" -> "void*"); the input itself
// when it cannot be demangled.
std::string Demangle(const char* mangled);

// Record kinds in the call store.
constexpr uint8_t kRecordBeforeCall = 2;  // carries the location id
constexpr uint8_t kRecordAfterCall = 3;   // id 0
constexpr uint8_t kRecordScope = 4;       // values of a scope; carries the location id

// Size code of an argument that is followed (pointer, reference, string).
constexpr uint16_t kIndirectSize = 0x3FFF;
// Size of a CPU statistic item.
constexpr size_t kCpuStatisticSize = 35;

// Direction bits.
constexpr int kDirBefore = 1;
constexpr int kDirAfter = 2;

// Type, direction and size code of one argument or of the result.
struct TSTypeDescriptor {
    std::string name;
    uint8_t direction = 0;
    uint16_t sizeCode = 0;
};

// What is known about a call site: where it is, its argument types in order
// and its result type.
class TCCallLocation {
public:
    TCCallLocation() = default;
    TCCallLocation(const char* file, int32_t line, const char* function);

    void AddArgument(const std::string& typeName, uint8_t direction, uint16_t sizeCode);
    void SetResult(const std::string& typeName, uint16_t sizeCode);

    const std::string& File() const { return m_file; }
    int32_t Line() const { return m_line; }
    const std::string& Function() const { return m_function; }
    const std::vector<TSTypeDescriptor>& Arguments() const { return m_arguments; }
    bool HasResult() const { return m_bHasResult; }
    const TSTypeDescriptor& Result() const { return m_result; }

private:
    std::string m_file;
    int32_t m_line = 0;
    std::string m_function;
    std::vector<TSTypeDescriptor> m_arguments;
    TSTypeDescriptor m_result;
    bool m_bHasResult = false;
};

// One item of a record: bytes, or null (a null pointer or string).
struct TSCallItem {
    bool isNull = false;
    std::vector<uint8_t> bytes;
};

struct TSCallRecord {
    uint8_t kind = 0;
    uint32_t id = 0;
    std::thread::id thread;  // the thread that committed it
    std::vector<TSCallItem> items;
};

// The call store: locations by id and records in commit order. Records are
// kept encoded, back to back in one growing buffer, so that saving a record
// costs no allocation once the buffer has grown; readers get them decoded.
class TCStorage {
public:
    void SaveLocation(uint32_t id, const TCCallLocation& location);
    void SaveRecord(const TSCallRecord& record);
    // A record's items in the helper's encoding (a 32-bit header per item:
    // its length, or kNullItem; then its bytes).
    void SaveEncoded(uint8_t kind, uint32_t id, const uint8_t* items, size_t size);

    // Read-back for tests and tools.
    std::vector<TSCallRecord> Records() const;
    std::vector<TSCallRecord> RecordsSince(size_t from) const;
    size_t RecordCount() const;
    // False when no location has this id.
    bool FindLocation(uint32_t id, TCCallLocation& out) const;
    size_t LocationCount() const;
    // Drops the records. Locations stay: their sites keep their ids.
    void Clear();

    static constexpr uint32_t kNullItem = UINT32_MAX;

private:
    struct Entry {
        size_t offset;  // into m_bytes
        size_t size;
        uint32_t id;
        uint8_t kind;
        std::thread::id thread;
    };
    TSCallRecord Decode(const Entry& entry) const;

    mutable std::mutex m_mutex;
    std::map<uint32_t, TCCallLocation> m_locations;
    std::vector<uint8_t> m_bytes;
    std::vector<Entry> m_entries;
};

// Builds one record on the caller's stack and hands it to the store on Commit.
// Items are encoded into a buffer inside the helper; only a record larger
// than that buffer allocates.
class TSCallItemHelper {
public:
    TSCallItemHelper(TCStorage& store, uint8_t kind, uint32_t id);
    TSCallItemHelper(const TSCallItemHelper&) = delete;
    TSCallItemHelper& operator=(const TSCallItemHelper&) = delete;

    // The common case (the record still fits the helper's buffer) is inline.
    void Add(const void* data, size_t size) {
        if (m_overflow.empty() && size <= kInlineSize && m_size + sizeof(uint32_t) + size <= kInlineSize) {
            const uint32_t length = static_cast<uint32_t>(size);
            std::memcpy(m_inline + m_size, &length, sizeof length);
            if (size != 0) std::memcpy(m_inline + m_size + sizeof length, data, size);
            m_size += sizeof length + size;
            return;
        }
        AddLong(data, size);
    }
    void AddNull();
    // Saves the record; later calls do nothing.
    void Commit();

private:
    void AddLong(const void* data, size_t size);
    void Append(const void* data, size_t size);

    static constexpr size_t kInlineSize = 256;
    TCStorage& m_store;
    uint8_t m_kind;
    uint32_t m_id;
    bool m_bCommitted = false;
    size_t m_size = 0;
    uint8_t m_inline[kInlineSize];
    std::vector<uint8_t> m_overflow;  // the whole record, once it outgrows m_inline
};

// Wall time, thread CPU time, user and system time and CPU number over a call.
// Construction reads nothing, so an unused statistic costs nothing.
class TSCPUStatistic {
public:
    void Start();
    void Stop();
    // Fixed 35-byte form, little-endian:
    //  [0]      1 when started and stopped, else 0
    //  [1..8]   wall time in ns
    //  [9..16]  thread CPU time in ns
    //  [17..24] user time in us
    //  [25..32] system time in us
    //  [33]     CPU at start, [34] CPU at stop (0xFF when unknown)
    void Serialize(uint8_t (&out)[kCpuStatisticSize]) const;

private:
    // Left unset until taken: constructing a statistic must stay free.
    struct Sample {
        int64_t wallNs;
        int64_t threadNs;
        int64_t userUs;
        int64_t sysUs;
        int cpu;
    };
    static void Take(Sample& s);
    Sample m_start;
    Sample m_stop;
    bool m_bStarted = false;
    bool m_bStopped = false;
};

// ---------------------------------------------------------------------------
// Storage manager
// ---------------------------------------------------------------------------
struct TIStorageManagerState {
    // Global recording switch, off at start.
    static std::atomic<bool> enabled;
};

class TIStorageManager {
public:
    static TIStorageManager* Instance();
    virtual ~TIStorageManager() = default;

    virtual uint32_t NewLocationId() = 0;  // 1, 2, ...
    virtual TCStorage& GetStorage() = 0;
    virtual bool IsCpuStatisticsEnabled() const = 0;
    virtual void SetCpuStatistics(bool on) = 0;
    // Record types met in bound calls, by demangled name; the first size wins.
    virtual void RegisterType(const std::string& name, uint16_t size) = 0;
    virtual std::map<std::string, uint16_t> RegisteredTypes() const = 0;
};

// Gives the site its location id, building and saving the location on the
// first call (describe(TCCallLocation&) adds its argument and result types).
// Concurrent first calls at one site produce exactly one location: the first
// thread claims the slot, the others wait until the id is published. When
// building the location throws, the claim is given back (the next caller
// tries again) and the exception goes on to the caller.
template <class Describe>
uint32_t AcquireLocationId(TIStorageManager& manager, const TSCodeLocation& site, Describe&& describe) {
    constexpr uint32_t kClaimed = UINT32_MAX;
    for (;;) {
        uint32_t id = site.locationId->load(std::memory_order_acquire);
        if (id != 0 && id != kClaimed) return id;
        if (id == kClaimed) {
            std::this_thread::yield();
            continue;
        }
        if (!site.locationId->compare_exchange_strong(id, kClaimed, std::memory_order_acq_rel)) continue;
        try {
            TCCallLocation location(site.file, site.line, site.function);
            id = manager.NewLocationId();
            describe(location);
            manager.GetStorage().SaveLocation(id, location);
        } catch (...) {
            site.locationId->store(0, std::memory_order_release);
            throw;
        }
        site.locationId->store(id, std::memory_order_release);
        return id;
    }
}

// ---------------------------------------------------------------------------
// Trap registry
// ---------------------------------------------------------------------------
enum class ETrapCompare : uint8_t { Equal, NotEqual, Less, LessEqual, Greater, GreaterEqual };

// One comparison against an argument: kind 0 signed 64-bit, 1 unsigned
// 64-bit, 2 text. The argument is the left operand ("argument < operand").
class TSTrapItem {
public:
    static TSTrapItem Signed(ETrapCompare op, long long operand);
    static TSTrapItem Unsigned(ETrapCompare op, unsigned long long operand);
    static TSTrapItem Text(ETrapCompare op, const std::string& operand);

    int Kind() const { return m_kind; }
    ETrapCompare Compare() const { return m_op; }
    // Each answers false when the item is of another kind.
    bool EvaluateResult(long long value) const;
    bool EvaluateResult(unsigned long long value) const;
    bool EvaluateResult(const std::string& value) const;

private:
    int m_kind = 0;
    ETrapCompare m_op = ETrapCompare::Equal;
    long long m_signed = 0;
    unsigned long long m_unsigned = 0;
    std::string m_text;
};

// Items per argument index; all of them must hold for a match.
class TCTrapCondition {
public:
    TCTrapCondition& AddItem(int index, const TSTrapItem& item);
    bool ItemExists(int index) const;
    // Empty when ItemExists(index) is false.
    const std::vector<TSTrapItem>& GetItemsByIndex(int index) const;

private:
    std::map<int, std::vector<TSTrapItem>> m_items;
};

// A condition met at a call and whether the call's arguments matched it.
class TCTrapArgumentHelper {
public:
    TCTrapArgumentHelper(std::shared_ptr<const TCTrapCondition> condition, std::string location);

    const TCTrapCondition& Condition() const { return *m_condition; }
    const std::string& Location() const { return m_location; }
    bool IsMatched() const { return m_bMatched; }
    void SetMatched(bool matched) { m_bMatched = matched; }

private:
    std::shared_ptr<const TCTrapCondition> m_condition;
    std::string m_location;
    bool m_bMatched = true;
};

class TCTrapPattern {
public:
    static TCTrapPattern* Instance();

    // True while at least one trap is armed.
    bool IsEnabled() const { return m_bEnabled.load(std::memory_order_relaxed); }
    // "<file name without directories>:<line>".
    std::string NormalizeCodeLocation(const char* file, int line) const;
    // The armed condition of a normalised location, or null.
    std::shared_ptr<const TCTrapCondition> FindTrapCondition(const std::string& location) const;
    void AddItemToQueue(const TCTrapArgumentHelper& helper);

    // Arming (tests and tools). A second trap at one location replaces the first.
    void ArmTrap(const char* file, int line, const TCTrapCondition& condition);
    void DisarmTrap(const char* file, int line);
    void ClearTraps();
    // The evaluated helpers, oldest first.
    std::vector<TCTrapArgumentHelper> Queue() const;
    void ClearQueue();

private:
    TCTrapPattern() = default;
    std::atomic<bool> m_bEnabled{false};
    mutable std::mutex m_mutex;
    std::map<std::string, std::shared_ptr<const TCTrapCondition>> m_traps;
    std::vector<TCTrapArgumentHelper> m_queue;
};

// ---------------------------------------------------------------------------
// Scope values
// ---------------------------------------------------------------------------
// Collects values of one function scope and writes them as one kind-4 record
// (location id, items in store order) when the scope ends. Inert, and
// allocation-free, when recording is off at construction.
class TCScopeContainer {
public:
    // direction: bit 1 records a value when stored, bit 2 its final value at
    // scope exit.
    explicit TCScopeContainer(const TSCodeLocation& location, int direction = kDirBefore | kDirAfter);
    ~TCScopeContainer();
    TCScopeContainer(const TCScopeContainer&) = delete;
    TCScopeContainer& operator=(const TCScopeContainer&) = delete;

    bool IsActive() const { return m_bActive; }
    int Direction() const { return m_direction; }
    // Copies the bytes now.
    void StoreNow(const void* data, size_t size);
    // Reads the bytes at scope exit; the object must live until then.
    void StoreDeferred(const void* data, size_t size);

private:
    struct Entry {
        const void* deferred = nullptr;  // read at exit when set
        size_t size = 0;
        std::vector<uint8_t> bytes;
    };
    int m_direction;
    bool m_bActive;
    uint32_t m_id = 0;
    TCScopeContainer* m_pPrevious = nullptr;  // the thread's target before this scope
    std::vector<Entry> m_entries;
};

// Per-thread handler of the open scope containers.
class TCScopeHandler {
public:
    // The calling thread's handler, aimed at `container`.
    static TCScopeHandler& Instance(TCScopeContainer& container);

    template <class T>
    void m_Store(const T& value) {
        if (m_pTarget == nullptr || !m_pTarget->IsActive()) return;
        if (m_pTarget->Direction() & kDirBefore) m_pTarget->StoreNow(&value, sizeof(T));
        if (m_pTarget->Direction() & kDirAfter) m_pTarget->StoreDeferred(&value, sizeof(T));
    }

    // Containers open on the calling thread.
    static size_t Depth();

private:
    friend class TCScopeContainer;
    TCScopeContainer* m_pTarget = nullptr;
    size_t m_depth = 0;
    static TCScopeHandler& Current();
};

// ---------------------------------------------------------------------------
// Instrumented libraries
// ---------------------------------------------------------------------------
class TCLibraryRegistry {
public:
    static TCLibraryRegistry* Instance();

    void Register(std::atomic<bool>* flag);
    void Deregister(std::atomic<bool>* flag);
    // Sets the global switch and every registered library's flag.
    void SetRecording(bool on);

    int RegistrationCount() const;    // calls of ht_register_library
    int DeregistrationCount() const;  // calls of ht_deregister_library
    size_t LibraryCount() const;      // distinct flags still registered
    // Registrations minus deregistrations of one flag (0 when unknown).
    int Registrations(const std::atomic<bool>* flag) const;
    // The same for every flag still registered.
    std::map<const std::atomic<bool>*, int> Libraries() const;

private:
    TCLibraryRegistry() = default;
    mutable std::mutex m_mutex;
    std::map<std::atomic<bool>*, int> m_flags;
    int m_registrations = 0;
    int m_deregistrations = 0;
};

}  // namespace ht

extern "C" {
// A library hands over the address of its enable flag when loaded and takes
// it back when unloaded. Registering sets the flag to the global switch.
void ht_register_library(std::atomic<bool>* libEnabled);
void ht_deregister_library(std::atomic<bool>* libEnabled);
}
