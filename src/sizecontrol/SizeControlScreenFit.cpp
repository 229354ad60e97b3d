// Screen fit: reading the option (with the analog rule and the fallback when
// auto is not offered), setting and previewing it, the automatic decision
// from the input's info frames, and the PC-mode flag of the input.
#include <tvav/AVCheck.h>
#include "common/Log.h"
#include "sizecontrol/Mutex.h"
#include <tvav/SizeControl.h>
#include "sizecontrol/SizeControlRules.h"
#include "avoc.h"
#include "instrument/CallLayer.h"
#include "instrument/PerfMarker.h"
#include "tv_stream.h"

using tvav::CodeSet;
using tvav::InCodeSet;
using tvav::InRanges;
using tvav::sizecontrol::IsDigitalExternal;
using tvav::sizecontrol::PlayerStream;
using tvav::sizecontrol::IsScreenFitResolution;
using tvav::sizecontrol::kClassName;
using tvav::sizecontrol::kPcCapableSources;
using tvav::sizecontrol::kResolution1080p24;
using tvav::sizecontrol::StoreSource;
using tvav::sizecontrol::TCAspectRatioAgentAccess;

namespace {

constexpr kova_picture_mode_e kScreenFitPictureMode = 0x10002;
constexpr int kHdrPlusOn = 1;
constexpr unsigned char kFrameUnset = 0xFF;

// Automatic screen fit from the AVI and SPD info-frame bytes; first matching
// row wins, no row means off. 1080p at 24 Hz is on before this table.
struct TSScreenFitAutoRule {
    uint32_t aviFrames;  // CodeSet of AVI values
    uint32_t spdFrames;  // CodeSet of SPD values; kAnySpd matches every value
    bool bEnhanced;      // also needs the screen-fit picture mode or HDR+ on
    EScreenFitOptionType result;
};
constexpr uint32_t kAnySpd = 0;
constexpr TSScreenFitAutoRule kScreenFitAutoRules[] = {
    {CodeSet({0}), CodeSet({0}), true, SCREENFITOPTION_ON},
    {CodeSet({0}), CodeSet({2, 8, 9, 10}), false, SCREENFITOPTION_ON},
    {CodeSet({0}), kAnySpd, false, SCREENFITOPTION_OFF},
    {CodeSet({1, 3}), CodeSet({10}), false, SCREENFITOPTION_ON},
    {CodeSet({1, 3}), kAnySpd, false, SCREENFITOPTION_OFF},
    {CodeSet({2}), kAnySpd, false, SCREENFITOPTION_ON},
};

EScreenFitOptionType DecideScreenFitAuto(unsigned char avi, unsigned char spd, bool bEnhanced) {
    for (const TSScreenFitAutoRule& rule : kScreenFitAutoRules) {
        if (InCodeSet(rule.aviFrames, avi) && (rule.spdFrames == kAnySpd || InCodeSet(rule.spdFrames, spd)) &&
            (!rule.bEnhanced || bEnhanced)) {
            return rule.result;
        }
    }
    return SCREENFITOPTION_OFF;
}

bool PcModeException(const TSAspectRatioKey& key, bool bPCMode) {
    return TCAVCheck::CheckExceptionScreenState(nullptr, key, EXCEPTION_SCREEN_PC_MODE, bPCMode);
}

}  // namespace

int TCSizeControl::GetScreenFitOption(TVStream stream, TSAspectRatioKey key, EScreenFitOptionType& option) {
    const char* handle = m_strHandle.c_str();
    AV_LOG(4, "[%s-%s] is called", kClassName, handle);
    AV_LOG(1, "[%s-%s] source : %d , dtv : %d , resolution : %d", kClassName, handle, key.source, key.dtv,
           key.resolution);

    TCMutexGuard guard(m_lock);
    TCAspectRatioAgentAccess access;
    if (access.agent == nullptr) {
        AV_LOG(1, "[%s-%s] pData is NULL!!", kClassName, handle);
        return 0;
    }
    if (PcModeException(key, t_bCurrentPCMode)) {
        option = SCREENFITOPTION_OFF;
        return 1;
    }
    EPictureSizeType size = PICTURESIZETYPE_16_9;
    GetPictureSize(key, size);
    t_GetScreenFitOption(stream, key, option, size);
    AV_LOG(1, "[%s-%s] end, return to srceenFit[%d]", kClassName, handle, option);
    return 1;
}

