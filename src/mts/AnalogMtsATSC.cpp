#include <tvav/AnalogMtsATSC.h>

#include <cstdint>

#include <tvav/AVCheck.h>
#include "common/Common.h"
#include "common/Log.h"
#include "fb_nv.h"
#include "instrument/CallLayer.h"
#include "vconf.h"

namespace {

constexpr int kCountryKorea = 2;

// Rule numbers of the fast-boot store: Korea always writes 0.
constexpr int kFastbootRuleKorea = 1;
constexpr int kFastbootRuleOther = 2;

constexpr int kFastbootSoundByte = 3;

struct TSModeToMts {
    EMultiSoundMode mode;
    TvStreamAnalogMTSType mts;
};

// Sound mode to tuner MTS type; any other mode has none (TV_ANALOG_MTS_INVALID).
const TSModeToMts kModeToMts[] = {
    {MULTI_SOUND_MONO, TV_ANALOG_MTS_MONO},
    {MULTI_SOUND_STEREO, TV_ANALOG_MTS_STEREO},
    {MULTI_SOUND_SAP, TV_ANALOG_MTS_SAP},
    {MULTI_SOUND_STEREO_SAP, TV_ANALOG_MTS_STEREO_SAP},
    {MULTI_SOUND_DUAL_I, TV_ANALOG_MTS_LANG_FIRST},
    {MULTI_SOUND_DUAL_II, TV_ANALOG_MTS_LANG_SECOND},
    {MULTI_SOUND_DUAL, TV_ANALOG_MTS_DUAL},
};

// Korean user selection of a language mode; other modes use kModeToMts.
const TSModeToMts kKoreanUserModeToMts[] = {
    {MULTI_SOUND_DUAL_I, TV_ANALOG_MTS_MONO},
    {MULTI_SOUND_DUAL_II, TV_ANALOG_MTS_LANG_FIRST},
    {MULTI_SOUND_DUAL, TV_ANALOG_MTS_LANG_SECOND},
};

template <size_t N>
bool LookUp(const TSModeToMts (&table)[N], int mode, TvStreamAnalogMTSType& mts) {
    for (const TSModeToMts& row : table) {
        if (row.mode == mode) {
            mts = row.mts;
            return true;
        }
    }
    return false;
}

// Outside Korea, the MTS type played for a signal. Without a user selection
// the signal's best type is played; after one, stereo or SAP only when the
// user's stored mode asks for it and the signal carries it.
struct TSUsaRule {
    int signal;
    TvStreamAnalogMTSType withoutUserSet;
    bool bStereoOnRequest;
    bool bSapOnRequest;
};
const TSUsaRule kUsaRules[] = {
    {TV_ANALOG_MTS_STEREO, TV_ANALOG_MTS_STEREO, true, false},
    {TV_ANALOG_MTS_SAP, TV_ANALOG_MTS_MONO, false, true},
    {TV_ANALOG_MTS_STEREO_SAP, TV_ANALOG_MTS_STEREO, true, true},
};

// Byte 3 of the fast-boot audio record outside Korea, by the MTS type played;
// any other type writes 0.
struct TSFastbootCode {
    int mts;
    uint8_t code;
};
const TSFastbootCode kFastbootCodes[] = {
    {TV_ANALOG_MTS_STEREO, 2},
    {TV_ANALOG_MTS_SAP, 3},
    {TV_ANALOG_MTS_DUAL, 5},
    {TV_ANALOG_MTS_LANG_FIRST, 5},
    {TV_ANALOG_MTS_LANG_SECOND, 6},
    {TV_ANALOG_MTS_STEREO_SAP, 4},
};

}  // namespace

TCAnalogMtsATSC::TCAnalogMtsATSC() : m_isUserSet(false), m_isManualMono(false) {}

TCAnalogMtsATSC::~TCAnalogMtsATSC() = default;

