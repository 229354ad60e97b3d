#include <tvav/AVCheckDVB.h>

#include "avcheck/AVCheckRules.h"
#include "common/Common.h"
#include "common/Log.h"
#include "instrument/CallLayer.h"

using tvav::CodeSet;
using tvav::TSSoundRule;

namespace {

constexpr int32_t kCountryUnset = -1;

constexpr uint32_t kDualSignals = CodeSet({TV_ANALOG_DUAL_DUAL, TV_ANALOG_DUAL_DUAL_I, TV_ANALOG_DUAL_DUAL_II});
constexpr uint32_t kExtDualSignals =
    CodeSet({TV_ANALOG_DUAL_EXT_DUAL, TV_ANALOG_DUAL_EXT_DUAL_I, TV_ANALOG_DUAL_EXT_DUAL_II});

// Requested mode -> detected dual-sound types that allow it.
constexpr TSSoundRule kDualSoundRules[] = {
    {MULTI_SOUND_MONO, CodeSet({TV_ANALOG_DUAL_INVALID, TV_ANALOG_DUAL_MONO, TV_ANALOG_DUAL_STEREO,
                                TV_ANALOG_DUAL_EXT_MONO, TV_ANALOG_DUAL_EXT_DUAL, TV_ANALOG_DUAL_EXT_STEREO,
                                TV_ANALOG_DUAL_EXT_DUAL_I, TV_ANALOG_DUAL_EXT_DUAL_II})},
    {MULTI_SOUND_STEREO, CodeSet({TV_ANALOG_DUAL_STEREO})},
    {MULTI_SOUND_DUAL_I, kDualSignals},
    {MULTI_SOUND_DUAL_II, kDualSignals},
    {MULTI_SOUND_EXT_MONO, CodeSet({TV_ANALOG_DUAL_EXT_MONO})},
    {MULTI_SOUND_EXT_STEREO, CodeSet({TV_ANALOG_DUAL_EXT_STEREO})},
    {MULTI_SOUND_EXT_DUAL_I, kExtDualSignals},
    {MULTI_SOUND_EXT_DUAL_II, kExtDualSignals},
};

}  // namespace

TCAVCheckDVB::TCAVCheckDVB() = default;

TCAVCheckDVB::~TCAVCheckDVB() = default;

void TCAVCheckDVB::t_CheckAnalogMTS(TVStream stream, EMultiSoundMode mode, bool& bCheck) {
    bCheck = false;
    int dual = TV_ANALOG_DUAL_INVALID;
    if (stream != nullptr) {
        HT_CALL(tv_stream_get_property, HT_DIRS(1, 1, 2, 1), stream, TV_PROPERTY_TUNER_ANALOG_DUAL_SOUND_MODE, &dual,
                nullptr);
    }
    if (dual < 0) {
        AV_LOG(2, "[TCAVCheckDVB::CheckAnalogMTS] failed to get value from vconf. sigmal_mts_mode[%d]\n", dual);
        return;
    }
    bCheck = tvav::SoundModeAvailable(kDualSoundRules, mode, dual);

    const int32_t country = tvav::ReadCountry();
    AV_LOG(4, "[TCAVCheckDVB::CheckAnalogMTS] country [%d]\n", country);
    if (country == kCountryUnset && mode == MULTI_SOUND_MONO) {
        AV_LOG(1, "[TCAVCheckDVB::CheckAnalogMTS] country [%d], Default Menu Show - MONO\n", country);
        bCheck = true;
    }
    AV_LOG(1, "[TCAVCheckDVB::CheckAnalogMTS]sigmal_mts_mode[%d], checkMode[%d], bCheck[%d]\n", dual, mode, bCheck);
}

void TCAVCheckDVB::t_CheckAspectRatio(TSAspectRatioKey, TSSourceTypeInfo, bool&) {
    AV_LOG(1, "[TCAVCheckDVB::t_CheckAspectRatio] is old api, will be removed");
}