int TCSizeControl::t_GetScreenFitOption(TVStream stream, TSAspectRatioKey key, EScreenFitOptionType& option,
                                        EPictureSizeType size) {
    // The end marker is emitted on the analog path and at the normal end only.
    tvav::PerfBegin(kClassName, __FUNCTION__);
    const char* handle = m_strHandle.c_str();
    AV_LOG(4, "[%s-%s] is called", kClassName, handle);
    AV_LOG(1, "[%s-%s] source : %d , dtv : %d , resolution : %d", kClassName, handle, key.source, key.dtv,
           key.resolution);

    key.source = StoreSource(key.source);
    if (key.source == 0 && !key.dtv) {
        AV_LOG(1, "[%s-%s] dtv[%d]. ATV Doesn't support this option.", kClassName, handle, key.dtv);
        option = SCREENFITOPTION_OFF;
        tvav::PerfEnd(kClassName, __FUNCTION__);
        return 1;
    }

    TCMutexGuard guard(m_lock);
    TCAspectRatioAgentAccess access;
    if (access.agent == nullptr) {
        AV_LOG(1, "[%s-%s] pData is NULL!!", kClassName, handle);
        return 0;
    }
    if (PcModeException(key, t_bCurrentPCMode)) {
        option = SCREENFITOPTION_OFF;
        return 1;
    }

    const int mode = t_ConvertResolutionToResolutionMode(key.resolution);
    TSPictureSizeOption record;
    m_GetPictureSizeDetailInfo(size, key, record, true, nullptr);
    option = static_cast<EScreenFitOptionType>(record.screenFit);

    if (option == SCREENFITOPTION_AUTO) {
        TCAVCheck* avCheck = TCAVCheck::GetInstance();
        if (avCheck == nullptr) {
            AV_LOG(2, "[TCSizeControl::%s] avCheck is NULL!!", __FUNCTION__);
            return 0;
        }
        TSSourceTypeInfo info;
        info.pictureSize = size;
        bool bAutoOffered = false;
        avCheck->CheckScreenFitOption(stream, key, info, SCREENFITOPTION_AUTO, bAutoOffered);
        if (!bAutoOffered) {
            // Auto is not offered on this input: keep the nearest fixed value from now on.
            option = size == PICTURESIZETYPE_CUSTOM ? SCREENFITOPTION_ON : SCREENFITOPTION_OFF;
            record.screenFit = option;
            access.agent->SetPictureSizeDetailInfo(key.source, mode, size, record);
        }
    }

    t_AdjustScreenFitForVideoWall(key, option, size);
    AV_LOG(1, "[%s-%s] end, return to srceenFit[%d]", kClassName, handle, option);
    tvav::PerfEnd(kClassName, __FUNCTION__);
    return 1;
}

int TCSizeControl::t_AdjustScreenFitForVideoWall(TSAspectRatioKey, EScreenFitOptionType&, EPictureSizeType) {
    return 0;
}

void TCSizeControl::m_UpdatePCMode(TVStream stream, TSAspectRatioKey key) {
    if (!InRanges(kPcCapableSources, key.source)) {
        t_bCurrentPCMode = false;
        return;
    }
    // A failed query, or none for want of a stream, leaves the previous value.
    if (PlayerStream(stream, __FUNCTION__, __LINE__, m_strHandle, TV_PROPERTY_PC_MODE)) {
        HT_CALL(tv_stream_get_property, HT_DIRS(1, 1, 2, 1), stream, TV_PROPERTY_PC_MODE, &t_bCurrentPCMode,
                nullptr);
    }
}

