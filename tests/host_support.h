// Helpers shared by the library tests: keys, look-ups in what the stand-in
// kept (log, journal, video sink) and a common start for threads.
#pragma once

#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <tvav/AVTypes.h>
#include "host/HostControl.h"

namespace test_support {

inline TSAspectRatioKey Key(int source, kova_resolution_e resolution, bool dtv, unsigned horizontal = 1920,
                            unsigned vertical = 1080, unsigned aspectratio = 3) {
    TSAspectRatioKey key;
    key.source = source;
    key.resolution = resolution;
    key.dtv = dtv;
    key.resolutionInfo.horizontal = horizontal;
    key.resolutionInfo.vertical = vertical;
    key.resolutionInfo.aspectratio = aspectratio;
    return key;
}

inline TSSourceTypeInfo Info(EPictureSizeType size) {
    TSSourceTypeInfo info;
    info.pictureSize = size;
    return info;
}

inline bool LogHas(const std::string& text) { return host::LogContains(text); }

// Level of the first captured log line whose text contains `text`.
inline std::optional<int> LogLevelOf(const std::string& text) {
    for (const auto& line : host::LogLines()) {
        if (line.text.find(text) != std::string::npos) return line.level;
    }
    return std::nullopt;
}

// Number of captured log lines whose text equals `text` exactly.
inline int CountLogExact(const std::string& text) {
    int n = 0;
    for (const auto& line : host::LogLines()) n += line.text == text ? 1 : 0;
    return n;
}

// The exception states asked of the capability checks, in order, as the
// digits of their types.
inline std::string AskedExceptionStates() {
    const std::string mark = "CheckExceptionScreenState]is called. Source:[";
    std::string asked;
    for (const auto& line : host::LogLines()) {
        const size_t at = line.text.find(mark);
        if (at != std::string::npos) asked += line.text.substr(line.text.find("screentype[", at) + 11, 1);
    }
    return asked;
}

// Journaled calls named `name` (with `firstArg` as first argument when given).
inline std::vector<host::JournalEntry> Calls(const std::string& name, const std::string& firstArg = "") {
    std::vector<host::JournalEntry> found;
    for (const auto& e : host::Journal()) {
        if (e.name == name && (firstArg.empty() || (!e.args.empty() && e.args[0] == firstArg))) found.push_back(e);
    }
    return found;
}
inline int CountCalls(const std::string& name, const std::string& firstArg = "") {
    return static_cast<int>(Calls(name, firstArg).size());
}

// Index of the first journal entry named `name` whose arguments start with
// `args`, from `from` on; -1 when none.
inline long IndexOf(const std::string& name, const std::vector<std::string>& args = {}, size_t from = 0) {
    const auto journal = host::Journal();
    for (size_t i = from; i < journal.size(); ++i) {
        bool match = journal[i].name == name && journal[i].args.size() >= args.size();
        for (size_t a = 0; match && a < args.size(); ++a) match = journal[i].args[a] == args[a];
        if (match) return static_cast<long>(i);
    }
    return -1;
}

// The sink rectangles of a stream as "x,y,w,h x,y,w,h" (src dst), or "none".
inline std::string Sink(TVStream stream = host::DefaultStream()) {
    const auto r = host::SinkRects(stream);
    if (!r) return "none";
    return host::FormatRect(r->src_x, r->src_y, r->src_width, r->src_height) + " " +
           host::FormatRect(r->dst_x, r->dst_y, r->dst_width, r->dst_height);
}

// Runs body(thread index) on `threads` threads released together.
inline void RunTogether(int threads, const std::function<void(int)>& body) {
    std::atomic<bool> go{false};
    std::vector<std::thread> pool;
    for (int t = 0; t < threads; ++t) {
        pool.emplace_back([&, t] {
            while (!go.load()) std::this_thread::yield();
            body(t);
        });
    }
    go = true;
    for (auto& th : pool) th.join();
}

}  // namespace test_support
