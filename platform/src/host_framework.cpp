// Framework core of the TV service: logger, assertion reports, scope traces,
// semaphores and reader-writer locks, object factory, factory options,
// product spec tags, analog country, agent manager with the aspect-ratio and
// ATSC 3.0 fast-video agents, event manager and service API manager.
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <map>
#include <mutex>
#include <thread>
#include <tuple>
#include <unordered_map>

#include <tvav/AVTypes.h>
#include "HostState.h"
#include "TCFramework.h"
#include "host/HostControl.h"

using host::detail::Bool;
using host::detail::Dec;
using host::detail::ReadValue;

namespace {

// A detail record as the console writes it: bAutoWide,screenMode,screenFit,
// offsetFlag,x,y,height,width,bPanoramaOption.
std::string OptionText(const TSPictureSizeOption& o) {
    return Bool(o.bAutoWide) + "," + Dec(o.screenMode) + "," + Dec(o.screenFit) + "," + Bool(o.bOffset) + "," +
           Dec(o.offsetX) + "," + Dec(o.offsetY) + "," + Dec(o.offsetHeight) + "," + Dec(o.offsetWidth) + "," +
           Bool(o.bPanoramaOption);
}

// ---------------------------------------------------------------------------
// Logger and assertion reports
// ---------------------------------------------------------------------------
struct LogStore {
    std::mutex mutex;
    std::vector<host::LogLine> lines;
    std::vector<host::AssertReport> asserts;
    // Read without the mutex by every log call, so that a line nobody keeps
    // or prints costs no lock.
    std::atomic<int> threshold{-1};
    std::atomic<bool> capture{true};  // keep the lines (off: only print them)
};

// The stores below are never destroyed: service threads may still log or call
// in while the process exits.
LogStore& Logs() {
    static LogStore* store = new LogStore;
    return *store;
}

std::string FormatV(const char* format, va_list ap) {
    if (format == nullptr) return std::string();
    va_list copy;
    va_copy(copy, ap);
    char small[256];
    int n = vsnprintf(small, sizeof small, format, copy);
    va_end(copy);
    if (n < 0) return std::string();
    if (static_cast<size_t>(n) < sizeof small) return std::string(small, static_cast<size_t>(n));
    std::string out(static_cast<size_t>(n) + 1, '\0');
    vsnprintf(&out[0], out.size(), format, ap);
    out.resize(static_cast<size_t>(n));
    return out;
}

// ---------------------------------------------------------------------------
// Framework values: factory options, spec tags, analog country, caller
// ---------------------------------------------------------------------------
struct ValueStore {
    std::mutex mutex;
    std::map<int, int> options;
    std::map<int, int> specTags;
    int analogCountry = -1;
    std::string callerName = "avctl";
};

ValueStore& Values() {
    static ValueStore* store = new ValueStore;
    return *store;
}

// ---------------------------------------------------------------------------
// Agents. The agent objects live for the whole process; "absent" only hides
// them from the manager's lookup, so a pointer handed out stays usable.
// ---------------------------------------------------------------------------
class HostAspectRatioAgent : public TIAspectRatioAgent {
public:
    int GetDefaultPictureSize() override {
        int size;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            size = m_defaultSize;
        }
        HOST_RECORD("TIAspectRatioAgent::GetDefaultPictureSize", {}, Dec(size));
        return size;
    }