TvStreamAnalogMTSType TCAnalogMtsATSC::ConvertTypeEMultiSoundMode(EMultiSoundMode mode) const {
    TvStreamAnalogMTSType mts = TV_ANALOG_MTS_INVALID;
    if (!LookUp(kModeToMts, mode, mts)) {
        mts = TV_ANALOG_MTS_INVALID;
    }
    return mts;
}

int TCAnalogMtsATSC::m_GetCurrentMTSModeBySignal(TVStream stream) {
    TCScopeTrace trace("TCAnalogMtsATSC::m_GetCurrentMTSModeBySignal -- TV_PROPERTY_TUNER_ANALOG_MTS_MODE");
    int value = 0;
    HT_CALL(tv_stream_get_property, HT_DIRS(1, 1, 2, 1), stream, TV_PROPERTY_TUNER_ANALOG_MTS_MODE, &value, nullptr);
    return value;
}

int TCAnalogMtsATSC::m_SetMTSModeToSignal(TVStream stream, TvStreamAnalogMTSType value) {
    TCScopeTrace trace("TCAnalogMtsATSC::m_SetMTSModeToSignal -- set_property (TV_PROPERTY_TUNER_ANALOG_MTS_MODE)");
    return HT_CALL(tv_stream_set_property, HT_DIRS(1, 1, 1, 1), stream, TV_PROPERTY_TUNER_ANALOG_MTS_MODE,
                   static_cast<int>(value), nullptr);
}

void TCAnalogMtsATSC::m_SetMTSModeToVconf(int mode) {
    TCScopeTrace trace("TCAnalogMtsATSC::m_SetMTSModeToVconf -- vconf_set_int (KEY_STEREO_MODE)");
    HT_CALL(vconf_set_int, HT_DIRS(1, 1), VCONFKEY_MULTI_TRACK_SOUND, mode);
}

int TCAnalogMtsATSC::m_GetMTSModeByVconf() {
    TCScopeTrace trace("TCAnalogMtsATSC::m_GetMTSModeByVconf -- vconf_get_int (mts-mode)");
    int mode = 0;
    if (HT_CALL(vconf_get_int, HT_DIRS(1, 2), VCONFKEY_MULTI_TRACK_SOUND, &mode) < 0) {
        AV_LOG(2, "[TCAnalogMtsATSC::m_GetMTSModeByVconf] failed to get value from vconf");
        mode = 0;
    }
    return mode;
}

int TCAnalogMtsATSC::m_GetAutoStreoMode() {
    TCScopeTrace trace("TCAnalogMtsATSC::m_GetAutoStreoMode -- vconf_get_int (auto-stereo)");
    int autoStereo = -1;
    if (HT_CALL(vconf_get_int, HT_DIRS(1, 2), VCONFKEY_AUTO_STEREO, &autoStereo) < 0) {
        AV_LOG(2, "[TCAnalogMtsATSC::m_GetAutoStreoMode] failed to get value from vconf");
        autoStereo = -1;
    }
    return autoStereo;
}

int TCAnalogMtsATSC::m_GetCurrentCountry() {
    TCScopeTrace trace("TCAnalogMtsATSC::m_GetCurrentCountry -- get system_info_country_e(SOSPEC_TAG_COUNTRY)");
    return tvav::ReadCountry();
}

TvStreamAnalogMTSType TCAnalogMtsATSC::m_AvailableMTSBySignalForUSA(int userMode, int signal) {
    for (const TSUsaRule& rule : kUsaRules) {
        if (rule.signal != signal) {
            continue;
        }
        if (!m_isUserSet) {
            return rule.withoutUserSet;
        }
        if (userMode == MULTI_SOUND_STEREO && rule.bStereoOnRequest) {
            return TV_ANALOG_MTS_STEREO;
        }
        if (userMode == MULTI_SOUND_SAP && rule.bSapOnRequest) {
            return TV_ANALOG_MTS_SAP;
        }
        return TV_ANALOG_MTS_MONO;
    }
    return TV_ANALOG_MTS_MONO;
}

