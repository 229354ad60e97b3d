// Zoom, caption and custom steps with their clamps, the screen-fit position
// and the reset of all picture-size settings.
#include <algorithm>

#include "sizecontrol_support.h"

namespace {

using namespace sizecontrol_test;

// Resolutions and their resolution modes.
constexpr kova_resolution_e k1080 = 0x10008;  // mode 2; screen fit, zoom step and zoom position
constexpr kova_resolution_e k720 = 0x10003;   // mode 1; 720-line screen fit
constexpr kova_resolution_e kUhd = 0x40000;   // mode 3; zoom step, no screen fit
constexpr kova_resolution_e kOther = 0x20000;  // mode 0; none of the classes
int Mode(kova_resolution_e r) { return r == k1080 ? 2 : r == k720 ? 1 : r == kUhd ? 3 : 0; }

// A main-path controller whose offsets the tests preset and read.
struct Probe : TCSizeControl {
    Probe() : TCSizeControl(ORBHandle(1, 0)) {}
    using TCSizeControl::t_BaseGfxRect;
    using TCSizeControl::t_captionOffset;
    using TCSizeControl::t_customOffset;
    using TCSizeControl::t_PictureSizeDetailInfoInit;
    using TCSizeControl::t_screenFitPosition;
    using TCSizeControl::t_zoomOffset;
    TSRectInfo& Offset(EPictureSizeType size) {
        return size == PICTURESIZETYPE_ZOOM ? t_zoomOffset : size == PICTURESIZETYPE_CAPTION ? t_captionOffset
                                                                                              : t_customOffset;
    }
};

// The menu's picture size for the key, with its stored record.
void Choose(const TSAspectRatioKey& key, EPictureSizeType size, const TSPictureSizeOption& option = {}) {
    host::SetAgentPictureSize(key.source, Mode(key.resolution), key.dtv, size);
    host::SetAgentDetailOption(key.source, Mode(key.resolution), size, option);
}

class SizeControlZoom : public SizeControlTest {};

// Each bound just inside and just outside; offsets as x,y,w,h.
TEST_F(SizeControlZoom, StepRulesAndClamps) {
    // bPosition: SetZoomPosition (h, v are dx, dy), else SetZoomSize (steps).
    struct Row { bool bPosition; EPictureSizeType size; kova_resolution_e resolution; TSRectInfo before; int h, v;
                 const char* after; };
    const EPictureSizeType Z = PICTURESIZETYPE_ZOOM, C = PICTURESIZETYPE_CAPTION, U = PICTURESIZETYPE_CUSTOM;
    const Row rows[] = {
        {false, Z, k1080, {0, 30, 0, 0}, 0, 10, "0,25,0,10"},     {false, Z, k1080, {0, 30, 0, 0}, 0, 11, "0,30,0,0"},
        {false, Z, k1080, {0, -30, 0, 0}, 0, -9, "0,-6,0,-9"}, {false, Z, k1080, {0, -30, 0, 0}, 0, -10, "0,-30,0,0"},
        {false, Z, kUhd, {0, 30, 0, 0}, 0, -9, "0,6,0,-9"},       {false, Z, kUhd, {0, 30, 0, 0}, 0, -10, "0,30,0,0"},
        {false, Z, kOther, {0, -30, 0, 0}, 0, -10, "0,-5,0,-10"}, {false, Z, kOther, {0, 0, 0, 0}, 0, -11, "0,0,0,0"},
        {false, C, k1080, {0, 40, 0, 0}, 0, 18, "0,32,0,18"},     {false, C, k1080, {0, 40, 0, 0}, 0, 19, "0,40,0,0"},
        {false, C, k1080, {0, -3, 0, 0}, 0, 0, "0,0,0,0"},        {false, C, k1080, {0, -3, 0, 0}, 0, -1, "0,-3,0,0"},
        {false, U, k1080, {20, -30, 1, 1}, 17, 25, "17,-25,17,25"},
        {false, U, k1080, {20, -30, 1, 1}, 18, 26, "20,-30,1,1"},
        {false, U, k1080, {20, -30, 4, 4}, 5, 4, "5,-4,5,4"}, {false, U, k1080, {20, -30, 4, 4}, -3, -3, "20,-30,0,0"},
        {false, U, k1080, {2, 2, 0, 0}, 3, 3, "2,2,3,3"},
        {true, Z, k1080, {3, 0, 0, 2}, 0, 19, "0,19,0,2"},        {true, Z, k1080, {3, 0, 0, 2}, 0, 20, "3,0,0,2"},
        {true, Z, k1080, {3, 0, 0, 2}, 0, -19, "0,-19,0,2"},      {true, Z, k1080, {3, 0, 0, 2}, 0, -20, "3,0,0,2"},
        {true, Z, kOther, {3, 0, 0, 2}, 0, 17, "0,17,0,2"},       {true, Z, kOther, {3, 0, 0, 2}, 0, 18, "3,0,0,2"},
        {true, C, k1080, {3, 0, 0, 5}, 0, 5, "0,5,0,5"},          {true, C, k1080, {3, 0, 0, 5}, 0, 6, "3,0,0,5"},
        {true, C, k1080, {3, 0, 0, 5}, 0, -19, "0,-19,0,5"},      {true, C, k1080, {3, 0, 0, 5}, 0, -20, "3,0,0,5"},
        {true, C, k1080, {3, 0, 0, 18}, 0, 16, "0,16,0,18"},      {true, C, k1080, {3, 0, 0, 18}, 0, 17, "3,0,0,18"},
        {true, C, k1080, {3, 0, 0, 18}, 0, -30, "0,-30,0,18"},    {true, C, k1080, {3, 0, 0, 18}, 0, -31, "3,0,0,18"},
        {true, U, k1080, {1, 1, 4, 3}, 4, -3, "4,-3,4,3"},        {true, U, k1080, {1, 1, 4, 3}, 5, -4, "1,1,4,3"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(&r - rows);
        host::Reset();
        const TSAspectRatioKey key = Key(13, r.resolution, false);
        TSPictureSizeOption held, expected;
        held.bOffset = true;
        Choose(key, r.size, held);
        Probe ctl;
        ctl.Offset(r.size) = r.before;
        ctl.t_screenFitPosition = TSRectInfo(3, 2, 0, 0);
        EXPECT_EQ(r.bPosition ? ctl.SetZoomPosition(stream, key, r.h, r.v) : ctl.SetZoomSize(stream, key, r.h, r.v),
                  1);
        const TSRectInfo& after = ctl.Offset(r.size);
        EXPECT_EQ(Rect(after), r.after);
        // The zoom offset is not stored (flag cleared); the others are, in the record's order.
        if (r.size != Z) expected = Opt(false, 0, 0, false, after.x, after.y, after.height, after.width);
        expected.bOffset = r.size != Z;
        EXPECT_EQ(Stored(13, Mode(r.resolution), r.size), Fields(expected));
        // Changing a custom zoom that is not none drops the screen-fit position.
        const bool bDropped = !r.bPosition && r.size == U && (r.before.width != 0 || r.before.height != 0);
        EXPECT_EQ(Rect(ctl.t_screenFitPosition), bDropped ? "0,0,0,0" : "3,2,0,0");
        if (!r.bPosition && r.h < 0) {
            EXPECT_TRUE(LogHas("invalid value !! set to 0, width [" + std::to_string(r.h) + "]"));
        }
    }
}

// A custom picture without zoom under screen fit moves by the screen-fit
// position: two pixels a step, at most five steps.
TEST_F(SizeControlZoom, ScreenFitPosition) {
    // bZoomPosition: through SetZoomPosition, else SetScreenFitPosition. A size
    // other than custom and the move limit in x are checked by the menu scenario.
    struct Row { bool bZoomPosition; kova_resolution_e resolution; int gfxWidth, gfxHeight, x, y, result;
                 const char* sink; };
    const Row rows[] = {
        {false, k1080, 1920, 1080, 5, 0, 1, "0,0,1910,1080 10,0,1910,1080"},
        {false, k1080, 1920, 1080, -5, -5, 1, "10,0,1910,1070 0,10,1910,1070"},
        {false, k720, 1920, 1080, 5, 5, 1, "0,10,1270,710 10,0,1910,1070"},
        {false, k1080, 1280, 720, -5, 0, 1, "10,0,1910,1080 0,0,1273,720"},
        {false, k1080, 1280, 720, 5, 0, 0, "none"},  {false, kUhd, 1920, 1080, 1, 1, 0, "none"},
        {true, k1080, 1920, 1080, 5, -5, 1, "0,0,1910,1070 10,10,1910,1070"},
        {true, k1080, 1920, 1080, 0, -6, 0, "none"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(&r - rows);
        host::Reset();
        const TSAspectRatioKey key = Key(13, r.resolution, false);
        Choose(key, PICTURESIZETYPE_CUSTOM, Opt(false, 0, SCREENFITOPTION_ON, false));
        Probe ctl;
        ctl.t_BaseGfxRect = TSRectInfo(0, 0, r.gfxWidth, r.gfxHeight);
        EXPECT_EQ(r.bZoomPosition ? ctl.SetZoomPosition(stream, key, r.x, r.y)
                                  : ctl.SetScreenFitPosition(stream, key, r.x, r.y),
                  r.result);
        EXPECT_EQ(Sink(), r.sink);
        EXPECT_EQ(Rect(ctl.t_screenFitPosition), r.result ? host::FormatRect(r.x, r.y, 0, 0) : "0,0,0,0");
        if (r.bZoomPosition) {  // stored as the custom offset, only when accepted
            EXPECT_EQ(Stored(13, Mode(r.resolution), PICTURESIZETYPE_CUSTOM),
                      Fields(r.result ? Opt(false, 0, 1, false, r.x, r.y) : Opt(false, 0, 1, false)));
        }
    }
}

// The agent is reset, the default size stored with a fresh record in the
// agent and the fast-boot store, then applied, in that order.
TEST_F(SizeControlZoom, ResetPictureSize) {
    const TSAspectRatioKey key = Key(13, k1080, false);
    Choose(key, PICTURESIZETYPE_ZOOM);
    host::SetAspectRatioDefaultPictureSize(PICTURESIZETYPE_CUSTOM);
    host::ClearJournal();
    Probe ctl;
    EXPECT_EQ(ctl.ResetPictureSize(stream, key), 1);
    EXPECT_EQ(host::AgentResetCount(), 1);
    EXPECT_EQ(host::AgentPictureSize(13, 2, false), PICTURESIZETYPE_CUSTOM);
    EXPECT_FALSE(host::AgentDetailOption(13, 2, PICTURESIZETYPE_ZOOM));
    const long order[] = {IndexOf("TIAspectRatioAgent::Reset"), IndexOf("TIAspectRatioAgent::SetPictureSizeInfo"),
                          IndexOf("TIAspectRatioAgent::SetPictureSizeDetailInfo"),
                          IndexOf("fb_nv_store_screen_config_res"), IndexOf("res_lookup_get_picture_size", {"33"}),
                          IndexOf("tv_stream_set_property", {"610"})};
    EXPECT_GE(order[0], 0);
    EXPECT_TRUE(std::is_sorted(std::begin(order), std::end(order)));
    TSPictureSizeOption fresh;
    ctl.t_PictureSizeDetailInfoInit(PICTURESIZETYPE_CUSTOM, key, fresh);
    EXPECT_EQ(Stored(13, 2, PICTURESIZETYPE_CUSTOM), Fields(fresh));
}

}  // namespace
