// MTS sound controller of the ATSC and ISDB regions: stereo, SAP and mono,
// with the Korean auto-stereo and first/second-language rules.
#pragma once

#include <tvav/AnalogMts.h>
#include <tvav/AVTypes.h>
#include "tv_stream.h"

class TVAV_EXPORT TCAnalogMtsATSC : public TCAnalogMts {
public:
    TCAnalogMtsATSC();
    ~TCAnalogMtsATSC() override;

    // Sound mode to tuner MTS type; modes without an MTS type give
    // TV_ANALOG_MTS_INVALID.
    TvStreamAnalogMTSType ConvertTypeEMultiSoundMode(EMultiSoundMode mode) const;

protected:
    bool t_SetAnalogMTS(TVStream stream, EMultiSoundMode mode) override;
    bool t_SetAnalogMTSByChannelTune(TVStream stream) override;
    bool t_GetAnalogMTSBySignal(TVStream stream, EMultiSoundMode& mode) override;
    bool t_SetAnalogMTSByCallback(TVStream stream, int signal) override;

private:
    // Tuner values are held as int: the tuner may report values outside the
    // enumeration (negative on failure).
    int m_GetCurrentMTSModeBySignal(TVStream stream);
    int m_SetMTSModeToSignal(TVStream stream, TvStreamAnalogMTSType value);
    void m_SetMTSModeToVconf(int mode);
    int m_GetMTSModeByVconf();
    int m_GetAutoStreoMode();
    int m_GetCurrentCountry();
    TvStreamAnalogMTSType m_AvailableMTSBySignalForUSA(int userMode, int signal);
    void m_StoreMTSToFastboot(int rule, TvStreamAnalogMTSType value);

    // Outside Korea: the user has set a mode once (kept for good).
    bool m_isUserSet;
    // Korea: the user chose mono while auto-stereo was on and the signal was
    // stereo; a stereo notification must not switch back to stereo.
    bool m_isManualMono;
};