void TCAnalogMtsATSC::m_StoreMTSToFastboot(int rule, TvStreamAnalogMTSType value) {
    FB_AUDIO_CONFIG config = {};
    {
        TCScopeTrace trace("TCAnalogMtsATSC::m_StoreMTSToFastboot -- fb_nv_load_audio_config");
        fb_nv_load_audio_config(&config);
    }
    uint8_t code = 0;
    if (rule != kFastbootRuleKorea) {
        for (const TSFastbootCode& row : kFastbootCodes) {
            if (row.mts == static_cast<int>(value)) {
                code = row.code;
                break;
            }
        }
    }
    config.bytes[kFastbootSoundByte] = code;
    {
        TCScopeTrace trace("TCAnalogMtsATSC::m_StoreMTSToFastboot -- fb_nv_store_audio_config");
        fb_nv_store_audio_config(&config);
    }
    AV_LOG(1, "[TCAnalogMtsATSC::m_StoreMTSToFastboot] save to FB, country[%d], signal_value[%d]", rule,
           static_cast<int>(value));
}

bool TCAnalogMtsATSC::t_SetAnalogMTS(TVStream stream, EMultiSoundMode mode) {
    AV_LOG(4, "[TCAnalogMtsATSC::t_SetAnalogMTS] start");
    if (t_IsNullStream(stream, "TCAnalogMtsATSC::t_SetAnalogMTS")) {
        return false;
    }
    const int signal = m_GetCurrentMTSModeBySignal(stream);
    const int country = m_GetCurrentCountry();
    const int autoStereo = m_GetAutoStreoMode();

    if (signal < 0) {
        AV_LOG(2, "[TCAnalogMtsATSC::t_SetAnalogMTS] failed to get value from vconf. sigmal_mts_mode[%d]\n", signal);
        return false;
    }

    bool bCheck = false;
    TCAVCheck::GetInstance()->CheckAnalogMTS(stream, mode, bCheck);
    if (!bCheck) {
        const int ret = m_SetMTSModeToSignal(stream, TV_ANALOG_MTS_MONO);
        AV_LOG(1, "[TCAnalogMtsATSC::t_SetAnalogMTS] Cannot setting to userSetMod[%d] in current Signal[%d] country[%d] ret[%d]",
               mode, signal, country, ret);
        return false;
    }

    if (country == kCountryKorea) {
        AV_LOG(1, "[TCAnalogMtsATSC::t_SetAnalogMTS] KOR :: userSetMode input value [%d]\n", mode);
        m_isManualMono = false;
        TvStreamAnalogMTSType target = TV_ANALOG_MTS_MONO;
        if (autoStereo == 1 && signal == TV_ANALOG_MTS_STEREO && mode == MULTI_SOUND_MONO) {
            AV_LOG(1, "[TCAnalogMtsATSC::t_SetAnalogMTS] This is manual MONO case, (auto Stereo == true && userSetting to Mono)");
            m_isManualMono = true;
            target = TV_ANALOG_MTS_MONO;
        } else if (!LookUp(kKoreanUserModeToMts, mode, target)) {
            target = ConvertTypeEMultiSoundMode(mode);
        }
        const int ret = m_SetMTSModeToSignal(stream, target);
        AV_LOG(1, "[TCAnalogMtsATSC::t_SetAnalogMTS] KOR :: convert setting value [%d], ret[%d]\n", target, ret);
        m_StoreMTSToFastboot(kFastbootRuleKorea, target);
        return true;
    }

    TvStreamAnalogMTSType target = TV_ANALOG_MTS_MONO;
    if (mode == MULTI_SOUND_STEREO && (signal == TV_ANALOG_MTS_STEREO || signal == TV_ANALOG_MTS_STEREO_SAP)) {
        target = TV_ANALOG_MTS_STEREO;
    } else if (mode == MULTI_SOUND_SAP && (signal == TV_ANALOG_MTS_SAP || signal == TV_ANALOG_MTS_STEREO_SAP)) {
        target = TV_ANALOG_MTS_SAP;
    }
    const int ret = m_SetMTSModeToSignal(stream, target);
    AV_LOG(1, "[TCAnalogMtsATSC::t_SetAnalogMTS] USA or ISDB Country:: set AnalogMTS UserSetMode[%d], country[%d], currentSignal[%d], m_isUserSet[%d], ret[%d]\n",
           mode, country, signal, m_isUserSet, ret);
    m_isUserSet = true;
    m_StoreMTSToFastboot(kFastbootRuleOther, target);
    return true;
}

