// Capability checks of the picture menus: picture sizes and their sub-menus,
// exception states, screen-fit option and position, auto wide support, and
// which of their outside calls are recorded.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <tvav/AVCheck.h>
#include <tvav/AVCheckATSC.h>
#include <tvav/AVCheckDVB.h>
#include <tvav/SizeControl.h>
#include "host/HostControl.h"
#include "host_support.h"

namespace {

using namespace test_support;
using Prep = std::function<void()>;

const Prep kNone = [] {};
const Prep kProduct4 = [] { host::SetOption(24, 4); };
Prep Region(int region, int country = -1) {
    return [=] {
        host::SetOption(0, region);
        if (country >= 0) host::SetSpecTag(1, country);
    };
}
// 21:9 panel (or not) and the AV output controller's PC mode.
Prep PcMode(bool wide, int mode) {
    return [=] {
        host::SetSysInfoBool(303, wide);
        host::SetAvocPcMode(mode);
    };
}
// The main controller's record of picture size 0 at resolution mode 2.
Prep HoldSize0(bool autoWide, int screenMode) {
    return [=] {
        host::SetOption(0, 6);
        host::SetAgentDetailOption(0, 2, 0, TSPictureSizeOption{autoWide, screenMode, 0, false, 0, 0, 0, 0, false});
    };
}

class AVCheckPicture : public ::testing::Test {
protected:
    void SetUp() override {
        host::Reset();
        TCSizeControl::GetInstance(ORBHandle(1, 0))->SetCurrentScreenState(TCSizeControl::SCREENSTATE_FULLSIZE);
    }
};

// Picture in picture switched on, at this size.
Prep Pip(int size) {
    return [size] {
        host::SetVconfInt("db/menu/picture/pip/onoff", 1);
        host::SetVconfInt("db/menu/picture/pip/pipsize", size);
    };
}

TEST_F(AVCheckPicture, PictureSizes) {
    const TVStream stream = host::DefaultStream();
    // early: refused before the final message. The refusals by window, MHL,
    // playback timing, MLS and side-by-side picture-in-picture, with their
    // messages, are checked by the settings scenario.
    struct Row { Prep prep; int source; bool dtv; int res; int pipeline; int size; bool expected, early;
                 const char* message; };
    const std::vector<Row> rows = {
        {kNone, 0, 1, 0x10001, 0, 7, false, true, "It is not supported p.size type [7]"},
        {PcMode(true, 2), 13, 0, 0x10001, 0, 0, true, false, ""},
        {PcMode(true, 2), 10, 0, 0x5005B, 3, 0, true, false, ""},
        {PcMode(false, 3), 20, 0, 0x10001, 0, 4, true, false, ""},
        {[] { host::SetVconfInt("db/menu/picture/pip/onoff", 1); }, 0, 1, 0x10001, 0, 0, true, false, ""},
        {Pip(2), 0, 1, 0x10001, 0, 0, false, true, "PIP_ON[1] && PIP Size is side by side[2]"},
        {Pip(1), 0, 1, 0x10001, 0, 0, true, false, ""},
        {Pip(4), 0, 1, 0x10001, 0, 0, true, false, ""},
        {kNone, 21, 0, 0x10001, 0, 1, false, false, "case :: ZOOM or CUSTOM. source[21], product_type[0]"},
        {kProduct4, 0, 1, 0x10001, 0, 6, false, false, ""},
        {kProduct4, 13, 0, 0x10001, 0, 6, true, false, ""},
        {kNone, 13, 0, 0x40001, 0, 5, true, false, ""},
        {kNone, 0, 1, 0x40006, 0, 5, false, false, ""},
        {kNone, 13, 0, 0x10003, 0, 5, false, false, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(&row - rows.data());
        host::Reset();
        row.prep();
        TSSourceTypeInfo info = Info(static_cast<EPictureSizeType>(row.size));
        info.pipelineType = row.pipeline;
        bool bCheck = !row.expected;
        TCAVCheckATSC().CheckPictureSize(stream, Key(row.source, row.res, row.dtv), info, bCheck);
        EXPECT_EQ(bCheck, row.expected);
        EXPECT_TRUE(*row.message == '\0' || host::LogContains(row.message));
        EXPECT_EQ(host::LogContains("[TCAVCheck::CheckPictureSize] end, sourceInfo.pictureSize"), !row.early);
    }

    // The questions in order: MHL, 21:9, MLS, 3D, then PC mode for a zoom size.
    host::Reset();
    bool bCheck = false;
    TCAVCheckATSC().CheckPictureSize(stream, Key(13, 0x10001, false), Info(PICTURESIZETYPE_ZOOM), bCheck);
    EXPECT_EQ(AskedExceptionStates(), "14032");
    TCAVCheckATSC().CheckPictureSize(stream, Key(13, 0x10001, false), Info(PICTURESIZETYPE_7), bCheck);
    EXPECT_EQ(CountLogExact("[ORB_PICTURE][TCAVCheck::CheckPictureSize] It is not supported p.size type [7]"), 2);
}

TEST_F(AVCheckPicture, SubMenus) {
    struct Row { Prep prep; int source; bool dtv; int res; int size; int submenu; bool expected; };
    // Rows the settings scenario checks (region 4 on sources 5 and 13, region 9
    // with country 23, playback without dtv, size 3, the screen-fit groups at
    // 0x10002, panorama by screen mode, a PC input) are not repeated here.
    const std::vector<Row> rows = {
        // Auto wide and 4:3 screen mode: sizes 0 and 4, by region and source.
        {Region(9, 2), 0, 1, 0x10001, 0, 0, true},  {Region(4), 7, 0, 0x10001, 4, 0, false},
        {Region(4), 36, 1, 0x10001, 0, 0, true},    {Region(8), 0, 1, 0x10001, 0, 0, false},
        {Region(6, 7), 0, 1, 0x10001, 0, 1, true},  {HoldSize0(false, 0), 0, 1, 0x10001, 0, 1, false},
        // PC inputs have no sub-menus, except on products with their own rules.
        {kNone, 21, 0, 0x10001, 2, 3, false},       {kProduct4, 21, 0, 0x10001, 2, 3, true},
        // Screen fit.
        {kProduct4, 0, 1, 0x40004, 3, 2, true},     {kNone, 7, 0, 0x10001, 0, 2, true},
        {kNone, 7, 0, 0x40000, 0, 2, false},        {kNone, 0, 1, 0x4000D, 6, 2, true},
        {kNone, 8, 0, 0x10003, 1, 2, false},        {kNone, 13, 0, 0x2000E, 5, 2, true},
        {kNone, 0, 0, 0x2000B, 4, 2, false},        {kProduct4, 1, 0, 0x1000A, 0, 2, true},
        {kNone, 1, 0, 0x1000A, 0, 2, false},        {kProduct4, 13, 0, 0x50003, 0, 2, true},
        {kProduct4, 0, 1, 0x50003, 0, 2, false},    {kNone, 13, 0, 0x10001, 7, 2, false},
        // Zoom/position and panorama.
        {kNone, 0, 1, 0x10001, 6, 3, true},         {kNone, 0, 1, 0x10001, 3, 4, false},
        {kNone, 0, 1, 0x10001, 5, 4, true},         {Region(8), 0, 1, 0x10001, 4, 4, true},
        {Region(6), 0, 1, 0x10001, 0, 5, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(&row - rows.data());
        host::Reset();
        row.prep();
        TCAVCheckATSC check;
        host::ClearJournal();
        bool bCheck = !row.expected;
        check.CheckPictureSizeSubMenu(Key(row.source, row.res, row.dtv), static_cast<EPictureSizeType>(row.size),
                                      static_cast<EPictureSizeSubMenuType>(row.submenu), bCheck);
        EXPECT_EQ(bCheck, row.expected);
        // Only the screen-mode and the 21:9 panorama answers consult the controller.
        const bool bConsults = row.submenu == 1 || (row.submenu == 4 && row.size == 4);
        EXPECT_EQ(CountCalls("TIAspectRatioAgent::GetPictureSizeInfo") > 0, bConsults);
        const bool bPcExit = row.source == 21 && !row.expected;
        EXPECT_EQ(host::LogContains("NOT SUPPORTED submenu, PC_MODE, submenu[3]"), bPcExit);
        EXPECT_EQ(host::LogContains("[TCAVCheck::CheckPictureSizeSubMenu]is end"), !bPcExit);
    }
}

// Outside calls of these checks, as "NAME FIRSTARG", in journal order.
std::vector<std::string> OutsideCalls() {
    const std::set<std::string> names = {"vconf_get_int", "tv_stream_get_property", "system_info_get_value_bool",
                                         "avoc_get_pc_mode"};
    std::vector<std::string> calls;
    for (const auto& e : host::Journal()) {
        if (names.count(e.name) != 0) calls.push_back(e.name + " " + (e.args.empty() ? std::string() : e.args[0]));
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
    // message: a line the check must log once ("": none).
    struct Row { const char* name; int type; bool withStream; int source, resolution; bool pcArg; Prep setup;
                 bool expected; std::vector<std::string> calls; std::string message{}; };
    // The scenario shows MLS on and failing, MHL set and without a stream, PC by
    // timing or flag argument, the player's flag, source 5, 3D and 21:9 supported.
    const std::vector<Row> rows = {
        {"MLS off", 0, true, 13, 0x10002, true, [] { host::SetVconfInt("memory/mls/state", 0); }, false, {mls}},
        {"MHL 35 clear", 1, true, 35, 0x10002, false, [&] { host::SetProp(stream, 759, 0); }, false, {mhl}},
        {"MHL source 5", 1, true, 5, 0x10002, false, [&] { host::SetProp(stream, 759, 1); }, false, {}},

        {"PC 13 above PC res", 2, false, 13, 0x5005D, false, kNone, false, {}},
        {"PC 21 other product", 2, false, 21, 0x10001, false, kNone, true, {}},
        {"PC 21 product 4", 2, false, 21, 0x10001, false, kProduct4, false, {}},
        {"PC 21 product 4 flag", 2, false, 21, 0x10001, true, kProduct4, true, {},
         "[TCAVCheck::CheckExceptionScreenState] Source:[21], screentype[2]. pc_mode[1]. resolution:[65537]. "
         "bCheck_PC set to true."},
        {"PC 21 product 4 PC res", 2, false, 21, 0x5005B, false, kProduct4, true, {}},
        {"PC 10 product 4", 2, false, 10, 0x10001, false, kProduct4, true, {}},
        {"PC stream flag wins", 2, true, 14, 0x10001, true, [&] { host::SetProp(stream, 760, 0); }, false, {pc}},
        {"PC stream unset", 2, true, 14, 0x10001, true, kNone, false, {pc}},
        {"PC source 17", 2, true, 17, 0x5005B, true, kNone, false, {}},

        {"3D", 3, true, 13, 0x5005B, true, [&] { host::SetVconfInt("memory/mls/state", 1); }, false, {}},
        {"type 7", 7, true, 13, 0x5005B, true, [&] { host::SetSysInfoBool(303, true); }, false, {}},

        {"21:9 not supported", 4, false, 0, 0x10002, false, [] { host::SetSysInfoBool(303, false); }, false, {kyt}},
        {"21:9 unreadable", 4, false, 0, 0x10002, false, kNone, false, {kyt}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        host::Reset();
        row.setup();
        host::ClearJournal();
        const bool result = TCAVCheck::CheckExceptionScreenState(row.withStream ? stream : nullptr,
                                                                 Key(row.source, row.resolution, true),
                                                                 EExceptionScreenStateType(row.type), row.pcArg);
        EXPECT_EQ(result, row.expected);
        EXPECT_EQ(OutsideCalls(), row.calls);
        const std::string source = std::to_string(row.source), type = std::to_string(row.type);
        EXPECT_EQ(LogLevelOf("[TCAVCheck::CheckExceptionScreenState]is called. Source:[" + source + "], screentype[" +
                             type + "]."),
                  4);
        // A PC question for a source that is not PC-capable ends without the end line.
        const bool bNotHdmi =
            row.type == 2 && !((row.source >= 10 && row.source <= 16) || (row.source >= 20 && row.source <= 22));
        EXPECT_EQ(CountLogExact("[TCAVCheck::CheckExceptionScreenState] Source:[" + source + "]. Not HDMI/DVI"),
                  bNotHdmi);
        EXPECT_EQ(LogLevelOf("[TCAVCheck::CheckExceptionScreenState] end, screenType[" + type + "] result[" +
                             std::to_string(row.expected) + "]"),
                  bNotHdmi ? std::optional<int>() : 4);
        EXPECT_EQ(host::LogContains("bCheck_PC set to true."), row.type == 2 && row.expected);
        EXPECT_TRUE(row.message.empty() || CountLogExact(row.message) == 1);
    }
}

TEST_F(AVCheckScreen, ScreenFitOption) {
    // product: factory option 24; prop760: the player's PC flag, -1 unset.
    struct Row { int product, source; bool dtv; int resolution, pictureSize, option, avocPcMode, prop760;
                 bool expected; };
    // Rows the scenario shows (product 0 on sources 13, 21 and 8, 4:3 at a PC
    // timing) are not repeated here.
    const Row rows[] = {
        // Picture size 4:3: products of type 4 at six resolutions only, any option.
        {4, 13, false, 0x5005B, 3, 2, 0, -1, true}, {4, 0, true, 0x1000A, 3, 0, 0, -1, true},
        {4, 8, false, 0x10002, 3, 1, 0, -1, true}, {4, 13, false, 0x10001, 3, 1, 0, -1, false},
        {0, 13, true, 0x10002, 3, 1, 0, -1, false},

        // Automatic option: S without 20-22, PC mode 0, resolution in F.
        {0, 32, false, 0x10008, 1, 2, 0, -1, true}, {0, 13, false, 0x2000A, 0, 2, 0, -1, false},
        {0, 13, false, 0x40000, 0, 2, 0, -1, false}, {4, 21, false, 0x1000A, 0, 2, 0, -1, true},
        {0, 0, true, 0x10002, 0, 2, 0, -1, false}, {0, 13, false, 0x2000E, 0, 2, 3, -1, false},
        {0, 32, false, 0x10001, 0, 2, 1, -1, true}, {4, 13, false, 0x2000E, 0, 2, 0, 1, false},
        {4, 13, false, 0x2000E, 0, 2, 1, 0, true},

        // On/off: S or dtv with F or 0x40000-0x4000D; otherwise 7-9 with V.
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
        EXPECT_EQ(LogLevelOf("[ORB_PICTURE][TCAVCheck::CheckScreenFitOption]end, bCheck[" +
                             std::to_string(row.expected) + "]"),
                  1);
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
    struct Row { int product, source; std::vector<std::string> calls; std::string message{}; };  // "": no pc_mode line
    const std::string tvp = "[TCAVCheck::CheckScreenFitOption] get pc_mode from tvp. pc_mode[1].";
    const std::string avoc = "] result of avoc_get_pc_mode [0] / pc_mode [2] ";
    const Row rows[] = {
        {4, 13, {"tv_stream_get_property 760"}, tvp}, {4, 33, {"tv_stream_get_property 760"}, tvp}, {4, 23, {}, ""},
        {0, 13, {"avoc_get_pc_mode 0"}, "[TCAVCheck::m_GetPCMode] Source:[13" + avoc},
        {0, 22, {"avoc_get_pc_mode 0"}, "[TCAVCheck::m_GetPCMode] Source:[22" + avoc}, {0, 10, {}, ""}, {0, 32, {}, ""},
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
        if (!row.message.empty()) {
            EXPECT_EQ(CountLogExact(row.message), 1);
        } else {
            EXPECT_FALSE(host::LogContains("pc_mode"));
        }
    }
}

TEST_F(AVCheckScreen, ScreenFitPosition) {
    // Sizes 2 and 1 on source 13 and source 8 at 0x10003 are shown by the scenario.
    struct Row { int size, source; bool dtv; int resolution; bool expected; } const rows[] = {
        {2, 35, false, 0x30000, true}, {2, 0, true, 0x2000E, true},   {2, 0, true, 0x40000, false},
        {2, 13, false, 0x1000A, false}, {2, 8, false, 0x10002, true}, {2, 7, false, 0x30002, true},
        {2, 9, false, 0x30001, false}, {2, 0, false, 0x10002, false}, {2, 5, false, 0x10002, false},
        {2, 21, false, 0x10009, true}, {6, 13, false, 0x10001, false}, {0, 0, true, 0x2000E, false},
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
    struct Row { int region, country; bool expected; };  // -1: unreadable
    std::vector<Row> rows;
    for (int region : {4, 6, 7, 11, 19, 22, 30, 31, 32, 33}) rows.push_back({region, 23, true});
    // Region 34, and region 9 with countries 23 and 2, are shown by the scenario.
    for (int region : {-1, 0, 3, 5, 8, 10, 12, 18, 20, 23, 29}) rows.push_back({region, 2, false});
    rows.push_back({9, -1, true});
    for (const Row& row : rows) {
        SCOPED_TRACE("region " + std::to_string(row.region) + " country " + std::to_string(row.country));
        host::Reset();
        if (row.region >= 0) host::SetOption(0, row.region);
        if (row.country >= 0) host::SetSpecTag(1, row.country);
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
