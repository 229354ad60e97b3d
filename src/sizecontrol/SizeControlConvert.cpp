// Input conversions of the size controller: resolution mode of the option
// store, single resolution, platform resolution and source types, fast-boot
// source, and the geometry code of each picture size with its lookup.
#include "common/Common.h"
#include "common/Log.h"
#include <tvav/SizeControl.h>
#include "sizecontrol/SizeControlRules.h"
#include "instrument/CallLayer.h"
#include "instrument/PerfMarker.h"
#include "res_lookup.h"

using tvav::InList;
using tvav::InRanges;
using tvav::TSCodeRange;
using tvav::sizecontrol::kClassName;
using tvav::sizecontrol::kResolutionPc;

namespace {

// A range of codes and what it converts to.
struct TSCodeMap {
    TSCodeRange from;
    int32_t to;
};

// Output of kSingleResolutions that keeps the input.
constexpr int32_t kSameCode = -1;

// Resolution mode of the option store's key; every other resolution is mode 0.
constexpr TSCodeMap kResolutionModes[] = {
    {{0x10003, 0x10003}, 1}, {{0x2000E, 0x2000E}, 1}, {{0x30000, 0x30001}, 1}, {{0x10001, 0x10002}, 2},
    {{0x10008, 0x10009}, 2}, {{0x2000B, 0x2000D}, 2}, {{0x30002, 0x30003}, 2}, {{0x40000, 0x40006}, 3},
    {{0x4000E, 0x4000E}, 3}, {{0x40007, 0x4000D}, 4}, {{0x50000, 0x5005C}, 5},
};
constexpr int kResolutionModePc = 5;

// Resolution variants folded onto one representative.
constexpr TSCodeMap kSingleResolutions[] = {
    {{0, 0}, kSameCode},
    {{2, 3}, kSameCode},
    {{0x10000, 0x10005}, kSameCode},
    {{0x10006, 0x10007}, 0x10004},
    {{0x10008, 0x10009}, 0x10002},
    {{0x1000A, 0x1000D}, kSameCode},
    {{0x1000E, 0x1000E}, 0xFFFFFF},
    {{0x20000, 0x20001}, kSameCode},
    {{0x20002, 0x20004}, 0x20000},
    {{0x20006, 0x20006}, 0x10000},
    {{0x20007, 0x2000A}, kSameCode},
    {{0x2000B, 0x2000B}, 0x10001},
    {{0x2000C, 0x2000D}, 0x10002},
    {{0x2000E, 0x2000E}, 0x10003},
    {{0x2000F, 0x2000F}, 0x20008},
    {{0x20010, 0x20010}, 0x20007},
    {{0x30000, 0x30001}, 0x10003},
    {{0x30002, 0x30003}, 0x10001},
    {{0x30004, 0x30009}, 0x10002},
    {{0x40000, 0x40006}, 0x40000},
    {{0x40007, 0x4000D}, 0x40007},
};
constexpr kova_resolution_e kUnmatchedSingleResolution = 3;
constexpr TSCodeRange kPcResolutions[] = {{0x50000, 0x5005C}};

// Platform resolution type of a single resolution; factory option 29 picks
// the second of a pair.
struct TSResolutionType {
    kova_resolution_e single;
    KOVAResolutionType_k type;
    KOVAResolutionType_k typeOption29;
};
constexpr TSResolutionType kResolutionTypes[] = {
    {0x10001, 5, 6},   {0x10002, 7, 8},       {0x10003, 9, 10},  {0x10004, 16, 16}, {0x10005, 14, 14},
    {0x1000A, 17, 17}, {0x1000B, 15, 15},     {0x1000C, 19, 19}, {0x1000D, 18, 18}, {0x20000, 2, 2},
    {0x20007, 13, 13}, {0x20008, 11, 11},     {0x20009, 12, 12}, {0x2000A, 20, 20}, {0x40000, 21, 21},
    {0x40007, 22, 22}, {kResolutionPc, 4, 4},
};
// Single resolutions without a timing of their own: type 14 for digital
// inputs, 0 for analog ones.
constexpr int32_t kUntypedResolutions[] = {0, 3, 4};
constexpr TSCodeRange kAnalogSources[] = {{0, 6}, {17, 19}};
constexpr KOVAResolutionType_k kResolutionTypeDigital = 14;
constexpr KOVAResolutionType_k kResolutionTypeNone = 0;
constexpr int kOptionResolutionPair = 29;

// Platform source class by input source, for digital and analog keys.
struct TSSourceClass {
    TSCodeRange sources;
    int32_t digital;
    int32_t analog;
};
constexpr TSSourceClass kPlatformSources[] = {
    {{0, 0}, 0x30000, 0x20000},     {{1, 3}, 0x40000, 0x40000},     {{7, 9}, 0x50000, 0x50000},
    {{10, 12}, 0x60000, 0x60000},   {{13, 16}, 0x80000, 0x80000},   {{35, 35}, 0x80000, 0x80000},
    {{20, 22}, 0x70000, 0x70000},   {{32, 32}, 0x1A0000, 0x1A0000}, {{33, 33}, 0xA0000, 0xA0000},
    {{34, 34}, 0x220000, 0x220000},
};
constexpr kova_source_e kPlatformSourceOther = 0x30000;

// Fast-boot source index by input source.
constexpr TSSourceClass kFastBootSources[] = {
    {{0, 0}, 0, 1}, {{13, 13}, 2, 2}, {{14, 14}, 3, 3}, {{15, 15}, 4, 4}, {{16, 16}, 5, 5},
};
constexpr int kFastBootSourceOther = 6;

// Geometry code of picture sizes 0..14; larger values have none (code 0).
constexpr KOVAPictureSizeType_k kGeometryCodes[] = {
    0,   // 16:9
    2,   // zoom
    33,  // custom
    1,   // 4:3
    0,   // 21:9
    0,   // 21:9 automatic
    2,   // caption
    35,  // size 7
    1,   // automatic 4:3
    0,   // automatic 16:9
    3,   // letterbox centre
    4,   // letterbox top
    5,   // over 16:9
    32,  // automatic 13
    36,  // AFD scale
};

template <size_t N>
const TSCodeMap* FindCode(const TSCodeMap (&table)[N], int32_t code) {
    for (const TSCodeMap& row : table) {
        if (code >= row.from.first && code <= row.from.last) {
            return &row;
        }
    }
    return nullptr;
}

template <size_t N>
int32_t SourceClass(const TSSourceClass (&table)[N], const TSAspectRatioKey& key, int32_t other) {
    for (const TSSourceClass& row : table) {
        if (key.source >= row.sources.first && key.source <= row.sources.last) {
            return key.dtv ? row.digital : row.analog;
        }
    }
    return other;
}

KOVAPictureSizeType_k GeometryCode(EPictureSizeType size) {
    const int32_t count = static_cast<int32_t>(sizeof(kGeometryCodes) / sizeof(kGeometryCodes[0]));
    return size >= 0 && size < count ? kGeometryCodes[size] : 0;
}

}  // namespace