bool TCAnalogMtsATSC::t_SetAnalogMTSByChannelTune(TVStream stream) {
    AV_LOG(4, "[TCAnalogMtsATSC::t_SetAnalogMTSByChannelTune] start");
    if (t_IsNullStream(stream, "TCAnalogMtsATSC::t_SetAnalogMTSByChannelTune")) {
        return false;
    }
    const int autoStereo = m_GetAutoStreoMode();
    const int signal = m_GetCurrentMTSModeBySignal(stream);
    const int stored = m_GetMTSModeByVconf();
    const int country = m_GetCurrentCountry();

    if (country == kCountryKorea) {
        m_isManualMono = false;
        TvStreamAnalogMTSType target = TV_ANALOG_MTS_MONO;
        if (autoStereo == 1) {
            AV_LOG(1, "[TCAnalogMtsATSC::t_SetAnalogMTSByChannelTune] KOR - autoStero : auto [%d]", autoStereo);
            if (signal == TV_ANALOG_MTS_STEREO) {
                m_SetMTSModeToVconf(MULTI_SOUND_STEREO);
                AV_LOG(1, "[TCAnalogMtsATSC::t_SetAnalogMTSByChannelTune] signal_mts_mode is Stereo");
                target = TV_ANALOG_MTS_STEREO;
            }
        } else {
            AV_LOG(1, "[TCAnalogMtsATSC::t_SetAnalogMTSByChannelTune] KOR - autoStero : manual [%d]", autoStereo);
            m_SetMTSModeToVconf(MULTI_SOUND_MONO);
        }
        const int ret = m_SetMTSModeToSignal(stream, target);
        AV_LOG(1, "[TCAnalogMtsATSC::t_SetAnalogMTSByChannelTune] setting to MTS mode [%d], autoStereo[%d], signal_mts_mode[%d] ret[%d]",
               target, autoStereo, signal, ret);
        m_StoreMTSToFastboot(kFastbootRuleKorea, target);
        return true;
    }

    bool bCheck = false;
    TCAVCheck::GetInstance()->CheckAnalogMTS(stream, static_cast<EMultiSoundMode>(stored), bCheck);
    if (bCheck) {
        const TvStreamAnalogMTSType target = m_AvailableMTSBySignalForUSA(stored, signal);
        const int ret = m_SetMTSModeToSignal(stream, target);
        AV_LOG(1, "[TCAnalogMtsATSC::t_SetAnalogMTSByChannelTune] USA or ISDB country setting[%d], GET : m_isUserSet[%d], cur_mts_vconf[%d], SET : set_mts_signal[%d], ret[%d]",
               country, m_isUserSet, stored, target, ret);
        m_StoreMTSToFastboot(kFastbootRuleOther, target);
    } else {
        const int ret = m_SetMTSModeToSignal(stream, TV_ANALOG_MTS_MONO);
        AV_LOG(1, "[TCAnalogMtsATSC::t_SetAnalogMTSByChannelTune] Just Setting to MTS_MONO, autoStereo[%d], ret[%d] country[%d]",
               autoStereo, ret, country);
    }
    return true;
}

