// DVB dual-sound controller: defaults per signal, user selection, lost-signal
// roll-back, mono last memory and the fast-boot sound byte.
#include <vector>

#include "AnalogMtsDVB.h"
#include "mts_support.h"

namespace {

using namespace mts_test;

void Signal(int dual) { host::SetProp(host::DefaultStream(), kPropDual, dual); }

// Tuner value, stored mode and fast-boot byte after a tune, per signal; with
// MONO_LAST_MEMORY a stored mono stays on stereo signals.
TEST(MtsDvb, ChannelTune) {
    struct Row {
        int signal;
        int option25;  // -2: unreadable
        int stored;    // -2: the key fails
        bool bResult;
        int dual;      // -100: the tuner is not set
        int mode;
        int fastboot;
    };
    const Row rows[] = {
        {0, -2, 4, true, 1, 1, 0},   {1, -2, 4, true, 1, 1, 0},   {2, -2, 4, true, 9, 5, 7},
        {3, -2, 4, true, 3, 2, 2},   {4, -2, 4, true, 4, 8, 1},   {5, -2, 4, true, 7, 10, 7},
        {6, -2, 4, true, 6, 9, 2},   {7, -2, 4, true, 7, 10, 7},  {8, -2, 4, true, 1, 1, 0},
        {9, -2, 4, true, 9, 5, 7},   {10, -2, 4, true, 1, 1, 0},  {11, -2, 4, true, 1, 1, 0},
        {3, 1, 1, true, 1, 1, 0},    {6, 1, 1, true, 1, 1, 0},    {3, 1, 2, true, 3, 2, 2},
        {2, 1, 1, true, 9, 5, 7},    {3, 0, 1, true, 3, 2, 2},    {3, 1, -2, false, -100, -100, 0x99},
    };
    for (const Row& row : rows) {
        ResetPlatform(kRegionDvb, kCountryUsa);
        if (row.option25 != -2) {
            host::SetOption(25, row.option25);
        }
        row.stored == -2 ? host::FailVconf(VCONFKEY_MULTI_TRACK_SOUND)
                         : host::SetVconfInt(VCONFKEY_MULTI_TRACK_SOUND, row.stored);
        Signal(row.signal);
        TCAnalogMtsDVB dvb;
        EXPECT_EQ(dvb.SetAnalogMTSByChannelTune(host::DefaultStream()), row.bResult) << "row " << (&row - rows);
        EXPECT_EQ(LastSet(kPropDual), row.dual) << "row " << (&row - rows);
        EXPECT_EQ(StoredMode(), row.mode) << "row " << (&row - rows);
        EXPECT_EQ(FbSoundByte(), row.fastboot) << "row " << (&row - rows);
    }
}

TEST(MtsDvb, UserSelection) {
    struct Row {
        int signal;
        int mode;
        bool bApplied;
        int dual;  // -100: the tuner is not set
        int fastboot;
    };
    const Row rows[] = {
        {2, 5, true, 9, 7},  {2, 6, true, 10, 8}, {3, 2, true, 3, 2},   {4, 8, true, 4, 1},
        {6, 9, true, 6, 2},  {5, 10, true, 7, 7}, {7, 11, true, 8, 8},  {1, 1, true, 1, 0},
        {0, 1, true, 1, 0},  {2, 2, false, -100, 0x99}, {3, 3, false, -100, 0x99}, {2, 7, false, -100, 0x99},
    };
    for (const Row& row : rows) {
        ResetPlatform(kRegionDvb, kCountryUsa);
        Signal(row.signal);
        TCAnalogMtsDVB dvb;
        EXPECT_EQ(dvb.SetAnalogMTS(host::DefaultStream(), static_cast<EMultiSoundMode>(row.mode)), row.bApplied)
            << "row " << (&row - rows);
        EXPECT_EQ(LastSet(kPropDual), row.dual) << "row " << (&row - rows);
        EXPECT_EQ(FbSoundByte(), row.fastboot) << "row " << (&row - rows);
    }
}

// The user picks dual II on a dual signal, the signal is lost, then returns:
// a tune while it is away keeps the choice, one with the signal present
// forgets it.
TEST(MtsDvb, LostSignalRollsBackToTheUsersChoice) {
    ResetPlatform(kRegionDvb, kCountryUsa);
    const TVStream stream = host::DefaultStream();
    TCAnalogMtsDVB dvb;
    Signal(TV_ANALOG_DUAL_DUAL);
    ASSERT_TRUE(dvb.SetAnalogMTS(stream, MULTI_SOUND_DUAL_II));
    Signal(TV_ANALOG_DUAL_INVALID);
    dvb.SetAnalogMTSByCallback(stream, TV_ANALOG_DUAL_INVALID);
    EXPECT_EQ(LastSet(kPropDual), TV_ANALOG_DUAL_MONO);
    dvb.SetAnalogMTSByChannelTune(stream);

    Signal(TV_ANALOG_DUAL_DUAL);
    dvb.SetAnalogMTSByCallback(stream, TV_ANALOG_DUAL_DUAL);
    EXPECT_EQ(LastSet(kPropDual), TV_ANALOG_DUAL_DUAL_II);
    EXPECT_EQ(StoredMode(), MULTI_SOUND_DUAL_II);
    EXPECT_EQ(FbSoundByte(), 8);

    dvb.SetAnalogMTSByChannelTune(stream);
    dvb.SetAnalogMTSByCallback(stream, TV_ANALOG_DUAL_DUAL);
    EXPECT_EQ(LastSet(kPropDual), TV_ANALOG_DUAL_DUAL_I);
}

TEST(MtsDvb, OrderOfOutsideCallsForAUserSelection) {
    ResetPlatform(kRegionDvb, kCountryUsa);
    Signal(TV_ANALOG_DUAL_DUAL);
    TCAnalogMtsDVB dvb;
    host::ClearJournal();
    ASSERT_TRUE(dvb.SetAnalogMTS(host::DefaultStream(), MULTI_SOUND_DUAL_II));
    const std::vector<std::string> expected = {
        "vconf_set_int db/menu/broadcasting/audio_options/multi-track-sound 6",
        "scope TCAnalogMtsDVB::t_SetAnalogMTS --get_property(TV_PROPERTY_TUNER_ANALOG_DUAL_SOUND_MODE)",
        "tv_stream_get_property 26",
        "scope_end TCAnalogMtsDVB::t_SetAnalogMTS --get_property(TV_PROPERTY_TUNER_ANALOG_DUAL_SOUND_MODE)",
        "tv_stream_get_property 26",  // the availability check
        "scope TCAnalogMtsDVB::t_SetAnalogMTS --set_property(TV_PROPERTY_TUNER_ANALOG_DUAL_SOUND_MODE)",
        "tv_stream_set_property 26 10",
        "scope_end TCAnalogMtsDVB::t_SetAnalogMTS --set_property(TV_PROPERTY_TUNER_ANALOG_DUAL_SOUND_MODE)",
        "scope TCAnalogMtsDVB::m_StoreDaulToFastboot --fb_nv_load_audio_config",
        "fb_nv_load_audio_config",
        "scope_end TCAnalogMtsDVB::m_StoreDaulToFastboot --fb_nv_load_audio_config",
        "scope TCAnalogMtsDVB::m_StoreDaulToFastboot --fb_nv_store_audio_config",
        "fb_nv_store_audio_config 11223308",
        "scope_end TCAnalogMtsDVB::m_StoreDaulToFastboot --fb_nv_store_audio_config",
    };
    std::vector<std::string> calls;
    for (const host::JournalEntry& e : host::Journal()) {
        if (e.name.rfind("scope", 0) == 0 || e.name.rfind("tv_stream", 0) == 0 || e.name.rfind("vconf", 0) == 0 ||
            e.name.rfind("fb_nv", 0) == 0) {
            calls.push_back(e.name + (e.args.empty() ? "" : " " + e.args[0]) + (e.args.size() > 1 ? " " + e.args[1] : ""));
        }
    }
    EXPECT_EQ(calls, expected);
}

// The mode read from the signal, and the signal's default when a notification
// finds the user's choice unavailable.
TEST(MtsDvb, ModeFromTheSignalAndDefaultForAnUnavailableChoice) {
    const struct {
        int signal;
        int mode;
        const char* message;
    } rows[] = {
        {0, 0, "[TCAnalogMtsDVB::t_GetAnalogMTSBySignal] detected signal is INVALID [0], return to UNKNOWN [9]"},
        {9, 5, "[TCAnalogMtsDVB::t_GetAnalogMTSBySignal] end, tvp_mode[9] convert_mode[5]"},
        {-2, 0, "[TCAnalogMtsDVB::t_GetAnalogMTSBySignal] end, tvp_mode[-2] convert_mode[0]"},
    };
    for (const auto& row : rows) {
        ResetPlatform(kRegionDvb, kCountryUsa);
        Signal(row.signal);
        TCAnalogMtsDVB dvb;
        EMultiSoundMode mode = MULTI_SOUND_EXT_STEREO;
        EXPECT_TRUE(dvb.GetAnalogMTSBySignal(host::DefaultStream(), mode));
        EXPECT_EQ(mode, row.mode) << row.signal;
        EXPECT_TRUE(host::LogContains(row.message)) << row.message;
    }
    ResetPlatform(kRegionDvb, kCountryUsa);
    TCAnalogMtsDVB dvb;
    Signal(TV_ANALOG_DUAL_DUAL);
    ASSERT_TRUE(dvb.SetAnalogMTS(host::DefaultStream(), MULTI_SOUND_DUAL_II));
    Signal(TV_ANALOG_DUAL_STEREO);
    dvb.SetAnalogMTSByCallback(host::DefaultStream(), TV_ANALOG_DUAL_STEREO);
    EXPECT_TRUE(host::LogContains("[TCAnalogMtsDVB::t_SetAnalogMTSByCallback] cannot setting to user set value, Just "
                                  "Setting to default value [3], vconf[2]"));
    EXPECT_EQ(LastSet(kPropDual), TV_ANALOG_DUAL_STEREO);
    EXPECT_EQ(StoredMode(), MULTI_SOUND_STEREO);
    EXPECT_EQ(FbSoundByte(), 2);
}

}  // namespace
