// Picture-size application: the menu request and the signal re-apply, the
// hand-over to automatic wide (AFD or WSS), the auto-wide option setter and
// the 21:9 letterbox crop.
#include <optional>

#include <tvav/AVCheck.h>
#include "common/Log.h"
#include "sizecontrol/Mutex.h"
#include <tvav/SizeControl.h>
#include "sizecontrol/SizeControlRules.h"
#include "instrument/CallLayer.h"
#include "instrument/PerfMarker.h"
#include "lumvideo_api.h"
#include "tv_stream.h"
#include "vconf.h"

using namespace tvav;
using namespace tvav::sizecontrol;

namespace {

// Inputs on which the letterbox detector may run without a digital key, and
// that wait for the panel's 21:9 output before cropping.
constexpr int32_t kLetterboxSources[] = {13, 14, 15, 16};

using SetPictureSizeFn = int (TCSizeControl::*)(TVStream, TSAspectRatioKey, EPictureSizeType, bool);

bool ExceptionState(TVStream stream, const TSAspectRatioKey& key, EExceptionScreenStateType type) {
    return HT_CALL(&TCAVCheck::CheckExceptionScreenState, HT_DIRS(1, 1, 1, 1), stream, key, type, false);
}

TSRectInfo OffsetOf(const TSPictureSizeOption& option) {
    return TSRectInfo(option.offsetX, option.offsetY, option.offsetWidth, option.offsetHeight);
}

}  // namespace

int TCSizeControl::SetPictureSize(TVStream stream, TSAspectRatioKey key, EPictureSizeType size, bool bSave) {
    PerfScope marker(kClassName, "SetPictureSize", " 2");
    TCScopeTrace trace("TCSizeControl::SetPictureSizeNew");
    const char* handle = m_strHandle.c_str();
    TCMutexGuard guard(m_lock);

    const EScreenStateType state = GetCurrentScreenState();
    HT_SCOPE_CONTAINER(scope, 1);
    ht::TCScopeHandler::Instance(scope).m_Store(size);
    ht::TCScopeHandler::Instance(scope).m_Store(state);

    AV_LOG(4, "[%s-%s] is called", kClassName, handle);
    AV_LOG(1,
           "[ORB_PICTURE][%s-%s] is called, source : %d , resolution : %d , PictureSize : %d, [p:%d/s:%d] "
           "t_eCurrentScreenState[%d], [p:%d/s:%d]",
           kClassName, handle, key.source, key.resolution, size, m_handle.p, m_handle.s, state, m_handle.p,
           m_handle.s);

    if (size >= PICTURESIZETYPE_AUTO_4_3) {
        AV_LOG(1, "[%s-%s] invalid PictureSize --> return FALSE!!", kClassName, handle);
        return 0;
    }
    if (state == SCREENSTATE_PIG_BY_SETSIZE) {
        AV_LOG(1,
               "[%s-%s] t_eCurrentScreenState[%d], This is PIG mode By SetSize[%s], Not Supported SetPictureSize in "
               "menu --> return FALSE!!",
               kClassName, handle, state, m_strSetSizeCaller.c_str());
        return 0;
    }

    m_SetWideMode(size);

    if (ExceptionState(stream, key, EXCEPTION_SCREEN_MLS)) {
        AV_LOG(1, "[%s-%s] MLS case[%d], Picture Size Jest displayed 16:9 --> return FALSE!!", kClassName, handle, 1);
        return 0;
    }

    if (bSave) {
        TCAspectRatioAgentAccess access;
        if (access.agent == nullptr) {
            AV_LOG(1, "[%s-%s] pData is NULL!!", kClassName, handle);
            return 0;
        }
        const bool bStored = access.agent->SetPictureSizeInfo(
            StoreSource(key.source), t_ConvertResolutionToResolutionMode(key.resolution), key.dtv, size);
        AV_LOG(1, "[%s-%s] save result ePictureSizeType info to ISS : %d", kClassName, handle, bStored);
        HT_CALL_MEMBER(this, &TCSizeControl::m_StoreFBPictureSize, HT_DIRS(1, 1, 1, 1, 1), stream, key, size,
                       TSPictureSizeOption(), false);
        if (bStored && HT_CALL(vconf_set_int, HT_DIRS(1, 1), VCONFKEY_REFRESH_MENU, 1) < 0) {
            AV_LOG(1, "[ORB_PICTURE] - db/menu/refresh_menu setting vconf fail");
        }
    }

    if (GetCurrentScreenState() == SCREENSTATE_PIG_BY_CROPVIDEO) {
        AV_LOG(1,
               "[%s-%s] t_eCurrentScreenState[%d], This is PIG mode By SetCropVideo[%s], Only update "
               "SetPictureSizeInfo[%d]",
               kClassName, handle, SCREENSTATE_PIG_BY_CROPVIDEO, m_strSetCropVideoCaller.c_str(), size);
        return 1;
    }

    if (m_HandOverToAutoWide(stream, key, size)) {
        return 1;
    }
    int offsetResult = 0;
    if (m_RestoreRememberedOffset(stream, key, size, false, offsetResult)) {
        return offsetResult;
    }
    if (size != PICTURESIZETYPE_ZOOM) {
        t_zoomOffset = TSRectInfo(0, 0, 0, 0);
    }
    if (m_SwitchLetterboxDetector(stream, key, size, false)) {
        return 1;
    }

    const int refreshed = RefreshGFXRectSize(stream);
    AV_LOG(1, "[%s-%s] RefreshGFXRectSize() ret[%d]", kClassName, handle, refreshed);

    TSRectInfo src(0, 0, 0, 0);
    TSRectInfo dst(0, 0, 0, 0);
    HT_CALL_MEMBER(this, &TCSizeControl::t_GetRectSizeByLookupTable, HT_DIRS(1, 1, 1, 2, 2, 1), stream, size, key,
                   src, dst, kAfdNone);
    HT_CALL_MEMBER(this, &TCSizeControl::t_SetPanorama, HT_DIRS(1, 1, 1), stream, size, key);

    AV_LOG(1, "[%s-%s] call  m_SetCropVideo", kClassName, handle);
    return HT_CALL_MEMBER(this, &TCSizeControl::m_SetCropVideo, HT_DIRS(1, 1, 1, 1), stream, src, dst, size);
}

