// A read that fails leaves the value the caller preset, so the operation must
// do exactly what it does when the platform reports that value: the same
// results and the same calls that change anything (sets, stores, the sink,
// events), whatever the read itself returned.
#include <gtest/gtest.h>

#include <cctype>
#include <functional>
#include <string>
#include <vector>

#include <tvav/AVCheck.h>
#include <tvav/AnalogMtsATSC.h>
#include <tvav/AnalogMtsDVB.h>
#include <tvav/SizeControl.h>
#include "host/HostControl.h"
#include "host_support.h"

namespace {

using namespace test_support;

// The operations' results, then every journal entry that changes something
// (reads, loads and scope traces left out).
std::string Effects(const std::function<std::vector<int>()>& run) {
    std::string text;
    for (int result : run()) text += std::to_string(result) + " ";
    text += "|";
    for (const auto& e : host::Journal()) {
        std::string name = e.name;
        for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (name.find("get") == std::string::npos && name.find("load") == std::string::npos &&
            name.rfind("scope", 0) != 0) {
            text += "\n" + host::FormatJournalEntry(e);
        }
    }
    return text;
}

TEST(FailedReads, BehaveAsTheirPreset) {
    const TVStream tv = host::DefaultStream();
    const TSAspectRatioKey dtv = Key(0, 0x10002, true), analog = Key(0, 0x10001, false, 720, 576, 2);
    const TSAspectRatioKey hdmi = Key(13, 0x10001, false), hdmiPc = Key(14, 0x10001, false);
    // A controller per run, so that no state carries over between the two.
    auto picture = [](std::function<std::vector<int>(TCSizeControl&)> ops) {
        return [ops] {
            TCSizeControl ctl(ORBHandle(1, 0));
            return ops(ctl);
        };
    };
    struct Row { const char* name; std::function<void()> fail, preset; std::function<std::vector<int>()> run; };
    const Row rows[] = {
        {"AFD", [&] { host::UnsetProp(tv, TV_PROPERTY_AFD); }, [&] { host::SetProp(tv, TV_PROPERTY_AFD, 0); },
         picture([&](TCSizeControl& c) { return std::vector<int>{c.SetAutoWideOption(tv, dtv, true, true)}; })},
        {"WSS", [&] { host::UnsetProp(tv, TV_PROPERTY_ANALOG_WSS); },
         [&] { host::SetProp(tv, TV_PROPERTY_ANALOG_WSS, 0); },
         picture([&](TCSizeControl& c) { return std::vector<int>{c.SetAutoWideOption(tv, analog, true, true)}; })},
        {"21:9 panel", [&] { host::UnsetProp(tv, 763); host::UnsetProp(tv, 764); },
         [&] { host::SetProp(tv, 763, 0); host::SetProp(tv, 764, 0); },
         picture([&](TCSizeControl& c) {
             host::SetAgentPictureSize(0, 2, true, PICTURESIZETYPE_21_9_AUTO);
             return std::vector<int>{c.Set21to9_AutoSize(tv, dtv, false, false, 140, 140)};
         })},
        {"info frames", [&] { host::UnsetProp(tv, 757); host::UnsetProp(tv, 758); },
         [&] { host::SetProp(tv, 757, 0xFF); host::SetProp(tv, 758, 0xFF); },
         picture([&](TCSizeControl& c) {
             return std::vector<int>{c.SetScreenFitOption(tv, hdmi, SCREENFITOPTION_AUTO, true)};
         })},
        {"MHL", [&] { host::UnsetProp(tv, 759); }, [&] { host::SetProp(tv, 759, 0); },
         picture([&](TCSizeControl& c) { return std::vector<int>{c.SetPictureSize(tv, hdmi)}; })},
        {"PC flag", [&] { host::UnsetProp(tv, 760); }, [&] { host::SetProp(tv, 760, 0); },
         picture([&](TCSizeControl& c) {
             return std::vector<int>{c.SetPictureSize(tv, hdmiPc, PICTURESIZETYPE_CUSTOM, true)};
         })},
        {"21:9 support and panel code", [] { host::UnsetSysInfo(303); host::UnsetSysInfo(254); },
         [] { host::SetSysInfoBool(303, false); host::SetSysInfoInt(254, 0); },
         picture([&](TCSizeControl& c) {
             return std::vector<int>{c.SetPictureSize(tv, dtv, PICTURESIZETYPE_21_9, true), c.SetPictureSize(tv, dtv)};
         })},
        {"MTS signal", [&] { host::UnsetProp(tv, TV_PROPERTY_TUNER_ANALOG_MTS_MODE); },
         [&] { host::SetProp(tv, TV_PROPERTY_TUNER_ANALOG_MTS_MODE, 0); },
         [&] {
             host::SetOption(0, 3);
             TCAnalogMtsATSC atsc;
             EMultiSoundMode mode = MULTI_SOUND_UNKNOWN;
             return std::vector<int>{atsc.SetAnalogMTSByChannelTune(tv), atsc.SetAnalogMTSByCallback(tv, 3),
                                     atsc.GetAnalogMTSBySignal(tv, mode), mode};
         }},
        {"dual signal", [&] { host::UnsetProp(tv, TV_PROPERTY_TUNER_ANALOG_DUAL_SOUND_MODE); },
         [&] { host::SetProp(tv, TV_PROPERTY_TUNER_ANALOG_DUAL_SOUND_MODE, 0); },
         [&] {
             host::SetOption(0, 0);
             TCAnalogMtsDVB dvb;
             EMultiSoundMode mode = MULTI_SOUND_STEREO;
             bool bMono = false;
             TCAVCheck::GetInstance()->CheckAnalogMTS(tv, MULTI_SOUND_MONO, bMono);
             return std::vector<int>{dvb.GetAnalogMTSBySignal(tv, mode), mode, bMono};
         }},
    };
    // The first sink write of the process also ends the fast-video server:
    // done here, so that neither run below is the first.
    host::Reset();
    TCSizeControl(ORBHandle(1, 0)).SetPictureSize(tv, dtv, PICTURESIZETYPE_16_9, true);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::string effects[2];
        for (int preset = 0; preset < 2; ++preset) {
            host::Reset();
            host::SetOption(0, 6);  // automatic wide on by default
            host::SetSpecTag(1, 16);
            (preset ? row.preset : row.fail)();
            effects[preset] = Effects(row.run);
        }
        EXPECT_EQ(effects[0], effects[1]);
    }
}

}  // namespace
