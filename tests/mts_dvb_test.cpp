// DVB dual-sound controller: defaults per signal, user selection, lost-signal
// roll-back, mono last memory and the fast-boot sound byte.
#include "AnalogMtsDVB.h"
#include "mts_support.h"

namespace {

using namespace mts_test;

class MtsDvbTest : public MtsTest {
protected:
    void SetUp() override {
        MtsTest::SetUp();
        host::SetOption(0, kRegionDvb);
        host::SetSpecTag(1, kCountryUsa);
    }
    void Signal(int dual) { host::SetProp(stream, kPropDual, dual); }

    TCAnalogMtsDVB dvb;
};

TEST_F(MtsDvbTest, ChannelTuneAppliesTheDefaultOfTheSignal) {
    struct Row {
        int signal;
        int dual;      // set on the tuner
        int mode;      // stored in the settings
        int fastboot;  // byte 3
    };
    const Row rows[] = {
        {0, 1, 1, 0},  {1, 1, 1, 0},  {2, 9, 5, 7},  {3, 3, 2, 2},  {4, 4, 8, 1},   {5, 7, 10, 7},
        {6, 6, 9, 2},  {7, 7, 10, 7}, {8, 1, 1, 0},  {9, 9, 5, 7},  {10, 1, 1, 0}, {11, 1, 1, 0},
    };
    for (const Row& row : rows) {
        host::SetFbAudio(kFbAudioSeed);
        Signal(row.signal);
        EXPECT_TRUE(dvb.SetAnalogMTSByChannelTune(stream)) << "signal " << row.signal;
        EXPECT_EQ(LastSet(kPropDual), row.dual) << "signal " << row.signal;
        EXPECT_EQ(StoredMode(), row.mode) << "signal " << row.signal;
        EXPECT_EQ(FbSoundByte(), row.fastboot) << "signal " << row.signal;
    }
}

TEST_F(MtsDvbTest, ChannelTuneStopsWhenTheTunerCannotBeRead) {
    host::UnsetProp(stream, kPropDual);
    EXPECT_FALSE(dvb.SetAnalogMTSByChannelTune(stream));
    EXPECT_EQ(CountCalls("tv_stream_set_property"), 0);
    EXPECT_EQ(CountCalls("fb_nv_store_audio_config"), 0);
    EXPECT_TRUE(host::LogContains("[TCAnalogMtsATSC::t_SetAnalogMTSByChannelTune] failed to get value from vconf."));
}

TEST_F(MtsDvbTest, MonoLastMemoryOnStereoSignals) {
    struct Row {
        int option;    // factory option 25; -2: unreadable
        int signal;
        int stored;    // -2: the settings key fails
        bool bResult;
        int dual;      // -100: the tuner is not set
        int fastboot;
    };
    const Row rows[] = {
        {1, 3, 1, true, 1, 0},      // stored mono kept on a stereo signal
        {1, 6, 1, true, 1, 0},
        {1, 3, 2, true, 3, 2},      // stored stereo: the default
        {1, 2, 1, true, 9, 7},      // not a stereo signal: the default
        {0, 3, 1, true, 3, 2},      // switched off
        {-2, 3, 1, true, 3, 2},
        {1, 3, -2, false, -100, 0x99},
    };
    for (const Row& row : rows) {
        host::Reset();
        host::SetFbAudio(kFbAudioSeed);
        host::SetOption(0, kRegionDvb);
        if (row.option == -2) {
            host::UnsetOption(25);
        } else {
            host::SetOption(25, row.option);
        }
        if (row.stored == -2) {
            host::FailVconf(VCONFKEY_MULTI_TRACK_SOUND);
        } else {
            host::SetVconfInt(VCONFKEY_MULTI_TRACK_SOUND, row.stored);
        }
        Signal(row.signal);
        TCAnalogMtsDVB fresh;
        EXPECT_EQ(fresh.SetAnalogMTSByChannelTune(stream), row.bResult) << "row signal " << row.signal;
        EXPECT_EQ(LastSet(kPropDual), row.dual) << "signal " << row.signal << " stored " << row.stored;
        EXPECT_EQ(FbSoundByte(), row.fastboot) << "signal " << row.signal << " stored " << row.stored;
    }
}

TEST_F(MtsDvbTest, UserSelectionOnTheDetectedSignal) {
    struct Row {
        int signal;
        int mode;
        bool bApplied;
        int dual;      // -100: the tuner is not set
        int fastboot;
    };
    const Row rows[] = {
        {2, 5, true, 9, 7},   {2, 6, true, 10, 8},  {3, 2, true, 3, 2},   {4, 8, true, 4, 1},
        {6, 9, true, 6, 2},   {5, 10, true, 7, 7},  {7, 11, true, 8, 8},  {1, 1, true, 1, 0},
        {0, 1, true, 1, 0},   {2, 2, false, -100, 0x99}, {3, 3, false, -100, 0x99}, {2, 7, false, -100, 0x99},
    };
    for (const Row& row : rows) {
        host::Reset();
        host::SetFbAudio(kFbAudioSeed);
        host::SetOption(0, kRegionDvb);
        host::SetSpecTag(1, kCountryUsa);
        Signal(row.signal);
        TCAnalogMtsDVB fresh;
        EXPECT_EQ(fresh.SetAnalogMTS(stream, static_cast<EMultiSoundMode>(row.mode)), row.bApplied)
            << "signal " << row.signal << " mode " << row.mode;
        EXPECT_EQ(LastSet(kPropDual), row.dual) << "signal " << row.signal << " mode " << row.mode;
        EXPECT_EQ(FbSoundByte(), row.fastboot) << "signal " << row.signal << " mode " << row.mode;
        EXPECT_EQ(StoredMode(), row.mode) << "the front stores the user's mode whatever the signal";
    }
}

// The user picks dual II on a dual signal, the signal is lost, then returns.
TEST_F(MtsDvbTest, LostSignalRollsBackToTheUsersChoice) {
    Signal(TV_ANALOG_DUAL_DUAL);
    ASSERT_TRUE(dvb.SetAnalogMTS(stream, MULTI_SOUND_DUAL_II));
    EXPECT_EQ(LastSet(kPropDual), TV_ANALOG_DUAL_DUAL_II);
    EXPECT_EQ(StoredMode(), MULTI_SOUND_DUAL_II);
    EXPECT_EQ(FbSoundByte(), 8);

    Signal(TV_ANALOG_DUAL_INVALID);
    dvb.SetAnalogMTSByCallback(stream, TV_ANALOG_DUAL_INVALID);
    EXPECT_EQ(LastSet(kPropDual), TV_ANALOG_DUAL_MONO);
    EXPECT_EQ(StoredMode(), MULTI_SOUND_MONO);
    EXPECT_EQ(FbSoundByte(), 0);
    EXPECT_TRUE(host::LogContains("current_signal is INVAILD, m_dualLastValue[6], cur_mts_mode[6]"));

    // A tune while the signal is away keeps the choice.
    dvb.SetAnalogMTSByChannelTune(stream);
    EXPECT_EQ(LastSet(kPropDual), TV_ANALOG_DUAL_MONO);

    Signal(TV_ANALOG_DUAL_DUAL);
    dvb.SetAnalogMTSByCallback(stream, TV_ANALOG_DUAL_DUAL);
    EXPECT_TRUE(host::LogContains("[TCAnalogMtsDVB::t_SetAnalogMTSByCallback] before lost signal, rollback the user setting[6]"));
    EXPECT_EQ(LastSet(kPropDual), TV_ANALOG_DUAL_DUAL_II);
    EXPECT_EQ(StoredMode(), MULTI_SOUND_DUAL_II);
    EXPECT_EQ(FbSoundByte(), 8);

    // A tune with the signal present forgets the choice: the default follows.
    dvb.SetAnalogMTSByChannelTune(stream);
    dvb.SetAnalogMTSByCallback(stream, TV_ANALOG_DUAL_DUAL);
    EXPECT_EQ(LastSet(kPropDual), TV_ANALOG_DUAL_DUAL_I);
    EXPECT_EQ(StoredMode(), MULTI_SOUND_DUAL_I);
}

TEST_F(MtsDvbTest, NotificationWithoutUserChoice) {
    struct Row {
        int signal;    // notified and detected
        int dual;
        int mode;
    };
    const Row rows[] = {
        {0, 1, 1},   // mono passes on an invalid signal
        {2, 9, 5}, {3, 3, 2}, {8, 1, 1},
    };
    for (const Row& row : rows) {
        Signal(row.signal);
        dvb.SetAnalogMTSByCallback(stream, row.signal);
        EXPECT_EQ(LastSet(kPropDual), row.dual) << "signal " << row.signal;
        EXPECT_EQ(StoredMode(), row.mode) << "signal " << row.signal;
    }
    // The user's stereo no longer fits a dual signal: back to its default.
    Signal(TV_ANALOG_DUAL_STEREO);
    ASSERT_TRUE(dvb.SetAnalogMTS(stream, MULTI_SOUND_STEREO));
    Signal(TV_ANALOG_DUAL_DUAL);
    dvb.SetAnalogMTSByCallback(stream, TV_ANALOG_DUAL_DUAL);
    EXPECT_TRUE(host::LogContains("Just Setting to default value [9], vconf[5]"));
    EXPECT_EQ(LastSet(kPropDual), TV_ANALOG_DUAL_DUAL_I);
}

TEST_F(MtsDvbTest, ModeReadFromTheSignal) {
    const int modeOfSignal[] = {0, 1, 7, 2, 8, 12, 9, 10, 11, 5, 6};
    for (int signal = 0; signal <= 10; ++signal) {
        Signal(signal);
        EMultiSoundMode mode = MULTI_SOUND_STEREO;
        EXPECT_TRUE(dvb.GetAnalogMTSBySignal(stream, mode));
        EXPECT_EQ(mode, modeOfSignal[signal]) << "signal " << signal;
    }
    EXPECT_TRUE(host::LogContains("detected signal is INVALID [0], return to UNKNOWN [2]"));
    EXPECT_EQ(CountCalls("tv_stream_set_property"), 0);
}

TEST_F(MtsDvbTest, OrderOfOutsideCallsForAUserSelection) {
    Signal(TV_ANALOG_DUAL_DUAL);
    host::ClearJournal();
    ASSERT_TRUE(dvb.SetAnalogMTS(stream, MULTI_SOUND_DUAL_II));
    const std::vector<std::string> expected = {
        "vconf_set_int db/menu/broadcasting/audio_options/multi-track-sound 6",
        "scope TCAnalogMtsDVB::t_SetAnalogMTS --get_property(TV_PROPERTY_TUNER_ANALOG_DUAL_SOUND_MODE)",
        "tv_stream_get_property 26",
        "tv_stream_get_property 26",  // the availability check
        "scope TCAnalogMtsDVB::t_SetAnalogMTS --set_property(TV_PROPERTY_TUNER_ANALOG_DUAL_SOUND_MODE)",
        "tv_stream_set_property 26 10",
        "scope TCAnalogMtsDVB::m_StoreDaulToFastboot --fb_nv_load_audio_config",
        "fb_nv_load_audio_config",
        "scope TCAnalogMtsDVB::m_StoreDaulToFastboot --fb_nv_store_audio_config",
        "fb_nv_store_audio_config 11223308",
    };
    EXPECT_EQ(JournalOf({"scope", "tv_stream_get_property", "tv_stream_set_property", "vconf_get_int",
                         "vconf_set_int", "fb_nv_load_audio_config", "fb_nv_store_audio_config"}),
              expected);
}

}  // namespace