int TCSizeControl::SetPictureSize(TVStream stream, TSAspectRatioKey key) {
    TCScopeTrace trace("TCSizeControl::SetPictureSize start");
    const char* handle = m_strHandle.c_str();
    TCMutexGuard guard(m_lock);

    const EScreenStateType state = GetCurrentScreenState();
    AV_LOG(4, "[%s-%s] is called", kClassName, handle);
    AV_LOG(1,
           "[ORB_PICTURE][%s-%s] is called, source : %d , resolution : %d, aspectratio : %d, [p:%d/s:%d] "
           "t_eCurrentScreenState[%d] , [p:%d/s:%d]",
           kClassName, handle, key.source, key.resolution, key.resolutionInfo.aspectratio, m_handle.p, m_handle.s,
           state, m_handle.p, m_handle.s);

    if (m_handle.p == kPipP && state == SCREENSTATE_FULLSIZE) {
        AV_LOG(1, "[%s-%s] PIP and fullscreen size.. wrong case..", kClassName, handle);
        return 0;
    }

    const bool bMLS = ExceptionState(stream, key, EXCEPTION_SCREEN_MLS);
    const bool bMHL = ExceptionState(stream, key, EXCEPTION_SCREEN_MHL);
    m_UpdatePCMode(stream, key);
    const bool bPCMode = ExceptionState(stream, key, EXCEPTION_SCREEN_PC_MODE);

    EPictureSizeType size = PICTURESIZETYPE_16_9;
    HT_CALL_MEMBER(this, &TCSizeControl::GetPictureSize, HT_DIRS(1, 2), key, size);
    AV_LOG(1, "[%s-%s] currentSource pictureSizeType[%d], t_bCurrentPCMode[%d]", kClassName, handle, size,
           t_bCurrentPCMode);

    HT_SCOPE_CONTAINER(scope, 1);
    ht::TCScopeHandler::Instance(scope).m_Store(size);
    ht::TCScopeHandler::Instance(scope).m_Store(state);

    if (bMHL) {
        m_SetWideMode(PICTURESIZETYPE_16_9);
    } else if (bPCMode && key.resolution == kResolution2560x1080) {
        m_SetWideMode(PICTURESIZETYPE_21_9);
    } else {
        m_SetWideMode(size);
    }

    AV_LOG(1, "[ORB_PICTURE][%s-%s] detect value is changed, ZoomOffset is setting to default", kClassName, handle);
    t_zoomOffset = TSRectInfo(0, 0, 0, 0);

    if (m_HandOverToAutoWide(stream, key, size)) {
        return 1;
    }
    // Remembered offsets only for the main path's own full-size picture.
    int offsetResult = 0;
    if (GetCurrentScreenState() == SCREENSTATE_FULLSIZE && m_handle.p == kMainP && !bMLS && !bMHL &&
        m_RestoreRememberedOffset(stream, key, size, true, offsetResult)) {
        return offsetResult;
    }

    const int refreshed = RefreshGFXRectSize(stream);
    AV_LOG(1, "[%s-%s] RefreshGFXRectSize() ret[%d]", kClassName, handle, refreshed);
    if (m_SwitchLetterboxDetector(stream, key, size, true)) {
        return 1;
    }

    // Rectangles by screen state: an application's window keeps its own.
    TSRectInfo src(0, 0, 0, 0);
    TSRectInfo dst(0, 0, 0, 0);
    const EScreenStateType current = GetCurrentScreenState();
    if (current == SCREENSTATE_PIG_BY_SETSIZE) {
        AV_LOG(1, "[ORB_PICTURE][%s-%s] t_eCurrentScreenState[%d], this is PIG SIZE by SetSize[%s]", kClassName,
               handle, current, m_strSetSizeCaller.c_str());
        HT_CALL_MEMBER(this, &TCSizeControl::t_GetRectSizeByLookupTable, HT_DIRS(1, 1, 1, 2, 2, 1), stream, size,
                       key, src, dst, kAfdNone);
        HT_CALL_MEMBER(this, &TCSizeControl::t_SetPanorama, HT_DIRS(1, 1, 1), stream, size, key);
        dst = TSRectInfo(t_currentDst.x, t_currentDst.y, t_currentDst.width, t_currentDst.height);
        AV_LOG(1, "[ORB_PICTURE][%s-%s] Apply manual dstRct by APP, (%d, %d, %d, %d)", kClassName, handle, dst.x,
               dst.y, dst.width, dst.height);
    } else if (current == SCREENSTATE_PIG_BY_CROPVIDEO) {
        AV_LOG(1, "[ORB_PICTURE][%s-%s] t_eCurrentScreenState[%d], After calling SetCropVideo[%s]", kClassName,
               handle, current, m_strSetCropVideoCaller.c_str());
        src = TSRectInfo(t_currentSrc.x, t_currentSrc.y, t_currentSrc.width, t_currentSrc.height);
        dst = TSRectInfo(t_currentDst.x, t_currentDst.y, t_currentDst.width, t_currentDst.height);
        AV_LOG(1,
               "[ORB_PICTURE][%s-%s] Apply manual srcRect && dstRest by APP, src(%d, %d, %d, %d)/ dst(%d, %d, %d, "
               "%d)",
               kClassName, handle, src.x, src.y, src.width, src.height, dst.x, dst.y, dst.width, dst.height);
    } else {
        // Full size: MLS and MHL show 16:9 (21:9 where the panel has it), a
        // 2560x1080 PC timing 21:9.
        EPictureSizeType lookupSize = size;
        if (bMLS || bMHL) {
            AV_LOG(1, "[ORB_PICTURE][%s-%s] MLS case[%d], picture size displayed 16:9 ", kClassName, handle, bMLS);
            lookupSize = ExceptionState(stream, key, EXCEPTION_SCREEN_21_9_SUPPORTED) ? PICTURESIZETYPE_21_9
                                                                                       : PICTURESIZETYPE_16_9;
        } else if (t_bCurrentPCMode && key.resolution == kResolution2560x1080) {
            lookupSize = PICTURESIZETYPE_21_9;
        }
        HT_CALL_MEMBER(this, &TCSizeControl::t_GetRectSizeByLookupTable, HT_DIRS(1, 1, 1, 2, 2, 1), stream,
                       lookupSize, key, src, dst, kAfdNone);
        HT_CALL_MEMBER(this, &TCSizeControl::t_SetPanorama, HT_DIRS(1, 1, 1), stream, lookupSize, key);
    }

    AV_LOG(1, "[ORB_PICTURE][%s-%s] m_bCheckLiveTvShow[%d]", kClassName, handle, m_bCheckLiveTvShow);
    if (m_handle.p == kAnalysisP && !m_bCheckLiveTvShow) {
        if (PlayerStream(stream, __FUNCTION__, __LINE__, m_strHandle, TV_PROPERTY_VIDEO_SINK_ZORDER)) {
            TCScopeTrace zorderTrace("TCSizeControl::SetPictureSize - set_property : TV_PROPERTY_VIDEO_SINK_ZORDER");
            HT_CALL(tv_stream_set_property, HT_DIRS(1, 1, 1, 1), stream, TV_PROPERTY_VIDEO_SINK_ZORDER,
                    EZORDER_VIDEO_DEFAULT, nullptr);
        }
        AV_LOG(1, "[ORB_PICTURE][%s-%s] PROFILE_TYPE_ANALYSIS, dst setting to 0,0,1,1 m_bCheckLiveTvShow[%d]",
               kClassName, handle, m_bCheckLiveTvShow);
        dst = TSRectInfo(0, 0, 1, 1);
    }

    const int result =
        HT_CALL_MEMBER(this, &TCSizeControl::m_SetCropVideo, HT_DIRS(1, 1, 1, 1), stream, src, dst, size);
    HT_CALL_MEMBER(this, &TCSizeControl::m_CheckSavedPictureinfoFB, HT_DIRS(1, 1, 1), stream, key, size);
    Reset21to9SizeInfo();
    return result;
}

