// The sound-mode front: conversions, the operations around the region hooks,
// the mode shown by the menu and one controller per region family.
#include <functional>
#include <string>
#include <vector>

#include "AnalogMts.h"
#include "AnalogMtsATSC.h"
#include "AnalogMtsDVB.h"
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
    bool t_SetAnalogMTSByChannelTune(TVStream) override { calls += "tune "; return false; }
    bool t_GetAnalogMTSBySignal(TVStream, EMultiSoundMode& m) override { calls += "get "; m = MULTI_SOUND_DUAL; return false; }
    bool t_SetAnalogMTSByCallback(TVStream, int s) override { calls += "callback" + std::to_string(s) + " "; return false; }
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
    struct Row {
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
    struct Row {
        std::string operation;
        Op call;
    };
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

}  // namespace
