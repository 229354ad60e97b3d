// Argument parsing and matching shared by the console's set-up commands and
// its expectations.
#pragma once

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include <tvav/AVTypes.h>
#include "Script.h"
#include "host/HostControl.h"

namespace avctl {
namespace script {

using Args = std::vector<Token>;

// The owner of the size controller's operations.
constexpr const char* kSizeControlClass = "TCSizeControl";

[[noreturn]] inline void Usage(const std::string& command, const char* usage) {
    throw ParseError("wrong arguments for '" + command + "': usage: " + usage);
}

inline void NeedCount(const Args& a, size_t n, const std::string& command, const char* usage) {
    if (a.size() != n) {
        Usage(command, usage);
    }
}

inline int Int(const Token& t, const char* what) {
    const int64_t v = ParseInt(t.text, what);
    if (v < INT32_MIN || v > INT32_MAX) {
        throw ParseError("value '" + t.text + "' is out of range for " + what);
    }
    return static_cast<int>(v);
}

inline nlohmann::ordered_json JsonValue(const std::string& text) {
    int64_t n = 0;
    if (TryParseInt(text, n)) {
        return n;
    }
    if (text == "true" || text == "false") {
        return text == "true";
    }
    return text;
}

inline uint32_t Unsigned(const std::string& text, const char* what) {
    const int64_t v = ParseInt(text, what);
    if (v < 0 || v > UINT32_MAX) {
        throw ParseError("value '" + text + "' is out of range for " + what);
    }
    return static_cast<uint32_t>(v);
}

// Exactly 2*N hexadecimal digits: a fast-boot record's bytes.
template <size_t N>
std::array<uint8_t, N> HexBytes(const std::string& text, const char* what) {
    std::array<uint8_t, N> bytes{};
    const auto digit = [](char c) {
        return std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : std::tolower(static_cast<unsigned char>(c)) - 'a' + 10;
    };
    if (text.size() != 2 * N || text.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) {
        throw ParseError("bad " + std::string(what) + " '" + text + "' (" + std::to_string(2 * N) +
                         " hexadecimal digits)");
    }
    for (size_t i = 0; i < N; ++i) {
        bytes[i] = static_cast<uint8_t>(digit(text[2 * i]) * 16 + digit(text[2 * i + 1]));
    }
    return bytes;
}

inline std::string Lower(std::string s) {
    for (char& c : s) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return s;
}

// The expected bytes of a record: 2*N hexadecimal digits, "__" for a byte
// that may hold anything (one never written), or "_" for the whole record.
inline void CheckBytePattern(const std::string& text, size_t n, const char* what) {
    bool ok = text == "_" || text.size() == 2 * n;
    for (size_t i = 0; ok && text != "_" && i < text.size(); i += 2) {
        const std::string pair = text.substr(i, 2);
        ok = pair == "__" || pair.find_first_not_of("0123456789abcdefABCDEF") == std::string::npos;
    }
    if (!ok) {
        throw ParseError("bad " + std::string(what) + " '" + text + "' (" + std::to_string(2 * n) +
                         " hexadecimal digits, __ for any byte)");
    }
}

inline bool BytesMatch(const std::string& pattern, const std::string& gotHex) {
    if (pattern == "_") {
        return true;
    }
    for (size_t i = 0; i < pattern.size(); i += 2) {
        const std::string pair = pattern.substr(i, 2);
        if (pair != "__" && Lower(pair) != gotHex.substr(i, 2)) {
            return false;
        }
    }
    return true;
}

// Resolution mode of the aspect-ratio agent's keys.
inline int ResolutionMode(const Token& t) {
    const int mode = Int(t, "resolution mode");
    if (mode < 0 || mode > 5) {
        throw ParseError("resolution mode must be 0..5, got " + t.text);
    }
    return mode;
}

// The fields of a picture-size detail record, in record order.
struct OptionField {
    const char* name;
    bool boolean;
};
constexpr OptionField kOptionFields[] = {
    {"bAutoWide", true}, {"screenMode", false}, {"screenFit", false}, {"offsetFlag", true},     {"x", false},
    {"y", false},        {"height", false},     {"width", false},     {"bPanoramaOption", true},
};
constexpr size_t kOptionFieldCount = sizeof kOptionFields / sizeof kOptionFields[0];
using OptionValues = std::array<int, kOptionFieldCount>;

inline OptionValues ValuesOf(const TSPictureSizeOption& o) {
    return {o.bAutoWide, o.screenMode, o.screenFit, o.bOffset,        o.offsetX,
            o.offsetY,   o.offsetHeight, o.offsetWidth, o.bPanoramaOption};
}

inline TSPictureSizeOption OptionOf(const OptionValues& v) {
    TSPictureSizeOption o;
    o.bAutoWide = v[0] != 0;
    o.screenMode = v[1];
    o.screenFit = v[2];
    o.bOffset = v[3] != 0;
    o.offsetX = v[4];
    o.offsetY = v[5];
    o.offsetHeight = v[6];
    o.offsetWidth = v[7];
    o.bPanoramaOption = v[8] != 0;
    return o;
}

// FIELDS of a detail record, booleans as 0/1 (or true/false); where wildcards
// are allowed a "_" field stands for any value and reads as 0.
inline OptionValues ParseOptionFields(const std::string& text, bool wildcards) {
    std::string form;
    for (const OptionField& f : kOptionFields) {
        form += (form.empty() ? "" : ",") + std::string(f.name);
    }
    const std::vector<std::string> fields = SplitFields(text, kOptionFieldCount, "detail record", form.c_str());
    OptionValues values{};
    for (size_t i = 0; i < kOptionFieldCount; ++i) {
        if (wildcards && fields[i] == "_") {
            continue;
        }
        values[i] = kOptionFields[i].boolean ? ParseBool(fields[i], kOptionFields[i].name)
                                             : Int(Token{fields[i], false}, kOptionFields[i].name);
    }
    return values;
}

inline std::string FormatOption(const std::optional<TSPictureSizeOption>& option) {
    if (!option) {
        return "none";
    }
    std::string s;
    for (int v : ValuesOf(*option)) {
        s += (s.empty() ? "" : ",") + std::to_string(v);
    }
    return s;
}

// A journal entry's name; "_" stands for any.
inline bool NameMatches(const std::string& expected, const std::string& name) {
    return expected == "_" || expected == name;
}

// What the last operation did: the journal and log entries of its window
// (not what later lines added).
inline bool OnOff(const Token& t, const std::string& command, const char* usage) {
    if (t.text == "on") {
        return true;
    }
    if (t.text == "off") {
        return false;
    }
    Usage(command, usage);
}

inline std::string Joined(const std::vector<std::string>& parts) {
    std::string s;
    for (const auto& p : parts) {
        s += (s.empty() ? "" : " ") + p;
    }
    return s;
}

// True when the entry's first arguments match the expected ones.
inline bool ArgsMatch(const host::JournalEntry& e, const Args& expected, size_t from) {
    if (e.args.size() < expected.size() - from) {
        return false;
    }
    for (size_t i = from; i < expected.size(); ++i) {
        const std::string& want = expected[i].text;
        const std::string& got = e.args[i - from];
        if (want != "_" && want != got && Canonical(want) != Canonical(got)) {
            return false;
        }
    }
    return true;
}

}  // namespace script
}  // namespace avctl