// Automatic wide governs the size: the AFD or WSS path has set the picture.
// False lets the setter go on with its own path.
bool TCSizeControl::m_HandOverToAutoWide(TVStream stream, TSAspectRatioKey key, EPictureSizeType size) {
    if (m_IsNeedToAutoWideSetting(stream, key, size)) {
        AV_LOG(1, "[ORB_PICTURE][%s-%s] m_IsNeedToAutoWideSetting() - true case [p:%d/s:%d]", kClassName,
               m_strHandle.c_str(), m_handle.p, m_handle.s);
        if (m_SettingToAutoWideSize(stream, key)) {
            return true;
        }
    }
    AV_LOG(1, "[ORB_PICTURE][%s-%s] m_IsNeedToAutoWideSetting() return false, does not supported AFD/WSS [%d] ",
           kClassName, m_strHandle.c_str(), size);
    return false;
}

// Caption and custom sizes take their remembered offset back from the option
// record (bStoreFB: also mirrored to the fast-boot store). True when the
// custom offset is a screen-fit position: that step then applies the picture
// and `result` is its result.
bool TCSizeControl::m_RestoreRememberedOffset(TVStream stream, TSAspectRatioKey key, EPictureSizeType size,
                                              bool bStoreFB, int& result) {
    if (size != PICTURESIZETYPE_CAPTION && size != PICTURESIZETYPE_CUSTOM) {
        return false;
    }
    const char* handle = m_strHandle.c_str();
    TSPictureSizeOption option;
    m_GetPictureSizeDetailInfo(size, key, option, bStoreFB, bStoreFB ? stream : nullptr);
    const TSRectInfo offset = OffsetOf(option);
    if (size == PICTURESIZETYPE_CAPTION) {
        t_captionOffset = offset;
        AV_LOG(1, "[ORB_PICTURE][%s-%s] Caption, setting to offset value by last_memory x[%d], y[%d], w[%d], h[%d]",
               kClassName, handle, offset.x, offset.y, offset.width, offset.height);
        return false;
    }
    t_customOffset = offset;
    if (m_CheckScreenFitPosition(stream, size, key, offset.x, offset.y, offset.width, offset.height)) {
        AV_LOG(1, "[ORB_PICTURE][%s-%s] Custom, SetZoomPosition by last_memory x[%d], y[%d], w[%d], h[%d]",
               kClassName, handle, offset.x, offset.y, offset.width, offset.height);
        result = SetScreenFitPosition(stream, key, offset.x, offset.y);
        return true;
    }
    AV_LOG(1, "[ORB_PICTURE][%s-%s] Custom, setting to offset value by last_memory x[%d], y[%d], w[%d], h[%d]",
           kClassName, handle, offset.x, offset.y, offset.width, offset.height);
    return false;
}

