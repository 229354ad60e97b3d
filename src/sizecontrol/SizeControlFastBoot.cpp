// Fast-boot mirror of the main video path's picture settings: one screen
// record per fast-boot source and resolution, read by the fast-boot video
// server before the service runs.
#include <cstddef>

#include <tvav/AVCheck.h>
#include "common/Common.h"
#include "common/Log.h"
#include <tvav/SizeControl.h>
#include "sizecontrol/SizeControlRules.h"
#include "fb_nv.h"
#include "instrument/CallLayer.h"

using tvav::InList;
using tvav::sizecontrol::AutoWideRegion;
using tvav::sizecontrol::kClassName;
using tvav::sizecontrol::kMainP;
using tvav::sizecontrol::StoreSource;

// The fast-boot server reads the record as these 16 little-endian bytes;
// byte 7 is padding and is never written.
static_assert(offsetof(FB_SCREEN_CONFIG, picture_size) == 0 && offsetof(FB_SCREEN_CONFIG, auto_wide) == 1 &&
                  offsetof(FB_SCREEN_CONFIG, reserved0) == 2 && offsetof(FB_SCREEN_CONFIG, screen_mode) == 3 &&
                  offsetof(FB_SCREEN_CONFIG, screen_fit) == 4 && offsetof(FB_SCREEN_CONFIG, reserved1) == 5 &&
                  offsetof(FB_SCREEN_CONFIG, panorama) == 6 && offsetof(FB_SCREEN_CONFIG, fb_zoom_offset) == 8,
              "fast-boot screen record layout");

namespace {

constexpr int kOptionRegion = 0;
constexpr uint8_t kReserved0 = 0xFF;
constexpr uint8_t kReserved1 = 1;

// Fast-boot resolution index of each resolution mode 0..5.
constexpr uint8_t kFastBootResolutions[] = {0, 1, 2, 4, 3, 5};
constexpr int kFastBootSourceCount = 6;      // sources the factory reset writes: 0..5
constexpr int kFastBootResolutionCount = 6;  // resolutions 0..5

// Codes the record keeps as they are; every other value is written as 0.
constexpr int32_t kPictureSizeCodes[] = {1, 2, 3, 4, 5, 6};  // also read back as themselves
constexpr int32_t kRecordedScreenModes[] = {SCREENMODE_ZOOM, SCREENMODE_4_3, SCREENMODE_21_9};
constexpr int32_t kRecordedScreenFits[] = {SCREENFITOPTION_ON, SCREENFITOPTION_AUTO};
// Screen-mode codes read back as themselves; others read as 0.
constexpr int32_t kReadScreenModes[] = {1, 2, 3, 4};

// Factory defaults: automatic wide on the TV sources (in regions that have it),
// 4:3 screen mode in these countries.
constexpr int32_t kFastBootTvSources[] = {0, 1};
constexpr int32_t kCountriesScreenMode4by3[] = {7, 16};
// Factory screen fit by fast-boot source (row) and resolution (column).
constexpr uint8_t kFactoryScreenFit[kFastBootSourceCount][kFastBootResolutionCount] = {
    {0, 0, 0, 0, 1, 1},  // digital TV
    {0, 0, 0, 0, 0, 1},  // analog TV
    {0, 2, 2, 0, 1, 1},  // HDMI 1
    {0, 2, 2, 0, 1, 1},  // HDMI 2
    {0, 2, 2, 0, 1, 1},  // HDMI 3
    {0, 2, 2, 0, 1, 1},  // HDMI 4
};

// The value when the list holds it, else 0.
template <size_t N>
int32_t Listed(const int32_t (&codes)[N], int32_t value) {
    return InList(codes, value) ? value : 0;
}

}  // namespace

