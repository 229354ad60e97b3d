// ATSC/ISDB MTS controller: the Korean auto-stereo rules, the other
// countries' stereo/SAP rules and the fast-boot sound byte.
#include "AnalogMtsATSC.h"
#include "mts_support.h"

namespace {

using namespace mts_test;

class MtsAtscTest : public MtsTest {
protected:
    void SetUp() override {
        MtsTest::SetUp();
        host::SetOption(0, kRegionKorea);
    }
    void Signal(int mts) { host::SetProp(stream, kPropMts, mts); }
    static void Stored(int mode) { host::SetVconfInt(VCONFKEY_MULTI_TRACK_SOUND, mode); }

    TCAnalogMtsATSC atsc;
};

// Outside Korea a notification plays what the signal carries, limited by the
// user's stored mode once the user has chosen.
TEST_F(MtsAtscTest, UsaNotificationFollowsSignalAndUserChoice) {
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
        {true, 3, 7, 3, 3},  {true, 1, 7, 1, 0},  {true, 3, 4, 1, 0},
    };
    for (const Row& row : rows) {
        host::Reset();
        host::SetFbAudio(kFbAudioSeed);
        host::SetOption(0, kRegionKorea);
        host::SetSpecTag(1, kCountryUsa);
        TCAnalogMtsATSC fresh;
        if (row.bUserSet) {
            Signal(TV_ANALOG_MTS_MONO);
            ASSERT_TRUE(fresh.SetAnalogMTS(stream, MULTI_SOUND_MONO));
        }
        Stored(row.stored);
        Signal(row.signal);
        EXPECT_TRUE(fresh.SetAnalogMTSByCallback(stream, row.signal));
        EXPECT_EQ(LastSet(kPropMts), row.mts) << "user " << row.bUserSet << " stored " << row.stored << " signal "
                                              << row.signal;
        EXPECT_EQ(FbSoundByte(), row.fastboot) << "signal " << row.signal;
        EXPECT_EQ(StoredMode(), row.stored) << "notifications outside Korea never write the settings";
    }
}

TEST_F(MtsAtscTest, UsaFirstTuneOnStereoSapPlaysStereo) {
    host::SetSpecTag(1, kCountryUsa);
    Stored(MULTI_SOUND_MONO);
    Signal(TV_ANALOG_MTS_STEREO_SAP);
    EXPECT_TRUE(atsc.SetAnalogMTSByChannelTune(stream));
    EXPECT_EQ(LastSet(kPropMts), TV_ANALOG_MTS_STEREO);
    EXPECT_EQ(FbSoundByte(), 2);
    EXPECT_EQ(StoredMode(), MULTI_SOUND_MONO);
}

TEST_F(MtsAtscTest, UsaAfterSapChoice) {
    host::SetSpecTag(1, kCountryUsa);
    Signal(TV_ANALOG_MTS_SAP);
    ASSERT_TRUE(atsc.SetAnalogMTS(stream, MULTI_SOUND_SAP));
    EXPECT_EQ(LastSet(kPropMts), TV_ANALOG_MTS_SAP);
    EXPECT_EQ(StoredMode(), MULTI_SOUND_SAP);
    EXPECT_EQ(FbSoundByte(), 3);

    // SAP gone, stereo not chosen: mono.
    Signal(TV_ANALOG_MTS_STEREO);
    atsc.SetAnalogMTSByCallback(stream, TV_ANALOG_MTS_STEREO);
    EXPECT_EQ(LastSet(kPropMts), TV_ANALOG_MTS_MONO);
    EXPECT_EQ(FbSoundByte(), 0);

    // A tune to a stereo-and-SAP channel brings SAP back.
    Signal(TV_ANALOG_MTS_STEREO_SAP);
    atsc.SetAnalogMTSByChannelTune(stream);
    EXPECT_EQ(LastSet(kPropMts), TV_ANALOG_MTS_SAP);
    EXPECT_EQ(FbSoundByte(), 3);
}