    bool GetPictureSizeInfo(int source, int resolutionMode, bool dtv, int* size) override {
        bool found = false;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            auto it = m_sizes.find(std::make_tuple(source, resolutionMode, dtv));
            if (it != m_sizes.end() && size != nullptr) {
                *size = it->second;
                found = true;
            }
        }
        HOST_RECORD("TIAspectRatioAgent::GetPictureSizeInfo", {Dec(source), Dec(resolutionMode), Bool(dtv)},
               Bool(found), ReadValue(found, Dec(found ? *size : 0)));
        return found;
    }

    bool SetPictureSizeInfo(int source, int resolutionMode, bool dtv, int size) override {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_sizes[std::make_tuple(source, resolutionMode, dtv)] = size;
        }
        HOST_RECORD("TIAspectRatioAgent::SetPictureSizeInfo",
               {Dec(source), Dec(resolutionMode), Bool(dtv), Dec(size)}, Bool(true));
        return true;
    }

    bool GetPictureSizeDetailInfo(int source, int resolutionMode, int size, TSPictureSizeOption* option) override {
        bool found = false;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            auto it = m_details.find(std::make_tuple(source, resolutionMode, size));
            if (it != m_details.end() && option != nullptr) {
                *option = it->second;
                found = true;
            }
        }
        HOST_RECORD("TIAspectRatioAgent::GetPictureSizeDetailInfo", {Dec(source), Dec(resolutionMode), Dec(size)},
               Bool(found), ReadValue(found, found ? OptionText(*option) : ""));
        return found;
    }

    bool SetPictureSizeDetailInfo(int source, int resolutionMode, int size,
                                  const TSPictureSizeOption& option) override {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_details[std::make_tuple(source, resolutionMode, size)] = option;
        }
        HOST_RECORD("TIAspectRatioAgent::SetPictureSizeDetailInfo", {Dec(source), Dec(resolutionMode), Dec(size)},
               Bool(true));
        return true;
    }

    bool Reset() override {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_sizes.clear();
            m_details.clear();
            ++m_resetCount;
        }
        HOST_RECORD("TIAspectRatioAgent::Reset", {}, Bool(true));
        return true;
    }

    // Control side (not journaled).
    void SetDefault(int size) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_defaultSize = size;
    }
    void PresetSize(int source, int resolutionMode, bool dtv, int size) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_sizes[std::make_tuple(source, resolutionMode, dtv)] = size;
    }
    void PresetDetail(int source, int resolutionMode, int size, const TSPictureSizeOption& option) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_details[std::make_tuple(source, resolutionMode, size)] = option;
    }
    std::optional<int> StoredSize(int source, int resolutionMode, bool dtv) {
        std::lock_guard<std::mutex> lock(m_mutex);
        auto it = m_sizes.find(std::make_tuple(source, resolutionMode, dtv));
        if (it == m_sizes.end()) return std::nullopt;
        return it->second;
    }
    std::optional<TSPictureSizeOption> StoredDetail(int source, int resolutionMode, int size) {
        std::lock_guard<std::mutex> lock(m_mutex);
        auto it = m_details.find(std::make_tuple(source, resolutionMode, size));
        if (it == m_details.end()) return std::nullopt;
        return it->second;
    }
    int ResetCount() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_resetCount;
    }
    void Clear() {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_sizes.clear();
        m_details.clear();
        m_defaultSize = PICTURESIZETYPE_16_9;
        m_resetCount = 0;
    }

private:
    std::mutex m_mutex;
    std::map<std::tuple<int, int, bool>, int> m_sizes;
    std::map<std::tuple<int, int, int>, TSPictureSizeOption> m_details;
    int m_defaultSize = PICTURESIZETYPE_16_9;
    int m_resetCount = 0;
};

class HostAtsc3FastvideoAgent : public TIATSC3FastvideoAgent {
public:
    bool GetATSC3FastvideoInfo(TSATSC3FastvideoInfo* info) override {
        host::Atsc3Agent state = m_state.load();
        bool ok = info != nullptr && state != host::Atsc3Agent::Absent;
        if (ok) info->ATSC3FastvideoOnOff = state == host::Atsc3Agent::On ? 1 : 0;
        HOST_RECORD("TIATSC3FastvideoAgent::GetATSC3FastvideoInfo", {}, Bool(ok),
                    ReadValue(ok, ok ? Dec(info->ATSC3FastvideoOnOff) : ""));
        return ok;
    }

    std::atomic<host::Atsc3Agent> m_state{host::Atsc3Agent::Absent};
};

HostAspectRatioAgent& AspectRatioAgent() {
    static HostAspectRatioAgent* agent = new HostAspectRatioAgent;
    return *agent;
}