int TCSizeControl::t_ConvertResolutionToResolutionMode(kova_resolution_e resolution) {
    if (t_bCurrentPCMode) {
        return kResolutionModePc;
    }
    const TSCodeMap* row = FindCode(kResolutionModes, resolution);
    return row != nullptr ? row->to : 0;
}

kova_resolution_e TCSizeControl::t_ConvertResolutionToSingleResolution(kova_resolution_e resolution) {
    AV_LOG(1, "[%s-%s] Input : resolution [%d]", kClassName, m_strHandle.c_str(), resolution);
    kova_resolution_e single = kUnmatchedSingleResolution;
    const TSCodeMap* row = FindCode(kSingleResolutions, resolution);
    if (row != nullptr) {
        single = row->to == kSameCode ? resolution : row->to;
    } else {
        AV_LOG(1, "[%s-%s] Do Not matching the type !!", kClassName, m_strHandle.c_str());
    }
    if (t_bCurrentPCMode || InRanges(kPcResolutions, resolution)) {
        single = kResolutionPc;
    }
    AV_LOG(1, "[%s-%s] out_resolution [%d]", kClassName, m_strHandle.c_str(), single);
    return single;
}

int TCSizeControl::t_GetKOVAResolutionType(TSAspectRatioKey key, KOVAResolutionType_k& type) {
    const kova_resolution_e single = t_ConvertResolutionToSingleResolution(key.resolution);
    const bool bOption29 = tvav::ReadFactoryOption(kOptionResolutionPair, 0) != 0;
    type = kResolutionTypeNone;
    if (InList(kUntypedResolutions, single)) {
        const bool bDigital = (key.source == 0 && key.dtv) || !InRanges(kAnalogSources, key.source);
        type = bDigital ? kResolutionTypeDigital : kResolutionTypeNone;
    } else {
        for (const TSResolutionType& row : kResolutionTypes) {
            if (row.single == single) {
                type = bOption29 ? row.typeOption29 : row.type;
                break;
            }
        }
    }
    AV_LOG(1, "[%s-%s] pRes[%d]", kClassName, m_strHandle.c_str(), type);
    return 1;
}

int TCSizeControl::GetKOVASourceType(TSAspectRatioKey key, kova_source_e& source) {
    AV_LOG(1, "[%s-%s] input source : %d", kClassName, m_strHandle.c_str(), key.source);
    source = SourceClass(kPlatformSources, key, kPlatformSourceOther);
    AV_LOG(1, "[%s-%s] output source : %d", kClassName, m_strHandle.c_str(), source);
    return 1;
}

int TCSizeControl::t_GetFBSource(TSAspectRatioKey key) {
    key.source = tvav::sizecontrol::StoreSource(key.source);
    AV_LOG(1, "[TCSizeControl::%s] key.source = %d!!!", __FUNCTION__, key.source);
    const int fbSource = SourceClass(kFastBootSources, key, kFastBootSourceOther);
    AV_LOG(1, "[TCSizeControl::%s] fb_source = %d!!!", __FUNCTION__, fbSource);
    return fbSource;
}

int TCSizeControl::t_ResLookupGetRectSize(TSAspectRatioKey, EPictureSizeType& size, KOVAPictureSizeType_k& code,
                                          KOVARect_t& rect) {
    code = GeometryCode(size);
    AV_LOG(1, "[%s-%s] t_ResLookupGetRectSize", kClassName, m_strHandle.c_str());
    AV_LOG(1, "[%s-%s] ePictureSizeType[%d] convert to eSize[%d]", kClassName, m_strHandle.c_str(), size, code);
    tvav::PerfScope marker(kClassName, __FUNCTION__, "-res_lookup_get_picture_size");
    TCScopeTrace trace("TCSizeControl::t_GetRectSizeByLookupTable - res_lookup_get_picture_size");
    HT_CALL(res_lookup_get_picture_size, HT_DIRS(1, 2), code, &rect);
    return 1;
}
