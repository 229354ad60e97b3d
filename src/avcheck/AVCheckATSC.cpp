#include <tvav/AVCheckATSC.h>

#include "avcheck/AVCheckRules.h"
#include "common/Common.h"
#include "common/Log.h"
#include "instrument/CallLayer.h"

using tvav::CodeSet;
using tvav::TSSoundRule;

namespace {

constexpr int32_t kCountryKorea = 2;  // COUNTRY_KOR
constexpr int32_t kCountryUnset = -1;

constexpr uint32_t kKoreaDualSignals =
    CodeSet({TV_ANALOG_MTS_DUAL, TV_ANALOG_MTS_LANG_FIRST, TV_ANALOG_MTS_LANG_SECOND});

// Korea: requested mode -> detected MTS types that allow it.
constexpr TSSoundRule kKoreaRules[] = {
    {MULTI_SOUND_MONO, CodeSet({TV_ANALOG_MTS_INVALID, TV_ANALOG_MTS_MONO, TV_ANALOG_MTS_STEREO})},
    {MULTI_SOUND_STEREO, CodeSet({TV_ANALOG_MTS_STEREO})},
    {MULTI_SOUND_DUAL_I, kKoreaDualSignals},
    {MULTI_SOUND_DUAL_II, kKoreaDualSignals},
    {MULTI_SOUND_DUAL, kKoreaDualSignals},
};

// USA and ISDB countries: a signal below 4 or stereo with SAP.
constexpr uint32_t kUsaSignals = CodeSet({TV_ANALOG_MTS_INVALID, TV_ANALOG_MTS_MONO, TV_ANALOG_MTS_STEREO,
                                          TV_ANALOG_MTS_SAP, TV_ANALOG_MTS_STEREO_SAP});

constexpr TSSoundRule kUsaRules[] = {
    {MULTI_SOUND_MONO, kUsaSignals},
    {MULTI_SOUND_STEREO, kUsaSignals},
    {MULTI_SOUND_SAP, kUsaSignals},
};

}  // namespace

TCAVCheckATSC::TCAVCheckATSC() = default;

TCAVCheckATSC::~TCAVCheckATSC() = default;

void TCAVCheckATSC::t_CheckAnalogMTS(TVStream stream, EMultiSoundMode mode, bool& bCheck) {
    bCheck = false;
    // A read that writes nothing leaves a negative value, which counts as a
    // failed read below.
    int signal = -1;
    if (stream != nullptr) {
        HT_CALL(tv_stream_get_property, HT_DIRS(1, 1, 2, 1), stream, TV_PROPERTY_TUNER_ANALOG_MTS_MODE, &signal,
                nullptr);
    }
    AV_LOG(4, "[TCAnalogMtsATSC::CheckAnalogMTS] is called, sigmal_mts_mode[%d]\n", signal);
    if (signal < 0) {
        AV_LOG(2, "[TCAnalogMtsATSC::CheckAnalogMTS] failed to get value from vconf. sigmal_mts_mode[%d]\n", signal);
        return;
    }

    const int32_t country = tvav::ReadCountry();
    AV_LOG(4, "[TCAnalogMtsATSC::t_CheckAnalogMTS] country [%d]\n", country);
    if (country == kCountryKorea) {
        AV_LOG(4, "[TCAnalogMtsATSC::CheckAnalogMTS] country is COUNTRY_KOR\n");
        bCheck = tvav::SoundModeAvailable(kKoreaRules, mode, signal);
    } else {
        bCheck = tvav::SoundModeAvailable(kUsaRules, mode, signal);
        AV_LOG(4,
               "[TCAnalogMtsATSC::CheckAnalogMTS] country is COUNTRY_USA or ISDB country[%d], signal_mts_mode[%d], "
               "bCheck[%d]\n",
               country, signal, bCheck);
        if (mode == MULTI_SOUND_MONO && country == kCountryUnset) {
            AV_LOG(1, "[TCAnalogMtsATSC::t_CheckAnalogMTS] country [%d], Default Menu Show - MONO\n", country);
            bCheck = true;
        }
    }
    AV_LOG(1, "[TCAnalogMtsATSC::CheckAnalogMTS]sigmal_mts_mode[%d], checkMode[%d], bCheck[%d]\n", signal, mode,
           bCheck);
}

void TCAVCheckATSC::t_CheckAspectRatio(TSAspectRatioKey, TSSourceTypeInfo, bool&) {
    AV_LOG(1, "[TCAnalogMtsATSC::t_CheckAspectRatio] is old api, will be removed");
}
