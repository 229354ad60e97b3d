// Capability checks of the picture-size menu: picture sizes and their sub-menus.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "AVCheckATSC.h"
#include "SizeControl.h"
#include "avcheck_helpers.h"
#include "host/HostControl.h"

namespace {

using avcheck_test::CountCalls;
using avcheck_test::CountLogExact;
using avcheck_test::Info;
using avcheck_test::Key;
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

TEST_F(AVCheckPicture, PictureSizes) {
    const TVStream stream = host::DefaultStream();
    // early: refused before the final message. The refusals by window, MHL,
    // playback timing, MLS and side-by-side picture-in-picture, with their
    // messages, are checked by the settings scenario.
    struct Row { Prep prep; int source; bool dtv; int res; unsigned h; int pipeline; int size; bool expected, early;
                 const char* message; };
    const std::vector<Row> rows = {
        {kNone, 0, 1, 0x10001, 1920, 0, 7, false, true, "It is not supported p.size type [7]"},
        {PcMode(true, 2), 13, 0, 0x10001, 1920, 0, 0, true, false, ""},
        {PcMode(true, 2), 10, 0, 0x5005B, 1920, 3, 0, true, false, ""},
        {PcMode(false, 3), 20, 0, 0x10001, 1920, 0, 4, true, false, ""},
        {[] { host::SetVconfInt("db/menu/picture/pip/onoff", 1); }, 0, 1, 0x10001, 1920, 0, 0, true, false, ""},
        {kNone, 21, 0, 0x10001, 1920, 0, 1, false, false, "case :: ZOOM or CUSTOM. source[21], product_type[0]"},
        {kProduct4, 0, 1, 0x10001, 1920, 0, 6, false, false, ""},
        {kProduct4, 13, 0, 0x10001, 1920, 0, 6, true, false, ""},
        {kNone, 13, 0, 0x40001, 1920, 0, 5, true, false, ""},
        {kNone, 0, 1, 0x40006, 1920, 0, 5, false, false, ""},
        {kNone, 13, 0, 0x10003, 1920, 0, 5, false, false, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(&row - rows.data());
        host::Reset();
        row.prep();
        TSAspectRatioKey key = Key(row.source, row.res, row.dtv);
        key.resolutionInfo.horizontal = row.h;
        key.resolutionInfo.vertical = 1080;
        TSSourceTypeInfo info = Info(static_cast<EPictureSizeType>(row.size));
        info.pipelineType = row.pipeline;
        bool bCheck = !row.expected;
        TCAVCheckATSC().CheckPictureSize(stream, key, info, bCheck);
        EXPECT_EQ(bCheck, row.expected);
        EXPECT_TRUE(*row.message == '\0' || host::LogContains(row.message));
        EXPECT_EQ(host::LogContains("[TCAVCheck::CheckPictureSize] end, sourceInfo.pictureSize"), !row.early);
    }

    // The questions in order: MHL, 21:9, MLS, 3D, then PC mode for a zoom size.
    host::Reset();
    bool bCheck = false;
    TCAVCheckATSC().CheckPictureSize(stream, Key(13, 0x10001, false), Info(PICTURESIZETYPE_ZOOM), bCheck);
    const std::string mark = "CheckExceptionScreenState]is called. Source:[13], screentype[";
    std::string asked;
    for (const auto& line : host::LogLines()) {
        const auto at = line.text.find(mark);
        if (at != std::string::npos) asked += line.text.substr(at + mark.size(), 1);
    }
    EXPECT_EQ(asked, "14032");
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

}  // namespace
