// Platform services: configuration store, system information, AV output
// controller, fast-boot store, resolution lookup tables, letterbox detector.
#include <array>
#include <cstring>
#include <map>
#include <mutex>
#include <utility>

#include "HostState.h"
#include "avoc.h"
#include "fb_nv.h"
#include "host/HostControl.h"
#include "lumvideo_api.h"
#include "res_lookup.h"
#include "system_info.h"
#include "vconf.h"

using host::detail::Bool;
using host::detail::Dec;
using host::detail::ReadValue;

namespace {

// ---------------------------------------------------------------------------
// Configuration store
// ---------------------------------------------------------------------------
struct VconfEntry {
    bool failing = false;
    host::VconfValue value;
};

struct VconfStore {
    std::mutex mutex;
    std::map<std::string, VconfEntry> entries;
};

// Stores are never destroyed: service threads may still call in while the
// process exits.
VconfStore& Vconf() {
    static VconfStore* store = new VconfStore;
    return *store;
}

// ---------------------------------------------------------------------------
// System information. A value set as one type reads as the other too
// (bool as 0/1, int as non-zero).
// ---------------------------------------------------------------------------
struct SysInfoStore {
    std::mutex mutex;
    std::map<int, int> values;
};

SysInfoStore& SysInfo() {
    static SysInfoStore* store = new SysInfoStore;
    return *store;
}

// ---------------------------------------------------------------------------
// AV output controller
// ---------------------------------------------------------------------------
struct AvocStore {
    std::mutex mutex;
    int pcMode = 0;
    int pcModeResult = 0;
    int pictureMode = 0;
    bool pictureModeFails = false;
    int hdrPlus = 0;
    bool hdrPlusFails = false;
    std::optional<int> wideScreen;
};

AvocStore& Avoc() {
    static AvocStore* store = new AvocStore;
    return *store;
}

// ---------------------------------------------------------------------------
// Fast-boot store, letterbox detector
// ---------------------------------------------------------------------------
struct FastBootStore {
    std::mutex mutex;
    std::map<std::pair<int, int>, std::array<uint8_t, 16>> screens;  // absent: all zero
    std::array<uint8_t, 4> audio{};
    int terminateResult = 0;
    int terminateCount = 0;
    std::optional<bool> letterboxDetector;
};

FastBootStore& FastBoot() {
    static FastBootStore* store = new FastBootStore;
    return *store;
}

// ---------------------------------------------------------------------------
// Resolution lookup
// ---------------------------------------------------------------------------
struct LookupEntry {
    KOVAPictureSizeType_k code;
    KOVARect_t rect;
};

// Destination of each geometry code in the 1920x1080 panel space.
//   0  16:9 full screen            1  4:3 pillarbox
//   2  zoom (the crop zooms)       3  letterbox centre, filled
//   4  letterbox top, filled       5  wider than 16:9, filled
//   6  14:9 pillarbox              7  21:9 letterbox
//   8  1:1 pillarbox               9  5:4 pillarbox
//  10  16:10 pillarbox            11  2.35:1 letterbox
//  12  zoom 1 (filled)            13  zoom 2 (filled)
//  14  just scan (filled)         15  half-size window, centred
//  32..36 automatic, custom and AFD-scaled sizes: full screen (their offsets
//         and scales act on the crop)
constexpr LookupEntry kDefaultPictureSizes[] = {
    {0, {0, 0, 1920, 1080}},   {1, {240, 0, 1440, 1080}},  {2, {0, 0, 1920, 1080}},
    {3, {0, 0, 1920, 1080}},   {4, {0, 0, 1920, 1080}},    {5, {0, 0, 1920, 1080}},
    {6, {120, 0, 1680, 1080}}, {7, {0, 129, 1920, 822}},   {8, {420, 0, 1080, 1080}},
    {9, {285, 0, 1350, 1080}}, {10, {96, 0, 1728, 1080}},  {11, {0, 131, 1920, 817}},
    {12, {0, 0, 1920, 1080}},  {13, {0, 0, 1920, 1080}},   {14, {0, 0, 1920, 1080}},
    {15, {480, 270, 960, 540}}, {32, {0, 0, 1920, 1080}},  {33, {0, 0, 1920, 1080}},
    {34, {0, 0, 1920, 1080}},  {35, {0, 0, 1920, 1080}},   {36, {0, 0, 1920, 1080}},
};

struct LookupStore {
    std::mutex mutex;
    std::map<int, KOVARect_t> pictureSizeOverrides;
    std::map<int, KOVARect_t> cropOverrides;
};

LookupStore& Lookup() {
    static LookupStore* store = new LookupStore;
    return *store;
}

}  // namespace

