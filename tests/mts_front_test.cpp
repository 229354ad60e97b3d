// The sound-mode front: controller per region family, the operations around
// the region hooks and the mode shown by the menu.
#include "AnalogMts.h"
#include "AnalogMtsATSC.h"
#include "AnalogMtsDVB.h"
#include "mts_support.h"

namespace {

using namespace mts_test;

// Records the hook calls and what the settings held when they were made.
class TCAnalogMtsProbe : public TCAnalogMts {
public:
    std::vector<std::string> calls;
    int storedAtHook = -100;
    bool bResult = true;

protected:
    bool t_SetAnalogMTS(TVStream, EMultiSoundMode mode) override {
        calls.push_back("t_SetAnalogMTS " + std::to_string(mode));
        auto value = host::GetVconf(VCONFKEY_MULTI_TRACK_SOUND);
        storedAtHook = value ? value->intValue : -100;
        return bResult;
    }
    bool t_SetAnalogMTSByChannelTune(TVStream) override {
        calls.push_back("t_SetAnalogMTSByChannelTune");
        return bResult;
    }
    bool t_GetAnalogMTSBySignal(TVStream, EMultiSoundMode& mode) override {
        calls.push_back("t_GetAnalogMTSBySignal");
        mode = MULTI_SOUND_DUAL;
        return bResult;
    }
    bool t_SetAnalogMTSByCallback(TVStream, int signal) override {
        calls.push_back("t_SetAnalogMTSByCallback " + std::to_string(signal));
        return bResult;
    }
};

using MtsFrontTest = MtsTest;

TEST_F(MtsFrontTest, OperationsWrapTheRegionHooks) {
    TCAnalogMtsProbe probe;
    probe.bResult = false;
    EXPECT_FALSE(probe.SetAnalogMTS(stream, MULTI_SOUND_SAP));
    EXPECT_EQ(probe.storedAtHook, MULTI_SOUND_SAP) << "stored before the hook runs";
    EXPECT_TRUE(host::LogContains("[TCAnalogMts::SetAnalogMTS] end, userSetMod [3], vconf_result[0]"));

    host::SetVconfInt(VCONFKEY_MULTI_TRACK_SOUND, 2);
    host::ClearJournal();
    EXPECT_FALSE(probe.SetAnalogMTS(stream, MULTI_SOUND_MONO, true));
    EXPECT_EQ(CountCalls("vconf_set_int"), 0);
    EXPECT_EQ(StoredMode(), 2);
    EXPECT_TRUE(host::LogContains("[TCAnalogMts::SetAnalogMTS] end, userSetMod [1], vconf_result[-1]"));

    host::FailVconf(VCONFKEY_MULTI_TRACK_SOUND);
    host::ClearLog();
    probe.SetAnalogMTS(stream, MULTI_SOUND_STEREO);
    EXPECT_TRUE(host::LogContains("vconf_result[-1]")) << "a failed store still applies the mode";

    EMultiSoundMode mode = MULTI_SOUND_UNKNOWN;
    EXPECT_FALSE(probe.GetAnalogMTSBySignal(stream, mode));
    EXPECT_EQ(mode, MULTI_SOUND_DUAL);
    EXPECT_FALSE(probe.SetAnalogMTSByCallback(stream, 7));
    EXPECT_TRUE(host::LogContains("[TCAnalogMts::SetAnalogMTSByCallback] end, SetMod [7]"));
    EXPECT_FALSE(probe.SetAnalogMTSByChannelTune(stream));
    const std::vector<std::string> expected = {
        "t_SetAnalogMTS 3",         "t_SetAnalogMTS 1",           "t_SetAnalogMTS 2",
        "t_GetAnalogMTSBySignal",   "t_SetAnalogMTSByCallback 7", "t_SetAnalogMTSByChannelTune",
    };
    EXPECT_EQ(probe.calls, expected);
}

// The mode the menu shows. Korea with auto-stereo shows the signal until the
// user picks a mode after a tune.
TEST_F(MtsFrontTest, ModeShownByTheMenu) {
    struct Row {
        const char* name;
        int region;
        int autoStereo;  // -2: the key fails
        int stored;      // -2: the key fails
        bool bSelected;  // a SetAnalogMTS after the tune
        int signal;
        int passed;
        int mode;
        bool bResult;
    };
    const Row rows[] = {
        {"Korea auto, tuned, first language", kRegionKorea, 1, 2, false, 5, 0, 5, true},
        {"Korea auto, tuned, stereo", kRegionKorea, 1, 1, false, 2, 0, 2, true},
        {"Korea auto, tuned, SAP shown as mono", kRegionKorea, 1, 2, false, 3, 0, 1, true},
        {"Korea auto, user selected", kRegionKorea, 1, 6, true, 2, 0, 6, true},
        {"Korea manual keeps 0", kRegionKorea, 0, 0, false, 2, 0, 0, true},
        {"Korea unreadable switch is manual", kRegionKorea, -2, 3, false, 2, 0, 3, true},
        {"Korea unreadable mode", kRegionKorea, 0, -2, false, 2, 6, 6, false},
        {"DVB stored 0 is mono", kRegionDvb, 1, 0, false, 2, 0, 1, true},
        {"ISDB stored SAP", kRegionIsdb, 1, 3, false, 2, 0, 3, true},
        {"DVB unreadable mode keeps caller's", kRegionDvb, 0, -2, false, 2, 6, 6, false},
        {"DVB unreadable mode, caller's 0 is mono", kRegionDvb, 0, -2, false, 2, 0, 1, false},
    };
    for (const Row& row : rows) {
        host::Reset();
        host::SetOption(0, row.region);
        if (row.autoStereo == -2) {
            host::FailVconf(VCONFKEY_AUTO_STEREO);
        } else {
            host::SetVconfInt(VCONFKEY_AUTO_STEREO, row.autoStereo);
        }
        host::SetProp(stream, kPropMts, row.signal);
        TCAnalogMtsProbe probe;
        probe.SetAnalogMTSByChannelTune(stream);
        if (row.bSelected) {
            probe.SetAnalogMTS(stream, MULTI_SOUND_STEREO, true);
        }
        if (row.stored == -2) {
            host::FailVconf(VCONFKEY_MULTI_TRACK_SOUND);
        } else {
            host::SetVconfInt(VCONFKEY_MULTI_TRACK_SOUND, row.stored);
        }
        auto mode = static_cast<EMultiSoundMode>(row.passed);
        EXPECT_EQ(probe.GetAnalogMTS(stream, mode), row.bResult) << row.name;
        EXPECT_EQ(mode, row.mode) << row.name;
        EXPECT_TRUE(host::LogContains("[TCAnalogMts::GetAnalogMTS] mode [" + std::to_string(row.mode) + "]"))
            << row.name;
    }
}

TEST_F(MtsFrontTest, OneControllerPerRegionFamilyForTheProcess) {
    host::SetSpecTag(1, kCountryUsa);
    host::SetOption(0, kRegionDvb);
    TCAnalogMts* dvb = TCAnalogMts::GetInstance();
    ASSERT_NE(dynamic_cast<TCAnalogMtsDVB*>(dvb), nullptr);
    EXPECT_EQ(TCAnalogMts::GetInstance(), dvb);

    // A user choice on the DVB controller, from a known state.
    host::SetProp(stream, kPropDual, TV_ANALOG_DUAL_DUAL);
    dvb->SetAnalogMTSByCallback(stream, TV_ANALOG_DUAL_DUAL);
    dvb->SetAnalogMTSByChannelTune(stream);
    ASSERT_TRUE(dvb->SetAnalogMTS(stream, MULTI_SOUND_DUAL_II));

    host::ClearLog();
    host::SetOption(0, kRegionKorea);
    TCAnalogMts* atsc = TCAnalogMts::GetInstance();
    EXPECT_NE(dynamic_cast<TCAnalogMtsATSC*>(atsc), nullptr);
    EXPECT_TRUE(host::LogContains("[TCAnalogMts::GetAVCheckRegion] Changing TV_Standard_Spec, eAVCheckRegion[0] !!"));
    host::SetOption(0, kRegionIsdb);
    EXPECT_EQ(TCAnalogMts::GetInstance(), atsc) << "ISDB is served by the same controller";

    host::SetOption(0, kRegionDvb);
    EXPECT_EQ(TCAnalogMts::GetInstance(), dvb);
    // The user's choice survived: a notification on the dual signal keeps dual II.
    dvb->SetAnalogMTSByCallback(stream, TV_ANALOG_DUAL_DUAL);
    EXPECT_TRUE(host::LogContains("User's setting value is vaild, try to setting[6]"));
    EXPECT_EQ(host::LastSetProp(stream, kPropDual).value_or(-1), TV_ANALOG_DUAL_DUAL_II);
}

}  // namespace
