// Back to the full-size picture from an application window, the rectangles
// full size would show, the reset of all picture-size settings, and the 4:3
// screen mode setter.
#include <tvav/AVCheck.h>
#include "common/Log.h"
#include "sizecontrol/Mutex.h"
#include <tvav/SizeControl.h>
#include "sizecontrol/SizeControlRules.h"
#include "instrument/CallLayer.h"
#include "instrument/PerfMarker.h"
#include "vconf.h"

using tvav::sizecontrol::kAfdNone;
using tvav::sizecontrol::CallerName;
using tvav::sizecontrol::kClassName;
using tvav::sizecontrol::kMainP;
using tvav::sizecontrol::StoreSource;
using tvav::sizecontrol::TCAspectRatioAgentAccess;

namespace {

constexpr uint16_t kMainAliasS = 20;

}  // namespace

void TCSizeControl::SetDefaultSize(TVStream stream, TSAspectRatioKey key) {
    // Taken before anything reaches the agent manager's lock.
    TCMutexGuard guard(m_lock);
    TCScopeTrace trace("TCSizeControl::SetPictureSizeNew");
    const std::string caller = CallerName();

    if (m_handle.p == kMainP && (m_handle.s == 0 || m_handle.s == kMainAliasS)) {
        HT_CALL(vconf_set_str, HT_DIRS(1, 1), VCONFKEY_ORB_WINDOW_RECT, "");
    }
    if (stream == nullptr) {
        AV_LOG(1, "[ORB_PICTURE][%s-%s] streamId is NULL!! called SetDefaultSizeInfo()!!", kClassName,
               m_strHandle.c_str());
        SetDefaultSizeInfo();
        return;
    }

    const bool bMls = TCAVCheck::CheckExceptionScreenState(stream, key, EXCEPTION_SCREEN_MLS, false);
    if (GetCurrentScreenState() == SCREENSTATE_FULLSIZE) {
        if (m_IsWideScreenModel() && !m_bDstWiderThanFull) {
            SetPanoramaOption(stream, key, false, false);
        }
        AV_LOG(1, "[ORB_PICTURE][%s-%s] Aleady FULLSize Screen. Nothing to do. called by[%s]", kClassName,
               m_strHandle.c_str(), caller.c_str());
        return;
    }
    if (key.resolutionInfo.horizontal == 0 || key.resolutionInfo.vertical == 0) {
        AV_LOG(1, "[ORB_PICTURE][%s-%s] t_eCurrentScreenState[%d] ", kClassName, m_strHandle.c_str(),
               GetCurrentScreenState());
    }

    SetCurrentScreenState(SCREENSTATE_FULLSIZE);
    AV_LOG(1, "[%s-%s] currentScreenState[%d]", kClassName, m_strHandle.c_str(), GetCurrentScreenState());
    m_strSetSizeCaller.clear();
    m_strSetCropVideoCaller.clear();

    m_UpdatePCMode(stream, key);
    EPictureSizeType size = PICTURESIZETYPE_16_9;
    HT_CALL_MEMBER(this, &TCSizeControl::GetPictureSize, HT_DIRS(1, 2), key, size);
    TSPictureSizeOption option;
    m_GetPictureSizeDetailInfo(size, key, option, false, nullptr);

    if (m_IsNeedToAutoWideSetting(stream, key, size)) {
        AV_LOG(1, "[ORB_PICTURE][%s-%s] m_IsNeedToAutoWideSetting() - true case [p:%d/s:%d]", kClassName,
               m_strHandle.c_str(), m_handle.p, m_handle.s);
        if (m_SettingToAutoWideSize(stream, key)) {
            return;
        }
    }

    // The remembered offsets come back with the picture size.
    const TSRectInfo remembered(option.offsetX, option.offsetY, option.offsetWidth, option.offsetHeight);
    if (size == PICTURESIZETYPE_CUSTOM) {
        t_customOffset = remembered;
        AV_LOG(1, "[ORB_PICTURE][%s-%s] Custom, setting to offset value by last_memory x[%d], y[%d], w[%d], h[%d]",
               kClassName, m_strHandle.c_str(), remembered.x, remembered.y, remembered.width, remembered.height);
        if (m_CheckScreenFitPosition(stream, size, key, remembered.x, remembered.y, remembered.width,
                                     remembered.height)) {
            AV_LOG(1, "[ORB_PICTURE][%s-%s] Custom, SetZoomPosition by last_memory x[%d], y[%d], w[%d], h[%d]",
                   kClassName, m_strHandle.c_str(), remembered.x, remembered.y, remembered.width, remembered.height);
            SetScreenFitPosition(stream, key, remembered.x, remembered.y);
            return;
        }
    } else if (size == PICTURESIZETYPE_CAPTION) {
        t_captionOffset = remembered;
        AV_LOG(1, "[ORB_PICTURE][%s-%s] Caption, setting to offset value by last_memory x[%d], y[%d], w[%d], h[%d]",
               kClassName, m_strHandle.c_str(), remembered.x, remembered.y, remembered.width, remembered.height);
    }

    const int refreshResult = RefreshGFXRectSize(stream);
    AV_LOG(1, "[%s-%s] RefreshGFXRectSize() ret[%d]", kClassName, m_strHandle.c_str(), refreshResult);

    // Under MLS the product's default size replaces the menu size.
    EPictureSizeType applied = size;
    if (bMls) {
        m_GetDefaultScreenSizeType(applied);
    }
    TSRectInfo src;
    TSRectInfo dst;
    HT_CALL_MEMBER(this, &TCSizeControl::t_GetRectSizeByLookupTable, HT_DIRS(1, 1, 1, 2, 2, 1), stream, applied,
                   key, src, dst, kAfdNone);
    HT_CALL_MEMBER(this, &TCSizeControl::t_SetPanorama, HT_DIRS(1, 1, 1), stream, applied, key);

    t_currentDst = {dst.x, dst.y, dst.width, dst.height};
    t_currentSrc = {src.x, src.y, src.width, src.height};
    AV_LOG(1, "[%s-%s] TvStream=%p", kClassName, m_strHandle.c_str(), stream);

    // A sink error is only traced: the members already hold the new rectangles.
    m_WriteSinkRect(stream, src, dst, "TCSizeControl::SetPictureSizeNew-TV_PROPERTY_VIDEO_SINK_SRCDST_POINTER");
    AV_LOG(1, "[ORB_PICTURE][%s-%s] SetDefaultSize is done, called by[%s], end", kClassName, m_strHandle.c_str(),
           caller.c_str());
}

