#include <tvav/AnalogMts.h>

#include <tvav/AVCheck.h>
#include <tvav/AnalogMtsATSC.h>
#include <tvav/AnalogMtsDVB.h>
#include "common/Common.h"
#include "common/Log.h"
#include "common/RWLockGuard.h"
#include "instrument/CallLayer.h"
#include "vconf.h"

TCAnalogMts* TCAnalogMts::m_Instance = nullptr;
TCAnalogMts* TCAnalogMts::m_MTS_Instance = nullptr;
TCAnalogMts* TCAnalogMts::m_Dual_Instance = nullptr;
int TCAnalogMts::m_currentRegionState = -1;
TCRWLock TCAnalogMts::m_rwlock;

namespace {

constexpr int kOptionRegion = 0;
// Framework region of Korea, where the auto-stereo switch applies.
constexpr int kRegionKorea = 1;

struct TSMtsToMode {
    int signal;
    EMultiSoundMode mode;
};

// Tuner MTS type to sound mode; any other type is reported as mono.
const TSMtsToMode kMtsToMode[] = {
    {TV_ANALOG_MTS_MONO, MULTI_SOUND_MONO},
    {TV_ANALOG_MTS_STEREO, MULTI_SOUND_STEREO},
    {TV_ANALOG_MTS_SAP, MULTI_SOUND_SAP},
    {TV_ANALOG_MTS_DUAL, MULTI_SOUND_DUAL},
    {TV_ANALOG_MTS_LANG_FIRST, MULTI_SOUND_DUAL_I},
    {TV_ANALOG_MTS_LANG_SECOND, MULTI_SOUND_DUAL_II},
    {TV_ANALOG_MTS_STEREO_SAP, MULTI_SOUND_STEREO_SAP},
};

// Tuner dual-sound type to sound mode; any other type is unknown.
const TSMtsToMode kDualToMode[] = {
    {TV_ANALOG_DUAL_MONO, MULTI_SOUND_MONO},
    {TV_ANALOG_DUAL_DUAL, MULTI_SOUND_DUAL},
    {TV_ANALOG_DUAL_STEREO, MULTI_SOUND_STEREO},
    {TV_ANALOG_DUAL_EXT_MONO, MULTI_SOUND_EXT_MONO},
    {TV_ANALOG_DUAL_EXT_DUAL, MULTI_SOUND_EXT_DUAL},
    {TV_ANALOG_DUAL_EXT_STEREO, MULTI_SOUND_EXT_STEREO},
    {TV_ANALOG_DUAL_EXT_DUAL_I, MULTI_SOUND_EXT_DUAL_I},
    {TV_ANALOG_DUAL_EXT_DUAL_II, MULTI_SOUND_EXT_DUAL_II},
    {TV_ANALOG_DUAL_DUAL_I, MULTI_SOUND_DUAL_I},
    {TV_ANALOG_DUAL_DUAL_II, MULTI_SOUND_DUAL_II},
};

// Korea with auto-stereo, right after a tune: the menu shows what the tuner
// detects; any other signal is shown as mono.
const TSMtsToMode kKoreanSignalToMode[] = {
    {TV_ANALOG_MTS_STEREO, MULTI_SOUND_STEREO},
    {TV_ANALOG_MTS_LANG_FIRST, MULTI_SOUND_DUAL_I},
    {TV_ANALOG_MTS_LANG_SECOND, MULTI_SOUND_DUAL_II},
};

template <size_t N>
bool LookUp(const TSMtsToMode (&table)[N], int signal, EMultiSoundMode& mode) {
    for (const TSMtsToMode& row : table) {
        if (row.signal == signal) {
            mode = row.mode;
            return true;
        }
    }
    return false;
}

}  // namespace

TCAnalogMts::TCAnalogMts() : m_isSelectedSinceTune(false) {}

TCAnalogMts::~TCAnalogMts() = default;

TCAnalogMts* TCAnalogMts::GetInstance() {
    const int region = tvav::ReadFactoryOption(kOptionRegion, 0);
    const EAVCheckRegion eRegion = TCAVCheck::GetAVCheckRegion(region);
    AV_LOG(4, "[TCAnalogMts::GetAVCheckRegion] eAVCheckRegion[%d]", eRegion);

    TCScopeTrace trace("TCAnalogMts::GetInstance");
    {
        tvav::TCReadLockGuard readLock(m_rwlock);
        if (m_Instance != nullptr && m_currentRegionState == eRegion) {
            return m_Instance;
        }
    }

    tvav::TCWriteLockGuard writeLock(m_rwlock);
    m_Instance = CreateInstance(eRegion);
    AV_LOG(1, "[TCAnalogMts::GetAVCheckRegion] Changing TV_Standard_Spec, eAVCheckRegion[%d] !!", eRegion);
    return m_Instance;
}

TCAnalogMts* TCAnalogMts::CreateInstance(int region) {
    m_currentRegionState = region;
    if (region == AV_CHECK_REGION_DVB) {
        AV_LOG(1, "[TCAnalogMts::GetInstance] get TCAnalogMtsDVB instance :: Dual I-II");
        if (m_Dual_Instance == nullptr) {
            m_Dual_Instance = new TCAnalogMtsDVB();
        }
        return m_Dual_Instance;
    }
    AV_LOG(1, "[TCAnalogMts::GetInstance] get TCAnalogMtsATSC instance :: MTS");
    if (m_MTS_Instance == nullptr) {
        m_MTS_Instance = new TCAnalogMtsATSC();
    }
    return m_MTS_Instance;
}

