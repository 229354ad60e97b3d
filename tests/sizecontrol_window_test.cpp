// Application windows: SetSize and SetSizeInfo validation, and the menu
// inside a SetCropVideo window. (The sink write of SetSize is in the geometry
// tests, beside that of the other paths.)
#include <functional>

#include "sizecontrol_support.h"

namespace {

using namespace sizecontrol_test;

const TSAspectRatioKey kKey = Key(13, 0x10008, false);  // resolution mode 2

class SizeControlWindow : public SizeControlTest {};

// Windows as x, y, height, width on the 1920 x 1080 plane; SetSize refuses the
// whole plane (with an assertion report), SetSizeInfo accepts it.
TEST_F(SizeControlWindow, Validation) {
    struct Row { int x, y, h, w; bool bSetSize, bSetSizeInfo; };
    const Row rows[] = {
        {0, 0, 1080, 1920, false, true}, {0, 0, 0, 960, false, false},    {0, 0, 540, 0, false, false},
        {960, 0, 540, 960, true, true},  {961, 0, 540, 960, false, false}, {0, 540, 540, 960, true, true},
        {0, 541, 540, 960, false, false}, {0, 0, 1080, 1919, true, true},
    };
    for (const Row& r : rows) {
        for (bool bInfo : {false, true}) {
            SCOPED_TRACE("row " + std::to_string(&r - rows) + (bInfo ? " SetSizeInfo" : " SetSize"));
            host::Reset();
            TCSizeControl& ctl = Make();
            const bool bOk = bInfo ? r.bSetSizeInfo : r.bSetSize;
            const std::string window = host::FormatRect(r.x, r.y, r.w, r.h);
            EXPECT_EQ(bInfo ? ctl.SetSizeInfo(r.x, r.y, r.h, r.w) : ctl.SetSize(stream, kKey, r.x, r.y, r.h, r.w),
                      bOk ? 1 : 0);
            EXPECT_EQ(ctl.GetCurrentScreenState(), bOk ? 1 : 0);
            EXPECT_EQ(Window(ctl), bOk ? window : "0,0,1920,1080");
            EXPECT_EQ(SinkDst(), bOk && !bInfo ? window : "none");
            ASSERT_EQ(host::AssertCount(), bOk || bInfo ? 0u : 1u);
            EXPECT_TRUE(host::AssertCount() == 0 || host::Asserts()[0].expression == "0");
        }
    }
}

// In a SetCropVideo window (panorama switched off before the sink write) the
// menu operations only store their settings and return 1; the picture size
// and the screen mode are mirrored to the fast-boot store before the state is
// looked at. stored: the menu size and its record afterwards.
TEST_F(SizeControlWindow, MenuInACropVideoWindowOnlyStores) {
    using Call = std::function<int(TCSizeControl&)>;
    struct Row { const char* name; int menu; Call call; const char* stored; bool bFastBoot; };
    const Row rows[] = {
        {"picture size", 0,
         [this](TCSizeControl& c) { return c.SetPictureSize(stream, kKey, PICTURESIZETYPE_4_3, true); },
         "3 1,0,0,0,0,0,0,0,0", true},
        {"screen fit", 0,
         [this](TCSizeControl& c) { return c.SetScreenFitOption(stream, kKey, SCREENFITOPTION_ON, true); },
         "0 1,0,1,0,0,0,0,0,0", false},
        {"screen fit preview", 0,
         [this](TCSizeControl& c) { return c.SetScreenFitOption(stream, kKey, SCREENFITOPTION_ON, false); },
         "0 1,0,0,0,0,0,0,0,0", false},
        {"screen mode", 0, [this](TCSizeControl& c) { return c.SetScreenMode(stream, kKey, SCREENMODE_4_3, true); },
         "0 1,3,0,0,0,0,0,0,0", true},
        {"caption size", 6, [this](TCSizeControl& c) { return c.SetZoomSize(stream, kKey, 0, 4); },
         "6 1,0,0,1,0,0,4,0,0", false},
        {"caption position", 6, [this](TCSizeControl& c) { return c.SetZoomPosition(stream, kKey, 0, -2); },
         "6 1,0,0,1,0,-2,0,0,0", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        host::Reset();
        host::SetAgentPictureSize(13, 2, false, row.menu);
        for (int size = 0; size < 8; ++size) host::SetAgentDetailOption(13, 2, size, Opt(true, 0, 0, false));
        TCSizeControl& ctl = Make();
        EXPECT_EQ(ctl.SetCropVideo(stream, TSRectInfo(0, 0, 720, 480), TSRectInfo(100, 50, 960, 540)), 1);
        EXPECT_EQ(ctl.GetCurrentScreenState(), TCSizeControl::SCREENSTATE_PIG_BY_CROPVIDEO);
        const long panorama = IndexOf("tv_stream_set_property", {"615", "0"});
        EXPECT_TRUE(panorama >= 0 && panorama < IndexOf("tv_stream_set_property", {"610"}));
        const size_t from = host::JournalSize();
        EXPECT_EQ(row.call(ctl), 1);
        const int size = host::AgentPictureSize(13, 2, false).value_or(-1);
        EXPECT_EQ(std::to_string(size) + " " + Stored(13, 2, size), row.stored);
        EXPECT_EQ(IndexOf("tv_stream_set_property", {"610"}, from), -1);
        EXPECT_EQ(IndexOf("fb_nv_store_screen_config_res", {}, from) >= 0, row.bFastBoot);
        EXPECT_EQ(Sink(), "0,0,720,480 100,50,960,540");
    }
}

}  // namespace
