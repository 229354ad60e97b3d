#include <tvav/AnalogMtsDVB.h>

#include <cstdint>

#include <tvav/AVCheck.h>
#include "common/Common.h"
#include "common/Log.h"
#include "fb_nv.h"
#include "instrument/CallLayer.h"
#include "vconf.h"

namespace {

// Factory option that switches MONO_LAST_MEMORY on when it reads 1.
constexpr int kOptionMonoLastMemory = 25;

constexpr int kFastbootSoundByte = 3;

// Sound mode to tuner dual-sound type; any other mode has none
// (TV_ANALOG_DUAL_INVALID).
struct TSModeToDual {
    EMultiSoundMode mode;
    TvStreamAnalogDualAudioType dual;
};
const TSModeToDual kModeToDual[] = {
    {MULTI_SOUND_MONO, TV_ANALOG_DUAL_MONO},
    {MULTI_SOUND_STEREO, TV_ANALOG_DUAL_STEREO},
    {MULTI_SOUND_DUAL_I, TV_ANALOG_DUAL_DUAL_I},
    {MULTI_SOUND_DUAL_II, TV_ANALOG_DUAL_DUAL_II},
    {MULTI_SOUND_DUAL, TV_ANALOG_DUAL_DUAL},
    {MULTI_SOUND_EXT_MONO, TV_ANALOG_DUAL_EXT_MONO},
    {MULTI_SOUND_EXT_STEREO, TV_ANALOG_DUAL_EXT_STEREO},
    {MULTI_SOUND_EXT_DUAL_I, TV_ANALOG_DUAL_EXT_DUAL_I},
    {MULTI_SOUND_EXT_DUAL_II, TV_ANALOG_DUAL_EXT_DUAL_II},
    {MULTI_SOUND_EXT_DUAL, TV_ANALOG_DUAL_EXT_DUAL},
};

// Per tuner dual-sound type: the type applied by default when that signal is
// detected, and byte 3 of the fast-boot audio record when that type is
// applied. Types not listed (negative, above 10) behave as kOtherDual.
struct TSDualRow {
    int dual;
    TvStreamAnalogDualAudioType defaultDual;
    uint8_t fastboot;
};
const TSDualRow kDualRows[] = {
    {TV_ANALOG_DUAL_INVALID, TV_ANALOG_DUAL_MONO, 0},
    {TV_ANALOG_DUAL_MONO, TV_ANALOG_DUAL_MONO, 0},
    {TV_ANALOG_DUAL_DUAL, TV_ANALOG_DUAL_DUAL_I, 7},
    {TV_ANALOG_DUAL_STEREO, TV_ANALOG_DUAL_STEREO, 2},
    {TV_ANALOG_DUAL_EXT_MONO, TV_ANALOG_DUAL_EXT_MONO, 1},
    {TV_ANALOG_DUAL_EXT_DUAL, TV_ANALOG_DUAL_EXT_DUAL_I, 7},
    {TV_ANALOG_DUAL_EXT_STEREO, TV_ANALOG_DUAL_EXT_STEREO, 2},
    {TV_ANALOG_DUAL_EXT_DUAL_I, TV_ANALOG_DUAL_EXT_DUAL_I, 7},
    {TV_ANALOG_DUAL_EXT_DUAL_II, TV_ANALOG_DUAL_MONO, 8},
    {TV_ANALOG_DUAL_DUAL_I, TV_ANALOG_DUAL_DUAL_I, 7},
    {TV_ANALOG_DUAL_DUAL_II, TV_ANALOG_DUAL_MONO, 8},
};
const TSDualRow kOtherDual = {-1, TV_ANALOG_DUAL_MONO, 0};

const TSDualRow& DualRow(int dual) {
    for (const TSDualRow& row : kDualRows) {
        if (row.dual == dual) {
            return row;
        }
    }
    return kOtherDual;
}

}  // namespace

TCAnalogMtsDVB::TCAnalogMtsDVB() : m_dualLastValue(MULTI_SOUND_UNKNOWN), m_isSignalLost(false), m_isDualUserSet(false) {}

TCAnalogMtsDVB::~TCAnalogMtsDVB() = default;

TvStreamAnalogDualAudioType TCAnalogMtsDVB::ConvertTypeEMultiSoundMode(EMultiSoundMode mode) const {
    for (const TSModeToDual& row : kModeToDual) {
        if (row.mode == mode) {
            return row.dual;
        }
    }
    return TV_ANALOG_DUAL_INVALID;
}

TvStreamAnalogDualAudioType TCAnalogMtsDVB::m_DefaultDualValueInSignal(int signal) const {
    return DualRow(signal).defaultDual;
}