// ---------------------------------------------------------------------------
// Configuration store
// ---------------------------------------------------------------------------
extern "C" int vconf_get_int(const char* key, int* value) {
    std::string name = key != nullptr ? key : "";
    int result = -1;
    {
        VconfStore& store = Vconf();
        std::lock_guard<std::mutex> lock(store.mutex);
        auto it = store.entries.find(name);
        if (it != store.entries.end() && !it->second.failing && !it->second.value.isString && value != nullptr) {
            *value = it->second.value.intValue;
            result = 0;
        }
    }
    HOST_RECORD("vconf_get_int", {name}, Dec(result), ReadValue(result == 0, Dec(result == 0 ? *value : 0)));
    return result;
}

extern "C" int vconf_set_int(const char* key, int value) {
    std::string name = key != nullptr ? key : "";
    int result = -1;
    if (key != nullptr) {
        VconfStore& store = Vconf();
        std::lock_guard<std::mutex> lock(store.mutex);
        VconfEntry& entry = store.entries[name];
        if (!entry.failing) {
            entry.value = host::VconfValue{false, value, std::string()};
            result = 0;
        }
    }
    HOST_RECORD("vconf_set_int", {name, Dec(value)}, Dec(result));
    return result;
}

extern "C" int vconf_set_str(const char* key, const char* value) {
    std::string name = key != nullptr ? key : "";
    std::string text = value != nullptr ? value : "";
    int result = -1;
    if (key != nullptr && value != nullptr) {
        VconfStore& store = Vconf();
        std::lock_guard<std::mutex> lock(store.mutex);
        VconfEntry& entry = store.entries[name];
        if (!entry.failing) {
            entry.value = host::VconfValue{true, 0, text};
            result = 0;
        }
    }
    HOST_RECORD("vconf_set_str", {name, text}, Dec(result));
    return result;
}

// ---------------------------------------------------------------------------
// System information
// ---------------------------------------------------------------------------
namespace {
// The stored value of `key`, or false when it cannot be read.
bool ReadSysInfo(int key, int& value) {
    SysInfoStore& store = SysInfo();
    std::lock_guard<std::mutex> lock(store.mutex);
    auto it = store.values.find(key);
    if (it == store.values.end()) return false;
    value = it->second;
    return true;
}
}  // namespace

extern "C" int system_info_get_value_bool(system_info_key_e key, bool* value) {
    int stored = 0;
    int result = -1;
    if (value != nullptr && ReadSysInfo(key, stored)) {
        *value = stored != 0;
        result = 0;
    }
    HOST_RECORD("system_info_get_value_bool", {Dec(key)}, Dec(result), ReadValue(result == 0, Bool(stored != 0)));
    return result;
}

extern "C" int system_info_get_value_int(system_info_key_e key, int* value) {
    int stored = 0;
    int result = -1;
    if (value != nullptr && ReadSysInfo(key, stored)) {
        *value = stored;
        result = 0;
    }
    HOST_RECORD("system_info_get_value_int", {Dec(key)}, Dec(result), ReadValue(result == 0, Dec(stored)));
    return result;
}

// ---------------------------------------------------------------------------
// AV output controller
// ---------------------------------------------------------------------------
// The PC mode is written whatever the call reports; callers only log the result.
extern "C" int avoc_get_pc_mode(int index, int* pcMode) {
    int result = -1;
    {
        AvocStore& store = Avoc();
        std::lock_guard<std::mutex> lock(store.mutex);
        if (pcMode != nullptr) {
            *pcMode = store.pcMode;
            result = store.pcModeResult;
        }
    }
    HOST_RECORD("avoc_get_pc_mode", {Dec(index)}, Dec(result), ReadValue(pcMode != nullptr, Dec(pcMode ? *pcMode : 0)));
    return result;
}

extern "C" int avoc_get_picture_mode(int index, kova_picture_mode_e* mode, int saveType) {
    int result = -1;
    {
        AvocStore& store = Avoc();
        std::lock_guard<std::mutex> lock(store.mutex);
        if (mode != nullptr && !store.pictureModeFails) {
            *mode = store.pictureMode;
            result = 0;
        }
    }
    HOST_RECORD("avoc_get_picture_mode", {Dec(index), Dec(saveType)}, Dec(result),
                ReadValue(result == 0, Dec(result == 0 ? static_cast<int>(*mode) : 0)));
    return result;
}