void TCSizeControl::GetDefaultSize(TVStream stream, TSAspectRatioKey key, TSRectInfo& src, TSRectInfo& dst) {
    AV_LOG(4, "[%s-%s] is called", kClassName, m_strHandle.c_str());
    AV_LOG(1, "[%s-%s] source : %d , dtv : %d , resolution :d", kClassName, m_strHandle.c_str(), key.source,
           key.dtv);
    TCMutexGuard guard(m_lock);
    if (stream == nullptr) {
        AV_LOG(1, "[%s-%s] streamId is NULL !! Wrong case!!", kClassName, m_strHandle.c_str());
        return;
    }

    if (!TCAVCheck::CheckExceptionScreenState(stream, key, EXCEPTION_SCREEN_MLS, false)) {
        m_UpdatePCMode(stream, key);
        EPictureSizeType size = PICTURESIZETYPE_16_9;
        HT_CALL_MEMBER(this, &TCSizeControl::GetPictureSize, HT_DIRS(1, 2), key, size);
        HT_CALL_MEMBER(this, &TCSizeControl::t_GetRectSizeByLookupTable, HT_DIRS(1, 1, 1, 2, 2, 1), stream, size,
                       key, src, dst, kAfdNone);
    } else {
        t_GetRectSizeByLookupTable(stream, PICTURESIZETYPE_16_9, key, src, dst, kAfdNone);
    }
    AV_LOG(1, "[%s-%s] src : x[%d] , y[%d] , h[%d] , w[%d]", kClassName, m_strHandle.c_str(), src.x, src.y,
           src.height, src.width);
    AV_LOG(1, "[%s-%s] dest : x[%d] , y[%d] , h[%d] , w[%d]", kClassName, m_strHandle.c_str(), dst.x, dst.y,
           dst.height, dst.width);
}

