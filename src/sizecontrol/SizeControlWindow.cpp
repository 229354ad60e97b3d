// Application windows: a window placed with SetSize or SetSizeInfo, source and
// destination given with SetCropVideo, the way back with SetDefaultSizeInfo,
// the sink write SetSize shares with SetDefaultSize, and the AFD geometry
// reader.
#include <cstdio>

#include "common/Log.h"
#include "sizecontrol/Mutex.h"
#include <tvav/SizeControl.h>
#include "sizecontrol/SizeControlRules.h"
#include "instrument/CallLayer.h"

using tvav::sizecontrol::EndsBeyond;
using tvav::sizecontrol::kAfdNone;
using tvav::sizecontrol::CallerName;
using tvav::sizecontrol::IsAtsc3Stream;
using tvav::sizecontrol::kClassName;
using tvav::sizecontrol::kEventPictureSizeChange;
using tvav::sizecontrol::PlayerStream;

int TCSizeControl::SetSize(TVStream stream, TSAspectRatioKey key, int x, int y, int height, int width) {
    // The whole body under the lock: the window, the caller and the sink
    // state are written together.
    TCMutexGuard guard(m_lock);
    const std::string caller = CallerName();

    if (stream == nullptr) {
        AV_LOG(1, "[ORB_PICTURE][%s-%s] streamId is NULL!! SetSize() return false!!", kClassName, m_strHandle.c_str());
        return 0;
    }

    const int refreshResult = RefreshGFXRectSize(stream);
    AV_LOG(1, "[%s-%s] RefreshGFXRectSize() ret[%d]", kClassName, m_strHandle.c_str(), refreshResult);

    const TSRectInfo& gfx = t_BaseGfxRect;
    const bool bValid = width != 0 && height != 0 && !EndsBeyond(x, width, gfx.width) && !EndsBeyond(y, height, gfx.height) &&
                        !(width == gfx.width && height == gfx.height);
    if (!bValid) {
        AV_LOG(1, "[ORB_PICTURE][%s-%s] Invalid size!![%d,%d,%d,%d] (t_BaseGfxRect : w[%d], h[%d]) - Assert [%s] !!!",
               kClassName, m_strHandle.c_str(), x, y, width, height, gfx.width, gfx.height, caller.c_str());
        _TCAssert("0", __FILE__, __LINE__);
        std::printf("ASSERT!, Func:%s\n", "TCSizeControl::SetSize");
        return 0;
    }

    SetCurrentScreenState(SCREENSTATE_PIG_BY_SETSIZE);
    m_strSetSizeCaller = caller;

    // Only the source of the 16:9 lookup is used; the destination is the window.
    TSRectInfo src;
    TSRectInfo dst;
    HT_CALL_MEMBER(this, &TCSizeControl::t_GetRectSizeByLookupTable, HT_DIRS(1, 1, 1, 2, 2, 1), stream,
                   PICTURESIZETYPE_16_9, key, src, dst, kAfdNone);
    HT_CALL_MEMBER(this, &TCSizeControl::t_SetPanorama, HT_DIRS(1, 1, 1), stream, PICTURESIZETYPE_16_9, key);
    t_currentDst = {x, y, width, height};

    const int sinkResult = m_WriteSinkRect(stream, src, TSRectInfo(x, y, width, height), "TCSizeControl::SetSize");

    TIEventManager* pEventMgr = TIEventManager::Instance();
    if (pEventMgr == nullptr) {
        AV_LOG(1, "[%s-%s] pEventMgr is NULL!!", kClassName, m_strHandle.c_str());
        return 0;
    }
    const int eventResult = pEventMgr->SendEvent(kEventPictureSizeChange, &m_handle, 0);
    AV_LOG(1, "[%s-%s] Send Event - SIGNAL_PICTURE_SIZE_CHANGE", kClassName, m_strHandle.c_str());

    AV_LOG(1,
           "[ORB_PICTURE][%s-%s] called by[%s] end. TvStream=[%p][p:%d/s:%d], src(%d,%d,%d,%d), dst(%d,%d,%d,%d), "
           "t_eCurrentScreenState[%d], ret[%d, %d, %d]",
           kClassName, m_strHandle.c_str(), caller.c_str(), stream, m_handle.p, m_handle.s, src.x, src.y, src.width,
           src.height, x, y, width, height, GetCurrentScreenState(), refreshResult, sinkResult, eventResult);
    return sinkResult == 0 ? 1 : 0;
}