// The letterbox detector runs for the 21:9 automatic size only. Switching it
// on re-applies a held detection result (true: the picture is set);
// switching it off drops the result. bTraced: scope traces around the calls.
bool TCSizeControl::m_SwitchLetterboxDetector(TVStream stream, TSAspectRatioKey key, EPictureSizeType size,
                                              bool bTraced) {
    const char* handle = m_strHandle.c_str();
    std::optional<TCScopeTrace> trace;
    if (size == PICTURESIZETYPE_21_9_AUTO) {
        AV_LOG(1, "[ORB_PICTURE][%s-%s] changing p.size to PictureSize Auto, turn on the dsp", kClassName, handle);
        if (bTraced) trace.emplace("TCSizeControl::SetPictureSize - lumvideo_api_set_lbd_on");
        lumvideo_api_set_lbd_on();
        trace.reset();
        if (!t_21to9SizeInfo.bUpdated) {
            return false;
        }
        const TS21to9SizeInfo info = t_21to9SizeInfo;
        Set21to9_AutoSize(stream, key, info.bLogoDetected, info.bCaptionDetected, info.TopBlankLine,
                          info.BottomBlankLine);
        return true;
    }
    AV_LOG(1, "[ORB_PICTURE][%s-%s] changing p.size[%d], turn off the dsp ", kClassName, handle, size);
    if (bTraced) trace.emplace("TCSizeControl::SetPictureSize - lumvideo_api_set_lbd_off");
    lumvideo_api_set_lbd_off();
    trace.reset();
    Reset21to9SizeInfo();
    return false;
}

