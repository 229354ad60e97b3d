// Video sink output: the source/destination write (property 610, or the
// ATSC 3.0 call), the picture-size-change event, the once-per-process
// hand-over from the fast-boot video server, and the panel's 21:9 switch.
#include "common/Log.h"
#include <tvav/SizeControl.h>
#include "sizecontrol/SizeControlRules.h"
#include "avoc.h"
#include "fb_nv.h"
#include "instrument/CallLayer.h"
#include "instrument/PerfMarker.h"
#include "system_info.h"
#include "tv_stream.h"

using namespace tvav;
using namespace tvav::sizecontrol;

namespace {

// Value of system-information key 254 on panels with the 21:9 output switch.
constexpr int kKytPanelCode = 14;

}  // namespace

int TCSizeControl::m_SetCropVideo(TVStream stream, TSRectInfo src, TSRectInfo dst, EPictureSizeType /*size*/) {
    const char* handle = m_strHandle.c_str();
    AV_LOG(4, "[%s-%s] is called", kClassName, handle);
    if (stream == nullptr) {
        AV_LOG(1, "[ORB_PICTURE][%s-%s] streamId is NULL!! m_SetCropVideo() return false!!", kClassName, handle);
        return 0;
    }

    if (m_IsWideScreenModel() && GetCurrentScreenState() == SCREENSTATE_FULLSIZE) {
        m_bDstWiderThanFull = dst.width > t_fullScreenRect.width;
    }
    t_currentSrc = {src.x, src.y, src.width, src.height};
    t_currentDst = {dst.x, dst.y, dst.width, dst.height};

    TvStreamXvideoSrcDstRect rect{src.x, src.y, src.width, src.height, dst.x, dst.y, dst.width, dst.height};
    HT_SCOPE_CONTAINER(scope, 3);
    ht::TCScopeHandler::Instance(scope).m_Store(rect);

    int result;
    {
        PerfScope marker(kClassName, "m_SetCropVideo", "-SRCDST");
        TCScopeTrace trace("TCSizeControl::m_SetCropVideo-TV_PROPERTY_VIDEO_SINK_SRCDST_POINTER");
        const int type = HT_CALL(tv_stream_get_type, HT_DIRS(1), stream);
        if (IsAtsc3Stream(type)) {
            result = HT_CALL(tv_stream_atsc3_set_video_size, HT_DIRS(1, 1), stream, &rect);
            AV_LOG(1,
                   "[%s-%s] [ATSC3] ATSC3.0 Stream Size Change tv_stream_atsc3_set_video_size(), ret[%d], "
                   "src[%d,%d,%d,%d] dst[%d,%d,%d,%d] ",
                   kClassName, handle, result, src.x, src.y, src.width, src.height, dst.x, dst.y, dst.width,
                   dst.height);
        } else {
            result = HT_CALL(tv_stream_set_property, HT_DIRS(1, 1, 1, 1), stream,
                             TV_PROPERTY_VIDEO_SINK_SRCDST_POINTER, &rect, nullptr);
            AV_LOG(1,
                   "[ORB_PICTURE][TCSizeControl::m_SetCropVideo][TvStream=%p] "
                   "set_property(TV_PROPERTY_VIDEO_SINK_SRCDST_POINTER)[%d], src[%d,%d,%d,%d] dst[%d,%d,%d,%d]",
                   stream, result, src.x, src.y, src.width, src.height, dst.x, dst.y, dst.width, dst.height);
        }
    }

    TIEventManager* eventMgr = TIEventManager::Instance();
    if (eventMgr == nullptr) {
        AV_LOG(1, "[%s-%s] pEventMgr is NULL!!", kClassName, handle);
        return 0;
    }
    eventMgr->SendEvent(kEventPictureSizeChange, &m_handle, 0);

    m_TerminateFastvideoServer(stream);
    return result == 0 ? 1 : 0;
}

