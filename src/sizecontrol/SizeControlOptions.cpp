// Option store of the size controller: per-input detail options of each
// picture size, held by the aspect-ratio agent and initialised on first read
// from the regional defaults; the readers of the stored picture size and
// options; the product tests the picture paths share.
#include <cstdio>

#include <tvav/AVCheck.h>
#include "common/Common.h"
#include "common/Log.h"
#include "sizecontrol/Mutex.h"
#include <tvav/SizeControl.h>
#include "sizecontrol/SizeControlRules.h"
#include "instrument/CallLayer.h"
#include "instrument/PerfMarker.h"
#include "system_info.h"

using tvav::InList;
using tvav::InRanges;
using tvav::kNoAutoWideSources;
using tvav::TSCodeRange;
using tvav::sizecontrol::AutoWideRegion;
using tvav::sizecontrol::IsDigitalExternal;
using tvav::sizecontrol::kClassName;
using tvav::sizecontrol::StoreSource;
using tvav::sizecontrol::TCAspectRatioAgentAccess;

namespace {

constexpr int kOptionRegion = 0;

// Countries whose 4:3 screen mode defaults to 4:3: a new record in country 7,
// a reset in countries 7 and 16.
constexpr int32_t kCountryInitScreenMode4by3 = 7;
constexpr int32_t kCountriesResetScreenMode4by3[] = {7, 16};

// Picture sizes whose new record gets the regional automatic-wide defaults,
// the offset flag, and panorama on.
constexpr int32_t kSizesRegionalDefaults[] = {PICTURESIZETYPE_16_9, PICTURESIZETYPE_21_9};
constexpr int32_t kSizesOffset[] = {PICTURESIZETYPE_ZOOM, PICTURESIZETYPE_CUSTOM};
constexpr int32_t kSizesPanorama[] = {PICTURESIZETYPE_21_9, PICTURESIZETYPE_21_9_AUTO};

// Default screen fit of a new record: the first row that matches decides.
enum class EFitInput { DigitalExternal, Dtv, DigitalExternalOrDtv, AnalogAV };
struct TSScreenFitDefault {
    uint32_t sizes;  // CodeSet of picture sizes
    EFitInput input;
    TSCodeRange resolutions[5];
    int32_t fit;
};
constexpr uint32_t kSizesFull = tvav::CodeSet({0, 4, 5});
constexpr uint32_t kSizesZoom = tvav::CodeSet({1, 6});
constexpr uint32_t kSizesCustom = tvav::CodeSet({2});
constexpr TSCodeRange kNone = {1, 0};  // matches nothing
constexpr TSScreenFitDefault kScreenFitDefaults[] = {
    {kSizesFull,
     EFitInput::DigitalExternal,
     {{0x10008, 0x10009}, {0x10001, 0x10003}, {0x2000B, 0x2000E}, {0x30000, 0x30009}, kNone},
     SCREENFITOPTION_AUTO},
    {kSizesFull, EFitInput::DigitalExternal, {{0x40000, 0x40006}, kNone, kNone, kNone, kNone}, SCREENFITOPTION_ON},
    {kSizesFull, EFitInput::Dtv, {{0x40000, 0x40006}, kNone, kNone, kNone, kNone}, SCREENFITOPTION_ON},
    {kSizesZoom, EFitInput::DigitalExternalOrDtv, {{0x40000, 0x40006}, kNone, kNone, kNone, kNone}, SCREENFITOPTION_ON},
    {kSizesCustom,
     EFitInput::DigitalExternalOrDtv,
     {{0x10008, 0x10009}, {0x10001, 0x10003}, {0x2000B, 0x2000E}, {0x30000, 0x30009}, {0x40000, 0x4000D}},
     SCREENFITOPTION_ON},
    {kSizesCustom,
     EFitInput::AnalogAV,
     {{0x10008, 0x10009}, {0x10001, 0x10002}, {0x2000B, 0x2000D}, {0x30002, 0x30009}, kNone},
     SCREENFITOPTION_ON},
};

bool FitInputMatches(EFitInput input, const TSAspectRatioKey& key) {
    const bool bDigitalExternal = IsDigitalExternal(key.source);
    switch (input) {
        case EFitInput::DigitalExternal:
            return bDigitalExternal;
        case EFitInput::Dtv:  // outside the digital external inputs (their rows come first)
            return !bDigitalExternal && key.dtv;
        case EFitInput::DigitalExternalOrDtv:
            return bDigitalExternal || key.dtv;
        case EFitInput::AnalogAV:
            return InRanges(tvav::kSourcesAV, key.source) && !key.dtv;
    }
    return false;
}

// Sizes the reset walks through; stored records of other sizes keep their values.
constexpr int kResetResolutionModes = 6;
constexpr int kResetSources = 32;
constexpr int kResetPictureSizes = 4;

// Sizes a PC input cannot show: the product's default size stands in for them.
constexpr int32_t kSizesNotInPcMode[] = {PICTURESIZETYPE_ZOOM, PICTURESIZETYPE_CUSTOM, PICTURESIZETYPE_21_9_AUTO,
                                         PICTURESIZETYPE_CAPTION};

// Product code of models without the wide-screen panel handling.
constexpr int kProductCodeNarrow = 14;

}  // namespace

