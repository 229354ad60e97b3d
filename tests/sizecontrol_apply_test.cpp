// Picture-size application: refusals, the order of the outside calls, the
// letterbox detector, the signal re-apply, the auto-wide hand-over, the 21:9
// crop, panorama and screen fit.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "sizecontrol_support.h"

namespace {

using namespace sizecontrol_test;

// Exposes the offsets that the apply paths change.
class Probe : public TCSizeControl {
public:
    using TCSizeControl::TCSizeControl;
    TSRectInfo& Zoom() { return t_zoomOffset; }
    TSRectInfo& Custom() { return t_customOffset; }
};

const TSAspectRatioKey kDtv = Key(0, 0x10002, true);
const TSAspectRatioKey kHdmi = Key(13, 0x10002, false);

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

TEST_F(SizeControlApply, CropVideoWindowOnlyStoresTheSize) {
    TCSizeControl& ctl = Make();
    ctl.SetCurrentScreenState(TCSizeControl::SCREENSTATE_PIG_BY_CROPVIDEO);
    EXPECT_EQ(Menu(ctl, PICTURESIZETYPE_4_3), 1);
    EXPECT_EQ(host::AgentPictureSize(0, 2, true), 3);
    EXPECT_FALSE(host::SinkRects(stream).has_value());
    EXPECT_FALSE(host::LetterboxDetector().has_value());
}

TEST_F(SizeControlApply, LetterboxDetectorAndOffsetsFollowTheSize) {
    // bSignal: stored by the menu, then re-applied from the signal; top: the
    // 21:9 record afterwards; zoomH: the zoom offset afterwards.
    struct Row { int size; bool bSignal, bDetector; int top, zoomH; };
    const Row rows[] = {{0, false, false, 0, 0}, {1, false, false, 0, 5}, {2, false, false, 0, 0},
                        {3, false, false, 0, 0}, {4, false, false, 0, 0}, {5, false, true, 7, 0},
                        {6, false, false, 0, 0}, {1, true, false, 0, 0}};
    for (const Row& row : rows) {
        SCOPED_TRACE(std::to_string(row.size) + (row.bSignal ? " signal" : " menu"));
        host::Reset();
        Probe ctl(ORBHandle(1, 0));
        if (row.bSignal) Menu(ctl, row.size);
        ctl.Set21to9SizeInfo(TS21to9SizeInfo{false, true, true, 7, 0});
        ctl.Zoom() = TSRectInfo(0, 3, 0, 5);
        row.bSignal ? ctl.SetPictureSize(stream, kDtv) : Menu(ctl, row.size);
        EXPECT_EQ(host::LetterboxDetector(), row.bDetector);
        TS21to9SizeInfo info;
        ctl.Get21to9SizeInfo(info);
        EXPECT_EQ(info.TopBlankLine, row.top);
        EXPECT_EQ(ctl.Zoom().height, row.zoomH);
    }
}

TEST_F(SizeControlApply, SignalReapplyByExceptionAndHandle) {
    // cropSize: picture size given to the crop lookup; dst: "" when not checked.
    struct Row { const char* name; ORBHandle handle; TSAspectRatioKey key; std::function<void()> setup; bool bLiveTv;
                 const char *cropSize, *dst; std::vector<std::string> zorder; };
    const auto mls = [] { host::SetVconfInt("memory/mls/state", 1); };
    const Row rows[] = {
        {"MLS", {1, 0}, kDtv, mls, false, "0", "", {}},
        {"MLS 21:9 panel", {1, 0}, kDtv, [&] { mls(); host::SetSysInfoBool(303, true); }, false, "4", "", {}},
        {"MHL", {1, 0}, kHdmi, [this] { host::SetProp(stream, 759, 1); }, false, "0", "", {}},
        {"analysis", {401, 0}, kDtv, [] {}, false, "3", "0,0,1,1", {"6"}},
        {"analysis live TV", {401, 0}, kDtv, [] {}, true, "3", "", {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        host::Reset();
        TCSizeControl& ctl = Make(row.handle);
        Menu(ctl, PICTURESIZETYPE_4_3, row.key);
        ctl.SetLiveTvShowState(row.bLiveTv);
        row.setup();
        const size_t mark = host::JournalSize();
        EXPECT_EQ(ctl.SetPictureSize(stream, row.key), 1);
        const auto crops = Calls("res_lookup_get_video_crop");
        ASSERT_FALSE(crops.empty());
        EXPECT_EQ(crops.back().args.at(6), row.cropSize);
        if (*row.dst) {
            EXPECT_EQ(Sink().substr(Sink().find(' ') + 1), row.dst);
        }
        EXPECT_EQ(PropSets(604, mark), row.zorder);
    }
}

TEST_F(SizeControlApply, AutoWideHandsOverToTheSignal) {
    struct Row { TSAspectRatioKey key; std::string property; bool bHandedOver; };
    const Row rows[] = {{kDtv, "505", true}, {Key(0, 0x10002, false), "47", true}, {Key(29, 0x10002, false), "", false},
                        {Key(29, 0x10002, true), "505", true}, {kHdmi, "", false}};
    for (const Row& row : rows) {
        SCOPED_TRACE(std::to_string(row.key.source) + (row.key.dtv ? " dtv" : " atv"));
        host::Reset();
        host::SetOption(0, 6);  // a region with automatic wide on by default
        EXPECT_EQ(Menu(Make(), PICTURESIZETYPE_16_9, row.key), 1);
        EXPECT_EQ(IndexOf("tv_stream_get_property", {"505"}) >= 0, row.property == "505");
        EXPECT_EQ(IndexOf("tv_stream_get_property", {"47"}) >= 0, row.property == "47");
        EXPECT_EQ(IndexOf("lumvideo_api_set_lbd_off") < 0, row.bHandedOver);
    }
}

TEST_F(SizeControlApply, LetterboxCropFollowsLogoCaptionAndOutput) {
    struct Row { bool bLogo, bCaption, bOutput; const char* src; };
    const Row rows[] = {{false, false, false, "0,140,1920,800"}, {true, false, false, "0,0,1920,940"},
                        {true, true, true, "0,140,1920,800"}, {true, true, false, "0,0,1920,1080"}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.src);
        host::Reset();
        host::SetLookupPictureSize(0, KOVARect_t{0, 0, 1920, 1080});
        host::SetLookupCrop(0, KOVARect_t{0, 0, 1920, 1080});
        host::SetProp(stream, 763, 1);
        host::SetProp(stream, 764, row.bOutput);
        TCSizeControl& ctl = Make();
        Menu(ctl, PICTURESIZETYPE_21_9_AUTO);
        EXPECT_EQ(ctl.Set21to9_AutoSize(stream, kDtv, row.bLogo, row.bCaption, 140, 140), 1);
        EXPECT_EQ(Sink(), std::string(row.src) + " 0,0,1920,1080");
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
        {"screen-fit position", [this](Probe& c) { Menu(c, 2, kHdmi); c.Custom() = TSRectInfo(2, 0, 0, 0); }, kHdmi, 0,
         "0,0,1916,1080 4,0,1916,1080"},
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

TEST_F(SizeControlApply, ScreenFitPreviewRestoresTheStoredValue) {
    // state: screen state of the call; stored: the agent's screen fit after it;
    // bFastBoot: a fast-boot record written after the apply; applied: the
    // screen fit the crop lookup saw, "" for no lookup.
    struct Row { const char* name; int state; bool bSave; int stored; bool bFastBoot; const char* applied; };
    const Row rows[] = {{"save", 0, true, 1, true, "1"}, {"preview", 0, false, 0, false, "1"},
                        {"save in window", 2, true, 1, false, ""}, {"preview in window", 2, false, 0, false, ""}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        host::Reset();
        TCSizeControl& ctl = Make();
        Menu(ctl, PICTURESIZETYPE_16_9, kHdmi);  // a stored size: reading it writes no fast-boot record
        ctl.SetScreenFitOption(stream, kHdmi, SCREENFITOPTION_OFF, true);
        ctl.SetCurrentScreenState(TCSizeControl::EScreenStateType(row.state));
        const size_t mark = host::JournalSize();
        EXPECT_EQ(ctl.SetScreenFitOption(stream, kHdmi, SCREENFITOPTION_ON, row.bSave), 1);
        const auto stored = host::AgentDetailOption(13, 2, 0);
        ASSERT_TRUE(stored.has_value());
        EXPECT_EQ(stored->screenFit, row.stored);
        std::string applied;
        bool bFastBoot = false;
        for (const auto& e : host::JournalSince(mark)) {
            if (e.name == "res_lookup_get_video_crop") applied = e.args.at(9);
            if (e.name == "tv_stream_set_property" || e.name == "fb_nv_store_screen_config_res") {
                bFastBoot = e.name == "fb_nv_store_screen_config_res";
            }
        }
        EXPECT_EQ(applied, row.applied);
        EXPECT_EQ(bFastBoot, row.bFastBoot);
        if (row.bFastBoot) {
            EXPECT_EQ(host::FbScreen(2, 2)[4], 1);
        }
    }
}

}  // namespace