int TCSizeControl::m_CheckScreenFitAutowork(TVStream stream, TSAspectRatioKey key, EScreenFitOptionType& result) {
    const char* handle = m_strHandle.c_str();
    AV_LOG(4, "[%s-%s] is called", kClassName, handle);
    unsigned char avi = kFrameUnset;
    unsigned char spd = kFrameUnset;
    kova_picture_mode_e pictureMode = 0;
    int hdrPlus = 0;
    result = SCREENFITOPTION_OFF;

    if (!IsDigitalExternal(key.source) || !IsScreenFitResolution(key.resolution)) {
        AV_LOG(1, "[ORB_PICTURE][%s-%s] ScreenFit Auto is not supported!", kClassName, handle);
    } else {
        tvav::PerfBegin(kClassName, "m_CheckScreenFitAutowork", "-AVOC_PICTURE_MODE");
        const int modeResult = HT_CALL(avoc_get_picture_mode, HT_DIRS(1, 2, 1), 0, &pictureMode, 1);
        tvav::PerfEnd(kClassName, "m_CheckScreenFitAutowork", "-AVOC_PICTURE_MODE");
        if (modeResult != 0) {
            AV_LOG(1, "[ORB_PICTURE][%s-%s] Failed to get currentPictureMode!", kClassName, handle);
            pictureMode = 0;
        }
        if (PlayerStream(stream, __FUNCTION__, __LINE__, m_strHandle, TV_PROPERTY_HDMI_AVI_INFOFRAME)) {
            HT_CALL(tv_stream_get_property, HT_DIRS(1, 1, 2, 1), stream, TV_PROPERTY_HDMI_AVI_INFOFRAME, &avi,
                    nullptr);
        }
        if (PlayerStream(stream, __FUNCTION__, __LINE__, m_strHandle, TV_PROPERTY_HDMI_SPD_INFOFRAME)) {
            HT_CALL(tv_stream_get_property, HT_DIRS(1, 1, 2, 1), stream, TV_PROPERTY_HDMI_SPD_INFOFRAME, &spd,
                    nullptr);
        }
        if (HT_CALL(avoc_get_hdr_plus_mode, HT_DIRS(2, 1), &hdrPlus, 1) != 0) {
            AV_LOG(1, "[ORB_PICTURE][%s-%s] Failed to get hdr_plus!", kClassName, handle);
            hdrPlus = 0;
        }

        if (key.resolution == kResolution1080p24) {
            AV_LOG(1, "[ORB_PICTURE][%s-%s] screenFit_ON : 1080P_24Hz", kClassName, handle);
            result = SCREENFITOPTION_ON;
        } else {
            result = DecideScreenFitAuto(avi, spd, pictureMode == kScreenFitPictureMode || hdrPlus == kHdrPlusOn);
        }
    }

    AV_LOG(1,
           "[ORB_PICTURE][%s-%s] end, key.source[%d], key.resolution[%d], p_mode [%d], hdr_plus[%d], avi_frame[%d], "
           "spd_frame[%d] result of ScreenFit Auto[%d]",
           kClassName, handle, key.source, key.resolution, pictureMode, hdrPlus, avi, spd, result);
    return 1;
}

