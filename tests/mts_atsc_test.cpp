// ATSC/ISDB MTS controller: the other countries' stereo/SAP rules, the Korean
// auto-stereo rules and the fast-boot sound byte.
#include "AnalogMtsATSC.h"
#include "mts_support.h"

namespace {

using namespace mts_test;

void Signal(int mts) { host::SetProp(host::DefaultStream(), kPropMts, mts); }
void Stored(int mode) { host::SetVconfInt(VCONFKEY_MULTI_TRACK_SOUND, mode); }

// Outside Korea a notification plays what the signal carries; once the user
// has chosen, stereo or SAP only when the stored mode asks for it.
TEST(MtsAtsc, UsaNotification) {
    struct Row {
        bool bUserSet;
        int stored;
        int signal;
        int mts;
        int fastboot;
    };
    const Row rows[] = {
        {false, 1, 2, 2, 2}, {false, 3, 3, 1, 0}, {false, 1, 7, 2, 2}, {false, 3, 1, 1, 0}, {false, 2, 0, 1, 0},
        {true, 2, 2, 2, 2},  {true, 1, 2, 1, 0},  {true, 3, 3, 3, 3},  {true, 2, 3, 1, 0},  {true, 2, 7, 2, 2},
        {true, 3, 7, 3, 3},  {true, 1, 7, 1, 0},  {true, 3, 4, 1, 0},  {true, 3, 2, 1, 0},  // after a SAP choice, stereo only: mono
    };
    for (const Row& row : rows) {
        ResetPlatform(kRegionKorea, kCountryUsa);
        TCAnalogMtsATSC atsc;
        if (row.bUserSet) {  // the user picks the stored mode on a stereo-and-SAP signal
            Signal(TV_ANALOG_MTS_STEREO_SAP);
            ASSERT_TRUE(atsc.SetAnalogMTS(host::DefaultStream(), static_cast<EMultiSoundMode>(row.stored)));
        } else {
            Stored(row.stored);
        }
        Signal(row.signal);
        atsc.SetAnalogMTSByCallback(host::DefaultStream(), row.signal);
        EXPECT_EQ(LastSet(kPropMts), row.mts) << "row " << (&row - rows);
        EXPECT_EQ(FbSoundByte(), row.fastboot) << "row " << (&row - rows);
        EXPECT_EQ(StoredMode(), row.stored) << "row " << (&row - rows);
    }
}

// Auto stereo on: manual mono survives a stereo notification; after the next
// tune a stereo notification plays stereo again, even with mono stored.
TEST(MtsAtsc, KoreanManualMono) {
    ResetPlatform(kRegionKorea, kCountryKorea);
    const TVStream stream = host::DefaultStream();
    TCAnalogMtsATSC atsc;
    host::SetVconfInt(VCONFKEY_AUTO_STEREO, 1);
    Signal(TV_ANALOG_MTS_STEREO);
    atsc.SetAnalogMTSByChannelTune(stream);
    ASSERT_TRUE(atsc.SetAnalogMTS(stream, MULTI_SOUND_MONO));
    atsc.SetAnalogMTSByCallback(stream, TV_ANALOG_MTS_STEREO);
    EXPECT_EQ(LastSet(kPropMts), TV_ANALOG_MTS_MONO);

    atsc.SetAnalogMTSByChannelTune(stream);
    Stored(MULTI_SOUND_MONO);
    atsc.SetAnalogMTSByCallback(stream, TV_ANALOG_MTS_STEREO);
    EXPECT_EQ(LastSet(kPropMts), TV_ANALOG_MTS_STEREO);
    EXPECT_EQ(StoredMode(), MULTI_SOUND_STEREO);

    // Languages: dual I plays mono, dual II the first language, dual the second.
    host::SetVconfInt(VCONFKEY_AUTO_STEREO, 0);
    Signal(TV_ANALOG_MTS_DUAL);
    const int languages[][2] = {{5, 1}, {6, 5}, {7, 6}};
    for (const auto& language : languages) {
        EXPECT_TRUE(atsc.SetAnalogMTS(stream, static_cast<EMultiSoundMode>(language[0])));
        EXPECT_EQ(LastSet(kPropMts), language[1]) << "mode " << language[0];
    }
}

// The mode read from the signal (languages shown as dual, a value outside the
// enumeration as mono), and a negative signal ending a selection unapplied.
TEST(MtsAtsc, ModeFromTheSignalAndFailedSignalRead) {
    const struct {
        int signal;
        int mode;
        const char* message;
    } rows[] = {
        {0, 0, "[TCAnalogMtsATSC::t_GetAnalogMTSBySignal] detected signal is INVALID [0], return to UNKNOWN [9]"},
        {5, 7, "[TCAnalogMts::t_GetAnalogMTSBySignal] signal_mts_mode is Lang_First or Lang_Second [5] => convert for OSD"},
        {6, 7, "[TCAnalogMts::t_GetAnalogMTSBySignal] end, tvp_mode[4] convert_mode[7]"},
        {7, 4, "[TCAnalogMts::t_GetAnalogMTSBySignal] end, tvp_mode[7] convert_mode[4]"},
        {-3, 1, "[TCAnalogMtsATSC::ConvertTypeTvStreamAnalogMTSType] Invalid MTS Detect flag [-3] set to MONO"},
    };
    for (const auto& row : rows) {
        ResetPlatform(kRegionIsdb, kCountryUsa);
        Signal(row.signal);
        TCAnalogMtsATSC atsc;
        EMultiSoundMode mode = MULTI_SOUND_EXT_STEREO;
        EXPECT_TRUE(atsc.GetAnalogMTSBySignal(host::DefaultStream(), mode));
        EXPECT_EQ(mode, row.mode) << row.signal;
        EXPECT_TRUE(host::LogContains(row.message)) << row.message;
    }
    ResetPlatform(kRegionIsdb, kCountryUsa);
    Signal(-1);
    TCAnalogMtsATSC atsc;
    EXPECT_FALSE(atsc.SetAnalogMTS(host::DefaultStream(), MULTI_SOUND_STEREO));
    EXPECT_TRUE(host::LogContains("[TCAnalogMtsATSC::t_SetAnalogMTS] failed to get value from vconf. sigmal_mts_mode[-1]\n"));
    EXPECT_EQ(CountCalls("tv_stream_get_property"), 1) << "no availability check";
    EXPECT_EQ(CountCalls("tv_stream_set_property"), 0);
    EXPECT_EQ(FbSoundByte(), 0x99);
}

}  // namespace