bool TCSizeControl::m_IsNeedToAutoWideSetting(TVStream stream, TSAspectRatioKey key, EPictureSizeType size) {
    PerfScope marker(kClassName, "m_IsNeedToAutoWideSetting", " 2");
    TCAVCheck* avCheck = TCAVCheck::GetInstance();
    if (avCheck == nullptr) {
        AV_LOG(2, "[TCSizeControl::m_IsNeedToAutoWideSetting] avCheck is NULL!!");
        return false;
    }

    bool bResult = false;
    bool bAutoWide = false;
    bool bSupported = false;
    avCheck->CheckPictureSizeSubMenu(key, size, P_SIZESUB_AUTOWIDE, bSupported);
    if (bSupported) {
        const bool bMLS = ExceptionState(stream, key, EXCEPTION_SCREEN_MLS);
        const bool bMHL = ExceptionState(stream, key, EXCEPTION_SCREEN_MHL);
        m_GetAutoWideOption(key, bAutoWide, size);
        if ((size == PICTURESIZETYPE_16_9 || size == PICTURESIZETYPE_21_9) && bAutoWide && m_handle.p == kMainP &&
            GetCurrentScreenState() == SCREENSTATE_FULLSIZE && !bMLS && !bMHL) {
            AV_LOG(1, "[%s-%s] Setting to AutoWide Size, bAutoWideOption [%d]", kClassName, m_strHandle.c_str(),
                   bAutoWide);
            // Media playback with an analog key has no signalling to follow.
            bResult = !(IsPlaybackSource(key.source) && !key.dtv);
        }
    }

    AV_LOG(1,
           "[ORB_PICTURE][%s-%s] is end, result[%d], p.size[%d], key.source[%d], key.dtv[%d], bAutoWideOption[%d]",
           kClassName, m_strHandle.c_str(), bResult, size, key.source, key.dtv, bAutoWide);
    return bResult;
}

