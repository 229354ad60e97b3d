// Capability checks: exception states, screen-fit option and position, auto
// wide support.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "AVCheck.h"
#include "AVCheckATSC.h"
#include "AVCheckDVB.h"
#include "avcheck_helpers.h"
#include "host/HostControl.h"
#include "ht/HtRuntime.h"

namespace {

using avcheck_test::CountLogExact;
using avcheck_test::Info;
using avcheck_test::Key;
using avcheck_test::LogLevelOf;

// Outside calls of these checks, as "NAME FIRSTARG", in journal order.
std::vector<std::string> OutsideCalls() {
    static const char* const kNames[] = {"vconf_get_int", "tv_stream_get_property", "system_info_get_value_bool",
                                         "avoc_get_pc_mode"};
    std::vector<std::string> calls;
    for (const auto& entry : host::Journal()) {
        for (const char* name : kNames) {
            if (entry.name == name) {
                calls.push_back(entry.name + " " + (entry.args.empty() ? std::string() : entry.args[0]));
            }
        }
    }
    return calls;
}

class AVCheckScreen : public ::testing::Test {
protected:
    void SetUp() override { host::Reset(); }
};

TEST_F(AVCheckScreen, ExceptionStates) {
    const TVStream stream = host::DefaultStream();
    const std::string mls = "vconf_get_int memory/mls/state";
    const std::string mhl = "tv_stream_get_property 759";
    const std::string pc = "tv_stream_get_property 760";
    const std::string kyt = "system_info_get_value_bool 303";
    struct Row {
        const char* name;
        int type;
        bool withStream;
        int source;
        int resolution;
        bool pcArg;
        std::function<void()> setup;
        bool expected;
        std::vector<std::string> calls;
    };
    auto none = [] {};
    auto product4 = [] { host::SetOption(24, 4); };
    const std::vector<Row> rows = {
        {"MLS on", 0, false, 0, 0x10002, false, [] { host::SetVconfInt("memory/mls/state", 1); }, true, {mls}},
        {"MLS off", 0, true, 13, 0x10002, true, [] { host::SetVconfInt("memory/mls/state", 0); }, false, {mls}},
        {"MLS fail", 0, true, 0, 0x10002, false, [] { host::FailVconf("memory/mls/state"); }, false, {mls}},

        {"MHL set", 1, true, 13, 0x10002, false, [&] { host::SetProp(stream, 759, 1); }, true, {mhl}},
        {"MHL 35 clear", 1, true, 35, 0x10002, false, [&] { host::SetProp(stream, 759, 0); }, false, {mhl}},
        {"MHL no stream", 1, false, 13, 0x10002, true, [&] { host::SetProp(stream, 759, 1); }, false, {}},
        {"MHL source 5", 1, true, 5, 0x10002, false, [&] { host::SetProp(stream, 759, 1); }, false, {}},

        {"PC 13 plain", 2, false, 13, 0x10001, false, none, false, {}},
        {"PC 13 PC res", 2, false, 13, 0x5005B, false, none, true, {}},
        {"PC 13 above PC res", 2, false, 13, 0x5005D, false, none, false, {}},
        {"PC 13 flag arg", 2, false, 13, 0x10001, true, none, true, {}},
        {"PC 21 other product", 2, false, 21, 0x10001, false, none, true, {}},
        {"PC 21 product 4", 2, false, 21, 0x10001, false, product4, false, {}},
        {"PC 21 product 4 flag", 2, false, 21, 0x10001, true, product4, true, {}},
        {"PC 21 product 4 PC res", 2, false, 21, 0x5005B, false, product4, true, {}},
        {"PC 10 product 4", 2, false, 10, 0x10001, false, product4, true, {}},
        {"PC stream flag", 2, true, 14, 0x10001, false, [&] { host::SetProp(stream, 760, 1); }, true, {pc}},
        {"PC stream flag wins", 2, true, 14, 0x10001, true, [&] { host::SetProp(stream, 760, 0); }, false, {pc}},
        {"PC stream unset", 2, true, 14, 0x10001, true, none, false, {pc}},
        {"PC source 5", 2, true, 5, 0x5005B, true, none, false, {}},
        {"PC source 17", 2, false, 17, 0x5005B, true, none, false, {}},

        {"3D", 3, true, 13, 0x5005B, true, [&] { host::SetVconfInt("memory/mls/state", 1); }, false, {}},
        {"type 7", 7, true, 13, 0x5005B, true, [&] { host::SetSysInfoBool(303, true); }, false, {}},

        {"21:9 supported", 4, true, 0, 0x10002, false, [] { host::SetSysInfoBool(303, true); }, true, {kyt}},
        {"21:9 not supported", 4, false, 0, 0x10002, false, [] { host::SetSysInfoBool(303, false); }, false, {kyt}},
        {"21:9 unreadable", 4, false, 0, 0x10002, false, none, false, {kyt}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        host::Reset();
        row.setup();
        host::ClearJournal();
        const bool result = TCAVCheck::CheckExceptionScreenState(row.withStream ? stream : nullptr,
                                                                 Key(row.source, row.resolution, true),
                                                                 static_cast<EExceptionScreenStateType>(row.type), row.pcArg);
        EXPECT_EQ(result, row.expected);
        EXPECT_EQ(OutsideCalls(), row.calls);
        const std::string source = std::to_string(row.source), type = std::to_string(row.type);
        EXPECT_EQ(LogLevelOf("[TCAVCheck::CheckExceptionScreenState]is called. Source:[" + source + "], screentype[" +
                             type + "]."),
                  4);
        // A PC question for a source that is not PC-capable ends without the end line.
        const bool bNotHdmi = row.type == 2 && !((row.source >= 10 && row.source <= 16) || (row.source >= 20 && row.source <= 22));
        EXPECT_EQ(CountLogExact("[TCAVCheck::CheckExceptionScreenState] Source:[" + source + "]. Not HDMI/DVI"), bNotHdmi);
        EXPECT_EQ(LogLevelOf("[TCAVCheck::CheckExceptionScreenState] end, screenType[" + type + "] result[" +
                             std::to_string(row.expected) + "]"),
                  bNotHdmi ? std::optional<int>() : 4);
        EXPECT_EQ(host::LogContains("bCheck_PC set to true."), row.type == 2 && row.expected);
        EXPECT_EQ(host::LogContains("[TCAVCheck-CheckExceptionScreenState] MLS vconf_get_int fail"),
                  std::string(row.name) == "MLS fail");
    }

    // The PC message carries the flag and the resolution.
    host::Reset();
    TCAVCheck::CheckExceptionScreenState(nullptr, Key(13, 0x5005B, false), EXCEPTION_SCREEN_PC_MODE, true);
    EXPECT_EQ(CountLogExact("[TCAVCheck::CheckExceptionScreenState] Source:[13], screentype[2]. pc_mode[1]. "
                            "resolution:[327771]. bCheck_PC set to true."),
              1);
}

TEST_F(AVCheckScreen, ScreenFitOption) {
    struct Row {
        int product;  // factory option 24
        int source;
        bool dtv;
        int resolution;
        int pictureSize;
        int option;
        int avocPcMode;
        int prop760;  // -1: unset
        bool expected;
    };
    const Row rows[] = {
        // Picture size 4:3: products of type 4 at six resolutions only, any option.
        {4, 13, false, 0x5005B, 3, 2, 0, -1, true}, {4, 0, true, 0x1000A, 3, 0, 0, -1, true},
        {4, 8, false, 0x10002, 3, 1, 0, -1, true}, {4, 13, false, 0x10001, 3, 1, 0, -1, false},
        {0, 13, false, 0x5005B, 3, 1, 0, -1, false}, {0, 13, true, 0x10002, 3, 1, 0, -1, false},

        // Automatic option: S without 20-22, PC mode 0, resolution in F.
        {0, 13, false, 0x2000E, 0, 2, 0, -1, true}, {0, 32, false, 0x10008, 1, 2, 0, -1, true},
        {0, 13, false, 0x2000A, 0, 2, 0, -1, false}, {0, 13, false, 0x40000, 0, 2, 0, -1, false},
        {0, 21, false, 0x2000E, 0, 2, 0, -1, false}, {4, 21, false, 0x1000A, 0, 2, 0, -1, true},
        {0, 0, true, 0x10002, 0, 2, 0, -1, false}, {0, 13, false, 0x2000E, 0, 2, 1, -1, false},
        {0, 13, false, 0x2000E, 0, 2, 3, -1, false}, {0, 32, false, 0x10001, 0, 2, 1, -1, true},
        {4, 13, false, 0x2000E, 0, 2, 0, 1, false}, {4, 13, false, 0x2000E, 0, 2, 1, 0, true},

        // On/off: S or dtv with F or 0x40000-0x4000D; otherwise 7-9 with V.
        {0, 8, false, 0x10003, 0, 1, 0, -1, false}, {0, 8, false, 0x10002, 0, 1, 0, -1, true},
        {0, 7, false, 0x30001, 0, 0, 0, -1, false}, {0, 7, false, 0x30002, 0, 0, 0, -1, true},
        {0, 6, false, 0x10002, 0, 1, 0, -1, false}, {0, 0, true, 0x40005, 0, 1, 0, -1, true},
        {0, 0, true, 0x4000E, 0, 1, 0, -1, false}, {0, 13, false, 0x4000D, 0, 0, 0, -1, true},
        {0, 21, false, 0x2000E, 0, 0, 2, -1, true}, {0, 0, true, 0x5005B, 0, 1, 0, -1, false},
        {4, 5, false, 0x1000A, 0, 1, 0, -1, true}, {0, 5, false, 0x1000A, 0, 1, 0, -1, false},

        // Any other option value: never, not even by the last-chance rule.
        {4, 13, true, 0x1000A, 0, 3, 0, -1, false}, {0, 13, true, 0x10002, 0, -1, 0, -1, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE("row " + std::to_string(&row - rows));
        host::Reset();
        host::SetOption(24, row.product);
        host::SetAvocPcMode(row.avocPcMode);
        if (row.prop760 >= 0) host::SetProp(host::DefaultStream(), 760, row.prop760);
        TCAVCheck check;
        host::ClearLog();
        bool bCheck = !row.expected;
        check.CheckScreenFitOption(host::DefaultStream(), Key(row.source, row.resolution, row.dtv),
                                   Info(static_cast<EPictureSizeType>(row.pictureSize)),
                                   static_cast<EScreenFitOptionType>(row.option), bCheck);
        EXPECT_EQ(bCheck, row.expected);
        EXPECT_EQ(LogLevelOf("[ORB_PICTURE][TCAVCheck::CheckScreenFitOption]end, bCheck[" + std::to_string(row.expected) + "]"), 1);
        const bool bFit = row.pictureSize != 3;
        EXPECT_EQ(host::LogContains("checking to AUTO option"), bFit && row.option == 2);
        EXPECT_EQ(host::LogContains("checking to on/off option"), bFit && (row.option == 0 || row.option == 1));
        EXPECT_EQ(host::LogContains("[TCAVCheck::CheckScreenFitOption] screenfit support picture size type [" +
                                    std::to_string(row.pictureSize) + "]"),
                  bFit);
    }
}

// Where the PC mode comes from: the player's flag on products of type 4, the
// AV output controller for the digital external inputs otherwise.
TEST_F(AVCheckScreen, ScreenFitOptionPCModeSource) {
    struct Row {
        int product;
        int source;
        std::vector<std::string> calls;
        const char* message;
    };
    const Row rows[] = {
        {4, 13, {"tv_stream_get_property 760"}, "[TCAVCheck::CheckScreenFitOption] get pc_mode from tvp. pc_mode[1]."},
        {4, 33, {"tv_stream_get_property 760"}, "[TCAVCheck::CheckScreenFitOption] get pc_mode from tvp. pc_mode[1]."},
        {4, 23, {}, nullptr},
        {0, 13, {"avoc_get_pc_mode 0"}, "[TCAVCheck::m_GetPCMode] Source:[13] result of avoc_get_pc_mode [0] / pc_mode [2] "},
        {0, 22, {"avoc_get_pc_mode 0"}, "[TCAVCheck::m_GetPCMode] Source:[22] result of avoc_get_pc_mode [0] / pc_mode [2] "},
        {0, 10, {}, nullptr}, {0, 32, {}, nullptr},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE("product " + std::to_string(row.product) + " source " + std::to_string(row.source));
        host::Reset();
        host::SetOption(24, row.product);
        host::SetAvocPcMode(2);
        host::SetProp(host::DefaultStream(), 760, 1);
        TCAVCheck check;
        host::ClearJournal();
        host::ClearLog();
        bool bCheck = false;
        check.CheckScreenFitOption(host::DefaultStream(), Key(row.source, 0x10002, true), Info(PICTURESIZETYPE_16_9),
                                   SCREENFITOPTION_ON, bCheck);
        EXPECT_EQ(OutsideCalls(), row.calls);
        EXPECT_EQ(CountLogExact("[TCAVCheck::CheckScreenFitOption]is called, optionType[1]"), 1);
        EXPECT_EQ(CountLogExact("[TCAVCheck::CheckScreenFitOption]is called, source[" + std::to_string(row.source) +
                                "], resolution[65538], m_product_type[" + std::to_string(row.product) + "]"),
                  1);
        if (row.message != nullptr) {
            EXPECT_EQ(CountLogExact(row.message), 1);
        } else {
            EXPECT_FALSE(host::LogContains("pc_mode"));
        }
    }
}

TEST_F(AVCheckScreen, ScreenFitPosition) {
    struct Row {
        int size;
        int source;
        bool dtv;
        int resolution;
        bool expected;
    } const rows[] = {
        {2, 13, false, 0x10001, true},  {2, 35, false, 0x30000, true}, {2, 0, true, 0x2000E, true},
        {2, 0, true, 0x40000, false},   {2, 13, false, 0x1000A, false}, {2, 8, false, 0x10002, true},
        {2, 8, false, 0x10003, false},  {2, 7, false, 0x30002, true},  {2, 9, false, 0x30001, false},
        {2, 0, false, 0x10002, false},  {2, 5, false, 0x10002, false}, {2, 21, false, 0x10009, true},
        {1, 13, false, 0x10001, false}, {6, 13, false, 0x10001, false}, {0, 0, true, 0x2000E, false},
        {-1, 13, false, 0x10001, false},
    };
    for (const Row& row : rows) {
        host::ClearLog();
        TCAVCheck check;
        bool bCheck = !row.expected;
        check.CheckScreenFitPosition(Key(row.source, row.resolution, row.dtv),
                                     Info(static_cast<EPictureSizeType>(row.size)), bCheck);
        const std::string args = "sourceInfo.pictureSize[" + std::to_string(row.size) + "], key.source[" +
                                 std::to_string(row.source) + "], key.dtv[" + std::to_string(row.dtv) + "]";
        EXPECT_EQ(bCheck, row.expected) << args;
        EXPECT_EQ(CountLogExact("[TCAVCheck::CheckScreenFitPosition]is called"), 1);
        EXPECT_EQ(CountLogExact("[TCAVCheck::CheckScreenFitPosition] " + args), 1);
        const std::string end =
            "[TCAVCheck::CheckScreenFitPosition] end, " + args + ", bCheck[" + std::to_string(row.expected) + "]";
        EXPECT_EQ(LogLevelOf(end), 1) << end;
    }
}

TEST_F(AVCheckScreen, AutoWideSupported) {
    struct Row {
        int region;  // -1: unreadable
        int country;  // -1: unreadable
        bool expected;
    };
    std::vector<Row> rows;
    for (int region : {4, 6, 7, 11, 19, 22, 30, 31, 32, 33}) {
        rows.push_back({region, 23, true});
    }
    for (int region : {-1, 0, 3, 5, 8, 10, 12, 18, 20, 23, 29, 34}) {
        rows.push_back({region, 2, false});
    }
    rows.push_back({9, 23, false});
    rows.push_back({9, 2, true});
    rows.push_back({9, -1, true});
    for (const Row& row : rows) {
        SCOPED_TRACE("region " + std::to_string(row.region) + " country " + std::to_string(row.country));
        host::Reset();
        if (row.region >= 0) {
            host::SetOption(0, row.region);
        }
        if (row.country >= 0) {
            host::SetSpecTag(1, row.country);
        }
        TCAVCheckDVB check;
        host::ClearLog();
        bool onOff = !row.expected;
        check.CheckAutoWideSupported(onOff);
        EXPECT_EQ(onOff, row.expected);
        EXPECT_EQ(CountLogExact("[TCAVCheck::CheckAutoWideSupported]is called"), 1);
        const std::string end = "[TCAVCheck::CheckAutoWideSupported]is end, currentRegion[" +
                                std::to_string(row.region < 0 ? 0 : row.region) + "], country[" +
                                std::to_string(row.country) + "], return onOff[" + std::to_string(row.expected) +
                                "]";
        EXPECT_EQ(CountLogExact(end), 1);
        EXPECT_EQ(LogLevelOf(end), 1);
        EXPECT_EQ(host::LogContains("[TCSOSpec::Get] tag[1] failed"), row.country < 0);
    }
}

}  // namespace

// Which outside calls go through the instrumented call layer (recorded with
// their argument directions) and which are made directly (not recorded).
TEST(AVCheckCallLayer, RecordedCallsAndDirections) {
    struct Row {
        const char* name;
        std::function<void()> run;
        std::vector<std::vector<int>> recorded;  // argument directions of each recorded call
    };
    const TVStream stream = host::DefaultStream();
    auto exception = [stream](int source, EExceptionScreenStateType type) {
        return [=] { TCAVCheck::CheckExceptionScreenState(stream, Key(source, 0x10002, true), type, false); };
    };
    auto screenFit = [stream](int product, int source) {
        return [=] {
            host::SetOption(24, product);
            TCAVCheck check;
            ht::TIStorageManager::Instance()->GetStorage().Clear();
            bool bCheck = false;
            check.CheckScreenFitOption(stream, Key(source, 0x10002, true), Info(PICTURESIZETYPE_16_9),
                                       SCREENFITOPTION_ON, bCheck);
        };
    };
    auto sound = [stream](auto* check) {
        return [=] {
            bool bCheck = false;
            check->CheckAnalogMTS(stream, MULTI_SOUND_MONO, bCheck);
        };
    };
    TCAVCheckATSC atsc;
    TCAVCheckDVB dvb;
    const std::vector<Row> rows = {
        {"MLS", exception(13, EXCEPTION_SCREEN_MLS), {{1, 2}}},
        {"MHL", exception(13, EXCEPTION_SCREEN_MHL), {{1, 1, 2, 1}}},
        {"PC flag read is direct", exception(13, EXCEPTION_SCREEN_PC_MODE), {}},
        {"21:9", exception(0, EXCEPTION_SCREEN_21_9_SUPPORTED), {{1, 2}}},
        {"3D", exception(13, EXCEPTION_SCREEN_3D), {}}, {"avoc PC mode", screenFit(0, 13), {{1, 2}}},
        {"tvp PC mode is direct", screenFit(4, 13), {}}, {"ATSC tuner read", sound(&atsc), {{1, 1, 2, 1}}},
        {"DVB tuner read", sound(&dvb), {{1, 1, 2, 1}}}, {"region rule", [] { TCAVCheck::GetAVCheckRegion(35); }, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        host::Reset();
        host::SetProp(stream, 20, 1);
        host::SetRecording(true);
        ht::TCStorage& store = ht::TIStorageManager::Instance()->GetStorage();
        store.Clear();
        row.run();
        host::SetRecording(false);
        std::vector<std::vector<int>> recorded;
        for (const auto& record : store.Records()) {
            if (record.kind != ht::kRecordBeforeCall) continue;
            ht::TCCallLocation location;
            ASSERT_TRUE(store.FindLocation(record.id, location));
            EXPECT_NE(location.Function().find("TCAVCheck"), std::string::npos);
            recorded.emplace_back();
            for (const auto& argument : location.Arguments()) recorded.back().push_back(argument.direction);
        }
        EXPECT_EQ(recorded, row.recorded);
    }
}
