// Picture-size application: refusals, the order of the outside calls, the
// signal re-apply, panorama, and screen fit.
#include <functional>
#include <string>
#include <vector>

#include "sizecontrol_support.h"

namespace {

using namespace sizecontrol_test;

struct Probe : TCSizeControl {
    using TCSizeControl::TCSizeControl;
    using TCSizeControl::t_customOffset;
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

TEST_F(SizeControlApply, RefusalsWriteNeitherSinkNorStore) {
    using Setup = std::function<void(TCSizeControl&)>;
    using Call = std::function<int(TCSizeControl&)>;
    const TSAspectRatioKey hdmi14 = Key(14, 0x10002, false), analog1 = Key(1, 0x10002, false);
    auto state = [](int s) {
        return Setup([=](TCSizeControl& c) { c.SetCurrentScreenState(TCSizeControl::EScreenStateType(s)); });
    };
    auto store = [this](TSAspectRatioKey k, int size) { return Setup([=](TCSizeControl& c) { Menu(c, size, k); }); };
    auto menu = [this](int size) { return Call([=](TCSizeControl& c) { return Menu(c, size); }); };
    auto lbd = [this](TSAspectRatioKey key, int top) {
        return Call([=](TCSizeControl& c) { return c.Set21to9_AutoSize(stream, key, false, false, top, 0); });
    };
    struct Row { ORBHandle handle; Setup setup; Call call; bool bWideSwitch; const char* message; };
    const Row rows[] = {
        {{1, 0}, state(0), menu(8), false, "[TCSizeControl-p:1,s:0] invalid PictureSize --> return FALSE!!"},
        {{1, 0}, state(1), menu(3), false, "t_eCurrentScreenState[1], This is PIG mode By SetSize[]"},
        {{1, 0}, [](TCSizeControl&) { host::SetVconfInt("memory/mls/state", 1); }, menu(3), true,
         "MLS case[1], Picture Size Jest displayed 16:9 --> return FALSE!!"},
        {{1, 0}, [](TCSizeControl&) { host::SetAspectRatioAgentPresent(false); }, menu(3), true, "pData is NULL!!"},
        {{101, 0}, state(0), [this](TCSizeControl& c) { return c.SetPictureSize(stream, kDtv); }, false,
         "PIP and fullscreen size.. wrong case.."},
        {{1, 0}, state(2), lbd(kDtv, 0), false, "cannot setting to 21:9 Auto, t_eCurrentScreenState[2]"},
        {{1, 0}, store(kDtv, 4), lbd(kDtv, 0), false, "Need to PICTURESIZETYPE_21_9_AUTO[4]"},
        {{1, 0}, store(analog1, 5), lbd(analog1, 0), false, "letter box detection. source[1], dtv[0]"},
        {{1, 0}, [&](TCSizeControl& c) { store(hdmi14, 5)(c); host::SetProp(stream, 763, 1); }, lbd(hdmi14, 0), false,
         "waiting to 21to9_OutPut signal, 21to9 Support[1] 21to9 Output[0]"},
        {{1, 0}, store(kDtv, 5), lbd(kDtv, -1), false, "Invalid Picture Size TopBlankLine:[-1] BottomBlankLine:[0]"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.message);
        host::Reset();
        host::SetSysInfoBool(303, true);
        TCSizeControl& ctl = Make(row.handle);
        row.setup(ctl);
        const size_t mark = host::JournalSize();
        EXPECT_EQ(row.call(ctl), 0);
        EXPECT_TRUE(LogHas(row.message));
        EXPECT_EQ(IndexOf("tv_stream_set_property", {"610"}, mark), -1);
        EXPECT_EQ(IndexOf("TIAspectRatioAgent::SetPictureSizeInfo", {}, mark), -1);
        EXPECT_EQ(IndexOf("avoc_set_wide_screen_mode", {}, mark) >= 0, row.bWideSwitch);
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
    }
}

TEST_F(SizeControlApply, ScreenFitAutoDecision) {
    // avi, spd: info-frame bytes, -1 left unset (reads 0xFF).
    struct Row { kova_resolution_e resolution; int avi, spd; std::function<void()> setup; int result; };
    const auto none = [] {};
    const Row rows[] = {
        {0x10008, -1, -1, none, 1},  // 1080p 24 Hz whatever the frames say
        {0x10002, 0, 0, [] { host::SetAvocPictureMode(0x10002); }, 1},
        {0x10002, 0, 0, [] { host::SetAvocHdrPlus(1); }, 1},
        {0x10002, 0, 0, [] { host::SetAvocPictureMode(0x10002); host::FailAvocPictureMode(); }, 0},
        {0x10002, 0, 9, none, 1}, {0x10002, 0, 0, none, 0}, {0x10002, 0, 5, none, 0}, {0x10002, 3, 10, none, 1},
        {0x10002, 1, 2, none, 0}, {0x10002, 2, -1, none, 1}, {0x10002, -1, 0, none, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE("avi " + std::to_string(row.avi) + " spd " + std::to_string(row.spd));
        host::Reset();
        if (row.avi >= 0) host::SetProp(stream, 757, row.avi);
        if (row.spd >= 0) host::SetProp(stream, 758, row.spd);
        row.setup();
        Make().SetScreenFitOption(stream, Key(13, row.resolution, false), SCREENFITOPTION_AUTO, false);
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
        Probe ctl(ORBHandle(1, 0));
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

}  // namespace