extern "C" int avoc_get_hdr_plus_mode(int* mode, int saveType) {
    int result = -1;
    {
        AvocStore& store = Avoc();
        std::lock_guard<std::mutex> lock(store.mutex);
        if (mode != nullptr && !store.hdrPlusFails) {
            *mode = store.hdrPlus;
            result = 0;
        }
    }
    HOST_RECORD("avoc_get_hdr_plus_mode", {Dec(saveType)}, Dec(result),
                ReadValue(result == 0, Dec(result == 0 ? static_cast<int>(*mode) : 0)));
    return result;
}

extern "C" int avoc_set_wide_screen_mode(int index, int onOff) {
    {
        AvocStore& store = Avoc();
        std::lock_guard<std::mutex> lock(store.mutex);
        store.wideScreen = onOff;
    }
    HOST_RECORD("avoc_set_wide_screen_mode", {Dec(index), Dec(onOff)}, Dec(0));
    return 0;
}

// ---------------------------------------------------------------------------
// Fast-boot store
// ---------------------------------------------------------------------------
extern "C" int fb_nv_load_screen_config_res(unsigned char source, unsigned char resolution,
                                            FB_SCREEN_CONFIG* config) {
    int result = -1;
    if (config != nullptr) {
        FastBootStore& store = FastBoot();
        std::lock_guard<std::mutex> lock(store.mutex);
        std::array<uint8_t, 16> bytes{};
        auto it = store.screens.find({source, resolution});
        if (it != store.screens.end()) bytes = it->second;
        std::memcpy(config, bytes.data(), bytes.size());
        result = 0;
    }
    HOST_RECORD("fb_nv_load_screen_config_res", {Dec(source), Dec(resolution)}, Dec(result),
                ReadValue(result == 0, result == 0 ? host::FormatHex(reinterpret_cast<const uint8_t*>(config), 16) : ""));
    return result;
}

extern "C" int fb_nv_store_screen_config_res(unsigned char source, unsigned char resolution,
                                             FB_SCREEN_CONFIG* config) {
    int result = -1;
    std::array<uint8_t, 16> bytes{};
    if (config != nullptr) {
        std::memcpy(bytes.data(), config, bytes.size());
        FastBootStore& store = FastBoot();
        std::lock_guard<std::mutex> lock(store.mutex);
        store.screens[{source, resolution}] = bytes;
        result = 0;
    }
    auto args = [&]() -> std::vector<std::string> {
        if (config == nullptr) return {Dec(source), Dec(resolution)};
        return {Dec(source), Dec(resolution), host::FormatHex(bytes.data(), bytes.size())};
    };
    HOST_RECORD("fb_nv_store_screen_config_res", args(), Dec(result));
    return result;
}

extern "C" int fb_nv_load_audio_config(FB_AUDIO_CONFIG* config) {
    int result = -1;
    if (config != nullptr) {
        FastBootStore& store = FastBoot();
        std::lock_guard<std::mutex> lock(store.mutex);
        std::memcpy(config->bytes, store.audio.data(), store.audio.size());
        result = 0;
    }
    HOST_RECORD("fb_nv_load_audio_config", {}, Dec(result),
                ReadValue(result == 0, result == 0 ? host::FormatHex(config->bytes, sizeof config->bytes) : ""));
    return result;
}

extern "C" int fb_nv_store_audio_config(FB_AUDIO_CONFIG* config) {
    int result = -1;
    if (config != nullptr) {
        FastBootStore& store = FastBoot();
        std::lock_guard<std::mutex> lock(store.mutex);
        std::memcpy(store.audio.data(), config->bytes, store.audio.size());
        result = 0;
    }
    auto args = [config]() -> std::vector<std::string> {
        if (config == nullptr) return {};
        return {host::FormatHex(config->bytes, sizeof config->bytes)};
    };
    HOST_RECORD("fb_nv_store_audio_config", args(), Dec(result));
    return result;
}

extern "C" int fb_terminate_server(void) {
    int result;
    {
        FastBootStore& store = FastBoot();
        std::lock_guard<std::mutex> lock(store.mutex);
        ++store.terminateCount;
        result = store.terminateResult;
    }
    HOST_RECORD("fb_terminate_server", {}, Dec(result));
    return result;
}