void TCSizeControl::m_TerminateFastvideoServer(TVStream stream) {
    TCAgentMgr* agentMgr = TCAgentMgr::Instance();
    agentMgr->RLock();

    bool bATSC3FastvideoCase = false;
    auto* agent = dynamic_cast<TIATSC3FastvideoAgent*>(agentMgr->m_Instance(AGENT_KEY_ATSC3_FASTVIDEO));
    TSATSC3FastvideoInfo info;
    if (agent != nullptr && agent->GetATSC3FastvideoInfo(&info)) {
        bATSC3FastvideoCase = info.ATSC3FastvideoOnOff == 1;
        if (bATSC3FastvideoCase) {
            AV_LOG(1, "[m_TerminateFastvideoServer] eATSC3FastvideoInfo.ATSC3FastvideoOnOff is true, so do "
                      "ATSC3Fastvideo !!");
        } else {
            AV_LOG(1, "[m_TerminateFastvideoServer] eATSC3FastvideoInfo.ATSC3FastvideoOnOff is false, skip "
                      "ATSC3Fastvideo !!");
        }
    }
    AV_LOG(1, "[m_TerminateFastvideoServer] bATSC3FastvideoCase[%d], m_bNeedtoTerminateFBServer[%d], "
              "m_bFlagSkipFBterminate[%d]",
           bATSC3FastvideoCase, m_bNeedtoTerminateFBServer.load(), m_bFlagSkipFBterminate.load());

    if (bATSC3FastvideoCase) {
        // The ATSC 3.0 fast video still shows: the hand-over waits for a later write.
        AV_LOG(1, "[m_TerminateFastvideoServer]ATSC3Fastvideo case !! so skip fb_terminate_server");
    } else if (m_bNeedtoTerminateFBServer) {
        // One exchange: a concurrent SetFlagSkipFBterminate is either seen
        // here or finds the flag already set, never lost in between.
        if (m_bFlagSkipFBterminate.exchange(true)) {
            // Terminated elsewhere: report that result once, unless it already was.
            const int reported = m_iResultOfFBTerminate;
            if (reported != 1) {
                if (reported < 0) {
                    AV_LOG(1, "[m_TerminateFastvideoServer]call TV_PROPERTY_VIDEO_SINK_FASTVIDEO_STATUS = false !!");
                    tv_stream_set_property(stream, TV_PROPERTY_VIDEO_SINK_FASTVIDEO_STATUS, 0, nullptr);
                } else {
                    AV_LOG(1, "[m_TerminateFastvideoServer]call TV_PROPERTY_VIDEO_SINK_FASTVIDEO_STATUS = true !!");
                    tv_stream_set_property(stream, TV_PROPERTY_VIDEO_SINK_FASTVIDEO_STATUS, 1, nullptr);
                }
                m_iResultOfFBTerminate = 1;
            }
        } else {
            if (fb_terminate_server() < 0) {
                AV_LOG(1, "[m_TerminateFastvideoServer]call TV_PROPERTY_VIDEO_SINK_FASTVIDEO_STATUS = false");
                tv_stream_set_property(stream, TV_PROPERTY_VIDEO_SINK_FASTVIDEO_STATUS, 0, nullptr);
            } else {
                AV_LOG(1, "[m_TerminateFastvideoServer]call TV_PROPERTY_VIDEO_SINK_FASTVIDEO_STATUS = true");
                tv_stream_set_property(stream, TV_PROPERTY_VIDEO_SINK_FASTVIDEO_STATUS, 1, nullptr);
            }
        }
        m_bNeedtoTerminateFBServer = false;
    }

    agentMgr->RUnlock();
}

int TCSizeControl::m_SetWideMode(EPictureSizeType size) {
    PerfScope marker(kClassName, "m_SetWideMode");
    const char* handle = m_strHandle.c_str();
    if (m_handle != ORBHandle(kMainP, 0)) {
        AV_LOG(1, "[%s-%s][END] Nothing to do.", kClassName, handle);
        return 0;
    }

    bool bSupported = false;
    HT_CALL(system_info_get_value_bool, HT_DIRS(1, 2), SYSTEM_INFO_KEY_KYT_SUPPORTED, &bSupported);
    int panel = kKytPanelCode;
    HT_CALL(system_info_get_value_int, HT_DIRS(1, 2), SYSTEM_INFO_KEY_PRODUCT_CODE, &panel);
    if (!bSupported || panel != kKytPanelCode) {
        AV_LOG(1, "[ORB_PICTURE][%s-%s][BEGIN] KYT not supported!!, SYSTEM_INFO_KEY_KYT_SUPPORTED[%d]", kClassName,
               handle, bSupported);
        return 0;
    }

    // Edge-triggered: the panel is switched only when the size changes.
    if (size != m_lastWideMode) {
        m_lastWideMode = size;
        if (size == PICTURESIZETYPE_16_9 || size == PICTURESIZETYPE_4_3) {
            HT_CALL(avoc_set_wide_screen_mode, HT_DIRS(1, 1), 0, 0);
            AV_LOG(1, "[ORB_PICTURE][%s-%s][END] ePictureSizeType[%d], Set 21:9 OFF", kClassName, handle, size);
        } else {
            HT_CALL(avoc_set_wide_screen_mode, HT_DIRS(1, 1), 0, 1);
            AV_LOG(1, "[ORB_PICTURE][%s-%s][END] ePictureSizeType[%d], Set 21:9 ON", kClassName, handle, size);
        }
    }
    return 1;
}

void TCSizeControl::SetFlagSkipFBterminate(int result) {
    // The result first: a sink write that sees the flag also sees its result.
    m_iResultOfFBTerminate = result;
    m_bFlagSkipFBterminate = true;
}
