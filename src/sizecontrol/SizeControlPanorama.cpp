// Panorama: the per-input option and the player's panorama switch that every
// picture apply sets for the size it applies.
#include "common/Log.h"
#include "sizecontrol/Mutex.h"
#include <tvav/SizeControl.h>
#include "sizecontrol/SizeControlRules.h"
#include "instrument/CallLayer.h"
#include "tv_stream.h"

using tvav::InList;
using tvav::sizecontrol::kClassName;
using tvav::sizecontrol::kPipP;
using tvav::sizecontrol::PlayerStream;
using tvav::sizecontrol::StoreSource;
using tvav::sizecontrol::TCAspectRatioAgentAccess;

namespace {

// Picture sizes that honour the stored option; every other size switches
// panorama off.
constexpr int32_t kPanoramaSizes[] = {PICTURESIZETYPE_CUSTOM, PICTURESIZETYPE_21_9, PICTURESIZETYPE_21_9_AUTO};

}  // namespace

void TCSizeControl::t_SetPanorama(TVStream stream, EPictureSizeType size, TSAspectRatioKey key) {
    if (!m_IsWideScreenModel()) {
        AV_LOG(1, "[ORB_PICTURE] Don't support Panorama model\n");
        return;
    }

    bool bPanorama = false;
    if (InList(kPanoramaSizes, size)) {
        GetPanoramaOption(key, bPanorama);
    }

    const EScreenStateType state = GetCurrentScreenState();
    if (state == SCREENSTATE_FULLSIZE) {
        SetPanoramaOption(stream, key, bPanorama, false);
    } else if (m_handle.p != kPipP && !m_bCheckLiveTvShow) {
        // An application window never shows panorama; switched off, not stored.
        SetPanoramaOption(stream, key, false, false);
    }
    AV_LOG(1, "[ORB_PICTURE] [t_SetPanorama] the panorama setting PanoramaOption[%d], t_eCurrentScreenState[%d] \n",
           bPanorama, state);
}

int TCSizeControl::SetPanoramaOption(TVStream stream, TSAspectRatioKey key, bool onOff, bool bSave) {
    // m_lock over the whole, before the agent manager's lock: the store key
    // reads the PC mode and saving mirrors the custom offset, both written
    // under m_lock by other threads.
    TCMutexGuard guard(m_lock);
    const char* handle = m_strHandle.c_str();
    AV_LOG(4, "[%s-%s] called!!", kClassName, handle);
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
        option.bPanoramaOption = onOff;
        m_SaveDetailOption(stream, key, size, option, access.agent);
    }

    if (PlayerStream(stream, __FUNCTION__, __LINE__, m_strHandle, TV_PROPERTY_VIDEO_SINK_PANORAMA)) {
        TCScopeTrace trace("TCSizeControl::SetPanoramaOption");
        HT_CALL(tv_stream_set_property, HT_DIRS(1, 1, 1, 1), stream, TV_PROPERTY_VIDEO_SINK_PANORAMA,
                static_cast<int>(onOff), nullptr);
    }
    AV_LOG(1, "[%s-%s] Panorama mode[%d]", kClassName, handle, onOff);
    return 1;
}