bool TCAnalogMts::SetAnalogMTS(TVStream stream, EMultiSoundMode mode, bool bSkipVconfStore) {
    AV_LOG(4, "[TCAnalogMts::SetAnalogMTS] start");
    int vconfResult = -1;
    if (!bSkipVconfStore) {
        vconfResult = HT_CALL(vconf_set_int, HT_DIRS(1, 1), VCONFKEY_MULTI_TRACK_SOUND, static_cast<int>(mode));
    }
    const bool bApplied = t_SetAnalogMTS(stream, mode);
    m_isSelectedSinceTune = true;
    AV_LOG(1, "[TCAnalogMts::SetAnalogMTS] end, userSetMod [%d], vconf_result[%d]", mode, vconfResult);
    return bApplied;
}

bool TCAnalogMts::SetAnalogMTSByCallback(TVStream stream, int signal) {
    AV_LOG(4, "[TCAnalogMts::SetAnalogMTSByCallback] start");
    const bool bResult = t_SetAnalogMTSByCallback(stream, signal);
    AV_LOG(1, "[TCAnalogMts::SetAnalogMTSByCallback] end, SetMod [%d]", signal);
    return bResult;
}

bool TCAnalogMts::GetAnalogMTSBySignal(TVStream stream, EMultiSoundMode& mode) {
    AV_LOG(4, "[TCAnalogMts::GetAnalogMTSBySignal] start");
    return t_GetAnalogMTSBySignal(stream, mode);
}

bool TCAnalogMts::SetAnalogMTSByChannelTune(TVStream stream) {
    AV_LOG(4, "[TCAnalogMts::SetAnalogMTSByChannelTune] start");
    const bool bResult = t_SetAnalogMTSByChannelTune(stream);
    m_isSelectedSinceTune = false;
    return bResult;
}

bool TCAnalogMts::GetAnalogMTS(TVStream stream, EMultiSoundMode& mode) {
    AV_LOG(4, "[TCAnalogMts::GetAnalogMTS] start");
    const int region = tvav::ReadFactoryOption(kOptionRegion, 0);

    int autoStereo = 0;
    if (HT_CALL(vconf_get_int, HT_DIRS(1, 2), VCONFKEY_AUTO_STEREO, &autoStereo) < 0) {
        AV_LOG(2, "[TCAnalogMts::GetAnalogMTS][KOR] auto_stereo : vconf_get false!!!");
        // An unreadable switch counts as off: the menu then shows the mode the
        // user stored rather than one guessed from the signal.
        autoStereo = 0;
    }

    bool bStoredRead = true;
    int stored = mode;
    if (HT_CALL(vconf_get_int, HT_DIRS(1, 2), VCONFKEY_MULTI_TRACK_SOUND, &stored) < 0) {
        AV_LOG(2, "[TCAnalogMts::GetAnalogMTS] vconf_get false!!!");
        bStoredRead = false;
    } else {
        mode = static_cast<EMultiSoundMode>(stored);
    }

    if (region == kRegionKorea) {
        if (autoStereo != 0) {
            AV_LOG(1, "[TCAnalogMts::GetAnalogMTS][KOR] auto_stereo case : return to signal_mts / auto_flag[%d]",
                   m_isSelectedSinceTune);
            if (!m_isSelectedSinceTune && !t_IsNullStream(stream, "TCAnalogMts::GetAnalogMTS][KOR")) {
                int signal = 0;
                HT_CALL(tv_stream_get_property, HT_DIRS(1, 1, 2, 1), stream, TV_PROPERTY_TUNER_ANALOG_MTS_MODE,
                        &signal, nullptr);
                if (!LookUp(kKoreanSignalToMode, signal, mode)) {
                    mode = MULTI_SOUND_MONO;
                }
                AV_LOG(1, "[TCAnalogMts::GetAnalogMTS][KOR] signal_mts_mode[%d], convert_return_mod[%d]", signal,
                       mode);
            }
        }
    } else if (bStoredRead && mode == MULTI_SOUND_UNKNOWN) {
        // A stored 0 is shown as mono; after a failed read the caller's value stands.
        mode = MULTI_SOUND_MONO;
    }
    AV_LOG(1, "[TCAnalogMts::GetAnalogMTS] mode [%d]", mode);
    return bStoredRead;
}

EMultiSoundMode TCAnalogMts::ConvertTypeTvStreamAnalogMTSType(TvStreamAnalogMTSType signal) const {
    return t_ConvertMTSSignal(signal);
}

EMultiSoundMode TCAnalogMts::ConvertTypeTvStreamAnalogDualAudioType(TvStreamAnalogDualAudioType signal) const {
    return t_ConvertDualSignal(signal);
}

EMultiSoundMode TCAnalogMts::t_ConvertMTSSignal(int signal) const {
    EMultiSoundMode mode = MULTI_SOUND_MONO;
    if (!LookUp(kMtsToMode, signal, mode)) {
        AV_LOG(1, "[TCAnalogMtsATSC::ConvertTypeTvStreamAnalogMTSType] Invalid MTS Detect flag [%d] set to MONO",
               signal);
        mode = MULTI_SOUND_MONO;
    }
    return mode;
}

EMultiSoundMode TCAnalogMts::t_ConvertDualSignal(int signal) const {
    EMultiSoundMode mode = MULTI_SOUND_UNKNOWN;
    if (!LookUp(kDualToMode, signal, mode)) {
        mode = MULTI_SOUND_UNKNOWN;
    }
    return mode;
}

bool TCAnalogMts::t_IsNullStream(TVStream stream, const char* operation) {
    if (stream != nullptr) {
        return false;
    }
    AV_LOG(1, "[%s] stream is NULL", operation);
    return true;
}