// ---------------------------------------------------------------------------
// Option store
// ---------------------------------------------------------------------------
bool TCSizeControl::m_GetPictureSizeDetailInfo(EPictureSizeType size, TSAspectRatioKey key, TSPictureSizeOption& option,
                                               bool bStoreFB, TVStream stream) {
    TCAspectRatioAgentAccess access;
    if (access.agent == nullptr) {
        AV_LOG(1, "[%s-%s] pData is NULL!!", kClassName, m_strHandle.c_str());
        return false;
    }
    const int mode = t_ConvertResolutionToResolutionMode(key.resolution);
    const int source = StoreSource(key.source);
    bool bOk = access.agent->GetPictureSizeDetailInfo(source, mode, size, &option);
    if (!bOk) {
        AV_LOG(1, "[%s-%s] GetPictureSizeDetailInfo at First time, initialize!! pictureSize[%d]", kClassName,
               m_strHandle.c_str(), size);
        t_PictureSizeDetailInfoInit(size, key, option);
        bOk = access.agent->SetPictureSizeDetailInfo(source, mode, size, option);
    }
    if (bStoreFB) {
        HT_CALL_MEMBER(this, &TCSizeControl::m_StoreFBPictureSize, HT_DIRS(1, 1, 1, 1, 1), stream, key, size, option,
                       true);
    }
    return bOk;
}

int TCSizeControl::t_PictureSizeDetailInfoInit(EPictureSizeType size, TSAspectRatioKey key,
                                               TSPictureSizeOption& option) {
    AV_LOG(4, "[%s-%s] is called", kClassName, m_strHandle.c_str());
    option = TSPictureSizeOption();
    int region = 0;
    int country = -1;
    if (InList(kSizesRegionalDefaults, size)) {
        region = tvav::ReadFactoryOption(kOptionRegion, 0);
        country = tvav::ReadCountry();
        AV_LOG(1, "[TCSizeControl::t_PictureSizeDetailInfoInit] currentRegion[%d], country[%d], source[%d]", region,
               country, key.source);
        if (AutoWideRegion(region, country)) {
            option.bAutoWide = !InList(kNoAutoWideSources, key.source);
            if (country == kCountryInitScreenMode4by3) {
                option.screenMode = SCREENMODE_4_3;
            }
        }
    }
    t_ScreenFitOptionInit(size, key, option);
    if (InList(kSizesOffset, size)) {
        option.bOffset = true;
    }
    if (InList(kSizesPanorama, size)) {
        option.bPanoramaOption = true;
    }
    AV_LOG(1,
           "[%s-%s] end, Init : p.size[%d] (currentRegion[%d], country[%d], key.source[%d], key.resolution[%d], "
           "dtv[%d]) --> autoWide[%d], 4_3_screenMode[%d], screenFit[%d], bPanoramaOption[%d]",
           kClassName, m_strHandle.c_str(), size, region, country, key.source, key.resolution, key.dtv,
           option.bAutoWide, option.screenMode, option.screenFit, option.bPanoramaOption);
    return 1;
}

void TCSizeControl::t_ScreenFitOptionInit(EPictureSizeType size, TSAspectRatioKey key, TSPictureSizeOption& option) {
    for (const TSScreenFitDefault& row : kScreenFitDefaults) {
        if (tvav::InCodeSet(row.sizes, size) && FitInputMatches(row.input, key) &&
            InRanges(row.resolutions, key.resolution)) {
            option.screenFit = row.fit;
            return;
        }
    }
}