HostAtsc3FastvideoAgent& FastvideoAgent() {
    static HostAtsc3FastvideoAgent* agent = new HostAtsc3FastvideoAgent;
    return *agent;
}

std::atomic<bool> g_aspectRatioAgentPresent{true};

TCRWLock& AgentMgrLock() {
    static TCRWLock* lock = new TCRWLock;
    return *lock;
}

// ---------------------------------------------------------------------------
// Event manager
// ---------------------------------------------------------------------------
class HostEventManager : public TIEventManager {
public:
    int SendEvent(int event, void* data, int arg) override {
        host::EventRecord rec;
        rec.event = event;
        rec.arg = arg;
        if (data != nullptr) {
            rec.hasHandle = true;
            rec.handle = *static_cast<const ORBHandle*>(data);
        }
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_events.push_back(rec);
        }
        auto args = [&rec] {
            std::vector<std::string> texts{Dec(rec.event)};
            if (rec.hasHandle) {
                texts.push_back(Dec(rec.handle.p));
                texts.push_back(Dec(rec.handle.s));
            }
            return texts;
        };
        HOST_RECORD("event", args(), Dec(1));
        return 1;
    }

    std::vector<host::EventRecord> Events() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_events;
    }
    void Clear() {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_events.clear();
    }

private:
    std::mutex m_mutex;
    std::vector<host::EventRecord> m_events;
};

HostEventManager& EventManager() {
    static HostEventManager* manager = new HostEventManager;
    return *manager;
}

std::atomic<bool> g_eventManagerPresent{true};

std::atomic<TCObjectFactory*> g_objectFactory{nullptr};
std::atomic<int> g_semaphoresCreated{0};

}  // namespace

// ---------------------------------------------------------------------------
// Logger
// ---------------------------------------------------------------------------
void TCDebugPrint::VPrint(const char* function, int line, int module, int level, const char* format, va_list ap) {
    LogStore& store = Logs();
    // A line that is neither kept nor printed costs no formatting.
    if (!store.capture && level > store.threshold) return;
    host::LogLine entry;
    entry.function = function != nullptr ? function : "";
    entry.line = line;
    entry.module = module;
    entry.level = level;
    entry.text = FormatV(format, ap);

    std::lock_guard<std::mutex> lock(store.mutex);
    if (level <= store.threshold) {
        std::fprintf(stderr, "[L%d m%d %s:%d] %s\n", level, module, entry.function.c_str(), line,
                     entry.text.c_str());
    }
    if (store.capture) store.lines.push_back(std::move(entry));
}

void TCDebugPrint::Print(const char* function, int line, int module, int level, const char* format, ...) {
    va_list ap;
    va_start(ap, format);
    VPrint(function, line, module, level, format, ap);
    va_end(ap);
}

void TCDebugPrint::PrintF(const char* function, int line, int module, int level, const char* format, ...) {
    va_list ap;
    va_start(ap, format);
    VPrint(function, line, module, level, format, ap);
    va_end(ap);
}

TCDebugPrint* TCDebugPrintORB::GetInstance() {
    static TCDebugPrint* printer = new TCDebugPrint;
    return printer;
}

// ---------------------------------------------------------------------------
// Scope trace, assertion
// ---------------------------------------------------------------------------
TCScopeTrace::TCScopeTrace(const char* label) : m_label(label != nullptr ? label : "") {
    HOST_RECORD_NO_RESULT("scope", {m_label});
}

TCScopeTrace::~TCScopeTrace() { HOST_RECORD_NO_RESULT("scope_end", {m_label}); }

void _TCAssert(const char* expression, const char* file, int line) {
    host::AssertReport report{expression != nullptr ? expression : "", file != nullptr ? file : "", line};
    LogStore& store = Logs();
    std::lock_guard<std::mutex> lock(store.mutex);
    if (store.threshold >= 0) {
        std::fprintf(stderr, "[ASSERT] %s (%s:%d)\n", report.expression.c_str(), report.file.c_str(), line);
    }
    store.asserts.push_back(std::move(report));
}