bool TCAnalogMtsATSC::t_SetAnalogMTSByCallback(TVStream stream, int signal) {
    AV_LOG(4, "[TCAnalogMtsATSC::t_SetAnalogMTSByCallback] start");
    if (t_IsNullStream(stream, "TCAnalogMtsATSC::t_SetAnalogMTSByCallback")) {
        return false;
    }
    const int country = m_GetCurrentCountry();
    const int stored = m_GetMTSModeByVconf();
    const int autoStereo = m_GetAutoStreoMode();

    if (country == kCountryKorea) {
        TvStreamAnalogMTSType target = TV_ANALOG_MTS_MONO;
        if (autoStereo == 1 && !m_isManualMono && signal == TV_ANALOG_MTS_STEREO) {
            AV_LOG(1, "[TCAnalogMtsATSC::t_SetAnalogMTSByCallback] This is auto stereo Mode and current signal is stereo, should be setting to STEREO");
            m_SetMTSModeToVconf(MULTI_SOUND_STEREO);
            target = TV_ANALOG_MTS_STEREO;
        } else {
            bool bCheck = false;
            TCAVCheck::GetInstance()->CheckAnalogMTS(stream, static_cast<EMultiSoundMode>(stored), bCheck);
            if (bCheck) {
                target = ConvertTypeEMultiSoundMode(static_cast<EMultiSoundMode>(stored));
            } else {
                AV_LOG(1, "[TCAnalogMtsATSC::t_SetAnalogMTSByCallback] cannot setting to signal value, Just setting to MONO");
                m_SetMTSModeToVconf(MULTI_SOUND_MONO);
                target = TV_ANALOG_MTS_MONO;
            }
        }
        m_StoreMTSToFastboot(kFastbootRuleKorea, target);
        const int ret = m_SetMTSModeToSignal(stream, target);
        AV_LOG(1, "[TCAnalogMtsATSC::t_SetAnalogMTSByCallback] callback signal[%d], cur_selected_vconf[%d], setting_value[%d], m_isUserSet[%d], m_isManualMono[%d], ret[%d]",
               signal, stored, target, m_isUserSet, m_isManualMono, ret);
        m_StoreMTSToFastboot(kFastbootRuleKorea, target);
        return true;
    }

    const TvStreamAnalogMTSType target = m_AvailableMTSBySignalForUSA(stored, signal);
    const int ret = m_SetMTSModeToSignal(stream, target);
    AV_LOG(1, "[TCAnalogMtsATSC::t_SetAnalogMTSByCallback] callback signal[%d], cur_selected_vconf[%d], setting_value[%d], m_isUserSet[%d], m_isManualMono[%d], ret[%d]",
           signal, stored, target, m_isUserSet, m_isManualMono, ret);
    m_StoreMTSToFastboot(kFastbootRuleOther, target);
    return true;
}

bool TCAnalogMtsATSC::t_GetAnalogMTSBySignal(TVStream stream, EMultiSoundMode& mode) {
    AV_LOG(4, "[TCAnalogMtsATSC::t_GetAnalogMTSBySignal] start");
    if (t_IsNullStream(stream, "TCAnalogMtsATSC::t_GetAnalogMTSBySignal")) {
        mode = MULTI_SOUND_UNKNOWN;
        return false;
    }
    int signal = m_GetCurrentMTSModeBySignal(stream);
    if (signal == TV_ANALOG_MTS_LANG_FIRST || signal == TV_ANALOG_MTS_LANG_SECOND) {
        AV_LOG(1, "[TCAnalogMts::t_GetAnalogMTSBySignal] signal_mts_mode is Lang_First or Lang_Second [%d] => convert for OSD",
               signal);
        signal = TV_ANALOG_MTS_DUAL;
    }
    if (signal == TV_ANALOG_MTS_INVALID) {
        AV_LOG(1, "[TCAnalogMtsATSC::t_GetAnalogMTSBySignal] detected signal is INVALID [%d], return to UNKNOWN [%d]",
               signal, mode);
        mode = MULTI_SOUND_UNKNOWN;
        return true;
    }
    mode = t_ConvertMTSSignal(signal);
    AV_LOG(1, "[TCAnalogMts::t_GetAnalogMTSBySignal] end, tvp_mode[%d] convert_mode[%d]", signal, mode);
    return true;
}