TEST_F(MtsAtscTest, UsaRefusedSelectionPlaysMonoAndKeepsFlags) {
    host::SetSpecTag(1, kCountryUsa);
    Signal(TV_ANALOG_MTS_DUAL);
    EXPECT_FALSE(atsc.SetAnalogMTS(stream, MULTI_SOUND_SAP));
    EXPECT_EQ(LastSet(kPropMts), TV_ANALOG_MTS_MONO);
    EXPECT_EQ(CountCalls("fb_nv_store_audio_config"), 0);
    EXPECT_TRUE(host::LogContains("[TCAnalogMtsATSC::t_SetAnalogMTS] Cannot setting to userSetMod[3] in current Signal[4] country[0] ret[0]"));

    // Still no user selection: a stereo signal plays stereo whatever is stored.
    Signal(TV_ANALOG_MTS_STEREO);
    atsc.SetAnalogMTSByCallback(stream, TV_ANALOG_MTS_STEREO);
    EXPECT_EQ(LastSet(kPropMts), TV_ANALOG_MTS_STEREO);
}

TEST_F(MtsAtscTest, SelectionStopsOnNegativeSignal) {
    host::SetSpecTag(1, kCountryUsa);
    Signal(-1);
    EXPECT_FALSE(atsc.SetAnalogMTS(stream, MULTI_SOUND_STEREO));
    EXPECT_EQ(CountCalls("tv_stream_set_property"), 0);
    EXPECT_TRUE(host::LogContains("[TCAnalogMtsATSC::t_SetAnalogMTS] failed to get value from vconf. sigmal_mts_mode[-1]\n"));
}

TEST_F(MtsAtscTest, KoreanSelectionOfLanguages) {
    struct Row {
        int signal;
        int mode;
        int mts;
    };
    const Row rows[] = {
        {4, 5, 1}, {4, 6, 5}, {5, 7, 6}, {6, 6, 5}, {2, 2, 2}, {1, 1, 1},
    };
    host::SetSpecTag(1, kCountryKorea);
    host::SetVconfInt(VCONFKEY_AUTO_STEREO, 0);
    for (const Row& row : rows) {
        Signal(row.signal);
        EXPECT_TRUE(atsc.SetAnalogMTS(stream, static_cast<EMultiSoundMode>(row.mode))) << "mode " << row.mode;
        EXPECT_EQ(LastSet(kPropMts), row.mts) << "mode " << row.mode;
        EXPECT_EQ(FbSoundByte(), 0) << "Korea writes 0 into the fast-boot sound byte";
    }
}

// Auto-stereo on: manual mono survives a stereo notification; a tune clears it.
TEST_F(MtsAtscTest, KoreanManualMonoLifeCycle) {
    host::SetSpecTag(1, kCountryKorea);
    host::SetVconfInt(VCONFKEY_AUTO_STEREO, 1);
    Stored(MULTI_SOUND_MONO);
    Signal(TV_ANALOG_MTS_STEREO);

    atsc.SetAnalogMTSByChannelTune(stream);
    EXPECT_EQ(LastSet(kPropMts), TV_ANALOG_MTS_STEREO);
    EXPECT_EQ(StoredMode(), MULTI_SOUND_STEREO);
    EXPECT_EQ(FbSoundByte(), 0);

    ASSERT_TRUE(atsc.SetAnalogMTS(stream, MULTI_SOUND_MONO));
    EXPECT_TRUE(host::LogContains("This is manual MONO case, (auto Stereo == true && userSetting to Mono)"));
    EXPECT_EQ(LastSet(kPropMts), TV_ANALOG_MTS_MONO);
    EXPECT_EQ(StoredMode(), MULTI_SOUND_MONO);

    atsc.SetAnalogMTSByCallback(stream, TV_ANALOG_MTS_STEREO);
    EXPECT_EQ(LastSet(kPropMts), TV_ANALOG_MTS_MONO);
    EXPECT_EQ(StoredMode(), MULTI_SOUND_MONO);
    EXPECT_TRUE(host::LogContains("m_isManualMono[1]"));

    atsc.SetAnalogMTSByChannelTune(stream);
    EXPECT_EQ(LastSet(kPropMts), TV_ANALOG_MTS_STEREO);
    EXPECT_EQ(StoredMode(), MULTI_SOUND_STEREO);

    Stored(MULTI_SOUND_MONO);
    host::ClearLog();
    atsc.SetAnalogMTSByCallback(stream, TV_ANALOG_MTS_STEREO);
    EXPECT_EQ(LastSet(kPropMts), TV_ANALOG_MTS_STEREO);
    EXPECT_EQ(StoredMode(), MULTI_SOUND_STEREO);
    EXPECT_TRUE(host::LogContains("m_isManualMono[0]"));
    EXPECT_EQ(FbSoundByte(), 0);
}

