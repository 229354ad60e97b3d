// Journal of outside calls, its text forms, and the whole-stand-in reset.
#include <atomic>
#include <cstdio>
#include <mutex>
#include <utility>

#include "HostState.h"
#include "host/HostControl.h"
#include "ht/HtRuntime.h"

namespace host {
namespace {

struct JournalStore {
    std::mutex mutex;
    std::vector<JournalEntry> entries;
};

// Never destroyed: service threads may still call in during process exit.
JournalStore& Store() {
    static JournalStore* store = new JournalStore;
    return *store;
}

// An argument that would not read back as one token is quoted.
std::string QuoteIfNeeded(const std::string& arg) {
    if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos) {
        return arg;
    }
    std::string out = "\"";
    for (char c : arg) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    out += '"';
    return out;
}

std::atomic<bool> g_journalOn{true};

}  // namespace

namespace detail {

bool JournalOn() { return g_journalOn.load(std::memory_order_relaxed); }

void Record(std::string name, std::vector<std::string> args, std::string result, std::string value) {
    JournalStore& store = Store();
    std::lock_guard<std::mutex> lock(store.mutex);
    store.entries.push_back(JournalEntry{std::move(name), std::move(args), std::move(result), std::move(value)});
}

void RecordNoResult(std::string name, std::vector<std::string> args) {
    Record(std::move(name), std::move(args), std::string());
}

std::string Dec(long long value) { return std::to_string(value); }

std::string Bool(bool value) { return value ? "1" : "0"; }

std::string Rect(const KOVARect_t& rect) { return FormatRect(rect.x, rect.y, rect.width, rect.height); }

std::string SrcRect(const TvStreamXvideoSrcDstRect& rect) {
    return FormatRect(rect.src_x, rect.src_y, rect.src_width, rect.src_height);
}

std::string DstRect(const TvStreamXvideoSrcDstRect& rect) {
    return FormatRect(rect.dst_x, rect.dst_y, rect.dst_width, rect.dst_height);
}

void ResetJournal() {
    ClearJournal();
    g_journalOn = true;
}

}  // namespace detail

void SetJournal(bool on) { g_journalOn = on; }

std::vector<JournalEntry> Journal() {
    JournalStore& store = Store();
    std::lock_guard<std::mutex> lock(store.mutex);
    return store.entries;
}

size_t JournalSize() {
    JournalStore& store = Store();
    std::lock_guard<std::mutex> lock(store.mutex);
    return store.entries.size();
}

std::vector<JournalEntry> JournalSince(size_t from) {
    JournalStore& store = Store();
    std::lock_guard<std::mutex> lock(store.mutex);
    if (from >= store.entries.size()) return {};
    return std::vector<JournalEntry>(store.entries.begin() + static_cast<std::ptrdiff_t>(from),
                                     store.entries.end());
}

void ClearJournal() {
    JournalStore& store = Store();
    std::lock_guard<std::mutex> lock(store.mutex);
    store.entries.clear();
}

std::string FormatJournalEntry(const JournalEntry& e) {
    std::string out = e.name;
    for (const std::string& arg : e.args) {
        out += ' ';
        out += QuoteIfNeeded(arg);
    }
    if (!e.result.empty()) {
        out += " => ";
        out += e.result;
    }
    if (!e.value.empty()) {
        out += " value=";
        out += QuoteIfNeeded(e.value);
    }
    return out;
}

std::string FormatRect(int x, int y, int w, int h) {
    return std::to_string(x) + ',' + std::to_string(y) + ',' + std::to_string(w) + ',' + std::to_string(h);
}

std::string FormatHex(const uint8_t* bytes, size_t n) {
    static const char kDigits[] = "0123456789abcdef";
    std::string out;
    out.reserve(n * 2);
    for (size_t i = 0; i < n; ++i) {
        out += kDigits[bytes[i] >> 4];
        out += kDigits[bytes[i] & 0x0F];
    }
    return out;
}

void Reset() {
    detail::ResetFramework();
    detail::ResetPlayer();
    detail::ResetServices();
    // Recording off, recorded calls and armed traps dropped. Call sites keep
    // their location ids for the life of the process.
    SetRecording(false);
    SetCpuStatistics(false);
    ClearPerfMarkers();
    ht::TIStorageManager::Instance()->GetStorage().Clear();
    ht::TCTrapPattern::Instance()->ClearTraps();
    ht::TCTrapPattern::Instance()->ClearQueue();
    detail::ResetJournal();
}

}  // namespace host