int TCSizeControl::SetScreenFitOption(TVStream stream, TSAspectRatioKey key, EScreenFitOptionType option,
                                      bool bSave) {
    const char* handle = m_strHandle.c_str();
    AV_LOG(1, "[ORB_PICTURE][%s-%s] source : %d , dtv : %d , resolution : %d, screenfit_option : %d", kClassName,
           handle, key.source, key.dtv, key.resolution, option);

    TCMutexGuard guard(m_lock);
    TCAspectRatioAgentAccess access;
    if (access.agent == nullptr) {
        AV_LOG(1, "[%s-%s] pData is NULL!!", kClassName, handle);
        return 0;
    }
    const int mode = t_ConvertResolutionToResolutionMode(key.resolution);
    const int source = StoreSource(key.source);

    EPictureSizeType size = PICTURESIZETYPE_16_9;
    GetPictureSize(key, size);
    TSPictureSizeOption record;
    m_GetPictureSizeDetailInfo(size, key, record, false, nullptr);
    const int32_t previous = record.screenFit;
    m_eScreenFitOption = option;

    const EScreenStateType state = GetCurrentScreenState();
    if (state == SCREENSTATE_PIG_BY_CROPVIDEO) {
        AV_LOG(1,
               "[%s-%s] t_eCurrentScreenState[%d], This is PIG mode By SetCropVideo, Only update "
               "SetPictureSizeInfo[%d]",
               kClassName, handle, state, option);
        if (bSave) {
            record.screenFit = option;
            access.agent->SetPictureSizeDetailInfo(source, mode, size, record);
        }
        return 1;
    }

    // Stored also for a preview, so that the apply below sees the new value.
    record.screenFit = option;
    access.agent->SetPictureSizeDetailInfo(source, mode, size, record);
    const int refreshed = RefreshGFXRectSize(stream);
    AV_LOG(1, "[%s-%s] RefreshGFXRectSize() ret[%d]", kClassName, handle, refreshed);

    int result = 0;
    const TSRectInfo custom = t_customOffset;
    if (m_CheckScreenFitPosition(stream, size, key, custom.x, custom.y, custom.width, custom.height)) {
        AV_LOG(1, "[ORB_PICTURE][%s-%s] Custom, SetZoomPosition by last_memory x[%d], y[%d], w[%d], h[%d]",
               kClassName, handle, custom.x, custom.y, custom.width, custom.height);
        result = SetScreenFitPosition(stream, key, custom.x, custom.y);
    } else if (m_IsNeedToAutoWideSetting(stream, key, size)) {
        AV_LOG(1, "[ORB_PICTURE][%s-%s] m_IsNeedToAutoWideSetting() - true case [p:%d/s:%d]", kClassName, handle,
               m_handle.p, m_handle.s);
        result = m_SettingToAutoWideSize(stream, key) ? 1 : 0;
    } else if (size == PICTURESIZETYPE_21_9_AUTO && t_21to9SizeInfo.bUpdated) {
        AV_LOG(1, "[%s-%s] PICTURESIZETYPE_21_9_AUTO case, apply to 21:9 letterbox size", kClassName, handle);
        const TS21to9SizeInfo info = t_21to9SizeInfo;
        result = Set21to9_AutoSize(stream, key, info.bLogoDetected, info.bCaptionDetected, info.TopBlankLine,
                                   info.BottomBlankLine);
    } else {
        TSRectInfo src(0, 0, 0, 0);
        TSRectInfo dst(0, 0, 0, 0);
        t_GetRectSizeByLookupTable(stream, size, key, src, dst, tvav::sizecontrol::kAfdNone);
        t_SetPanorama(stream, size, key);
        const EScreenStateType current = GetCurrentScreenState();
        if (current == SCREENSTATE_PIG_BY_SETSIZE) {
            dst = TSRectInfo(t_currentDst.x, t_currentDst.y, t_currentDst.width, t_currentDst.height);
            AV_LOG(1,
                   "[ORB_PICTURE][%s-%s] Apply manual dstRct by APP[%s], (%d, %d, %d, %d), "
                   "t_eCurrentScreenState[%d]",
                   kClassName, handle, m_strSetSizeCaller.c_str(), dst.x, dst.y, dst.width, dst.height, current);
        }
        result = HT_CALL_MEMBER(this, &TCSizeControl::m_SetCropVideo, HT_DIRS(1, 1, 1, 1), stream, src, dst, size);
    }

    if (bSave) {
        record.screenFit = m_eScreenFitOption;
        access.agent->SetPictureSizeDetailInfo(source, mode, size, record);
        HT_CALL_MEMBER(this, &TCSizeControl::m_StoreFBPictureSize, HT_DIRS(1, 1, 1, 1, 1), stream, key, size, record,
                       true);
    } else {
        // A preview: the stored value goes back to what it was.
        record.screenFit = previous;
        access.agent->SetPictureSizeDetailInfo(source, mode, size, record);
    }
    return result;
}