TEST_F(MtsAtscTest, KoreanTuneAndNotificationWithoutAutoStereo) {
    host::SetSpecTag(1, kCountryKorea);
    host::FailVconf(VCONFKEY_AUTO_STEREO);  // unreadable switch: manual
    Stored(MULTI_SOUND_STEREO);
    Signal(TV_ANALOG_MTS_STEREO);
    atsc.SetAnalogMTSByChannelTune(stream);
    EXPECT_TRUE(host::LogContains("KOR - autoStero : manual [-1]"));
    EXPECT_EQ(LastSet(kPropMts), TV_ANALOG_MTS_MONO);
    EXPECT_EQ(StoredMode(), MULTI_SOUND_MONO);

    // A stored mode the signal does not carry falls back to mono.
    Stored(MULTI_SOUND_DUAL_II);
    atsc.SetAnalogMTSByCallback(stream, TV_ANALOG_MTS_STEREO);
    EXPECT_EQ(LastSet(kPropMts), TV_ANALOG_MTS_MONO);
    EXPECT_EQ(StoredMode(), MULTI_SOUND_MONO);
}

TEST_F(MtsAtscTest, ModeReadFromTheSignal) {
    const int modeOfSignal[] = {0, 1, 2, 3, 7, 7, 7, 4, 1};
    for (int signal = 0; signal <= 8; ++signal) {
        Signal(signal);
        EMultiSoundMode mode = MULTI_SOUND_SAP;
        EXPECT_TRUE(atsc.GetAnalogMTSBySignal(stream, mode));
        EXPECT_EQ(mode, modeOfSignal[signal]) << "signal " << signal;
    }
    EXPECT_TRUE(host::LogContains("signal_mts_mode is Lang_First or Lang_Second [6] => convert for OSD"));
    EXPECT_TRUE(host::LogContains("Invalid MTS Detect flag [8] set to MONO"));
}

TEST_F(MtsAtscTest, OrderOfOutsideCallsForAKoreanNotification) {
    host::SetSpecTag(1, kCountryKorea);
    host::SetVconfInt(VCONFKEY_AUTO_STEREO, 1);
    Stored(MULTI_SOUND_STEREO);
    Signal(TV_ANALOG_MTS_STEREO);
    host::ClearJournal();
    atsc.SetAnalogMTSByCallback(stream, TV_ANALOG_MTS_STEREO);
    const std::vector<std::string> expected = {
        "scope TCAnalogMtsATSC::m_GetCurrentCountry -- get system_info_country_e(SOSPEC_TAG_COUNTRY)",
        "TCSOSpec::m_Get 1",
        "scope TCAnalogMtsATSC::m_GetMTSModeByVconf -- vconf_get_int (mts-mode)",
        "vconf_get_int db/menu/broadcasting/audio_options/multi-track-sound",
        "scope TCAnalogMtsATSC::m_GetAutoStreoMode -- vconf_get_int (auto-stereo)",
        "vconf_get_int db/menu/broadcasting/audio_options/auto-stereo",
        "scope TCAnalogMtsATSC::m_SetMTSModeToVconf -- vconf_set_int (KEY_STEREO_MODE)",
        "vconf_set_int db/menu/broadcasting/audio_options/multi-track-sound 2",
        "scope TCAnalogMtsATSC::m_StoreMTSToFastboot -- fb_nv_load_audio_config",
        "fb_nv_load_audio_config",
        "scope TCAnalogMtsATSC::m_StoreMTSToFastboot -- fb_nv_store_audio_config",
        "fb_nv_store_audio_config 11223300",
        "scope TCAnalogMtsATSC::m_SetMTSModeToSignal -- set_property (TV_PROPERTY_TUNER_ANALOG_MTS_MODE)",
        "tv_stream_set_property 20 2",
        "scope TCAnalogMtsATSC::m_StoreMTSToFastboot -- fb_nv_load_audio_config",
        "fb_nv_load_audio_config",
        "scope TCAnalogMtsATSC::m_StoreMTSToFastboot -- fb_nv_store_audio_config",
        "fb_nv_store_audio_config 11223300",
    };
    EXPECT_EQ(JournalOf({"scope", "TCSOSpec::m_Get", "tv_stream_get_property", "tv_stream_set_property",
                         "vconf_get_int", "vconf_set_int", "fb_nv_load_audio_config", "fb_nv_store_audio_config"}),
              expected);
}

}  // namespace
