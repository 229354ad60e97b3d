// Analog sound-mode front: the controller of the current region family
// (MTS for ATSC/ISDB, dual sound for DVB), the user-setting store, the mode
// shown by the menu and the conversions of tuner sound types.
#pragma once

#include <tvav/AVTypes.h>
#include "TCFramework.h"
#include "tv_stream.h"

class TVAV_EXPORT TCAnalogMts {
public:
    // The controller of the current region family. One controller per family
    // is built on first use and kept for the life of the process, so a switch
    // of region and back returns the same object with its state intact.
    static TCAnalogMts* GetInstance();

    virtual ~TCAnalogMts();
    TCAnalogMts(const TCAnalogMts&) = delete;
    TCAnalogMts& operator=(const TCAnalogMts&) = delete;

    // The user picks `mode`; it is stored in the settings unless
    // bSkipVconfStore is true, then applied as the region allows. Returns true
    // when the mode was available and applied.
    bool SetAnalogMTS(TVStream stream, EMultiSoundMode mode, bool bSkipVconfStore = false);
    // The tuner detected a new sound signal (a TvStreamAnalogMTSType for
    // ATSC/ISDB, a TvStreamAnalogDualAudioType for DVB). Returns false
    // without a stream.
    bool SetAnalogMTSByCallback(TVStream stream, int signal);
    // The mode the tuner currently detects; MULTI_SOUND_UNKNOWN without a
    // valid signal. Returns false without a stream.
    bool GetAnalogMTSBySignal(TVStream stream, EMultiSoundMode& mode);
    // Re-applies the mode after a channel change. Returns false when the
    // controller stopped on a failed read or a null stream without applying
    // anything.
    bool SetAnalogMTSByChannelTune(TVStream stream);
    // The mode the menu shows. Returns false when the stored mode could not be
    // read (mode then keeps the value passed in, apart from the 0 rule).
    bool GetAnalogMTS(TVStream stream, EMultiSoundMode& mode);

    // Tuner MTS type to sound mode; invalid types give MULTI_SOUND_MONO.
    EMultiSoundMode ConvertTypeTvStreamAnalogMTSType(TvStreamAnalogMTSType signal) const;
    // Tuner dual-sound type to sound mode; types outside 1-10 give
    // MULTI_SOUND_UNKNOWN.
    EMultiSoundMode ConvertTypeTvStreamAnalogDualAudioType(TvStreamAnalogDualAudioType signal) const;

protected:
    TCAnalogMts();

    // Region behaviour; results as for the public operation of the same name.
    virtual bool t_SetAnalogMTS(TVStream stream, EMultiSoundMode mode) = 0;
    virtual bool t_SetAnalogMTSByChannelTune(TVStream stream) = 0;
    virtual bool t_GetAnalogMTSBySignal(TVStream stream, EMultiSoundMode& mode) = 0;
    virtual bool t_SetAnalogMTSByCallback(TVStream stream, int signal) = 0;

    // True, after logging "[<operation>] stream is NULL", when there is no
    // stream: the player is never called with a null stream.
    static bool t_IsNullStream(TVStream stream, const char* operation);

    // The conversions above for a tuner value held as int: a value outside
    // the enumeration (negative after a failed read) is never cast to it.
    EMultiSoundMode t_ConvertMTSSignal(int signal) const;
    EMultiSoundMode t_ConvertDualSignal(int signal) const;

private:
    // The controller of `region` (an EAVCheckRegion): the DVB controller for
    // AV_CHECK_REGION_DVB, the MTS controller for every other value, built on
    // first use. Records `region` as the current one; runs only under the
    // write lock of GetInstance.
    static TCAnalogMts* CreateInstance(int region);

    // The user has chosen a mode since the last channel tune.
    bool m_isSelectedSinceTune;

    static TCAnalogMts* m_Instance;
    static TCAnalogMts* m_MTS_Instance;
    static TCAnalogMts* m_Dual_Instance;
    static int m_currentRegionState;
    static TCRWLock m_rwlock;
};