void TCSizeControl::ResetPictureSizeDetailOption(EPictureSizeSubMenuType subMenu) {
    AV_LOG(4, "[%s-%s] called!!", kClassName, m_strHandle.c_str());
    TCAspectRatioAgentAccess access;
    if (access.agent == nullptr) {
        AV_LOG(1, "[%s-%s] pData is NULL!!", kClassName, m_strHandle.c_str());
        return;
    }
    const int region = tvav::ReadFactoryOption(kOptionRegion, 0);
    const int country = tvav::ReadCountry();
    const bool bAutoWideDefault = AutoWideRegion(region, country);
    const int screenModeDefault =
        bAutoWideDefault && InList(kCountriesResetScreenMode4by3, country) ? SCREENMODE_4_3 : SCREENMODE_16_9;
    AV_LOG(1, "[%s-%s] country[%d], screenMode_default[%d]", kClassName, m_strHandle.c_str(), country,
           screenModeDefault);

    for (int mode = 0; mode < kResetResolutionModes; ++mode) {
        for (int source = 0; source < kResetSources; ++source) {
            for (int size = 0; size < kResetPictureSizes; ++size) {
                TSPictureSizeOption option;
                if (!access.agent->GetPictureSizeDetailInfo(source, mode, size, &option)) {
                    continue;
                }
                switch (subMenu) {
                    case P_SIZESUB_AUTOWIDE:
                        option.bAutoWide = bAutoWideDefault;
                        break;
                    case P_SIZESUB_SCREENMODE:
                        option.screenMode = screenModeDefault;
                        AV_LOG(1, "[%s-%s] cnt_resolution[%d], cnt_source[%d], cnt_picturesize[%d]", kClassName,
                               m_strHandle.c_str(), mode, source, size);
                        break;
                    case P_SIZESUB_ZOOMPOSITION:
                        option.offsetX = 0;
                        option.offsetY = 0;
                        option.offsetHeight = 0;
                        option.offsetWidth = 0;
                        break;
                    default:
                        break;
                }
                access.agent->SetPictureSizeDetailInfo(source, mode, size, option);
            }
        }
    }
}

int TCSizeControl::m_GetDefaultScreenSizeType(EPictureSizeType& size) {
    TCScopeTrace trace("TCSizeControl::m_GetDefaultScreenSizeType");
    bool b21to9 = false;
    HT_CALL(system_info_get_value_bool, HT_DIRS(1, 2), SYSTEM_INFO_KEY_KYT_SUPPORTED, &b21to9);
    size = b21to9 ? PICTURESIZETYPE_21_9 : PICTURESIZETYPE_16_9;
    return 1;
}

// ---------------------------------------------------------------------------
// Readers. They hold m_lock: the option store's key reads the PC mode, and the
// fast-boot mirror the custom offset, both written by the setters under it.
// ---------------------------------------------------------------------------
int TCSizeControl::GetPictureSize(TSAspectRatioKey key, EPictureSizeType& size) {
    AV_LOG(4, "[%s-%s] is called", kClassName, m_strHandle.c_str());
    AV_LOG(1, "[%s-%s] source : %d , dtv : %d , resolution : %d", kClassName, m_strHandle.c_str(), key.source, key.dtv,
           key.resolution);
    TCMutexGuard guard(m_lock);
    TCAspectRatioAgentAccess access;
    if (access.agent == nullptr) {
        AV_LOG(1, "[%s-%s] pData is NULL!!", kClassName, m_strHandle.c_str());
        return 0;
    }

    TVStream noStream = nullptr;
    int stored = PICTURESIZETYPE_16_9;
    bool bFound;
    {
        TCScopeTrace trace("TCSizeControl::GetPictureSize");
        bFound = access.agent->GetPictureSizeInfo(
            StoreSource(key.source), t_ConvertResolutionToResolutionMode(key.resolution), key.dtv, &stored);
    }
    if (bFound) {
        size = static_cast<EPictureSizeType>(stored);
        AV_LOG(1, "[%s-%s] output EPictureSizeType : %d", kClassName, m_strHandle.c_str(), size);
    } else {
        size = PICTURESIZETYPE_16_9;
        HT_CALL_MEMBER(this, &TCSizeControl::m_StoreFBPictureSize, HT_DIRS(1, 1, 1, 1, 1), noStream, key, size,
                       TSPictureSizeOption(), false);
        AV_LOG(1, "[%s-%s] GetPictureSizeInfo failed, returning default aspectRatio : %d", kClassName,
               m_strHandle.c_str(), size);
    }

    // Under MLS or 3D only the default size shows; a PC input cannot show sizes 1, 2, 5 and 6.
    const bool bMLS =
        HT_CALL(&TCAVCheck::CheckExceptionScreenState, HT_DIRS(1, 1, 1, 1), noStream, key, EXCEPTION_SCREEN_MLS, false);
    const bool b3D =
        HT_CALL(&TCAVCheck::CheckExceptionScreenState, HT_DIRS(1, 1, 1, 1), noStream, key, EXCEPTION_SCREEN_3D, false);
    const bool bPCMode = HT_CALL(&TCAVCheck::CheckExceptionScreenState, HT_DIRS(1, 1, 1, 1), noStream, key,
                                 EXCEPTION_SCREEN_PC_MODE, t_bCurrentPCMode);
    if (bMLS || b3D || (bPCMode && InList(kSizesNotInPcMode, size))) {
        HT_CALL_MEMBER(this, &TCSizeControl::m_GetDefaultScreenSizeType, HT_DIRS(2), size);
    }
    return 1;
}