void TCAnalogMtsDVB::m_StoreDaulToFastboot(TvStreamAnalogDualAudioType dual) {
    FB_AUDIO_CONFIG config = {};
    {
        TCScopeTrace trace("TCAnalogMtsDVB::m_StoreDaulToFastboot --fb_nv_load_audio_config");
        fb_nv_load_audio_config(&config);
    }
    const uint8_t code = DualRow(dual).fastboot;
    config.bytes[kFastbootSoundByte] = code;
    {
        TCScopeTrace trace("TCAnalogMtsDVB::m_StoreDaulToFastboot --fb_nv_store_audio_config");
        fb_nv_store_audio_config(&config);
    }
    AV_LOG(1, "[TCAnalogMtsDVB::m_StoreDaulToFastboot] save to FB, setting_dual_mode[%d],  FB value[%d]",
           static_cast<int>(dual), code);
}

void TCAnalogMtsDVB::m_ApplyDual(TVStream stream, TvStreamAnalogDualAudioType dual, EMultiSoundMode mode) {
    HT_CALL(tv_stream_set_property, HT_DIRS(1, 1, 1, 1), stream, TV_PROPERTY_TUNER_ANALOG_DUAL_SOUND_MODE,
            static_cast<int>(dual), nullptr);
    HT_CALL(vconf_set_int, HT_DIRS(1, 1), VCONFKEY_MULTI_TRACK_SOUND, static_cast<int>(mode));
    m_StoreDaulToFastboot(dual);
}

bool TCAnalogMtsDVB::t_SetAnalogMTS(TVStream stream, EMultiSoundMode mode) {
    AV_LOG(4, "[TCAnalogMtsDVB::t_SetAnalogMTS] start");
    if (t_IsNullStream(stream, "TCAnalogMtsDVB::t_SetAnalogMTS")) {
        return false;
    }
    int signal = 0;
    int ret = 0;
    {
        TCScopeTrace trace("TCAnalogMtsDVB::t_SetAnalogMTS --get_property(TV_PROPERTY_TUNER_ANALOG_DUAL_SOUND_MODE)");
        ret = HT_CALL(tv_stream_get_property, HT_DIRS(1, 1, 2, 1), stream, TV_PROPERTY_TUNER_ANALOG_DUAL_SOUND_MODE,
                      &signal, nullptr);
    }
    if (ret < 0 || signal < 0) {
        AV_LOG(2, "[TCAnalogMtsATSC::t_SetAnalogMTS] failed to get value from vconf. sigmal_mts_mode[%d]\n", signal);
        return false;
    }

    bool bCheck = false;
    TCAVCheck::GetInstance()->CheckAnalogMTS(stream, mode, bCheck);
    if (!bCheck) {
        AV_LOG(1, "[TCAnalogMtsDVB::t_SetAnalogMTS] Cannot setting to userSetMod[%d] in current Signal[%d]", mode,
               signal);
    } else {
        AV_LOG(1, "[TCAnalogMtsDVB::t_SetAnalogMTS] Setting to User selected mode [%d]", mode);
        if (signal == TV_ANALOG_DUAL_INVALID) {
            AV_LOG(1, "[TCAnalogMtsDVB::t_SetAnalogMTS] INVALID signal, converting to MONO");
            mode = MULTI_SOUND_MONO;
        } else {
            m_isDualUserSet = true;
            m_dualLastValue = mode;
        }
        const TvStreamAnalogDualAudioType dual = ConvertTypeEMultiSoundMode(mode);
        {
            TCScopeTrace trace(
                "TCAnalogMtsDVB::t_SetAnalogMTS --set_property(TV_PROPERTY_TUNER_ANALOG_DUAL_SOUND_MODE)");
            HT_CALL(tv_stream_set_property, HT_DIRS(1, 1, 1, 1), stream, TV_PROPERTY_TUNER_ANALOG_DUAL_SOUND_MODE,
                    static_cast<int>(dual), nullptr);
        }
        m_StoreDaulToFastboot(dual);
    }
    AV_LOG(1, "[TCAnalogMtsDVB::t_SetAnalogMTS] Cannot setting to userSetMod[%d] in current Signal[%d] bCheck[%d]",
           mode, signal, bCheck);
    return bCheck;
}

