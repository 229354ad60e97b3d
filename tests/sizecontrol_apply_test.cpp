// Picture-size application: refusals, the order of the outside calls, the
// signal re-apply, panorama, screen fit, the menu's zoom, caption and custom
// steps with their clamps, the reset, and application windows (the sink write
// of SetSize is in the geometry tests, beside that of the other paths).
#include <algorithm>
#include <climits>
#include <functional>
#include <string>
#include <vector>

#include "sizecontrol_support.h"

namespace {

using namespace sizecontrol_test;

// A main-path controller whose offsets the tests preset and read.
struct Probe : TCSizeControl {
    Probe() : TCSizeControl(ORBHandle(1, 0)) {}
    using TCSizeControl::t_BaseGfxRect;
    using TCSizeControl::t_captionOffset;
    using TCSizeControl::t_customOffset;
    using TCSizeControl::t_screenFitPosition;
    using TCSizeControl::t_zoomOffset;
    TSRectInfo& Offset(EPictureSizeType size) {
        return size == PICTURESIZETYPE_ZOOM ? t_zoomOffset : size == PICTURESIZETYPE_CAPTION ? t_captionOffset
                                                                                              : t_customOffset;
    }
};

const TSAspectRatioKey kDtv = Key(0, 0x10002, true), kHdmi = Key(13, 0x10002, false);

// Values set on property `id` from journal index `from` on.
std::vector<std::string> PropSets(int id, size_t from) {
    std::vector<std::string> values;
    for (const auto& e : host::JournalSince(from)) {
        if (e.name == "tv_stream_set_property" && e.args.size() > 1 && e.args[0] == std::to_string(id)) {
            values.push_back(e.args[1]);
        }
    }
    return values;
}

class SizeControlApply : public SizeControlTest {
protected:
    int Menu(TCSizeControl& c, int size, const TSAspectRatioKey& key = kDtv) {
        return c.SetPictureSize(stream, key, static_cast<EPictureSizeType>(size), true);
    }
};

// A SetSize window refuses a menu size before the 21:9 output is switched, a
// missing agent after it. (The other refusals are shown by the scenarios.)
TEST_F(SizeControlApply, RefusalsWriteNeitherSinkNorStore) {
    struct Row { std::function<void(TCSizeControl&)> setup; bool bWideSwitch; const char* message; };
    const Row rows[] = {
        {[](TCSizeControl& c) { c.SetCurrentScreenState(TCSizeControl::SCREENSTATE_PIG_BY_SETSIZE); }, false,
         "[TCSizeControl-p:1,s:0] t_eCurrentScreenState[1], This is PIG mode By SetSize[]"},
        {[](TCSizeControl&) { host::SetAspectRatioAgentPresent(false); }, true,
         "[TCSizeControl-p:1,s:0] pData is NULL!!"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.message);
        host::Reset();
        host::SetSysInfoBool(303, true);
        TCSizeControl& ctl = Make();
        row.setup(ctl);
        EXPECT_EQ(Menu(ctl, PICTURESIZETYPE_4_3), 0);
        EXPECT_TRUE(LogHas(row.message));
        EXPECT_EQ(IndexOf("tv_stream_set_property", {"610"}), -1);
        EXPECT_EQ(IndexOf("TIAspectRatioAgent::SetPictureSizeInfo"), -1);
        EXPECT_EQ(IndexOf("avoc_set_wide_screen_mode") >= 0, row.bWideSwitch);
    }
}

// The letterbox size switches the detector on; a report already in hand is
// applied at once, by the menu and by the signal re-apply alike.
TEST_F(SizeControlApply, LetterboxSizeAppliesAReportInHand) {
    for (const bool bSignal : {false, true}) {
        SCOPED_TRACE(bSignal ? "signal" : "menu");
        host::Reset();
        host::SetAgentPictureSize(0, 2, true, PICTURESIZETYPE_21_9_AUTO);
        TCSizeControl& ctl = Make();
        ctl.Set21to9SizeInfo({true, false, false, 140, 140});
        EXPECT_EQ(bSignal ? ctl.SetPictureSize(stream, kDtv) : Menu(ctl, PICTURESIZETYPE_21_9_AUTO), 1);
        EXPECT_EQ(host::LetterboxDetector(), std::optional<bool>(true));
        EXPECT_EQ(CountCalls("tv_stream_set_property", "610"), 1);
        EXPECT_EQ(Sink(), "0,140,1920,800 0,0,1920,1080");
    }
}

// The detector's report applies on digital keys and on the external inputs
// 13-16, which also wait while the panel supports 21:9 but does not show it.
TEST_F(SizeControlApply, LetterboxReportBySource) {
    // top: the blank lines above the picture (a negative count is refused).
    struct Row { int source; bool dtv, bSupport, bOutput; int top, result; };
    const Row rows[] = {{13, false, false, false, 140, 1}, {14, false, false, false, 140, 1},
                        {15, false, false, false, 140, 1}, {16, false, false, false, 140, 1},
                        {17, false, false, false, 140, 0}, {12, false, false, false, 140, 0},
                        {15, false, true, false, 140, 0},  {15, false, true, true, 140, 1},
                        {0, true, true, false, 140, 1},    {0, true, false, false, 0, 1},
                        {0, true, false, false, -1, 0}};
    for (const Row& r : rows) {
        SCOPED_TRACE(&r - rows);
        host::Reset();
        host::SetAgentPictureSize(r.source, 2, r.dtv, PICTURESIZETYPE_21_9_AUTO);
        host::SetProp(stream, 763, r.bSupport);
        host::SetProp(stream, 764, r.bOutput);
        EXPECT_EQ(Make().Set21to9_AutoSize(stream, Key(r.source, 0x10002, r.dtv), false, false, r.top, 140), r.result);
    }
}

TEST_F(SizeControlApply, MenuSetterCallsOutsideInOrder) {
    host::SetSysInfoBool(303, true);
    EXPECT_EQ(Menu(Make(), PICTURESIZETYPE_21_9), 1);
    const std::pair<const char*, std::vector<std::string>> steps[] = {
        {"avoc_set_wide_screen_mode", {"0", "1"}}, {"TIAspectRatioAgent::SetPictureSizeInfo", {"0", "2", "1", "4"}},
        {"fb_nv_store_screen_config_res", {"0", "2"}}, {"vconf_set_int", {"db/menu/refresh_menu", "1"}},
        {"lumvideo_api_set_lbd_off", {}}, {"res_lookup_get_picture_size", {"0"}}, {"res_lookup_get_video_crop", {"0"}},
        {"tv_stream_set_property", {"610"}}, {"event", {"82", "1", "0"}},
    };
    long at = 0;
    for (const auto& step : steps) {
        const long found = IndexOf(step.first, step.second, static_cast<size_t>(at));
        ASSERT_GE(found, at) << step.first;
        at = found + 1;
    }
}

// The signal re-apply of a stored 4:3 under MLS shows the product default;
// the analysis path gets a 1x1 destination (its live-TV case and MHL are checked
// by the apply scenario). cropSize: the size given to the crop lookup.
TEST_F(SizeControlApply, SignalReapplyByExceptionAndHandle) {
    struct Row { ORBHandle handle; bool bWide, bMls; const char *cropSize, *dst; std::vector<std::string> zorder; };
    const Row rows[] = {{{1, 0}, false, true, "0", "0,0,1920,1080", {}},
                        {{1, 0}, true, true, "4", "0,0,1920,1080", {}},
                        {{401, 0}, false, false, "3", "0,0,1,1", {"6"}}};
    for (const Row& row : rows) {
        SCOPED_TRACE(&row - rows);
        host::Reset();
        TCSizeControl& ctl = Make(row.handle);
        Menu(ctl, PICTURESIZETYPE_4_3);
        host::SetSysInfoBool(303, row.bWide);
        host::SetVconfInt("memory/mls/state", row.bMls);
        const size_t mark = host::JournalSize();
        EXPECT_EQ(ctl.SetPictureSize(stream, kDtv), 1);
        const auto crops = Calls("res_lookup_get_video_crop");
        ASSERT_FALSE(crops.empty());
        EXPECT_EQ(crops.back().args.at(6), row.cropSize);
        EXPECT_EQ(SinkDst(), row.dst);
        EXPECT_EQ(PropSets(604, mark), row.zorder);
    }
}

TEST_F(SizeControlApply, PanoramaFollowsSizeStateAndModel) {
    // sets: values of property 615 during the signal re-apply.
    struct Row { const char* name; ORBHandle handle; bool bWideModel; int state, size; std::vector<std::string> sets; };
    const Row rows[] = {{"full 21:9", {1, 0}, true, 0, 4, {"1"}}, {"full 16:9", {1, 0}, true, 0, 0, {"0"}},
                        {"window", {1, 0}, true, 1, 4, {"0"}}, {"window p101", {101, 0}, true, 1, 4, {}},
                        {"not wide", {1, 0}, false, 0, 4, {}}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        host::Reset();
        host::SetSysInfoBool(303, row.bWideModel);
        TCSizeControl& ctl = Make(row.handle);
        ctl.SetCurrentScreenState(TCSizeControl::SCREENSTATE_FULLSIZE);
        Menu(ctl, row.size);
        ctl.SetCurrentScreenState(TCSizeControl::EScreenStateType(row.state));
        const size_t mark = host::JournalSize();
        ctl.SetPictureSize(stream, kDtv);
        EXPECT_EQ(PropSets(615, mark), row.sets);
        // Applying panorama never stores the option.
        EXPECT_EQ(IndexOf("TIAspectRatioAgent::SetPictureSizeDetailInfo", {}, mark), -1);
    }
}

TEST_F(SizeControlApply, ScreenFitAutoDecision) {
    // avi, spd: info-frame bytes, -1 left unset (reads 0xFF). The scenario shows
    // AVI 2 alone, neither byte, and 1080p at 24 Hz.
    struct Row { int avi, spd; std::function<void()> setup; int result; };
    const auto none = [] {};
    const Row rows[] = {
        {0, 0, [] { host::SetAvocPictureMode(0x10002); }, 1}, {0, 0, [] { host::SetAvocHdrPlus(1); }, 1},
        {0, 0, [] { host::SetAvocPictureMode(0x10002); host::FailAvocPictureMode(); }, 0},
        {0, 9, none, 1}, {0, 0, none, 0}, {0, 5, none, 0}, {3, 10, none, 1}, {1, 2, none, 0}, {-1, 0, none, 0},
        {0, 8, none, 1}, {0, 2, none, 1}, {0, 10, none, 1}, {1, 10, none, 1}, {3, 9, none, 0}, {2, 7, none, 1},
        {0, 0, [] { host::SetAvocHdrPlus(1); host::FailAvocHdrPlus(); }, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE("avi " + std::to_string(row.avi) + " spd " + std::to_string(row.spd));
        host::Reset();
        if (row.avi >= 0) host::SetProp(stream, 757, row.avi);
        if (row.spd >= 0) host::SetProp(stream, 758, row.spd);
        row.setup();
        Make().SetScreenFitOption(stream, kHdmi, SCREENFITOPTION_AUTO, false);
        std::string line;
        for (const auto& l : host::LogLines()) {
            if (l.text.find("result of ScreenFit Auto[") != std::string::npos) line = l.text;
        }
        ASSERT_GE(line.size(), 3u);
        EXPECT_EQ(line.substr(line.size() - 3), "[" + std::to_string(row.result) + "]") << line;
    }
}

TEST_F(SizeControlApply, ScreenFitApplyTakesTheFirstBranchThatHolds) {
    const char* const kMarkers[] = {"Custom, SetZoomPosition by last_memory",
                                    "m_IsNeedToAutoWideSetting() - true case",
                                    "PICTURESIZETYPE_21_9_AUTO case, apply to 21:9 letterbox size"};
    // branch: index into kMarkers, 3 for the plain lookup; sink: "" when not checked.
    struct Row { const char* name; std::function<void(Probe&)> setup; TSAspectRatioKey key; int branch;
                 const char* sink; };
    const Row rows[] = {
        {"screen-fit position", [this](Probe& c) { Menu(c, 2, kHdmi); c.t_customOffset = TSRectInfo(2, 0, 0, 0); },
         kHdmi, 0, "0,0,1916,1080 4,0,1916,1080"},
        {"auto wide", [](Probe&) { host::SetOption(0, 6); }, kDtv, 1, ""},
        {"21:9 letterbox", [this](Probe& c) { Menu(c, 5); c.Set21to9SizeInfo({true, false, false, 140, 140}); }, kDtv,
         2, ""},
        {"lookup", [](Probe&) {}, kDtv, 3, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        host::Reset();
        Probe ctl;
        row.setup(ctl);
        host::ClearLog();
        const size_t mark = host::JournalSize();
        EXPECT_EQ(ctl.SetScreenFitOption(stream, row.key, SCREENFITOPTION_ON, false), 1);
        for (int m = 0; m < 3; ++m) EXPECT_EQ(LogHas(kMarkers[m]), m == row.branch) << kMarkers[m];
        EXPECT_GE(IndexOf("tv_stream_set_property", {"610"}, mark), 0);
        if (*row.sink) {
            EXPECT_EQ(Sink(), row.sink);
        }
    }
}

// The panorama setter switches the player at once; only a save keeps the
// option, in the agent's record and the fast-boot record. (The other option
// setters' preview and save are checked by the menu scenario.)
TEST_F(SizeControlApply, PanoramaOptionPreviewOrSave) {
    for (bool bSave : {false, true}) {
        SCOPED_TRACE(bSave);
        host::Reset();
        host::SetAgentPictureSize(0, 2, true, PICTURESIZETYPE_16_9);
        host::SetAgentDetailOption(0, 2, PICTURESIZETYPE_16_9, Opt(false, 0, 0, false));
        EXPECT_EQ(Make().SetPanoramaOption(stream, kDtv, true, bSave), 1);
        EXPECT_EQ(host::LastSetProp(stream, 615), 1);
        EXPECT_EQ(Stored(0, 2, 0), bSave ? "0,0,0,0,0,0,0,0,1" : "0,0,0,0,0,0,0,0,0");
        EXPECT_EQ(host::FbScreen(0, 2)[6], bSave ? 1 : 0);
    }
}

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
        // Ends far past the plane without wrapping round to a small value.
        {INT_MAX, 0, 540, 960, false, false}, {0, 960, INT_MAX, 960, false, false},
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

// Resolutions and their resolution modes.
constexpr kova_resolution_e k1080 = 0x10008;  // mode 2; screen fit, zoom step and zoom position
constexpr kova_resolution_e k720 = 0x10003;   // mode 1; 720-line screen fit
constexpr kova_resolution_e kUhd = 0x40000;   // mode 3; zoom step, no screen fit
constexpr kova_resolution_e kOther = 0x20000;  // mode 0; none of the classes
int Mode(kova_resolution_e r) { return r == k1080 ? 2 : r == k720 ? 1 : r == kUhd ? 3 : 0; }

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
        // A corrupt stored step: its limits are negated without overflow.
        {true, U, k1080, {1, 1, INT_MIN, INT_MIN}, 3, -3, "1,1,-2147483648,-2147483648"},
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
    // bZoomPosition: through SetZoomPosition, else SetScreenFitPosition. The menu
    // scenario shows a size other than custom, the move limit in x, a move by
    // SetScreenFitPosition at 1080 lines, and a resolution without screen fit.
    struct Row { bool bZoomPosition; kova_resolution_e resolution; int gfxWidth, gfxHeight, x, y, result;
                 const char* sink; };
    const Row rows[] = {
        {false, k1080, 1920, 1080, -5, -5, 1, "10,0,1910,1070 0,10,1910,1070"},
        {false, k720, 1920, 1080, 5, 5, 1, "0,10,1270,710 10,0,1910,1070"},
        {false, k1080, 1280, 720, -5, 0, 1, "10,0,1910,1080 0,0,1273,720"},
        {false, k1080, 1280, 720, 5, 0, 0, "none"},
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

// A menu size other than zoom, and every signal re-apply, start the zoom
// offset again from zero.
TEST_F(SizeControlZoom, ZoomOffsetClearedOnAnotherSize) {
    struct Row { bool bSignal; int size; const char* offset; };
    const Row rows[] = {{false, 0, "0,0,0,0"}, {false, 1, "3,4,5,6"}, {false, 6, "0,0,0,0"},
                        {true, 0, "0,0,0,0"},  {true, 1, "0,0,0,0"}};
    for (const Row& r : rows) {
        SCOPED_TRACE(&r - rows);
        host::Reset();
        host::SetAgentPictureSize(0, 2, true, r.size);
        Probe ctl;
        ctl.t_zoomOffset = TSRectInfo(3, 4, 5, 6);
        r.bSignal ? ctl.SetPictureSize(stream, kDtv)
                  : ctl.SetPictureSize(stream, kDtv, static_cast<EPictureSizeType>(r.size), false);
        EXPECT_EQ(Rect(ctl.t_zoomOffset), r.offset);
    }
}

// The agent is reset, the default size stored with a fresh record in the
// agent and the fast-boot store, then applied, in that order. (What is
// stored is shown by the menu scenario.)
TEST_F(SizeControlZoom, ResetPictureSize) {
    const TSAspectRatioKey key = Key(13, k1080, false);
    Choose(key, PICTURESIZETYPE_ZOOM);
    host::SetAspectRatioDefaultPictureSize(PICTURESIZETYPE_CUSTOM);
    host::ClearJournal();
    Probe ctl;
    EXPECT_EQ(ctl.ResetPictureSize(stream, key), 1);
    const long order[] = {IndexOf("TIAspectRatioAgent::Reset"), IndexOf("TIAspectRatioAgent::SetPictureSizeInfo"),
                          IndexOf("TIAspectRatioAgent::SetPictureSizeDetailInfo"),
                          IndexOf("fb_nv_store_screen_config_res"), IndexOf("res_lookup_get_picture_size", {"33"}),
                          IndexOf("tv_stream_set_property", {"610"})};
    EXPECT_GE(order[0], 0);
    EXPECT_TRUE(std::is_sorted(std::begin(order), std::end(order)));
}

}  // namespace

// With a null stream no operation reaches the player: each player step logs
// that it skipped its property and the operation goes on with the read's
// preset. skipped: "function property" of each skip line, in order.
TEST_F(SizeControlApply, NullStreamNeverReachesThePlayer) {
    using Op = std::function<int(TCSizeControl&)>;
    struct Row { const char* name; ORBHandle handle; std::function<void()> setup; Op op; int result;
                 std::vector<std::string> skipped; };
    const auto autoWide = [] { host::SetOption(0, 6); };
    const auto stored = [](int size) { return [size] { host::SetAgentPictureSize(0, 2, true, size); }; };
    const TSAspectRatioKey analog = Key(0, 0x10002, false);
    const TSAspectRatioKey hdmiFit = Key(13, 0x10001, false);
    const Row rows[] = {
        {"menu hands over to AFD", {1, 0}, autoWide,
         [&](TCSizeControl& c) { return c.SetPictureSize(nullptr, kDtv, PICTURESIZETYPE_16_9, true); }, 0,
         {"m_SettingToAutoWideSize 505"}},
        {"menu hands over to WSS", {1, 0}, autoWide,
         [&](TCSizeControl& c) { return c.SetPictureSize(nullptr, analog, PICTURESIZETYPE_16_9, true); }, 0,
         {"m_SettingToAutoWideSize 47"}},
        {"signal re-apply on the analysis path", {401, 0}, stored(PICTURESIZETYPE_4_3),
         [&](TCSizeControl& c) { return c.SetPictureSize(nullptr, kDtv); }, 0, {"SetPictureSize 604"}},
        {"AFD on the analysis path", {401, 0}, [] {},
         [&](TCSizeControl& c) { return c.ChangeVideoSizeByAFD(nullptr, kDtv, 10, -1); }, 0,
         {"m_ApplySignalSize 604"}},
        {"auto wide option on", {1, 0}, [] {},
         [&](TCSizeControl& c) { return c.SetAutoWideOption(nullptr, analog, true, true); }, 0,
         {"m_ApplyCurrentSignal 47"}},
        {"screen mode preview", {1, 0}, autoWide,
         [&](TCSizeControl& c) { return c.SetScreenMode(nullptr, kDtv, SCREENMODE_4_3, false); }, 0,
         {"m_ApplyCurrentSignal 505"}},
        {"21:9 letterbox", {1, 0}, stored(PICTURESIZETYPE_21_9_AUTO),
         [&](TCSizeControl& c) { return c.Set21to9_AutoSize(nullptr, kDtv, false, false, 140, 140); }, 0,
         {"Set21to9_AutoSize 763", "Set21to9_AutoSize 764"}},
        {"panorama option", {1, 0}, [] {},
         [&](TCSizeControl& c) { return c.SetPanoramaOption(nullptr, kDtv, true, true); }, 1,
         {"SetPanoramaOption 615"}},
        {"screen fit auto on an HDMI input", {1, 0}, [] {},
         [&](TCSizeControl& c) { return c.SetScreenFitOption(nullptr, hdmiFit, SCREENFITOPTION_AUTO, false); }, 0,
         {"m_CheckScreenFitAutowork 757", "m_CheckScreenFitAutowork 758", "m_UpdatePCMode 760",
          "m_CheckScreenFitAutowork 757", "m_CheckScreenFitAutowork 758"}},
        {"application crop", {1, 0}, [] {},
         [](TCSizeControl& c) { return c.SetCropVideo(nullptr, TSRectInfo(0, 0, 960, 540), TSRectInfo(0, 0, 960, 540)); },
         0, {"SetCropVideo 615"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        host::Reset();
        row.setup();
        TCSizeControl& ctl = Make(row.handle);
        EXPECT_EQ(row.op(ctl), row.result);
        std::vector<std::string> skipped;
        for (const auto& line : host::LogLines()) {
            const size_t at = line.text.find("streamId is NULL!! ");
            if (at == std::string::npos || line.text.find("() skips property ") == std::string::npos) continue;
            EXPECT_EQ(line.level, 1);
            EXPECT_EQ(line.text.substr(0, at), "[ORB_PICTURE][TCSizeControl-p:" + std::to_string(row.handle.p) +
                                                   ",s:0] ");
            const std::string rest = line.text.substr(at + 19);  // "FUNC() skips property N"
            skipped.push_back(rest.substr(0, rest.find("()")) + " " + rest.substr(rest.rfind(' ') + 1));
            EXPECT_EQ(line.function, rest.substr(0, rest.find("()")));
        }
        EXPECT_EQ(skipped, row.skipped);
        for (const auto& e : host::Journal()) EXPECT_NE(e.name.rfind("tv_stream_", 0), 0u) << e.name;
    }
}

// The applications that placed the picture are remembered for the menu's
// refusal messages until the picture goes back to full size.
TEST_F(SizeControlWindow, CallerNamesLastUntilFullSize) {
    struct Row { const char* name; std::function<void(TCSizeControl&)> back; const char* caller; };
    const Row rows[] = {
        {"still placed", [](TCSizeControl&) {}, "app"},
        {"SetDefaultSizeInfo", [](TCSizeControl& c) { c.SetDefaultSizeInfo(); }, ""},
        {"SetDefaultSize", [this](TCSizeControl& c) { c.SetDefaultSize(stream, kDtv); }, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        host::Reset();
        host::SetCallerName("app");
        TCSizeControl& ctl = Make();
        ASSERT_EQ(ctl.SetSize(stream, kDtv, 0, 0, 540, 960), 1);
        ctl.SetCropVideo(stream, TSRectInfo(0, 0, 960, 540), TSRectInfo(0, 0, 960, 540));
        host::SetCallerName("other");
        row.back(ctl);
        ctl.SetCurrentScreenState(TCSizeControl::SCREENSTATE_PIG_BY_SETSIZE);
        EXPECT_EQ(ctl.SetPictureSize(stream, kDtv, PICTURESIZETYPE_4_3, false), 0);
        EXPECT_TRUE(LogHas(std::string("This is PIG mode By SetSize[") + row.caller + "]"));
        ctl.SetCurrentScreenState(TCSizeControl::SCREENSTATE_PIG_BY_CROPVIDEO);
        EXPECT_EQ(ctl.SetPictureSize(stream, kDtv, PICTURESIZETYPE_4_3, false), 1);
        EXPECT_TRUE(LogHas(std::string("This is PIG mode By SetCropVideo[") + row.caller + "]"));
    }
}
