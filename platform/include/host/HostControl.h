// Control and journal interface of the host platform stand-in.
// For tests and tools only: the library never includes this header.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <tvav/AVTypes.h>  // TSPictureSizeOption
#include "TCFramework.h"
#include "fb_nv.h"
#include "kova_types.h"
#include "tv_stream.h"

namespace host {

// ---------------------------------------------------------------------------
// Whole stand-in
// ---------------------------------------------------------------------------
// Back to the start-up defaults: every option, spec tag and system-information
// key unreadable, analog country -1, configuration store empty, fast-boot
// records zeroed, every property unset, stream type 0, default lookup tables,
// every set result and fb_terminate_server 0, aspect-ratio agent and event
// manager present (agent store emptied, default picture size 0), ATSC 3.0
// agent absent, caller "avctl", recording off, log threshold none, log
// capture and journal on; journal, log, asserts, events, performance markers,
// call store and trap queue cleared.
void Reset();

// ---------------------------------------------------------------------------
// Journal: every outside call the library makes, in order.
// ---------------------------------------------------------------------------
struct JournalEntry {
    std::string name;               // e.g. "tv_stream_get_property", "scope", "scope_end", "event"
    std::vector<std::string> args;  // as written in the journal (see Format below)
    std::string result;             // "" when the call has no result
    std::string value;              // what a read handed back ("" when none or when it failed)
};
std::vector<JournalEntry> Journal();
// Whether outside calls are journaled at all (default on, back on after
// Reset). Off, the stand-in builds no journal text: for benchmarks that
// measure the library rather than the journal.
void SetJournal(bool on);
size_t JournalSize();
// Entries from index `from` on.
std::vector<JournalEntry> JournalSince(size_t from);
void ClearJournal();
// "NAME ARG ARG => RESULT", then " value=VALUE" after a read
std::string FormatJournalEntry(const JournalEntry& e);

// Text forms used by the journal.
std::string FormatRect(int x, int y, int w, int h);  // "x,y,w,h"
std::string FormatHex(const uint8_t* bytes, size_t n);  // lower-case, no blanks

// ---------------------------------------------------------------------------
// Logger, assertions
// ---------------------------------------------------------------------------
struct LogLine {
    std::string function;
    int line = 0;
    int module = 0;
    int level = 0;
    std::string text;
};
std::vector<LogLine> LogLines();
size_t LogSize();
std::vector<LogLine> LogSince(size_t from);
void ClearLog();
// Lines at or below this level go to stderr as they happen; -1: none.
void SetLogThreshold(int level);
// Whether logged lines are kept for LogLines and the like (default on). Off,
// lines are only printed (at the threshold) and the rest is not even
// formatted, so the logger allocates nothing for them.
void SetLogCapture(bool on);
// True when a captured line's text contains `text`.
bool LogContains(const std::string& text);

// Framework semaphores created since the process started (not reset).
int SemaphoresCreated();

struct AssertReport {
    std::string expression;
    std::string file;
    int line = 0;
};
std::vector<AssertReport> Asserts();
size_t AssertCount();

// ---------------------------------------------------------------------------
// Framework values
// ---------------------------------------------------------------------------
void SetOption(int option, int value);
void UnsetOption(int option);
void SetSpecTag(int tag, int value);
void UnsetSpecTag(int tag);
void SetAnalogCountry(int value);
void SetCallerName(const std::string& name);

// ---------------------------------------------------------------------------
// Agents and events
// ---------------------------------------------------------------------------
void SetAspectRatioAgentPresent(bool present);
// Takes and releases the agent manager's lock exclusively, as a writer of
// the manager (an agent being registered) would.
void LockAgentManagerExclusive();
void UnlockAgentManagerExclusive();
void SetAspectRatioDefaultPictureSize(int size);
// What the aspect-ratio agent holds (nullopt when nothing is stored).
std::optional<int> AgentPictureSize(int source, int resolutionMode, bool dtv);
std::optional<TSPictureSizeOption> AgentDetailOption(int source, int resolutionMode, int size);
// Store a picture size or a detail record as if the library had (not journaled).
void SetAgentPictureSize(int source, int resolutionMode, bool dtv, int size);
void SetAgentDetailOption(int source, int resolutionMode, int size, const TSPictureSizeOption& option);
int AgentResetCount();

enum class Atsc3Agent { Absent, On, Off };
void SetAtsc3Agent(Atsc3Agent state);

void SetEventManagerPresent(bool present);
struct EventRecord {
    int event = 0;
    bool hasHandle = false;
    ORBHandle handle;  // the data, read as an ORBHandle when it is one
    int arg = 0;
};
std::vector<EventRecord> Events();

// ---------------------------------------------------------------------------
// Player
// ---------------------------------------------------------------------------
// The stream handed to operations by default; always valid.
TVStream DefaultStream();
// A further, independent stream.
TVStream NewStream();
// What tv_stream_get_property(id) writes; the width follows the property
// (bool and unsigned char properties write one byte, others an int).
void SetProp(TVStream stream, int id, int64_t value);
// The get returns -1 and writes nothing.
void UnsetProp(TVStream stream, int id);
// What tv_stream_set_property(id, ...) returns (default 0). A non-zero result
// means the player refused the value: neither LastSetProp nor the sink change.
void SetPropResult(TVStream stream, int id, int result);
void SetStreamType(TVStream stream, int type);
// The value last set on a property (nullopt if never set).
std::optional<int64_t> LastSetProp(TVStream stream, int id);
// The sink rectangles last written by property 610 or the ATSC 3.0 call.
std::optional<TvStreamXvideoSrcDstRect> SinkRects(TVStream stream);
// What tv_stream_atsc3_set_video_size returns (default 0; non-zero: refused).
void SetAtsc3Result(TVStream stream, int result);

// ---------------------------------------------------------------------------
// Configuration store
// ---------------------------------------------------------------------------
struct VconfValue {
    bool isString = false;
    int intValue = 0;
    std::string strValue;
};
void SetVconfInt(const std::string& key, int value);
void SetVconfStr(const std::string& key, const std::string& value);
void UnsetVconf(const std::string& key);
// Reads and writes of the key fail until the key is set or unset again.
void FailVconf(const std::string& key);
std::optional<VconfValue> GetVconf(const std::string& key);

// ---------------------------------------------------------------------------
// System information
// ---------------------------------------------------------------------------
void SetSysInfoBool(int key, bool value);
void SetSysInfoInt(int key, int value);
void UnsetSysInfo(int key);

// ---------------------------------------------------------------------------
// AV output controller
// ---------------------------------------------------------------------------
void SetAvocPcMode(int mode, int result = 0);
void SetAvocPictureMode(int mode);
void FailAvocPictureMode();
void SetAvocHdrPlus(int mode);
void FailAvocHdrPlus();
// Last value given to avoc_set_wide_screen_mode (nullopt: never called).
std::optional<int> WideScreenMode();

// ---------------------------------------------------------------------------
// Fast-boot store
// ---------------------------------------------------------------------------
void SetFbScreen(int source, int resolution, const std::array<uint8_t, 16>& bytes);
std::array<uint8_t, 16> FbScreen(int source, int resolution);
void SetFbAudio(const std::array<uint8_t, 4>& bytes);
std::array<uint8_t, 4> FbAudio();
void SetFbTerminateResult(int result);
int FbTerminateCount();

// ---------------------------------------------------------------------------
// Letterbox detector
// ---------------------------------------------------------------------------
// nullopt until the library switched it; then true (on) or false (off).
std::optional<bool> LetterboxDetector();

// ---------------------------------------------------------------------------
// Resolution lookup
// ---------------------------------------------------------------------------
void SetLookupPictureSize(int code, const KOVARect_t& rect);
void SetLookupCrop(int code, const KOVARect_t& rect);
void ClearLookupOverrides();

// ---------------------------------------------------------------------------
// Kernel
// ---------------------------------------------------------------------------
// A performance marker handed to prctl option 666: the text as a C string and
// the length passed with it.
struct PerfMarker {
    std::string text;
    unsigned long length = 0;
};
std::vector<PerfMarker> PerfMarkers();
void ClearPerfMarkers();

// ---------------------------------------------------------------------------
// Instrumentation runtime
// ---------------------------------------------------------------------------
// The runtime's global enable flag together with every registered library's
// own flag.
void SetRecording(bool on);
bool Recording();
void SetCpuStatistics(bool on);
// How many times ht_register_library / ht_deregister_library were called.
int RegistrationCount();
int DeregistrationCount();

}  // namespace host