bool TCSizeControl::m_SettingToAutoWideSize(TVStream stream, TSAspectRatioKey key) {
    PerfBegin(kClassName, "m_SettingToAutoWideSize", " 2");
    if (!key.dtv && IsPlaybackSource(key.source)) {
        return false;  // media playback with an analog key: no signal, no end marker
    }
    int result = 0;
    if (!key.dtv) {
        int wss = 0;
        if (PlayerStream(stream, __FUNCTION__, __LINE__, m_strHandle, TV_PROPERTY_ANALOG_WSS)) {
            tv_stream_get_property(stream, TV_PROPERTY_ANALOG_WSS, &wss, nullptr);
        }
        AV_LOG(1, "[%s-%s] dtv[%d],Get WSS value from signal [%d]", kClassName, m_strHandle.c_str(), key.dtv, wss);
        result = HT_CALL_MEMBER(this, &TCSizeControl::ChangeVideoSizeByWSS, HT_DIRS(1, 1, 1, 1), stream, key, wss, -1);
    } else {
        int afd = 0;
        if (PlayerStream(stream, __FUNCTION__, __LINE__, m_strHandle, TV_PROPERTY_AFD)) {
            HT_CALL(tv_stream_get_property, HT_DIRS(1, 1, 2, 1), stream, TV_PROPERTY_AFD, &afd, nullptr);
        }
        AV_LOG(1, "[%s-%s] dtv[%d], Get AFD value from signal [%d]", kClassName, m_strHandle.c_str(), key.dtv, afd);
        result = HT_CALL_MEMBER(this, &TCSizeControl::ChangeVideoSizeByAFD, HT_DIRS(1, 1, 1, 1), stream, key,
                                static_cast<unsigned char>(afd & 0xFF), -1);
    }
    PerfEnd(kClassName, "m_SettingToAutoWideSize", " 2");
    return result != 0;
}

int TCSizeControl::m_ApplyCurrentSignal(TVStream stream, TSAspectRatioKey key, int screenModePreview) {
    const char* handle = m_strHandle.c_str();
    if (key.dtv) {
        int afd = 0;
        if (PlayerStream(stream, __FUNCTION__, __LINE__, m_strHandle, TV_PROPERTY_AFD)) {
            HT_CALL(tv_stream_get_property, HT_DIRS(1, 1, 2, 1), stream, TV_PROPERTY_AFD, &afd, nullptr);
        }
        AV_LOG(1, "[%s-%s] dtv[%d], Get AFD value from signal [%d]", kClassName, handle, key.dtv, afd);
        return ChangeVideoSizeByAFD(stream, key, static_cast<unsigned char>(afd & 0xFF), screenModePreview);
    }
    int wss = 0;
    if (PlayerStream(stream, __FUNCTION__, __LINE__, m_strHandle, TV_PROPERTY_ANALOG_WSS)) {
        HT_CALL(tv_stream_get_property, HT_DIRS(1, 1, 2, 1), stream, TV_PROPERTY_ANALOG_WSS, &wss, nullptr);
    }
    AV_LOG(1, "[%s-%s] dtv[%d],Get WSS value from signal [%d]", kClassName, handle, key.dtv, wss);
    return ChangeVideoSizeByWSS(stream, key, wss, screenModePreview);
}

