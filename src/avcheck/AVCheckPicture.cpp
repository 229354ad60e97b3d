// Capability checks of the picture-size menu: which picture sizes, and which
// of their sub-menus, the menu may offer for the current input.
#include <string>

#include <tvav/AVCheck.h>
#include "avcheck/AVCheckRules.h"
#include "common/Common.h"
#include "common/Log.h"
#include <tvav/SizeControl.h>
#include "sizecontrol/SizeControlRules.h"
#include "instrument/CallLayer.h"
#include "instrument/PerfMarker.h"
#include "vconf.h"

using tvav::AutoWideSupported;
using tvav::InList;
using tvav::InRanges;
using tvav::kNoAutoWideSources;
using tvav::kProductTypeOwnRules;
using tvav::kResolutionLastChance;
using tvav::kResolutionsFit4by3;
using tvav::kSourcesAV;
using tvav::kSourceSetS;
using tvav::TSCodeRange;
using tvav::sizecontrol::CallerName;
using tvav::sizecontrol::IsPlaybackSource;
using tvav::sizecontrol::kResolution2560x1080;

namespace {

constexpr int kOptionRegion = 0;
const ORBHandle kMainHandle(1, 0);

// External inputs whose PC timing blocks picture sizes on 21:9 panels; sources
// 10-12 count only on the PC pipeline.
constexpr TSCodeRange kSources21to9External[] = {{13, 16}, {20, 22}};
constexpr TSCodeRange kSourcesPcPipeline[] = {{10, 12}};
constexpr int32_t kPipelineTypePc = 3;

// PC modes of the AV output controller.
constexpr int32_t kPcModeTimings[] = {1, 2};
constexpr int32_t kPcModeScreenMirroring = 3;

// Picture-in-picture sizes that put the pictures side by side.
constexpr int32_t kPipSideBySideSizes[] = {2, 3};

// Sizes the menu may offer at all (0..6), and by rule.
constexpr int32_t kSizesAlwaysOffered[] = {PICTURESIZETYPE_16_9, PICTURESIZETYPE_21_9};
constexpr int32_t kSizesZoomLike[] = {PICTURESIZETYPE_ZOOM, PICTURESIZETYPE_CUSTOM, PICTURESIZETYPE_CAPTION};
constexpr EPictureSizeType kFirstUnofferedSize = PICTURESIZETYPE_7;

// UHD resolutions: no 4:3 picture size; screen fit only on digital inputs.
constexpr TSCodeRange kResolutionsUhd[] = {{0x40000, 0x4000D}};
// 21:9 automatic: digital broadcasts or digital external inputs at these...
constexpr int32_t kResolutions21to9Auto[] = {0x2000B, 0x2000D, 0x10001, 0x10002, 0x10008, 0x10009, 0x40000, 0x40001};
// ...and digital external inputs only at these.
constexpr int32_t kResolutions21to9AutoExternal[] = {0x40004, 0x40006};

// Sub-menus by picture size.
constexpr int32_t kSizesAutoWideMenu[] = {PICTURESIZETYPE_16_9, PICTURESIZETYPE_21_9};
constexpr int32_t kSizesScreenFitMenu[] = {0, 1, 2, 4, 5, 6};
constexpr int32_t kSizesPanoramaMenu[] = {PICTURESIZETYPE_CUSTOM, PICTURESIZETYPE_21_9, PICTURESIZETYPE_21_9_AUTO};
// 4:3 screen modes under which panorama gives way to automatic wide at size 21:9.
constexpr int32_t kScreenModesWithoutPanorama[] = {SCREENMODE_16_9, SCREENMODE_ZOOM, SCREENMODE_4_3};

// Screen-fit sub-menu resolution groups: A (1080-line and UHD), B (720-line).
constexpr TSCodeRange kScreenFitGroupA[] = {
    {0x2000B, 0x2000D}, {0x10001, 0x10002}, {0x30002, 0x30009}, {0x10008, 0x10009}, {0x40000, 0x4000D}};
constexpr TSCodeRange kScreenFitGroupB[] = {{0x10003, 0x10003}, {0x2000E, 0x2000E}, {0x30000, 0x30001}};
// Screen fit on a digital external input at this PC timing (products with their own rules).
constexpr kova_resolution_e kResolutionScreenFitPc = 0x50003;

bool AskException(TVStream stream, const TSAspectRatioKey& key, EExceptionScreenStateType type, bool bPCMode) {
    return HT_CALL(&TCAVCheck::CheckExceptionScreenState, HT_DIRS(1, 1, 1, 1), stream, key, type, bPCMode);
}

// A settings value, 0 when unreadable.
int ReadSetting(const char* key) {
    int value = 0;
    if (HT_CALL(vconf_get_int, HT_DIRS(1, 2), key, &value) < 0) {
        value = 0;
    }
    return value;
}

}  // namespace

