// Dual-sound controller of the DVB regions: dual I/II, stereo and mono, with
// roll-back of the user's choice after a lost signal and mono last memory.
#pragma once

#include <tvav/AnalogMts.h>
#include <tvav/AVTypes.h>
#include "tv_stream.h"

class TVAV_EXPORT TCAnalogMtsDVB : public TCAnalogMts {
public:
    TCAnalogMtsDVB();
    ~TCAnalogMtsDVB() override;

    // Sound mode to tuner dual-sound type; modes without one give
    // TV_ANALOG_DUAL_INVALID.
    TvStreamAnalogDualAudioType ConvertTypeEMultiSoundMode(EMultiSoundMode mode) const;

protected:
    bool t_SetAnalogMTS(TVStream stream, EMultiSoundMode mode) override;
    bool t_SetAnalogMTSByChannelTune(TVStream stream) override;
    bool t_GetAnalogMTSBySignal(TVStream stream, EMultiSoundMode& mode) override;
    bool t_SetAnalogMTSByCallback(TVStream stream, int signal) override;

private:
    // The dual-sound type applied by default for a detected signal.
    TvStreamAnalogDualAudioType m_DefaultDualValueInSignal(int signal) const;
    // Rewrites byte 3 of the fast-boot audio record for the applied type.
    void m_StoreDaulToFastboot(TvStreamAnalogDualAudioType dual);
    // Sets the tuner to `dual`, stores `mode` in the settings and mirrors
    // `dual` into the fast-boot record.
    void m_ApplyDual(TVStream stream, TvStreamAnalogDualAudioType dual, EMultiSoundMode mode);

    // The user's mode to come back to.
    EMultiSoundMode m_dualLastValue;
    // The signal was lost after a user choice; the next notification rolls back.
    bool m_isSignalLost;
    // The user has set a mode that the signal allowed.
    bool m_isDualUserSet;
};