// ---------------------------------------------------------------------------
// Resolution lookup
// ---------------------------------------------------------------------------
// Codes outside the table fail and leave the rectangle as it was.
extern "C" int res_lookup_get_picture_size(KOVAPictureSizeType_k code, KOVARect_t* rect) {
    int result = -1;
    if (rect != nullptr) {
        LookupStore& store = Lookup();
        std::lock_guard<std::mutex> lock(store.mutex);
        auto it = store.pictureSizeOverrides.find(code);
        if (it != store.pictureSizeOverrides.end()) {
            *rect = it->second;
            result = 0;
        } else {
            for (const LookupEntry& entry : kDefaultPictureSizes) {
                if (entry.code == code) {
                    *rect = entry.rect;
                    result = 0;
                    break;
                }
            }
        }
    }
    HOST_RECORD("res_lookup_get_picture_size", {Dec(code)}, Dec(result),
                ReadValue(result == 0, result == 0 ? host::detail::Rect(*rect) : ""));
    return result;
}

// Without an override the crop is the input video rectangle, whatever the code.
extern "C" int res_lookup_get_video_crop(KOVAPictureSizeType_k code, KOVAPictureInfo_t info, KOVARect_t* rect) {
    int result = -1;
    if (rect != nullptr) {
        LookupStore& store = Lookup();
        std::lock_guard<std::mutex> lock(store.mutex);
        auto it = store.cropOverrides.find(code);
        *rect = it != store.cropOverrides.end() ? it->second : info.inputVideo;
        result = 0;
    }
    using host::detail::Rect;
    HOST_RECORD("res_lookup_get_video_crop",
           {Dec(code), Dec(info.source), Dec(info.resolutionType), Rect(info.inputVideo), Rect(info.destination),
            Dec(info.pcMode), Dec(info.pictureSize), Rect(info.offset), Dec(info.caption), Dec(info.screenFit)},
           Dec(result), ReadValue(result == 0, result == 0 ? Rect(*rect) : ""));
    return result;
}

// ---------------------------------------------------------------------------
// Letterbox detector
// ---------------------------------------------------------------------------
extern "C" int lumvideo_api_set_lbd_on(void) {
    {
        FastBootStore& store = FastBoot();
        std::lock_guard<std::mutex> lock(store.mutex);
        store.letterboxDetector = true;
    }
    HOST_RECORD("lumvideo_api_set_lbd_on", {}, Dec(0));
    return 0;
}

extern "C" int lumvideo_api_set_lbd_off(void) {
    {
        FastBootStore& store = FastBoot();
        std::lock_guard<std::mutex> lock(store.mutex);
        store.letterboxDetector = false;
    }
    HOST_RECORD("lumvideo_api_set_lbd_off", {}, Dec(0));
    return 0;
}