int TCSizeControl::GetAutoWideOption(TSAspectRatioKey key, bool& onOff) {
    TCMutexGuard guard(m_lock);
    tvav::PerfBeginTV(kClassName, __FUNCTION__);
    AV_LOG(4, "[%s-%s] is called", kClassName, m_strHandle.c_str());
    EPictureSizeType size = PICTURESIZETYPE_16_9;
    GetPictureSize(key, size);
    m_GetAutoWideOption(key, onOff, size);
    tvav::PerfEndTV(kClassName, __FUNCTION__);
    return 1;
}

int TCSizeControl::m_GetAutoWideOption(TSAspectRatioKey key, bool& onOff, EPictureSizeType size) {
    TCScopeTrace trace("TCSizeControl::m_GetAutoWideOption");
    tvav::PerfBeginTV(kClassName, __FUNCTION__);
    TSPictureSizeOption option;
    m_GetPictureSizeDetailInfo(size, key, option, true, nullptr);
    onOff = option.bAutoWide;
    tvav::PerfEndTV(kClassName, __FUNCTION__);
    return 1;
}

EPictureSizeType TCSizeControl::m_GetCurrentSizeOption(TSAspectRatioKey key, TSPictureSizeOption& option,
                                                       bool bStoreFB) {
    EPictureSizeType size = PICTURESIZETYPE_16_9;
    GetPictureSize(key, size);
    option = TSPictureSizeOption();
    m_GetPictureSizeDetailInfo(size, key, option, bStoreFB, nullptr);
    return size;
}

int TCSizeControl::GetScreenMode(TSAspectRatioKey key, EScreenModeData& mode) {
    TCMutexGuard guard(m_lock);
    AV_LOG(4, "[%s-%s] is called", kClassName, m_strHandle.c_str());
    TSPictureSizeOption option;
    m_GetCurrentSizeOption(key, option, true);
    mode = static_cast<EScreenModeData>(option.screenMode);
    return 1;
}

int TCSizeControl::GetPanoramaOption(TSAspectRatioKey key, bool& onOff) {
    TCMutexGuard guard(m_lock);
    AV_LOG(4, "[%s-%s] called!!", kClassName, m_strHandle.c_str());
    TSPictureSizeOption option;
    m_GetCurrentSizeOption(key, option, true);
    onOff = option.bPanoramaOption;
    AV_LOG(1, "[%s-%s] Panoramoa mode[%d]", kClassName, m_strHandle.c_str(), onOff);
    return 1;
}

// ---------------------------------------------------------------------------
// Product tests and the graphics plane
// ---------------------------------------------------------------------------
bool TCSizeControl::m_IsWideScreenModel() {
    TCScopeTrace trace("TCSizeControl::m_IsWideScreenModel");
    bool b21to9 = false;
    int productCode = 0;
    HT_CALL(system_info_get_value_bool, HT_DIRS(1, 2), SYSTEM_INFO_KEY_KYT_SUPPORTED, &b21to9);
    HT_CALL(system_info_get_value_int, HT_DIRS(1, 2), SYSTEM_INFO_KEY_PRODUCT_CODE, &productCode);
    return b21to9 && productCode != kProductCodeNarrow;
}

int TCSizeControl::RefreshGFXRectSize(TVStream stream) {
    tvav::PerfBegin(kClassName, __FUNCTION__);
    if (stream == nullptr) {
        AV_LOG(1, "[ORB_PICTURE][%s-%s] streamId is NULL!! RefreshGFXRectSize() return false!!", kClassName,
               m_strHandle.c_str());
        tvav::PerfEnd(kClassName, __FUNCTION__);
        return 0;
    }
    std::fprintf(stderr,
                 "\nVRDX_LOG::[TCSizeControl-RefreshGFXRectSize] setting to t_BaseGfxRect : width[%d], height[%d], "
                 "x[%d], y[%d]\n",
                 t_BaseGfxRect.width, t_BaseGfxRect.height, t_BaseGfxRect.x, t_BaseGfxRect.y);
    tvav::PerfEnd(kClassName, __FUNCTION__);
    return 1;
}
