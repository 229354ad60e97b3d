// What the size controller's units share: the log prefix, the special
// handles, the source and resolution sets that several picture rules test,
// and access to the aspect-ratio agent under the agent manager's read lock.
#pragma once

#include <cstdint>
#include <string>

#include "avcheck/AVCheckRules.h"
#include <tvav/AVTypes.h>
#include "common/Log.h"
#include "TCFramework.h"

namespace tvav {
namespace sizecontrol {

constexpr const char* kClassName = "TCSizeControl";

constexpr int32_t kMainP = 1;         // main video path (p 1, s 0)
constexpr int32_t kPipP = 101;        // picture in picture: starts as an application window
constexpr int32_t kAnalysisP = 401;   // analysis profile: destination 0,0,1,1 unless live-TV show

constexpr unsigned char kAfdNone = 255;
constexpr kova_resolution_e kResolutionPc = 0x5005D;        // a PC input after conversion
constexpr kova_resolution_e kResolution2560x1080 = 0x5005B;
constexpr kova_resolution_e kResolution1080p24 = 0x10008;

// Sources 29 and 36 (media playback) are stored and read as source 0.
// Signed 32-bit products and differences that wrap round, as the panel
// controller's arithmetic does, instead of being undefined, for geometry
// computed from unchecked values (a broadcast's resolution, a caller's
// position, a lookup table's rectangle). Where nothing overflows they are the
// plain operations.
constexpr int32_t WrapMul(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) * static_cast<uint32_t>(b));
}
constexpr int32_t WrapAdd(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}
constexpr int32_t WrapSub(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
}

// Whether a span from `start` of `length` ends past `limit`, without
// overflowing on the callers' unchecked values.
constexpr bool EndsBeyond(int32_t start, int32_t length, int32_t limit) {
    return static_cast<int64_t>(start) + length > limit;
}

constexpr int32_t StoreSource(int32_t source) { return source == 29 || source == 36 ? 0 : source; }
constexpr bool IsPlaybackSource(int32_t source) { return source == 29 || source == 36; }

// The digital external inputs.
inline constexpr const auto& kDigitalExternalSources = kSourceSetS;
// Inputs that may carry a PC timing.
constexpr TSCodeRange kPcCapableSources[] = {{1, 22}, {32, 35}};

// Resolutions for which screen fit auto, the screen-fit position and the
// zoom steps have rules of their own.
constexpr TSCodeRange kScreenFitResolutions[] = {
    {0x10001, 0x10003}, {0x10008, 0x10009}, {0x2000B, 0x2000E}, {0x30000, 0x30009}};
// Of those, the 720-line class; the others are 1080-line.
constexpr int32_t k720LineResolutions[] = {0x10003, 0x2000E, 0x30000, 0x30001};
constexpr TSCodeRange kUhdResolutions[] = {{0x40000, 0x40006}};       // zoom steps too
constexpr TSCodeRange kUhdWideResolutions[] = {{0x40000, 0x4000D}};   // zoom positions too

inline bool IsDigitalExternal(int32_t source) { return InList(kDigitalExternalSources, source); }
inline bool IsScreenFitResolution(kova_resolution_e r) { return InRanges(kScreenFitResolutions, r); }
inline bool IsZoomStepResolution(kova_resolution_e r) {
    return IsScreenFitResolution(r) || InRanges(kUhdResolutions, r);
}
inline bool IsZoomPositionResolution(kova_resolution_e r) {
    return IsScreenFitResolution(r) || InRanges(kUhdWideResolutions, r);
}

// Regions where automatic wide is on by default (region 9 unless country 23).
inline bool AutoWideRegion(int region, int country) { return AutoWideSupported(region, country); }

// ATSC 3.0 stream types: their geometry goes through the ATSC 3.0 size call
// instead of the sink property.
constexpr int32_t kAtsc3StreamTypes[] = {77, 39, 8, 10};
inline bool IsAtsc3Stream(int type) { return InList(kAtsc3StreamTypes, type); }

// A null stream never reaches the player. The caller keeps the value it
// preset for a read (as when the player leaves a property untouched) or skips
// the write, and the operation goes on; one line at level 1 names the
// calling function and the property.
inline bool PlayerStream(TVStream stream, const char* function, int line, const std::string& handle,
                         int property) {
    if (stream != nullptr) return true;
    TCDebugPrintORB::GetInstance()->PrintF(function, line, kModuleAV, 1,
                                           "[ORB_PICTURE][%s-%s] streamId is NULL!! %s() skips property %d",
                                           kClassName, handle.c_str(), function, property);
    return false;
}

// Events sent to the framework's event manager.
constexpr int kEventPictureSizeChange = 82;  // SIGNAL_PICTURE_SIZE_CHANGE
constexpr int kEventAfdChange = 2817;

// Name of the application that last called the service.
inline std::string CallerName() {
    return OrbServiceAPIManager::GetInstance(ORB_SERVICE_SIGNAL_OBJECT_PATH, ORB_SERVICE_SIGNAL_INTERFACE)
        ->GetCallerProperties()
        .name;
}

// The aspect-ratio agent, held under the agent manager's read lock for the
// guard's life. agent is null when none is registered.
class TCAspectRatioAgentAccess {
public:
    TCAspectRatioAgentAccess() {
        TCAgentMgr::Instance()->RLock();
        agent = TCAgentMgr::Instance<TIAspectRatioAgent>();
    }
    ~TCAspectRatioAgentAccess() { TCAgentMgr::Instance()->RUnlock(); }
    TCAspectRatioAgentAccess(const TCAspectRatioAgentAccess&) = delete;
    TCAspectRatioAgentAccess& operator=(const TCAspectRatioAgentAccess&) = delete;

    TIAspectRatioAgent* agent = nullptr;
};

// Rectangle helpers between the record types.
inline TSRectInfo ToRect(const KOVARect_t& r) { return TSRectInfo(r.x, r.y, r.width, r.height); }
inline KOVARect_t ToKova(const TSRectInfo& r) { return KOVARect_t{r.x, r.y, r.width, r.height}; }

}  // namespace sizecontrol
}  // namespace tvav