int TCSizeControl::ResetPictureSize(TVStream stream, TSAspectRatioKey key) {
    // Taken before the agent manager's lock, which SetPictureSize below
    // would otherwise take in the reverse order.
    TCMutexGuard guard(m_lock);
    tvav::PerfBegin(kClassName, "ResetPictureSize");
    AV_LOG(4, "[%s-%s] is called", kClassName, m_strHandle.c_str());

    TCAspectRatioAgentAccess access;
    if (access.agent == nullptr) {
        AV_LOG(1, "[%s-%s] pData is NULL!!", kClassName, m_strHandle.c_str());
        tvav::PerfEnd(kClassName, "ResetPictureSize");
        return 0;
    }
    access.agent->Reset();
    const EPictureSizeType defaultSize = static_cast<EPictureSizeType>(access.agent->GetDefaultPictureSize());

    TSPictureSizeOption option;
    t_PictureSizeDetailInfoInit(defaultSize, key, option);
    m_UpdatePCMode(stream, key);
    const int resolutionMode = t_ConvertResolutionToResolutionMode(key.resolution);
    const int storeSource = StoreSource(key.source);
    access.agent->SetPictureSizeInfo(storeSource, resolutionMode, key.dtv, defaultSize);
    access.agent->SetPictureSizeDetailInfo(storeSource, resolutionMode, defaultSize, option);
    HT_CALL_MEMBER(this, &TCSizeControl::m_StoreFBPictureSize, HT_DIRS(1, 1, 1, 1, 1), stream, key, defaultSize,
                   option, true);

    using SetPictureSizeFn = int (TCSizeControl::*)(TVStream, TSAspectRatioKey, EPictureSizeType, bool);
    const int result = HT_CALL_MEMBER(this, static_cast<SetPictureSizeFn>(&TCSizeControl::SetPictureSize),
                                      HT_DIRS(1, 1, 1, 1), stream, key, defaultSize, true);
    tvav::PerfEnd(kClassName, "ResetPictureSize");
    return result;
}

int TCSizeControl::SetScreenMode(TVStream stream, TSAspectRatioKey key, EScreenModeData mode, bool bSave) {
    // Taken before the agent manager's lock: the AFD and WSS paths below
    // take it again.
    TCMutexGuard guard(m_lock);
    AV_LOG(4, "[%s-%s] is called", kClassName, m_strHandle.c_str());
    EPictureSizeType size = PICTURESIZETYPE_16_9;
    GetPictureSize(key, size);

    TCAspectRatioAgentAccess access;
    if (access.agent == nullptr) {
        AV_LOG(1, "[%s-%s] pData is NULL!!", kClassName, m_strHandle.c_str());
        return 0;
    }
    TSPictureSizeOption option;
    m_GetPictureSizeDetailInfo(size, key, option, false, nullptr);

    if (bSave) {
        option.screenMode = mode;
        m_SaveDetailOption(stream, key, size, option, access.agent);
    }
    if (GetCurrentScreenState() == SCREENSTATE_PIG_BY_CROPVIDEO) {
        AV_LOG(1,
               "[%s-%s] t_eCurrentScreenState[%d], This is PIG mode By SetCropVideo, Only update "
               "SetPictureSizeInfo[%d]",
               kClassName, m_strHandle.c_str(), GetCurrentScreenState(), mode);
        return 1;
    }
    if (!option.bAutoWide) {
        AV_LOG(1, "[%s-%s] end, AutoWide is Off, worng access!!", kClassName, m_strHandle.c_str());
        return 0;
    }

    // The new mode goes in as the preview, so the picture follows it also
    // when it is not saved.
    AV_LOG(1, "[%s-%s] end, AutoWide On => setting to WSS or AFD [%d]", kClassName, m_strHandle.c_str(), key.dtv);
    return m_ApplyCurrentSignal(stream, key, mode);
}