void TCAVCheck::CheckPictureSize(TVStream stream, TSAspectRatioKey key, TSSourceTypeInfo sourceInfo, bool& bCheck) {
    const int32_t size = sourceInfo.pictureSize;
    AV_LOG(4, "[TCAVCheck::%s] is called", __FUNCTION__);
    AV_LOG(4, "[TCAVCheck::%s] source : %d , dtv : %d , resolution : %d", __FUNCTION__, key.source, key.dtv,
           key.resolution);
    AV_LOG(4, "[TCAVCheck::%s] profileId : %d , pipelineType : %d , EPictureSize : %d", __FUNCTION__,
           sourceInfo.profileId, sourceInfo.pipelineType, size);
    const std::string caller = CallerName();
    AV_LOG(1, "[ORB_PICTURE][TCAVCheck::%s] Last call app : %s", __FUNCTION__, caller.c_str());

    if (size < 0 || size >= kFirstUnofferedSize) {
        AV_LOG(1, "[ORB_PICTURE][TCAVCheck::%s] It is not supported p.size type [%d]", __FUNCTION__, size);
        AV_LOG(1, "[ORB_PICTURE][TCAVCheck::%s] It is not supported p.size type [%d]", __FUNCTION__, size);
        bCheck = false;
        return;
    }
    bCheck = true;

    // An application has placed the video window.
    TCSizeControl* pControl = TCSizeControl::GetInstance(kMainHandle);
    if (pControl != nullptr && pControl->GetCurrentScreenState() == TCSizeControl::SCREENSTATE_PIG_BY_SETSIZE) {
        bCheck = false;
        return;
    }

    if (AskException(stream, key, EXCEPTION_SCREEN_MHL, false)) {
        AV_LOG(1, "[ORB_PICTURE][TCAVCheck::%s] MHL is connected[%d], return false", __FUNCTION__, 1);
        bCheck = false;
        return;
    }

    if (IsPlaybackSource(key.source) && (key.resolutionInfo.horizontal == 0 || key.resolutionInfo.vertical == 0)) {
        AV_LOG(1,
               "[ORB_PICTURE][TCAVCheck::%s] playback pipeline[%d] && resolutionInfo.horizontal[%d], vertical[%d], "
               "resturn false",
               __FUNCTION__, key.source, key.resolutionInfo.horizontal, key.resolutionInfo.vertical);
        bCheck = false;
        return;
    }

    if (AskException(stream, key, EXCEPTION_SCREEN_21_9_SUPPORTED, false) &&
        (InRanges(kSources21to9External, key.source) ||
         (InRanges(kSourcesPcPipeline, key.source) && sourceInfo.pipelineType == kPipelineTypePc))) {
        const int pcMode = m_GetPCMode(key);
        if (pcMode == kPcModeScreenMirroring) {
            AV_LOG(1,
                   "[ORB_PICTURE][TCAVCheck::%s] ScreenMirroring case[%d], PictureSize does not supported, return "
                   "false",
                   __FUNCTION__, pcMode);
            bCheck = false;
            return;
        }
        if (InList(kPcModeTimings, pcMode) && key.resolution == kResolution2560x1080) {
            AV_LOG(1,
                   "[ORB_PICTURE][TCAVCheck::%s] PC Timing[%d] && 2560X1080 resolution case[%d], PictureSize does not "
                   "supported, return false",
                   __FUNCTION__, pcMode, kResolution2560x1080);
            bCheck = false;
            return;
        }
    }

    if (AskException(stream, key, EXCEPTION_SCREEN_MLS, false)) {
        AV_LOG(1, "[ORB_PICTURE][TCAVCheck::%s] bMLSState case[%d], PictureSize does not supported, return false",
               __FUNCTION__, 1);
        bCheck = false;
        return;
    }

    // 3D has no rule of its own and always answers false; asked for the call record.
    (void)AskException(stream, key, EXCEPTION_SCREEN_3D, false);

    const int pipOn = ReadSetting(VCONFKEY_PIP_ONOFF);
    const int pipSize = ReadSetting(VCONFKEY_PIP_SIZE);
    if (pipOn == 1 && InList(kPipSideBySideSizes, pipSize)) {
        AV_LOG(1,
               "[ORB_PICTURE][TCAVCheck::%s] PIP_ON[%d] && PIP Size is side by side[%d], PictureSize all return false",
               __FUNCTION__, pipOn, pipSize);
        bCheck = false;
        return;
    }

    const bool bDigitalExternal = InList(kSourceSetS, key.source);
    if (InList(kSizesAlwaysOffered, size)) {
        bCheck = true;
    } else if (InList(kSizesZoomLike, size)) {
        if (m_product_type == kProductTypeOwnRules && key.source == 0) {
            bCheck = false;
        } else {
            AV_LOG(4, "[TCAVCheck::%s] case :: ZOOM or CUSTOM. source[%d], product_type[%d]", __FUNCTION__, key.source,
                   m_product_type);
            bCheck = !AskException(stream, key, EXCEPTION_SCREEN_PC_MODE, false);
        }
    } else if (size == PICTURESIZETYPE_4_3) {
        bCheck = !InRanges(kResolutionsUhd, key.resolution);
    } else if (InList(kResolutions21to9Auto, key.resolution)) {  // PICTURESIZETYPE_21_9_AUTO from here
        bCheck = key.dtv || bDigitalExternal;
    } else {
        bCheck = bDigitalExternal && InList(kResolutions21to9AutoExternal, key.resolution);
    }
    AV_LOG(1, "[TCAVCheck::%s] end, sourceInfo.pictureSize[%d], resolution[%d]  bCheck [%d]", __FUNCTION__, size,
           key.resolution, bCheck);
}