bool TCAnalogMtsDVB::t_SetAnalogMTSByChannelTune(TVStream stream) {
    AV_LOG(4, "[TCAnalogMtsDVB::t_SetAnalogMTSByChannelTune] start");
    if (t_IsNullStream(stream, "TCAnalogMtsDVB::t_SetAnalogMTSByChannelTune")) {
        return false;
    }
    int signal = 0;
    int ret = 0;
    {
        TCScopeTrace trace(
            "TCAnalogMtsDVB::t_SetAnalogMTSByChannelTune -- get_property(TV_PROPERTY_TUNER_ANALOG_DUAL_SOUND_MODE)");
        ret = HT_CALL(tv_stream_get_property, HT_DIRS(1, 1, 2, 1), stream, TV_PROPERTY_TUNER_ANALOG_DUAL_SOUND_MODE,
                      &signal, nullptr);
    }
    if (ret < 0 || signal < 0) {
        AV_LOG(2, "[TCAnalogMtsATSC::t_SetAnalogMTSByChannelTune] failed to get value from vconf. sigmal_mts_mode[%d]\n",
               signal);
        return false;
    }

    // A tune while the signal is lost keeps the user's choice for the
    // roll-back when the signal returns.
    if (!m_isSignalLost) {
        m_isDualUserSet = false;
        m_dualLastValue = MULTI_SOUND_UNKNOWN;
    }

    const int monoLastMemory = tvav::ReadFactoryOption(kOptionMonoLastMemory, -1);
    if (monoLastMemory == 1) {
        AV_LOG(1, "[TCAnalogMtsDVB::t_SetAnalogMTSByChannelTune] MONO_LAST_MEMORY is ture [%d]", monoLastMemory);
        if (signal == TV_ANALOG_DUAL_STEREO || signal == TV_ANALOG_DUAL_EXT_STEREO) {
            int stored = 0;
            int vconfRet = 0;
            {
                TCScopeTrace trace("TCAnalogMtsDVB::t_SetAnalogMTSByChannelTune -- vconf_get_int(KEY_STEREO_MODE)");
                vconfRet = HT_CALL(vconf_get_int, HT_DIRS(1, 2), VCONFKEY_MULTI_TRACK_SOUND, &stored);
            }
            if (vconfRet < 0) {
                AV_LOG(2, "[TCAnalogMtsDVB::t_SetAnalogMTSByChannelTune] failed to get value from vconf");
                return false;
            }
            if (stored == MULTI_SOUND_MONO) {
                AV_LOG(1, "[TCAnalogMtsDVB::t_SetAnalogMTSByChannelTune] MONO_LAST_MEMORY && cur_mts_mod == MONO, so Just MONO tune !!");
                TCScopeTrace trace(
                    "TCAnalogMtsDVB::t_SetAnalogMTSByChannelTune -- set_property(TV_PROPERTY_TUNER_ANALOG_DUAL_SOUND_MODE)");
                m_ApplyDual(stream, TV_ANALOG_DUAL_MONO, MULTI_SOUND_MONO);
                return true;
            }
        }
    }

    const TvStreamAnalogDualAudioType defaultDual = m_DefaultDualValueInSignal(signal);
    const EMultiSoundMode defaultMode = ConvertTypeTvStreamAnalogDualAudioType(defaultDual);
    {
        TCScopeTrace trace(
            "TCAnalogMtsDVB::t_SetAnalogMTSByChannelTune --default set_property(TV_PROPERTY_TUNER_ANALOG_DUAL_SOUND_MODE)");
        HT_CALL(tv_stream_set_property, HT_DIRS(1, 1, 1, 1), stream, TV_PROPERTY_TUNER_ANALOG_DUAL_SOUND_MODE,
                static_cast<int>(defaultDual), nullptr);
    }
    AV_LOG(1, "[TCAnalogMtsDVB::t_SetAnalogMTSByChannelTune] setting :: current signal value [%d], default_mts_value[%d], vconf value[%d] isEnable[%d]",
           signal, static_cast<int>(defaultDual), defaultMode, monoLastMemory);
    HT_CALL(vconf_set_int, HT_DIRS(1, 1), VCONFKEY_MULTI_TRACK_SOUND, static_cast<int>(defaultMode));
    m_StoreDaulToFastboot(defaultDual);
    return true;
}