// ---------------------------------------------------------------------------
// Semaphore
// ---------------------------------------------------------------------------
TCSemaphore::~TCSemaphore() {
    if (m_created) sem_destroy(&m_sem);
}

bool TCSemaphore::Create(unsigned int count) {
    if (m_created) return false;
    if (sem_init(&m_sem, 0, count) != 0) return false;
    m_created = true;
    g_semaphoresCreated.fetch_add(1);
    return true;
}

bool TCSemaphore::Take() {
    if (!m_created) return false;
    while (sem_wait(&m_sem) != 0) {
        if (errno != EINTR) return false;
    }
    return true;
}

bool TCSemaphore::Give() {
    if (!m_created) return false;
    return sem_post(&m_sem) == 0;
}

bool TCSemaphore::Destroy() {
    if (!m_created) return false;
    m_created = false;
    return sem_destroy(&m_sem) == 0;
}

// ---------------------------------------------------------------------------
// Reader-writer lock. Writers are preferred: a new reader waits while a writer
// holds or waits for the lock. A thread that already reads may read again
// regardless, since waiting would deadlock against the writer waiting for it.
// ---------------------------------------------------------------------------
struct TCRWLock::Impl {
    std::mutex mutex;
    std::condition_variable cv;
    int activeReaders = 0;
    int waitingWriters = 0;
    bool writer = false;
    // Read depth of each reading thread; a short list (few threads read at
    // once) whose storage is kept, so re-reading allocates nothing.
    std::vector<std::pair<std::thread::id, int>> readDepth;

    std::vector<std::pair<std::thread::id, int>>::iterator Find(std::thread::id id) {
        return std::find_if(readDepth.begin(), readDepth.end(), [id](const auto& e) { return e.first == id; });
    }
};

TCRWLock::TCRWLock() : m_impl(new Impl) {}

TCRWLock::~TCRWLock() { delete m_impl; }

void TCRWLock::RLock() {
    std::unique_lock<std::mutex> lock(m_impl->mutex);
    const std::thread::id self = std::this_thread::get_id();
    auto it = m_impl->Find(self);
    if (it == m_impl->readDepth.end()) {
        m_impl->cv.wait(lock, [this] { return !m_impl->writer && m_impl->waitingWriters == 0; });
        m_impl->readDepth.emplace_back(self, 0);
        it = m_impl->readDepth.end() - 1;
    }
    ++it->second;
    ++m_impl->activeReaders;
}

void TCRWLock::RUnlock() {
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    auto it = m_impl->Find(std::this_thread::get_id());
    if (it == m_impl->readDepth.end()) return;  // not a reader: nothing to release
    if (--it->second == 0) {
        *it = m_impl->readDepth.back();
        m_impl->readDepth.pop_back();
    }
    if (--m_impl->activeReaders == 0) m_impl->cv.notify_all();
}

void TCRWLock::WLock() {
    std::unique_lock<std::mutex> lock(m_impl->mutex);
    ++m_impl->waitingWriters;
    m_impl->cv.wait(lock, [this] { return !m_impl->writer && m_impl->activeReaders == 0; });
    --m_impl->waitingWriters;
    m_impl->writer = true;
}

void TCRWLock::WUnlock() {
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    if (!m_impl->writer) return;
    m_impl->writer = false;
    m_impl->cv.notify_all();
}

// ---------------------------------------------------------------------------
// Object factory
// ---------------------------------------------------------------------------
TCObjectFactory* TCObjectFactory::GetInstance() { return g_objectFactory.load(); }

void TCObjectFactory::SetInstance(TCObjectFactory* factory) { g_objectFactory.store(factory); }

// ---------------------------------------------------------------------------
// Factory options, product spec, analog country
// ---------------------------------------------------------------------------
bool TCFactoryProvider::GetOption(int option, int* value) {
    bool ok = false;
    {
        ValueStore& store = Values();
        std::lock_guard<std::mutex> lock(store.mutex);
        auto it = store.options.find(option);
        if (it != store.options.end() && value != nullptr) {
            *value = it->second;
            ok = true;
        }
    }
    HOST_RECORD("TCFactoryProvider::GetOption", {Dec(option)}, Bool(ok), ReadValue(ok, Dec(ok ? *value : 0)));
    return ok;
}