void TCSizeControl::m_SaveDetailOption(TVStream stream, TSAspectRatioKey key, EPictureSizeType size,
                                       const TSPictureSizeOption& option, TIAspectRatioAgent* agent) {
    agent->SetPictureSizeDetailInfo(StoreSource(key.source), t_ConvertResolutionToResolutionMode(key.resolution),
                                    size, option);
    HT_CALL_MEMBER(this, &TCSizeControl::m_StoreFBPictureSize, HT_DIRS(1, 1, 1, 1, 1), stream, key, size, option,
                   true);
}

int TCSizeControl::SetAutoWideOption(TVStream stream, TSAspectRatioKey key, bool onOff, bool bSave) {
    // m_lock before the agent manager's lock: the apply steps below take m_lock.
    TCMutexGuard guard(m_lock);
    const char* handle = m_strHandle.c_str();
    AV_LOG(4, "[%s-%s] is called", kClassName, handle);
    EPictureSizeType size = PICTURESIZETYPE_16_9;
    GetPictureSize(key, size);

    TCAspectRatioAgentAccess access;
    if (access.agent == nullptr) {
        AV_LOG(1, "[%s-%s] pData is NULL!!", kClassName, handle);
        return 0;
    }
    TSPictureSizeOption option;
    m_GetPictureSizeDetailInfo(size, key, option, false, nullptr);
    if (bSave) {
        option.bAutoWide = onOff;
        m_SaveDetailOption(stream, key, size, option, access.agent);
    }

    if (onOff) {
        AV_LOG(1, "[ORB_PICTURE][%s-%s] end, AutoWide On => setting to WSS or AFD", kClassName, handle);
        return m_ApplyCurrentSignal(stream, key, -1);
    }

    AV_LOG(1, "[ORB_PICTURE][%s-%s] end, AutoWide Off => setting to 16:9 or 21:9", kClassName, handle);
    if (size != PICTURESIZETYPE_16_9 && size != PICTURESIZETYPE_21_9) {
        AV_LOG(1, "[%s-%s] Invaild pictureSize [%d]", kClassName, handle, size);
        return 0;
    }
    return HT_CALL_MEMBER(this, static_cast<SetPictureSizeFn>(&TCSizeControl::SetPictureSize), HT_DIRS(1, 1, 1, 1),
                          stream, key, size, true);
}