bool TCAnalogMtsDVB::t_SetAnalogMTSByCallback(TVStream stream, int signal) {
    AV_LOG(4, "[TCAnalogMtsDVB::t_SetAnalogMTSByCallback] start, mode[%d]", signal);
    if (t_IsNullStream(stream, "TCAnalogMtsDVB::t_SetAnalogMTSByCallback")) {
        return false;
    }
    int stored = 0;
    HT_CALL(vconf_get_int, HT_DIRS(1, 2), VCONFKEY_MULTI_TRACK_SOUND, &stored);
    AV_LOG(1, "[TCAnalogMtsDVB::t_SetAnalogMTSByCallback] callback_mode[%d] last_vconf_mode[%d]", signal, stored);

    if (signal == TV_ANALOG_DUAL_INVALID && m_isDualUserSet) {
        m_isSignalLost = true;
        m_dualLastValue = static_cast<EMultiSoundMode>(stored);
        AV_LOG(1, "[TCAnalogMtsDVB::t_SetAnalogMTSByCallback] current_signal is INVAILD, m_dualLastValue[%d], cur_mts_mode[%d]",
               m_dualLastValue, stored);
        AV_LOG(1, "[TCAnalogMtsDVB::t_SetAnalogMTSByCallback] cannot setting to signal value, Just setting to MONO");
        TCScopeTrace trace(
            "TCAnalogMtsDVB::t_SetAnalogMTSByCallback -- lost_signal :: set_property(TV_PROPERTY_TUNER_ANALOG_DUAL_SOUND_MODE)");
        m_ApplyDual(stream, TV_ANALOG_DUAL_MONO, MULTI_SOUND_MONO);
        return true;
    }

    EMultiSoundMode target = MULTI_SOUND_UNKNOWN;
    if (m_isSignalLost) {
        AV_LOG(1, "[TCAnalogMtsDVB::t_SetAnalogMTSByCallback] before lost signal, rollback the user setting[%d]",
               m_dualLastValue);
        target = m_dualLastValue;
        m_isSignalLost = false;
    } else if (signal != TV_ANALOG_DUAL_INVALID && m_isDualUserSet) {
        AV_LOG(1, "[TCAnalogMtsDVB::t_SetAnalogMTSByCallback] User's setting value is vaild, try to setting[%d]",
               m_dualLastValue);
        target = m_dualLastValue;
    } else {
        target = ConvertTypeTvStreamAnalogDualAudioType(m_DefaultDualValueInSignal(signal));
    }

    bool bCheck = false;
    TCAVCheck::GetInstance()->CheckAnalogMTS(stream, target, bCheck);
    if (bCheck) {
        const TvStreamAnalogDualAudioType dual = ConvertTypeEMultiSoundMode(target);
        AV_LOG(1, "[TCAnalogMtsDVB::t_SetAnalogMTSByCallback] setting to current_selected_value[%d], vconf[%d]",
               static_cast<int>(dual), target);
        TCScopeTrace trace(
            "TCAnalogMtsDVB::t_SetAnalogMTSByCallback -- selected mode is vaild :: set_property(TV_PROPERTY_TUNER_ANALOG_DUAL_SOUND_MODE)");
        m_ApplyDual(stream, dual, target);
        return true;
    }

    const TvStreamAnalogDualAudioType defaultDual = m_DefaultDualValueInSignal(signal);
    const EMultiSoundMode defaultMode = ConvertTypeTvStreamAnalogDualAudioType(defaultDual);
    {
        TCScopeTrace trace(
            "TCAnalogMtsDVB::t_SetAnalogMTSByCallback -- default setting :: set_property(TV_PROPERTY_TUNER_ANALOG_DUAL_SOUND_MODE)");
        HT_CALL(tv_stream_set_property, HT_DIRS(1, 1, 1, 1), stream, TV_PROPERTY_TUNER_ANALOG_DUAL_SOUND_MODE,
                static_cast<int>(defaultDual), nullptr);
    }
    AV_LOG(1, "[TCAnalogMtsDVB::t_SetAnalogMTSByCallback] cannot setting to user set value, Just Setting to default value [%d], vconf[%d]",
           static_cast<int>(defaultDual), defaultMode);
    HT_CALL(vconf_set_int, HT_DIRS(1, 1), VCONFKEY_MULTI_TRACK_SOUND, static_cast<int>(defaultMode));
    m_StoreDaulToFastboot(defaultDual);
    return true;
}

bool TCAnalogMtsDVB::t_GetAnalogMTSBySignal(TVStream stream, EMultiSoundMode& mode) {
    AV_LOG(4, "[TCAnalogMtsDVB::t_GetAnalogMTSBySignal] start");
    if (t_IsNullStream(stream, "TCAnalogMtsDVB::t_GetAnalogMTSBySignal")) {
        mode = MULTI_SOUND_UNKNOWN;
        return false;
    }
    int signal = 0;
    {
        TCScopeTrace trace(
            "TCAnalogMtsDVB::t_GetAnalogMTSBySignal --get_property(TV_PROPERTY_TUNER_ANALOG_DUAL_SOUND_MODE)");
        HT_CALL(tv_stream_get_property, HT_DIRS(1, 1, 2, 1), stream, TV_PROPERTY_TUNER_ANALOG_DUAL_SOUND_MODE, &signal,
                nullptr);
    }
    if (signal == TV_ANALOG_DUAL_INVALID) {
        AV_LOG(1, "[TCAnalogMtsDVB::t_GetAnalogMTSBySignal] detected signal is INVALID [%d], return to UNKNOWN [%d]",
               signal, mode);
        mode = MULTI_SOUND_UNKNOWN;
        return true;
    }
    mode = t_ConvertDualSignal(signal);
    AV_LOG(1, "[TCAnalogMtsDVB::t_GetAnalogMTSBySignal] end, tvp_mode[%d] convert_mode[%d]", signal, mode);
    return true;
}