TCSOSpec* TCSOSpec::Instance(const ORBHandle&) {
    // The product spec is one for the whole product, whatever the pipeline.
    static TCSOSpec* spec = new TCSOSpec;
    return spec;
}

bool TCSOSpec::m_Get(ESOSpecTag tag, int& value) {
    bool ok = false;
    {
        ValueStore& store = Values();
        std::lock_guard<std::mutex> lock(store.mutex);
        auto it = store.specTags.find(tag);
        if (it != store.specTags.end()) {
            value = it->second;
            ok = true;
        }
    }
    HOST_RECORD("TCSOSpec::m_Get", {Dec(tag)}, Bool(ok), ReadValue(ok, Dec(value)));
    return ok;
}

int TCVConfProvider::GetAnalogCountry() {
    int country;
    {
        ValueStore& store = Values();
        std::lock_guard<std::mutex> lock(store.mutex);
        country = store.analogCountry;
    }
    HOST_RECORD("TCVConfProvider::GetAnalogCountry", {}, Dec(country));
    return country;
}

// ---------------------------------------------------------------------------
// Agent manager
// ---------------------------------------------------------------------------
TCAgentMgr* TCAgentMgr::Instance() {
    static TCAgentMgr* manager = new TCAgentMgr;
    return manager;
}

TIAgent* TCAgentMgr::m_Instance(TSAgentInstanceKey key) {
    switch (key) {
    case AGENT_KEY_ASPECT_RATIO:
        return g_aspectRatioAgentPresent.load() ? &AspectRatioAgent() : nullptr;
    case AGENT_KEY_ATSC3_FASTVIDEO:
        return FastvideoAgent().m_state.load() != host::Atsc3Agent::Absent ? &FastvideoAgent() : nullptr;
    default:
        return nullptr;
    }
}

void TCAgentMgr::RLock() { AgentMgrLock().RLock(); }

void TCAgentMgr::RUnlock() { AgentMgrLock().RUnlock(); }

// ---------------------------------------------------------------------------
// Event manager, service API manager
// ---------------------------------------------------------------------------
TIEventManager* TIEventManager::Instance() { return g_eventManagerPresent.load() ? &EventManager() : nullptr; }

OrbServiceAPIManager* OrbServiceAPIManager::GetInstance(const char*, const char*) {
    static OrbServiceAPIManager* manager = new OrbServiceAPIManager;
    return manager;
}

TSCallerProperties OrbServiceAPIManager::GetCallerProperties() {
    TSCallerProperties props;
    {
        ValueStore& store = Values();
        std::lock_guard<std::mutex> lock(store.mutex);
        props.name = store.callerName;
    }
    props.pid = static_cast<int>(getpid());
    return props;
}