int TCSizeControl::SetSizeInfo(int x, int y, int height, int width) {
    TCMutexGuard guard(m_lock);
    HT_SCOPE_CONTAINER(scope, 3);
    ht::TCScopeHandler& values = ht::TCScopeHandler::Instance(scope);
    values.m_Store(x);
    values.m_Store(y);
    values.m_Store(height);
    values.m_Store(width);
    values.m_Store(t_eCurrentScreenState);

    const std::string caller = CallerName();

    // Unlike SetSize, a window of the whole plane is accepted here.
    const TSRectInfo& gfx = t_BaseGfxRect;
    if (width == 0 || height == 0 || EndsBeyond(x, width, gfx.width) || EndsBeyond(y, height, gfx.height)) {
        AV_LOG(1, "[ORB_PICTURE][%s-%s] Invalid size!! Just update flag for PIG size", kClassName,
               m_strHandle.c_str());
        return 0;
    }

    SetCurrentScreenState(SCREENSTATE_PIG_BY_SETSIZE);
    AV_LOG(1, "[%s-%s] currentScreenState[%d]", kClassName, m_strHandle.c_str(), GetCurrentScreenState());
    m_strSetSizeCaller = caller;
    t_currentDst = {x, y, width, height};
    AV_LOG(1, "[%s-%s] Just updated size info. t_eCurrentScreenState[%d] [p:%d/s:%d]", kClassName,
           m_strHandle.c_str(), GetCurrentScreenState(), m_handle.p, m_handle.s);
    return 1;
}

int TCSizeControl::SetCropVideo(TVStream stream, TSRectInfo src, TSRectInfo dst) {
    TCMutexGuard guard(m_lock);
    // The state changes first, so that it holds even when the sink refuses.
    SetCurrentScreenState(SCREENSTATE_PIG_BY_CROPVIDEO);
    AV_LOG(1, "[%s-%s] currentScreenState[%d]", kClassName, m_strHandle.c_str(), GetCurrentScreenState());
    m_strSetCropVideoCaller = CallerName();

    // Panorama off; the result is only recorded by the call layer. A null
    // stream never reaches the player, and m_SetCropVideo then refuses it.
    if (PlayerStream(stream, __FUNCTION__, __LINE__, m_strHandle, TV_PROPERTY_VIDEO_SINK_PANORAMA)) {
        HT_CALL(tv_stream_set_property, HT_DIRS(1, 1, 1, 1), stream, TV_PROPERTY_VIDEO_SINK_PANORAMA, false, nullptr);
    }

    AV_LOG(1, "[%s-%s] t_eCurrentScreenState[%d] [p:%d/s:%d]", kClassName, m_strHandle.c_str(),
           GetCurrentScreenState(), m_handle.p, m_handle.s);
    return HT_CALL_MEMBER(this, &TCSizeControl::m_SetCropVideo, HT_DIRS(1, 1, 1, 1), stream, src, dst,
                          PICTURESIZETYPE_16_9);
}

int TCSizeControl::m_WriteSinkRect(TVStream stream, const TSRectInfo& src, const TSRectInfo& dst,
                                   const char* traceLabel) {
    TvStreamXvideoSrcDstRect rect{src.x, src.y, src.width, src.height, dst.x, dst.y, dst.width, dst.height};
    TCScopeTrace trace(traceLabel);
    if (!IsAtsc3Stream(HT_CALL(tv_stream_get_type, HT_DIRS(1), stream))) {
        return HT_CALL(tv_stream_set_property, HT_DIRS(1, 1, 1, 1), stream, TV_PROPERTY_VIDEO_SINK_SRCDST_POINTER,
                       &rect, nullptr);
    }
    const int result = HT_CALL(tv_stream_atsc3_set_video_size, HT_DIRS(1, 1), stream, &rect);
    AV_LOG(1, "[%s-%s] [ATSC3] ATSC3.0 Stream Size Change !! ret[%d] [%d,%d,%d,%d] ", kClassName, m_strHandle.c_str(),
           result, dst.x, dst.y, dst.width, dst.height);
    return result;
}

void TCSizeControl::SetDefaultSizeInfo() {
    TCMutexGuard guard(m_lock);
    SetCurrentScreenState(SCREENSTATE_FULLSIZE);
    m_strSetSizeCaller.clear();
    m_strSetCropVideoCaller.clear();
    AV_LOG(1, "[%s-%s] currentScreenState[%d]", kClassName, m_strHandle.c_str(), GetCurrentScreenState());
}

int TCSizeControl::GetAFDGeometryRectSize(int& x, int& y, int& width, int& height) {
    AV_LOG(4, "[%s-%s] is called", kClassName, m_strHandle.c_str());
    TCMutexGuard guard(m_lock);
    x = t_afdGeometryRect.x;
    y = t_afdGeometryRect.y;
    width = t_afdGeometryRect.width;
    height = t_afdGeometryRect.height;
    AV_LOG(1, "[%s-%s] x : %d , y : %d , width : %d , height : %d", kClassName, m_strHandle.c_str(), x, y, width,
           height);
    return 1;
}
