// Small helpers for the capability checks' rule tables: value lists, value
// ranges and sets of small codes, so that each table reads like its rule.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>

namespace tvav {

// Inclusive range of codes; a single code is a range of one.
struct TSCodeRange {
    int32_t first;
    int32_t last;
};

template <size_t N>
constexpr bool InList(const int32_t (&list)[N], int32_t value) {
    for (int32_t item : list) {
        if (item == value) {
            return true;
        }
    }
    return false;
}

template <size_t N>
constexpr bool InRanges(const TSCodeRange (&ranges)[N], int32_t value) {
    for (const TSCodeRange& range : ranges) {
        if (value >= range.first && value <= range.last) {
            return true;
        }
    }
    return false;
}

// Set of codes 0..31 as a bit mask, written as the list of its members.
constexpr uint32_t CodeSet(std::initializer_list<int> codes) {
    uint32_t mask = 0;
    for (int code : codes) {
        mask |= 1u << code;
    }
    return mask;
}

constexpr bool InCodeSet(uint32_t set, int32_t code) { return code >= 0 && code < 32 && ((set >> code) & 1u) != 0; }

// One row of a sound-mode table: a requested mode and the detected tuner
// sound types that make it available.
struct TSSoundRule {
    int32_t mode;
    uint32_t signals;  // CodeSet of tuner sound types
};

// True when a row for `mode` lists `signal`; modes without a row are never
// available.
template <size_t N>
constexpr bool SoundModeAvailable(const TSSoundRule (&rules)[N], int32_t mode, int32_t signal) {
    for (const TSSoundRule& rule : rules) {
        if (rule.mode == mode) {
            return InCodeSet(rule.signals, signal);
        }
    }
    return false;
}

}  // namespace tvav