void TCSizeControl::m_StoreFBPictureSize(TVStream stream, TSAspectRatioKey key, EPictureSizeType size,
                                         TSPictureSizeOption option, bool bUseGiven) {
    key.source = StoreSource(key.source);
    if (m_handle.p != kMainP) {
        return;
    }
    if (!bUseGiven) {
        m_GetPictureSizeDetailInfo(size, key, option, false, nullptr);
    }
    const uint8_t fbSource = static_cast<uint8_t>(t_GetFBSource(key));
    const uint8_t fbResolution = kFastBootResolutions[t_ConvertResolutionToResolutionMode(key.resolution)];

    FB_SCREEN_CONFIG record{};  // zeroed: no field writes the padding byte
    record.picture_size = static_cast<uint8_t>(Listed(kPictureSizeCodes, size));
    record.screen_fit = static_cast<uint8_t>(Listed(kRecordedScreenFits, option.screenFit));
    const bool bCheckPCMode = HT_CALL(&TCAVCheck::CheckExceptionScreenState, HT_DIRS(1, 1, 1, 1), stream, key,
                                      EXCEPTION_SCREEN_PC_MODE, false);
    if (bCheckPCMode) {
        AV_LOG(1, "[ORB_PICTURE][%s-%s] save to FB :: bCheckPCMode[%d] - screenFit : ON", kClassName,
               m_strHandle.c_str(), bCheckPCMode);
        record.screen_fit = SCREENFITOPTION_ON;
    }
    record.screen_mode = static_cast<uint8_t>(Listed(kRecordedScreenModes, option.screenMode));
    const bool bCustom = size == PICTURESIZETYPE_CUSTOM;
    record.fb_zoom_offset.x = static_cast<int16_t>(bCustom ? t_customOffset.x : 0);
    record.fb_zoom_offset.y = static_cast<int16_t>(bCustom ? t_customOffset.y : 0);
    record.fb_zoom_offset.height = static_cast<int16_t>(bCustom ? t_customOffset.height : 0);
    record.fb_zoom_offset.width = static_cast<int16_t>(bCustom ? t_customOffset.width : 0);
    record.auto_wide = option.bAutoWide ? 1 : 0;
    record.panorama = option.bPanoramaOption ? 1 : 0;
    record.reserved0 = kReserved0;
    record.reserved1 = kReserved1;
    // Opened after the values it keeps: their final values are read when it closes.
    HT_SCOPE_CONTAINER(scope, ht::kDirBefore | ht::kDirAfter);
    ht::TCScopeHandler::Instance(scope).m_Store(fbSource);
    ht::TCScopeHandler::Instance(scope).m_Store(fbResolution);
    ht::TCScopeHandler::Instance(scope).m_Store(record);

    {
        TCScopeTrace trace("TCSizeControl::m_StoreFBPictureSize - fb_nv_store_screen_config_res");
        HT_CALL(fb_nv_store_screen_config_res, HT_DIRS(1, 1, 1), fbSource, fbResolution, &record);
    }
    AV_LOG(1,
           "[ORB_PICTURE][%s-%s] save to FB :: source[%d], resolution[%d], p.size[%d], autowide[%d], "
           "screen_mode[%d], screenFit[%d], panorama[%d] fb_zoom_offset.x[%d], fb_zoom_offset.y[%d], "
           "fb_zoom_offset.width[%d], fb_zoom_offset.height[%d], end",
           kClassName, m_strHandle.c_str(), fbSource, fbResolution, record.picture_size, record.auto_wide,
           record.screen_mode, record.screen_fit, record.panorama, record.fb_zoom_offset.x, record.fb_zoom_offset.y,
           record.fb_zoom_offset.width, record.fb_zoom_offset.height);
}

void TCSizeControl::m_CheckSavedPictureinfoFB(TVStream stream, TSAspectRatioKey key, EPictureSizeType size) {
    key.source = StoreSource(key.source);
    const uint8_t fbSource = static_cast<uint8_t>(t_GetFBSource(key));
    const uint8_t fbResolution = kFastBootResolutions[t_ConvertResolutionToResolutionMode(key.resolution)];

    FB_SCREEN_CONFIG saved = {};
    HT_SCOPE_CONTAINER(scope, ht::kDirBefore | ht::kDirAfter);
    HT_CALL(fb_nv_load_screen_config_res, HT_DIRS(1, 1, 2), fbSource, fbResolution, &saved);
    ht::TCScopeHandler::Instance(scope).m_Store(saved);
    AV_LOG(1,
           "[ORB_PICTURE][%s-%s] current saved picture info in FB :: source[%d], resolution[%d], p.size[%d], "
           "screenFit[%d]",
           kClassName, m_strHandle.c_str(), fbSource, fbResolution, saved.picture_size, saved.screen_fit);

    TSPictureSizeOption option;
    m_GetPictureSizeDetailInfo(size, key, option, false, nullptr);

    const bool bSame =
        Listed(kPictureSizeCodes, saved.picture_size) == size && saved.auto_wide == (option.bAutoWide ? 1 : 0) &&
        Listed(kReadScreenModes, saved.screen_mode) == option.screenMode && saved.screen_fit == option.screenFit &&
        option.bPanoramaOption == (saved.panorama == 1) && saved.fb_zoom_offset.x == option.offsetX &&
        saved.fb_zoom_offset.y == option.offsetY && saved.fb_zoom_offset.height == option.offsetHeight &&
        saved.fb_zoom_offset.width == option.offsetWidth;
    if (bSame) {
        return;
    }
    HT_CALL_MEMBER(this, &TCSizeControl::m_StoreFBPictureSize, HT_DIRS(1, 1, 1, 1, 1), stream, key, size, option, true);
}

void TCSizeControl::InitializeDataForFBStore() {
    for (int source = 0; source < kFastBootSourceCount; ++source) {
        for (int resolution = 0; resolution < kFastBootResolutionCount; ++resolution) {
            const int region = tvav::ReadFactoryOption(kOptionRegion, 0);
            const int country = tvav::ReadCountry();
            AV_LOG(1, "[TCSizeControl::InitializeDataForFBStore] currentRegion[%d], country[%d]", region, country);
            const bool bAutoWideRegion = AutoWideRegion(region, country);

            FB_SCREEN_CONFIG record{};  // zeroed: no field writes the padding byte
            record.picture_size = PICTURESIZETYPE_16_9;
            record.auto_wide = bAutoWideRegion && InList(kFastBootTvSources, source) ? 1 : 0;
            record.reserved0 = kReserved0;
            record.screen_mode =
                bAutoWideRegion && InList(kCountriesScreenMode4by3, country) ? SCREENMODE_4_3 : SCREENMODE_16_9;
            record.screen_fit = kFactoryScreenFit[source][resolution];
            record.reserved1 = kReserved1;
            record.panorama = 0;
            record.fb_zoom_offset = {0, 0, 0, 0};
            fb_nv_store_screen_config_res(static_cast<unsigned char>(source), static_cast<unsigned char>(resolution),
                                          &record);
        }
    }
}
