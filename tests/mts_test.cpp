// Analog multi-track sound: the front (conversions, the operations around the
// region hooks, the mode shown by the menu, one controller per region family),
// the ATSC/ISDB controller's stereo/SAP and Korean auto-stereo rules, and the
// DVB controller's defaults, user choice, lost-signal roll-back and mono last
// memory, each with the fast-boot sound byte.
#include <functional>
#include <string>
#include <vector>

#include <tvav/AnalogMts.h>
#include <tvav/AnalogMtsATSC.h>
#include <tvav/AnalogMtsDVB.h>
#include "mts_support.h"

namespace {

using namespace mts_test;

// Exposes the conversions of tuner values held as int.
class TCAnalogMtsConverter : public TCAnalogMtsATSC {
public:
    using TCAnalogMts::t_ConvertDualSignal;
    using TCAnalogMts::t_ConvertMTSSignal;
};

TEST(MtsFront, Conversions) {
    // Per value v: MTS type v -> mode, dual type v -> mode, mode v -> MTS type,
    // mode v -> dual type. Tuner values stay int outside their enumeration.
    const int rows[][5] = {
        {-1, 1, 0, 0, 0}, {0, 1, 0, 0, 0}, {1, 1, 1, 1, 1},  {2, 2, 7, 2, 3},   {3, 3, 2, 3, 0},
        {4, 7, 8, 7, 0},  {5, 5, 12, 5, 9}, {6, 6, 9, 6, 10}, {7, 4, 10, 4, 2},  {8, 1, 11, 0, 4},
        {9, 1, 5, 0, 6},  {10, 1, 6, 0, 7}, {11, 1, 0, 0, 8}, {12, 1, 0, 0, 5},  {13, 1, 0, 0, 0},
    };
    host::Reset();
    TCAnalogMtsConverter atsc;
    TCAnalogMtsDVB dvb;
    for (const auto& row : rows) {
        const int v = row[0];
        EXPECT_EQ(atsc.t_ConvertMTSSignal(v), row[1]) << v;
        EXPECT_EQ(atsc.t_ConvertDualSignal(v), row[2]) << v;
        if (v >= 0 && v <= 7) {
            EXPECT_EQ(atsc.ConvertTypeTvStreamAnalogMTSType(static_cast<TvStreamAnalogMTSType>(v)), row[1]) << v;
        }
        if (v >= 0 && v <= 10) {
            EXPECT_EQ(dvb.ConvertTypeTvStreamAnalogDualAudioType(static_cast<TvStreamAnalogDualAudioType>(v)), row[2]);
        }
        EXPECT_EQ(atsc.ConvertTypeEMultiSoundMode(static_cast<EMultiSoundMode>(v)), row[3]) << v;
        EXPECT_EQ(dvb.ConvertTypeEMultiSoundMode(static_cast<EMultiSoundMode>(v)), row[4]) << v;
        const bool bInvalid = v < 1 || v > 7;
        EXPECT_EQ(host::LogContains("[TCAnalogMtsATSC::ConvertTypeTvStreamAnalogMTSType] Invalid MTS Detect flag [" +
                                    std::to_string(v) + "] set to MONO"),
                  bInvalid)
            << v;
    }
}

// Records the hook calls and what the settings held at the first one.
class TCAnalogMtsProbe : public TCAnalogMts {
public:
    std::string calls;
    int storedAtHook = -100;

protected:
    bool t_SetAnalogMTS(TVStream, EMultiSoundMode mode) override {
        calls += "set" + std::to_string(mode) + " ";
        storedAtHook = StoredMode();
        return false;
    }
    bool t_SetAnalogMTSByChannelTune(TVStream) override { return Note("tune "); }
    bool t_GetAnalogMTSBySignal(TVStream, EMultiSoundMode& m) override {
        m = MULTI_SOUND_DUAL;
        return Note("get ");
    }
    bool t_SetAnalogMTSByCallback(TVStream, int s) override { return Note("callback" + std::to_string(s) + " "); }

private:
    bool Note(const std::string& call) {
        calls += call;
        return false;
    }
};

TEST(MtsFront, OperationsWrapTheRegionHooks) {
    host::Reset();
    const TVStream stream = host::DefaultStream();
    TCAnalogMtsProbe probe;
    EXPECT_FALSE(probe.SetAnalogMTS(stream, MULTI_SOUND_SAP));
    EXPECT_EQ(probe.storedAtHook, MULTI_SOUND_SAP) << "stored before the hook runs";
    EXPECT_TRUE(host::LogContains("[TCAnalogMts::SetAnalogMTS] end, userSetMod [3], vconf_result[0]"));
    EXPECT_FALSE(probe.SetAnalogMTS(stream, MULTI_SOUND_MONO, true));
    EXPECT_EQ(StoredMode(), MULTI_SOUND_SAP);
    EXPECT_EQ(CountCalls("vconf_set_int"), 1);
    EXPECT_TRUE(host::LogContains("[TCAnalogMts::SetAnalogMTS] end, userSetMod [1], vconf_result[-1]"));
    EMultiSoundMode mode = MULTI_SOUND_UNKNOWN;
    EXPECT_FALSE(probe.GetAnalogMTSBySignal(stream, mode));
    EXPECT_EQ(mode, MULTI_SOUND_DUAL);
    EXPECT_FALSE(probe.SetAnalogMTSByCallback(stream, 7));
    EXPECT_TRUE(host::LogContains("[TCAnalogMts::SetAnalogMTSByCallback] end, SetMod [7]"));
    EXPECT_FALSE(probe.SetAnalogMTSByChannelTune(stream));
    EXPECT_EQ(probe.calls, "set3 set1 get callback7 tune ");
}

// Korea with auto stereo shows the signal until the user picks a mode after a
// tune; elsewhere a stored 0 is shown as mono.
TEST(MtsFront, ModeShownByTheMenu) {
    // autoStereo, stored: -2 when the key fails; bSelected: a SetAnalogMTS after the tune.
    struct Row { int region, autoStereo, stored; bool bSelected; int signal, passed, mode; bool bResult; };
    const Row rows[] = {
        {kRegionKorea, 1, 2, false, 5, 0, 5, true},  {kRegionKorea, 1, 2, false, 3, 0, 1, true},
        {kRegionKorea, 1, 6, true, 2, 0, 6, true},   {kRegionKorea, 0, 0, false, 2, 0, 0, true},
        {kRegionKorea, -2, 3, false, 2, 0, 3, true},  // unreadable switch: the stored mode stands
        {kRegionKorea, 0, -2, false, 2, 6, 6, false}, {kRegionDvb, 1, 0, false, 2, 0, 1, true},
        {kRegionIsdb, 1, 3, false, 2, 0, 3, true},    {kRegionDvb, 0, -2, false, 2, 0, 0, false},
        {kRegionDvb, 0, 0, false, 2, 6, 1, true},  // a stored 0 is mono; after a failed read the passed 0 stands
    };
    for (const Row& row : rows) {
        ResetPlatform(row.region, kCountryUsa);
        const TVStream stream = host::DefaultStream();
        row.autoStereo == -2 ? host::FailVconf(VCONFKEY_AUTO_STEREO)
                             : host::SetVconfInt(VCONFKEY_AUTO_STEREO, row.autoStereo);
        host::SetProp(stream, kPropMts, row.signal);
        TCAnalogMtsProbe probe;
        probe.SetAnalogMTSByChannelTune(stream);
        if (row.bSelected) {
            probe.SetAnalogMTS(stream, MULTI_SOUND_STEREO, true);
        }
        row.stored == -2 ? host::FailVconf(VCONFKEY_MULTI_TRACK_SOUND)
                         : host::SetVconfInt(VCONFKEY_MULTI_TRACK_SOUND, row.stored);
        auto mode = static_cast<EMultiSoundMode>(row.passed);
        EXPECT_EQ(probe.GetAnalogMTS(stream, mode), row.bResult) << "row " << (&row - rows);
        EXPECT_EQ(mode, row.mode) << "row " << (&row - rows);
    }
}

// The mode read from the signal: languages shown as dual, a value outside the
// enumeration as mono, an invalid signal as unknown.
TEST(MtsFront, ModeFromTheSignal) {
    struct Row { bool bDvb; int signal, mode; const char* message; } const rows[] = {
        {0, 0, 0, "[TCAnalogMtsATSC::t_GetAnalogMTSBySignal] detected signal is INVALID [0], return to UNKNOWN [9]"},
        {0, 5, 7,
         "[TCAnalogMts::t_GetAnalogMTSBySignal] signal_mts_mode is Lang_First or Lang_Second [5] => convert for OSD"},
        {0, 6, 7, "[TCAnalogMts::t_GetAnalogMTSBySignal] end, tvp_mode[4] convert_mode[7]"},
        {0, 7, 4, "[TCAnalogMts::t_GetAnalogMTSBySignal] end, tvp_mode[7] convert_mode[4]"},
        {0, -3, 1, "[TCAnalogMtsATSC::ConvertTypeTvStreamAnalogMTSType] Invalid MTS Detect flag [-3] set to MONO"},
        {1, 0, 0, "[TCAnalogMtsDVB::t_GetAnalogMTSBySignal] detected signal is INVALID [0], return to UNKNOWN [9]"},
        {1, 9, 5, "[TCAnalogMtsDVB::t_GetAnalogMTSBySignal] end, tvp_mode[9] convert_mode[5]"},
        {1, -2, 0, "[TCAnalogMtsDVB::t_GetAnalogMTSBySignal] end, tvp_mode[-2] convert_mode[0]"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.message);
        ResetPlatform(row.bDvb ? kRegionDvb : kRegionIsdb, kCountryUsa);
        host::SetProp(host::DefaultStream(), row.bDvb ? kPropDual : kPropMts, row.signal);
        TCAnalogMtsATSC atsc;
        TCAnalogMtsDVB dvb;
        EMultiSoundMode mode = MULTI_SOUND_EXT_STEREO;
        TCAnalogMts& controller = row.bDvb ? static_cast<TCAnalogMts&>(dvb) : atsc;
        EXPECT_TRUE(controller.GetAnalogMTSBySignal(host::DefaultStream(), mode));
        EXPECT_EQ(mode, row.mode);
        EXPECT_TRUE(host::LogContains(row.message));
    }
}

TEST(MtsFront, OneControllerPerRegionFamilyForTheProcess) {
    ResetPlatform(kRegionDvb, kCountryUsa);
    const TVStream stream = host::DefaultStream();
    TCAnalogMts* dvb = TCAnalogMts::GetInstance();
    ASSERT_NE(dynamic_cast<TCAnalogMtsDVB*>(dvb), nullptr);
    // A user choice from a known state: a notification ends any lost-signal
    // state, a tune forgets earlier choices.
    host::SetProp(stream, kPropDual, TV_ANALOG_DUAL_DUAL);
    dvb->SetAnalogMTSByCallback(stream, TV_ANALOG_DUAL_DUAL);
    dvb->SetAnalogMTSByChannelTune(stream);
    ASSERT_TRUE(dvb->SetAnalogMTS(stream, MULTI_SOUND_DUAL_II));

    host::SetOption(0, kRegionKorea);
    TCAnalogMts* atsc = TCAnalogMts::GetInstance();
    EXPECT_NE(dynamic_cast<TCAnalogMtsATSC*>(atsc), nullptr);
    EXPECT_TRUE(host::LogContains("[TCAnalogMts::GetAVCheckRegion] Changing TV_Standard_Spec, eAVCheckRegion[0] !!"));
    host::SetOption(0, kRegionIsdb);
    EXPECT_EQ(TCAnalogMts::GetInstance(), atsc) << "ISDB is served by the same controller";

    host::SetOption(0, kRegionDvb);
    EXPECT_EQ(TCAnalogMts::GetInstance(), dvb);
    dvb->SetAnalogMTSByCallback(stream, TV_ANALOG_DUAL_DUAL);
    EXPECT_TRUE(host::LogContains("User's setting value is vaild, try to setting[6]"));
    EXPECT_EQ(LastSet(kPropDual), TV_ANALOG_DUAL_DUAL_II);
}

// Without a stream no sound operation reaches the player; each says so.
TEST(MtsFront, NullStreamNeverReachesThePlayer) {
    using Op = std::function<bool(TCAnalogMts&)>;
    EMultiSoundMode mode = MULTI_SOUND_STEREO;
    struct Row { std::string operation; Op call; };
    const std::vector<Row> rows = {
        {"t_SetAnalogMTS", [](TCAnalogMts& c) { return c.SetAnalogMTS(nullptr, MULTI_SOUND_MONO); }},
        {"t_SetAnalogMTSByCallback", [](TCAnalogMts& c) { return c.SetAnalogMTSByCallback(nullptr, 2); }},
        {"t_GetAnalogMTSBySignal", [&](TCAnalogMts& c) { return c.GetAnalogMTSBySignal(nullptr, mode); }},
        {"t_SetAnalogMTSByChannelTune", [](TCAnalogMts& c) { return c.SetAnalogMTSByChannelTune(nullptr); }},
    };
    TCAnalogMtsATSC atsc;
    TCAnalogMtsDVB dvb;
    const std::pair<std::string, TCAnalogMts*> controllers[] = {{"TCAnalogMtsATSC", &atsc}, {"TCAnalogMtsDVB", &dvb}};
    for (const auto& controller : controllers) {
        for (const Row& row : rows) {
            const std::string message = "[" + controller.first + "::" + row.operation + "] stream is NULL";
            ResetPlatform(kRegionDvb, kCountryUsa);
            mode = MULTI_SOUND_STEREO;
            EXPECT_FALSE(row.call(*controller.second)) << message;
            EXPECT_TRUE(host::LogContains(message));
            EXPECT_EQ(CountCalls("tv_stream_get_property") + CountCalls("tv_stream_set_property"), 0) << message;
            EXPECT_EQ(host::FbAudio(), kFbSeed) << message;
            EXPECT_EQ(mode, row.operation == "t_GetAnalogMTSBySignal" ? MULTI_SOUND_UNKNOWN : MULTI_SOUND_STEREO);
        }
    }
    // Korea with auto stereo right after a tune: the stored mode stands.
    ResetPlatform(kRegionKorea, kCountryKorea);
    host::SetVconfInt(VCONFKEY_AUTO_STEREO, 1);
    host::SetVconfInt(VCONFKEY_MULTI_TRACK_SOUND, MULTI_SOUND_DUAL_I);
    EXPECT_TRUE(atsc.GetAnalogMTS(nullptr, mode));
    EXPECT_EQ(mode, MULTI_SOUND_DUAL_I);
    EXPECT_TRUE(host::LogContains("[TCAnalogMts::GetAnalogMTS][KOR] stream is NULL"));
    EXPECT_EQ(CountCalls("tv_stream_get_property"), 0);
}

// Outside Korea a notification plays what the signal carries; once the user
// has chosen, stereo or SAP only when the stored mode asks for it.
TEST(MtsAtsc, UsaNotification) {
    // The last row: after a SAP choice, a stereo-only signal plays mono.
    struct Row { bool bUserSet; int stored, signal, mts, fastboot; };
    const Row rows[] = {
        {false, 1, 2, 2, 2}, {false, 3, 3, 1, 0}, {false, 1, 7, 2, 2}, {false, 3, 1, 1, 0}, {false, 2, 0, 1, 0},
        {true, 2, 2, 2, 2},  {true, 1, 2, 1, 0},  {true, 3, 3, 3, 3},  {true, 2, 3, 1, 0},  {true, 2, 7, 2, 2},
        {true, 3, 7, 3, 3},  {true, 1, 7, 1, 0},  {true, 3, 4, 1, 0},  {true, 3, 2, 1, 0},
    };
    for (const Row& row : rows) {
        ResetPlatform(kRegionKorea, kCountryUsa);
        TCAnalogMtsATSC atsc;
        if (row.bUserSet) {  // the user picks the stored mode on a stereo-and-SAP signal
            MtsSignal(TV_ANALOG_MTS_STEREO_SAP);
            ASSERT_TRUE(atsc.SetAnalogMTS(host::DefaultStream(), static_cast<EMultiSoundMode>(row.stored)));
        } else {
            StoreMode(row.stored);
        }
        MtsSignal(row.signal);
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
    MtsSignal(TV_ANALOG_MTS_STEREO);
    atsc.SetAnalogMTSByChannelTune(stream);
    ASSERT_TRUE(atsc.SetAnalogMTS(stream, MULTI_SOUND_MONO));
    atsc.SetAnalogMTSByCallback(stream, TV_ANALOG_MTS_STEREO);
    EXPECT_EQ(LastSet(kPropMts), TV_ANALOG_MTS_MONO);

    atsc.SetAnalogMTSByChannelTune(stream);
    StoreMode(MULTI_SOUND_MONO);
    atsc.SetAnalogMTSByCallback(stream, TV_ANALOG_MTS_STEREO);
    EXPECT_EQ(LastSet(kPropMts), TV_ANALOG_MTS_STEREO);
    EXPECT_EQ(StoredMode(), MULTI_SOUND_STEREO);

    // Languages: dual I plays mono (dual II and dual are shown by the scenario).
    host::SetVconfInt(VCONFKEY_AUTO_STEREO, 0);
    MtsSignal(TV_ANALOG_MTS_DUAL);
    EXPECT_TRUE(atsc.SetAnalogMTS(stream, MULTI_SOUND_DUAL_I));
    EXPECT_EQ(LastSet(kPropMts), TV_ANALOG_MTS_MONO);
}

// A negative signal ends a selection unapplied.
TEST(MtsAtsc, FailedSignalRead) {
    ResetPlatform(kRegionIsdb, kCountryUsa);
    MtsSignal(-1);
    TCAnalogMtsATSC atsc;
    EXPECT_FALSE(atsc.SetAnalogMTS(host::DefaultStream(), MULTI_SOUND_STEREO));
    EXPECT_TRUE(
        host::LogContains("[TCAnalogMtsATSC::t_SetAnalogMTS] failed to get value from vconf. sigmal_mts_mode[-1]\n"));
    EXPECT_EQ(CountCalls("tv_stream_get_property"), 1) << "no availability check";
    EXPECT_EQ(CountCalls("tv_stream_set_property"), 0);
    EXPECT_EQ(FbSoundByte(), 0x99);
}

// Tuner value, stored mode and fast-boot byte per signal, after a tune (with
// MONO_LAST_MEMORY a stored mono stays on stereo signals) or after a user's
// choice (stored whether or not it can be applied).
TEST(MtsDvb, ChannelTuneAndUserSelection) {
    // choice: the mode the user picks, 0 for a tune; option25 -2: unreadable; stored -1: none, -2: the key
    // fails; dual -100: the tuner is not set.
    struct Row { int choice, signal, option25, stored; bool bResult; int dual, mode, fastboot; };
    const Row rows[] = {
        {0, 0, -2, 4, true, 1, 1, 0}, {0, 1, -2, 4, true, 1, 1, 0}, {0, 2, -2, 4, true, 9, 5, 7},
        {0, 3, -2, 4, true, 3, 2, 2}, {0, 4, -2, 4, true, 4, 8, 1}, {0, 5, -2, 4, true, 7, 10, 7},
        {0, 6, -2, 4, true, 6, 9, 2}, {0, 7, -2, 4, true, 7, 10, 7}, {0, 8, -2, 4, true, 1, 1, 0},
        {0, 9, -2, 4, true, 9, 5, 7}, {0, 10, -2, 4, true, 1, 1, 0}, {0, 11, -2, 4, true, 1, 1, 0},
        {0, 3, 1, 1, true, 1, 1, 0}, {0, 6, 1, 1, true, 1, 1, 0}, {0, 3, 1, 2, true, 3, 2, 2},
        {0, 2, 1, 1, true, 9, 5, 7}, {0, 3, 0, 1, true, 3, 2, 2}, {0, 3, 1, -2, false, -100, -100, 0x99},
        {5, 2, -2, -1, true, 9, 5, 7}, {6, 2, -2, -1, true, 10, 6, 8}, {2, 3, -2, -1, true, 3, 2, 2},
        {8, 4, -2, -1, true, 4, 8, 1}, {9, 6, -2, -1, true, 6, 9, 2}, {10, 5, -2, -1, true, 7, 10, 7},
        {11, 7, -2, -1, true, 8, 11, 8}, {1, 1, -2, -1, true, 1, 1, 0}, {1, 0, -2, -1, true, 1, 1, 0},
        {2, 2, -2, -1, false, -100, 2, 0x99}, {3, 3, -2, -1, false, -100, 3, 0x99},
        {7, 2, -2, -1, false, -100, 7, 0x99},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE("row " + std::to_string(&row - rows));
        ResetPlatform(kRegionDvb, kCountryUsa);
        if (row.option25 != -2) host::SetOption(25, row.option25);
        if (row.stored == -2) host::FailVconf(VCONFKEY_MULTI_TRACK_SOUND);
        if (row.stored >= 0) host::SetVconfInt(VCONFKEY_MULTI_TRACK_SOUND, row.stored);
        DualSignal(row.signal);
        TCAnalogMtsDVB dvb;
        EXPECT_EQ(row.choice == 0 ? dvb.SetAnalogMTSByChannelTune(host::DefaultStream())
                                  : dvb.SetAnalogMTS(host::DefaultStream(), EMultiSoundMode(row.choice)),
                  row.bResult);
        EXPECT_EQ(LastSet(kPropDual), row.dual);
        EXPECT_EQ(StoredMode(), row.mode);
        EXPECT_EQ(FbSoundByte(), row.fastboot);
    }
}

// The user picks dual II on a dual signal, the signal is lost, then returns:
// a tune while it is away keeps the choice, one with the signal present
// forgets it.
TEST(MtsDvb, LostSignalRollsBackToTheUsersChoice) {
    ResetPlatform(kRegionDvb, kCountryUsa);
    const TVStream stream = host::DefaultStream();
    TCAnalogMtsDVB dvb;
    DualSignal(TV_ANALOG_DUAL_DUAL);
    ASSERT_TRUE(dvb.SetAnalogMTS(stream, MULTI_SOUND_DUAL_II));
    DualSignal(TV_ANALOG_DUAL_INVALID);
    dvb.SetAnalogMTSByCallback(stream, TV_ANALOG_DUAL_INVALID);
    EXPECT_EQ(LastSet(kPropDual), TV_ANALOG_DUAL_MONO);
    dvb.SetAnalogMTSByChannelTune(stream);

    DualSignal(TV_ANALOG_DUAL_DUAL);
    dvb.SetAnalogMTSByCallback(stream, TV_ANALOG_DUAL_DUAL);
    EXPECT_EQ(LastSet(kPropDual), TV_ANALOG_DUAL_DUAL_II);
    EXPECT_EQ(StoredMode(), MULTI_SOUND_DUAL_II);
    EXPECT_EQ(FbSoundByte(), 8);

    dvb.SetAnalogMTSByChannelTune(stream);
    dvb.SetAnalogMTSByCallback(stream, TV_ANALOG_DUAL_DUAL);
    EXPECT_EQ(LastSet(kPropDual), TV_ANALOG_DUAL_DUAL_I);

    // A choice made on an invalid signal plays mono and is not kept as the
    // user's: the next signal gets its default, not a roll-back to mono.
    ResetPlatform(kRegionDvb, kCountryUsa);
    TCAnalogMtsDVB fresh;
    DualSignal(TV_ANALOG_DUAL_INVALID);
    ASSERT_TRUE(fresh.SetAnalogMTS(stream, MULTI_SOUND_MONO));
    EXPECT_TRUE(LogHas("[TCAnalogMtsDVB::t_SetAnalogMTS] INVALID signal, converting to MONO"));
    EXPECT_EQ(LastSet(kPropDual), TV_ANALOG_DUAL_MONO);
    DualSignal(TV_ANALOG_DUAL_DUAL);
    fresh.SetAnalogMTSByCallback(stream, TV_ANALOG_DUAL_DUAL);
    EXPECT_EQ(LastSet(kPropDual), TV_ANALOG_DUAL_DUAL_I);
}

TEST(MtsDvb, OrderOfOutsideCallsForAUserSelection) {
    ResetPlatform(kRegionDvb, kCountryUsa);
    DualSignal(TV_ANALOG_DUAL_DUAL);
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
            calls.push_back(e.name + (e.args.empty() ? "" : " " + e.args[0]) +
                            (e.args.size() > 1 ? " " + e.args[1] : ""));
        }
    }
    EXPECT_EQ(calls, expected);
}

// A notification that finds the user's choice unavailable plays the signal's
// default.
TEST(MtsDvb, DefaultForAnUnavailableChoice) {
    ResetPlatform(kRegionDvb, kCountryUsa);
    TCAnalogMtsDVB dvb;
    DualSignal(TV_ANALOG_DUAL_DUAL);
    ASSERT_TRUE(dvb.SetAnalogMTS(host::DefaultStream(), MULTI_SOUND_DUAL_II));
    DualSignal(TV_ANALOG_DUAL_STEREO);
    dvb.SetAnalogMTSByCallback(host::DefaultStream(), TV_ANALOG_DUAL_STEREO);
    EXPECT_TRUE(host::LogContains("[TCAnalogMtsDVB::t_SetAnalogMTSByCallback] cannot setting to user set value, Just "
                                  "Setting to default value [3], vconf[2]"));
    EXPECT_EQ(LastSet(kPropDual), TV_ANALOG_DUAL_STEREO);
    EXPECT_EQ(StoredMode(), MULTI_SOUND_STEREO);
    EXPECT_EQ(FbSoundByte(), 2);
}

}  // namespace