int TCSizeControl::Set21to9_AutoSize(TVStream stream, TSAspectRatioKey key, bool bLogoDetected,
                                     bool bCaptionDetected, int TopBlankLine, int BottomBlankLine) {
    TCMutexGuard guard(m_lock);
    const char* handle = m_strHandle.c_str();
    const EScreenStateType state = GetCurrentScreenState();
    AV_LOG(1, "[ORB_PICTURE][%s-%s] is called, source : %d , resolution : %d, [p:%d/s:%d] ", kClassName, handle,
           key.source, key.resolution, m_handle.p, m_handle.s);
    AV_LOG(1, "[ORB_PICTURE][%s-%s] t_eCurrentScreenState[%d] , [p:%d/s:%d]", kClassName, handle, state, m_handle.p,
           m_handle.s);

    if (state == SCREENSTATE_PIG_BY_CROPVIDEO || state == SCREENSTATE_PIG_BY_SETSIZE) {
        AV_LOG(1, "[ORB_PICTURE] PIG case by APP, cannot setting to 21:9 Auto, t_eCurrentScreenState[%d]", state);
        return 0;
    }
    EPictureSizeType size = PICTURESIZETYPE_16_9;
    GetPictureSize(key, size);
    if (size != PICTURESIZETYPE_21_9_AUTO) {
        AV_LOG(1, "[%s-%s] Invalid Picture Size! Need to PICTURESIZETYPE_21_9_AUTO[%d]", kClassName, handle, size);
        return 0;
    }
    const bool bLetterboxSource = InList(kLetterboxSources, key.source);
    if (!bLetterboxSource && !key.dtv) {
        AV_LOG(1, "[%s-%s] Invalid Source for setting letter box detection. source[%d], dtv[%d]", kClassName, handle,
               key.source, key.dtv);
        return 0;
    }

    bool bSupport = false;
    bool bOutput = false;
    if (PlayerStream(stream, __FUNCTION__, __LINE__, m_strHandle, TV_PROPERTY_21_9_SUPPORTED)) {
        HT_CALL(tv_stream_get_property, HT_DIRS(1, 1, 2, 1), stream, TV_PROPERTY_21_9_SUPPORTED, &bSupport, nullptr);
    }
    if (PlayerStream(stream, __FUNCTION__, __LINE__, m_strHandle, TV_PROPERTY_21_9_ACTIVE)) {
        HT_CALL(tv_stream_get_property, HT_DIRS(1, 1, 2, 1), stream, TV_PROPERTY_21_9_ACTIVE, &bOutput, nullptr);
    }
    AV_LOG(1,
           "[ORB_PICTURE][%s-%s] bLogoDetected[%d], bCaptionDetected[%d], TopBlankLine[%d], BottomBlankLine[%d] "
           "[p:%d/s:%d]",
           kClassName, handle, bLogoDetected, bCaptionDetected, TopBlankLine, BottomBlankLine, m_handle.p,
           m_handle.s);
    AV_LOG(1, "[ORB_PICTURE][%s-%s] bCheck_21to9Support[%d], bCheck_21to9Output[%d],[p:%d/s:%d]", kClassName, handle,
           bSupport, bOutput, m_handle.p, m_handle.s);

    if (bLetterboxSource && bSupport && !bOutput) {
        AV_LOG(1, "[ORB_PICTURE][%s-%s] waiting to 21to9_OutPut signal, 21to9 Support[%d] 21to9 Output[%d]",
               kClassName, handle, bSupport, bOutput);
        return 0;
    }
    if (TopBlankLine < 0 || BottomBlankLine < 0) {
        AV_LOG(1, "[ORB_PICTURE] Invalid Picture Size TopBlankLine:[%d] BottomBlankLine:[%d]", TopBlankLine,
               BottomBlankLine);
        return 0;
    }

    TSRectInfo src(0, 0, 0, 0);
    TSRectInfo dst(0, 0, 0, 0);
    RefreshGFXRectSize(stream);
    t_GetRectSizeByLookupTable(stream, PICTURESIZETYPE_21_9_AUTO, key, src, dst, kAfdNone);
    t_SetPanorama(stream, PICTURESIZETYPE_21_9_AUTO, key);
    AV_LOG(1, "[ORB_PICTURE] lookupSize, srcRect.x:[%d] srcRect.y:[%d]  srcRect.width:[%d] srcRect.height:[%d]",
           src.x, src.y, src.width, src.height);

    // Cut the blank lines; a logo on top or a caption below stays visible
    // unless the panel already shows 21:9.
    const int y0 = src.y;
    const int h0 = src.height;
    const int vertical = static_cast<int>(key.resolutionInfo.vertical);
    if (!bLogoDetected || bOutput) {
        // Wrapping: the source comes from the input's resolution as the
        // broadcast reports it, which nothing bounds.
        const int top = WrapSub(TopBlankLine, y0);
        src.y = TopBlankLine;
        src.height = WrapSub(h0, top);
        AV_LOG(1,
               "[ORB_PICTURE] Crop the TopLine,  bLogoDetected [%d], bCheck_21to9Output[%d], converting_TopLine[%d]",
               bLogoDetected, bOutput, top);
    }
    if (!bCaptionDetected || bOutput) {
        const int cut = WrapSub(WrapAdd(WrapAdd(y0, h0), BottomBlankLine), vertical);
        src.height = WrapSub(src.height, cut);
        AV_LOG(1,
               "[ORB_PICTURE] Crop the BottomLine,  bCaptionDetected [%d], bCheck_21to9Output[%d], "
               "converting_BottomLine[%d]",
               bCaptionDetected, bOutput, cut);
    }
    AV_LOG(1,
           "[ORB_PICTURE] final_calculation, srcRect.x:[%d] srcRect.y:[%d]  srcRect.width:[%d] srcRect.height:[%d]",
           src.x, src.y, src.width, src.height);

    return m_SetCropVideo(stream, src, dst, PICTURESIZETYPE_21_9_AUTO);
}