void TCAVCheck::CheckPictureSizeSubMenu(TSAspectRatioKey key, EPictureSizeType size, EPictureSizeSubMenuType submenu,
                                        bool& bCheck) {
    tvav::PerfBeginTV("TCAVCheck", __FUNCTION__);
    AV_LOG(4, "[TCAVCheck::%s] is called, submenu[%d]", __FUNCTION__, submenu);
    AV_LOG(4, "[TCAVCheck::%s] resolution [%d] key.source [%d], key.dtv[%d]", __FUNCTION__, key.resolution, key.source,
           key.dtv);
    bCheck = false;

    if (m_product_type != kProductTypeOwnRules) {
        const int pcMode = m_GetPCMode(key);
        if (AskException(nullptr, key, EXCEPTION_SCREEN_PC_MODE, pcMode != 0)) {
            AV_LOG(1, "[ORB_PICTURE][TCAVCheck::%s] NOT SUPPORTED submenu, PC_MODE, submenu[%d]", __FUNCTION__,
                   submenu);
            return;
        }
    }

    const int32_t region = tvav::ReadFactoryOption(kOptionRegion, 0);
    const int32_t country = tvav::ReadCountry();
    const bool bDigitalExternal = InList(kSourceSetS, key.source);

    switch (submenu) {
        case P_SIZESUB_AUTOWIDE:
        case P_SIZESUB_SCREENMODE: {
            if (!InList(kSizesAutoWideMenu, size) || (IsPlaybackSource(key.source) && !key.dtv)) {
                break;
            }
            if (submenu == P_SIZESUB_SCREENMODE) {
                TCSizeControl* pControl = TCSizeControl::GetInstance(kMainHandle);
                if (pControl == nullptr) {
                    AV_LOG(2, "[TCAVCheck::%s] pControl is NULL!!", __FUNCTION__);
                    return;
                }
                bool bAutoWide = false;
                pControl->GetAutoWideOption(key, bAutoWide);
                AV_LOG(1, "[TCAVCheck::%s] GetAutoWideOption ret : bCheck[%d]", __FUNCTION__, bAutoWide);
                if (!bAutoWide) {
                    break;
                }
            }
            AV_LOG(1, "[TCAVCheck::%s] currentRegion[%d], country[%d], source[%d]", __FUNCTION__, region, country,
                   key.source);
            bCheck = AutoWideSupported(region, country) && !InList(kNoAutoWideSources, key.source);
            break;
        }
        case P_SIZESUB_SCREENFIT: {
            const bool bOwnRules = m_product_type == kProductTypeOwnRules;
            if (size == PICTURESIZETYPE_4_3) {
                bCheck = bOwnRules && InList(kResolutionsFit4by3, key.resolution);
                if (bCheck) {
                    AV_LOG(1, "[TCAVCheck::%s] P_SIZESUB_SCREENFIT supported, pictureSize[%d], resolution[%d]",
                           __FUNCTION__, size, key.resolution);
                }
                break;
            }
            if (!InList(kSizesScreenFitMenu, size)) {
                break;
            }
            AV_LOG(1, "[TCAVCheck::%s] P_SIZESUB_SCREENFIT supported picture size, resolution:%d", __FUNCTION__,
                   key.resolution);
            if (InRanges(kScreenFitGroupA, key.resolution)) {
                bCheck = bDigitalExternal || key.dtv ||
                         (InRanges(kSourcesAV, key.source) && !InRanges(kResolutionsUhd, key.resolution));
            } else if (InRanges(kScreenFitGroupB, key.resolution)) {
                bCheck = bDigitalExternal || key.dtv;
            } else {
                bCheck = bOwnRules && (key.resolution == kResolutionLastChance ||
                                       (bDigitalExternal && key.resolution == kResolutionScreenFitPc));
            }
            if (bCheck) {
                AV_LOG(1, "[TCAVCheck::%s] P_SIZESUB_SCREENFIT supported, source[%d], resolution[%d]", __FUNCTION__,
                       key.source, key.resolution);
            }
            break;
        }
        case P_SIZESUB_ZOOMPOSITION:
            bCheck = InList(kSizesZoomLike, size);
            if (bCheck) {
                AV_LOG(1, "[TCAVCheck::%s] ZOOM or CUSTOM case, p.size[%d]", __FUNCTION__, size);
                AV_LOG(1, "[TCAVCheck::%s] zoom/position menu is supported", __FUNCTION__);
            }
            break;
        case P_SIZESUB_PANORAMA: {
            bCheck = InList(kSizesPanoramaMenu, size);
            if (size != PICTURESIZETYPE_21_9) {
                break;
            }
            // At 21:9 automatic wide, where it applies, takes the place of panorama.
            TCSizeControl* pControl = TCSizeControl::GetInstance(kMainHandle);
            if (pControl == nullptr) {
                AV_LOG(2, "[TCAVCheck::%s] pControl is NULL!!", __FUNCTION__);
                return;
            }
            bool bAutoWide = false;
            EScreenModeData screenMode = SCREENMODE_16_9;
            bool bSupported = false;
            pControl->GetAutoWideOption(key, bAutoWide);
            pControl->GetScreenMode(key, screenMode);
            CheckAutoWideSupported(bSupported);
            if (bSupported && bAutoWide && InList(kScreenModesWithoutPanorama, screenMode)) {
                AV_LOG(1, "[TCAVCheck::%s] P_SIZESUB_PANORAMA enable case, p.size[%d]", __FUNCTION__, size);
                bCheck = false;
            }
            break;
        }
        default:
            bCheck = false;
            break;
    }

    AV_LOG(1,
           "[TCAVCheck::%s]is end, pictureSize[%d], resolution[%d], key.source[%d], currentRegion[%d], country[%d], "
           "submenu[%d], pc_mode[%d], return onOff[%d]",
           __FUNCTION__, size, key.resolution, key.source, region, country, submenu, 0, bCheck);
    tvav::PerfEndTV("TCAVCheck", __FUNCTION__);
}
