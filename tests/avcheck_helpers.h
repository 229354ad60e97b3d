// Helpers shared by the capability-check tests: log and journal look-ups.
#pragma once

#include <optional>
#include <string>

#include "AVTypes.h"
#include "host/HostControl.h"

namespace avcheck_test {

// Level of the first captured log line whose text contains `text`.
inline std::optional<int> LogLevelOf(const std::string& text) {
    for (const auto& line : host::LogLines()) {
        if (line.text.find(text) != std::string::npos) {
            return line.level;
        }
    }
    return std::nullopt;
}

// Number of captured log lines whose text equals `text` exactly.
inline int CountLogExact(const std::string& text) {
    int n = 0;
    for (const auto& line : host::LogLines()) {
        if (line.text == text) {
            ++n;
        }
    }
    return n;
}

// Number of journaled calls `name` whose first argument is `firstArg`
// (any first argument when empty).
inline int CountCalls(const std::string& name, const std::string& firstArg = "") {
    int n = 0;
    for (const auto& entry : host::Journal()) {
        if (entry.name != name) {
            continue;
        }
        if (firstArg.empty() || (!entry.args.empty() && entry.args[0] == firstArg)) {
            ++n;
        }
    }
    return n;
}

inline TSAspectRatioKey Key(int source, kova_resolution_e resolution, bool dtv) {
    TSAspectRatioKey key;
    key.source = source;
    key.resolution = resolution;
    key.dtv = dtv;
    return key;
}

inline TSSourceTypeInfo Info(EPictureSizeType size) {
    TSSourceTypeInfo info;
    info.pictureSize = size;
    return info;
}

}  // namespace avcheck_test