// ---------------------------------------------------------------------------
// Control interface
// ---------------------------------------------------------------------------
namespace host {

void SetVconfInt(const std::string& key, int value) {
    VconfStore& store = Vconf();
    std::lock_guard<std::mutex> lock(store.mutex);
    store.entries[key] = VconfEntry{false, VconfValue{false, value, std::string()}};
}

void SetVconfStr(const std::string& key, const std::string& value) {
    VconfStore& store = Vconf();
    std::lock_guard<std::mutex> lock(store.mutex);
    store.entries[key] = VconfEntry{false, VconfValue{true, 0, value}};
}

void UnsetVconf(const std::string& key) {
    VconfStore& store = Vconf();
    std::lock_guard<std::mutex> lock(store.mutex);
    store.entries.erase(key);
}

void FailVconf(const std::string& key) {
    VconfStore& store = Vconf();
    std::lock_guard<std::mutex> lock(store.mutex);
    store.entries[key] = VconfEntry{true, VconfValue{}};
}

std::optional<VconfValue> GetVconf(const std::string& key) {
    VconfStore& store = Vconf();
    std::lock_guard<std::mutex> lock(store.mutex);
    auto it = store.entries.find(key);
    if (it == store.entries.end() || it->second.failing) return std::nullopt;
    return it->second.value;
}

void SetSysInfoBool(int key, bool value) { SetSysInfoInt(key, value ? 1 : 0); }

void SetSysInfoInt(int key, int value) {
    SysInfoStore& store = SysInfo();
    std::lock_guard<std::mutex> lock(store.mutex);
    store.values[key] = value;
}

void UnsetSysInfo(int key) {
    SysInfoStore& store = SysInfo();
    std::lock_guard<std::mutex> lock(store.mutex);
    store.values.erase(key);
}

void SetAvocPcMode(int mode, int result) {
    AvocStore& store = Avoc();
    std::lock_guard<std::mutex> lock(store.mutex);
    store.pcMode = mode;
    store.pcModeResult = result;
}

void SetAvocPictureMode(int mode) {
    AvocStore& store = Avoc();
    std::lock_guard<std::mutex> lock(store.mutex);
    store.pictureMode = mode;
    store.pictureModeFails = false;
}

void FailAvocPictureMode() {
    AvocStore& store = Avoc();
    std::lock_guard<std::mutex> lock(store.mutex);
    store.pictureModeFails = true;
}

void SetAvocHdrPlus(int mode) {
    AvocStore& store = Avoc();
    std::lock_guard<std::mutex> lock(store.mutex);
    store.hdrPlus = mode;
    store.hdrPlusFails = false;
}

void FailAvocHdrPlus() {
    AvocStore& store = Avoc();
    std::lock_guard<std::mutex> lock(store.mutex);
    store.hdrPlusFails = true;
}

std::optional<int> WideScreenMode() {
    AvocStore& store = Avoc();
    std::lock_guard<std::mutex> lock(store.mutex);
    return store.wideScreen;
}

void SetFbScreen(int source, int resolution, const std::array<uint8_t, 16>& bytes) {
    FastBootStore& store = FastBoot();
    std::lock_guard<std::mutex> lock(store.mutex);
    store.screens[{source, resolution}] = bytes;
}

std::array<uint8_t, 16> FbScreen(int source, int resolution) {
    FastBootStore& store = FastBoot();
    std::lock_guard<std::mutex> lock(store.mutex);
    auto it = store.screens.find({source, resolution});
    return it == store.screens.end() ? std::array<uint8_t, 16>{} : it->second;
}

void SetFbAudio(const std::array<uint8_t, 4>& bytes) {
    FastBootStore& store = FastBoot();
    std::lock_guard<std::mutex> lock(store.mutex);
    store.audio = bytes;
}

std::array<uint8_t, 4> FbAudio() {
    FastBootStore& store = FastBoot();
    std::lock_guard<std::mutex> lock(store.mutex);
    return store.audio;
}

void SetFbTerminateResult(int result) {
    FastBootStore& store = FastBoot();
    std::lock_guard<std::mutex> lock(store.mutex);
    store.terminateResult = result;
}

int FbTerminateCount() {
    FastBootStore& store = FastBoot();
    std::lock_guard<std::mutex> lock(store.mutex);
    return store.terminateCount;
}

std::optional<bool> LetterboxDetector() {
    FastBootStore& store = FastBoot();
    std::lock_guard<std::mutex> lock(store.mutex);
    return store.letterboxDetector;
}

void SetLookupPictureSize(int code, const KOVARect_t& rect) {
    LookupStore& store = Lookup();
    std::lock_guard<std::mutex> lock(store.mutex);
    store.pictureSizeOverrides[code] = rect;
}

void SetLookupCrop(int code, const KOVARect_t& rect) {
    LookupStore& store = Lookup();
    std::lock_guard<std::mutex> lock(store.mutex);
    store.cropOverrides[code] = rect;
}

void ClearLookupOverrides() {
    LookupStore& store = Lookup();
    std::lock_guard<std::mutex> lock(store.mutex);
    store.pictureSizeOverrides.clear();
    store.cropOverrides.clear();
}

namespace detail {

void ResetServices() {
    {
        VconfStore& store = Vconf();
        std::lock_guard<std::mutex> lock(store.mutex);
        store.entries.clear();
    }
    {
        SysInfoStore& store = SysInfo();
        std::lock_guard<std::mutex> lock(store.mutex);
        store.values.clear();
    }
    {
        AvocStore& store = Avoc();
        std::lock_guard<std::mutex> lock(store.mutex);
        store.pcMode = 0;
        store.pcModeResult = 0;
        store.pictureMode = 0;
        store.pictureModeFails = false;
        store.hdrPlus = 0;
        store.hdrPlusFails = false;
        store.wideScreen.reset();
    }
    {
        FastBootStore& store = FastBoot();
        std::lock_guard<std::mutex> lock(store.mutex);
        store.screens.clear();
        store.audio.fill(0);
        store.terminateResult = 0;
        store.terminateCount = 0;
        store.letterboxDetector.reset();
    }
    ClearLookupOverrides();
}

}  // namespace detail
}  // namespace host
