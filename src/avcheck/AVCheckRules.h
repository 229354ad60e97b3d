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

// ---------------------------------------------------------------------------
// Sets that several picture rules share
// ---------------------------------------------------------------------------
// Product class with its own screen-fit, picture-size and PC-input rules.
constexpr int32_t kProductTypeOwnRules = 4;

// Digital external inputs (set S of the checks).
constexpr int32_t kSourceSetS[] = {13, 14, 15, 16, 20, 21, 22, 32, 33, 34, 35};
// Audio-video inputs.
constexpr TSCodeRange kSourcesAV[] = {{7, 9}};
// Inputs that never use automatic wide: the audio-video and the digital
// external inputs.
constexpr int32_t kNoAutoWideSources[] = {7, 8, 9, 13, 14, 15, 16, 20, 21, 22, 32, 33, 34, 35};

// Resolutions offering screen fit at picture size 4:3 (products with their own rules).
constexpr int32_t kResolutionsFit4by3[] = {0x5005B, 0x1000A, 0x40000, 0x40004, 0x10002, 0x10003};
// Screen fit is offered at this resolution on products with their own rules.
constexpr int32_t kResolutionLastChance = 0x1000A;

// Regions with automatic wide; region 9 has it unless the country is 23.
constexpr int32_t kAutoWideRegions[] = {4, 6, 7, 11, 19, 22, 30, 31, 32, 33};
constexpr int32_t kAutoWideConditionalRegion = 9;
constexpr int32_t kAutoWideExcludedCountry = 23;

constexpr bool AutoWideSupported(int32_t region, int32_t country) {
    return InList(kAutoWideRegions, region) ||
           (region == kAutoWideConditionalRegion && country != kAutoWideExcludedCountry);
}

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