// ---------------------------------------------------------------------------
// Control interface
// ---------------------------------------------------------------------------
namespace host {

std::vector<LogLine> LogLines() {
    LogStore& store = Logs();
    std::lock_guard<std::mutex> lock(store.mutex);
    return store.lines;
}

size_t LogSize() {
    LogStore& store = Logs();
    std::lock_guard<std::mutex> lock(store.mutex);
    return store.lines.size();
}

std::vector<LogLine> LogSince(size_t from) {
    LogStore& store = Logs();
    std::lock_guard<std::mutex> lock(store.mutex);
    if (from >= store.lines.size()) return {};
    return std::vector<LogLine>(store.lines.begin() + static_cast<std::ptrdiff_t>(from), store.lines.end());
}

void ClearLog() {
    LogStore& store = Logs();
    std::lock_guard<std::mutex> lock(store.mutex);
    store.lines.clear();
}

void SetLogThreshold(int level) {
    LogStore& store = Logs();
    std::lock_guard<std::mutex> lock(store.mutex);
    store.threshold = level;
}

void LockAgentManagerExclusive() { AgentMgrLock().WLock(); }

void UnlockAgentManagerExclusive() { AgentMgrLock().WUnlock(); }

void SetLogCapture(bool on) {
    LogStore& store = Logs();
    std::lock_guard<std::mutex> lock(store.mutex);
    store.capture = on;
}

bool LogContains(const std::string& text) {
    LogStore& store = Logs();
    std::lock_guard<std::mutex> lock(store.mutex);
    for (const LogLine& l : store.lines) {
        if (l.text.find(text) != std::string::npos) return true;
    }
    return false;
}

std::vector<AssertReport> Asserts() {
    LogStore& store = Logs();
    std::lock_guard<std::mutex> lock(store.mutex);
    return store.asserts;
}

size_t AssertCount() {
    LogStore& store = Logs();
    std::lock_guard<std::mutex> lock(store.mutex);
    return store.asserts.size();
}

int SemaphoresCreated() { return g_semaphoresCreated.load(); }

void SetOption(int option, int value) {
    ValueStore& store = Values();
    std::lock_guard<std::mutex> lock(store.mutex);
    store.options[option] = value;
}

void UnsetOption(int option) {
    ValueStore& store = Values();
    std::lock_guard<std::mutex> lock(store.mutex);
    store.options.erase(option);
}

void SetSpecTag(int tag, int value) {
    ValueStore& store = Values();
    std::lock_guard<std::mutex> lock(store.mutex);
    store.specTags[tag] = value;
}

void UnsetSpecTag(int tag) {
    ValueStore& store = Values();
    std::lock_guard<std::mutex> lock(store.mutex);
    store.specTags.erase(tag);
}

void SetAnalogCountry(int value) {
    ValueStore& store = Values();
    std::lock_guard<std::mutex> lock(store.mutex);
    store.analogCountry = value;
}

void SetCallerName(const std::string& name) {
    ValueStore& store = Values();
    std::lock_guard<std::mutex> lock(store.mutex);
    store.callerName = name;
}

void SetAspectRatioAgentPresent(bool present) { g_aspectRatioAgentPresent.store(present); }

void SetAspectRatioDefaultPictureSize(int size) { AspectRatioAgent().SetDefault(size); }

void SetAgentPictureSize(int source, int resolutionMode, bool dtv, int size) {
    AspectRatioAgent().PresetSize(source, resolutionMode, dtv, size);
}

void SetAgentDetailOption(int source, int resolutionMode, int size, const TSPictureSizeOption& option) {
    AspectRatioAgent().PresetDetail(source, resolutionMode, size, option);
}

std::optional<int> AgentPictureSize(int source, int resolutionMode, bool dtv) {
    return AspectRatioAgent().StoredSize(source, resolutionMode, dtv);
}

std::optional<TSPictureSizeOption> AgentDetailOption(int source, int resolutionMode, int size) {
    return AspectRatioAgent().StoredDetail(source, resolutionMode, size);
}

int AgentResetCount() { return AspectRatioAgent().ResetCount(); }

void SetAtsc3Agent(Atsc3Agent state) { FastvideoAgent().m_state.store(state); }

void SetEventManagerPresent(bool present) { g_eventManagerPresent.store(present); }

std::vector<EventRecord> Events() { return EventManager().Events(); }

namespace detail {

void ResetFramework() {
    {
        LogStore& store = Logs();
        std::lock_guard<std::mutex> lock(store.mutex);
        store.lines.clear();
        store.asserts.clear();
        store.threshold = -1;
        store.capture = true;
    }
    {
        ValueStore& store = Values();
        std::lock_guard<std::mutex> lock(store.mutex);
        store.options.clear();
        store.specTags.clear();
        store.analogCountry = -1;
        store.callerName = "avctl";
    }
    AspectRatioAgent().Clear();
    g_aspectRatioAgentPresent.store(true);
    FastvideoAgent().m_state.store(Atsc3Agent::Absent);
    EventManager().Clear();
    g_eventManagerPresent.store(true);
}

}  // namespace detail
}  // namespace host
