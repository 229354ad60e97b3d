// Geometry lookup, automatic wide by AFD and WSS, and the video sink.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "sizecontrol_support.h"

using namespace sizecontrol_test;

namespace {

constexpr kova_resolution_e kSd = 0x10001;  // resolution mode 2
constexpr int kNone = -100;

void WideScreenModel(bool on) {
    host::SetSysInfoBool(303, on);
    host::SetSysInfoInt(254, 1);
}

// The lookup on a graphics plane of a chosen size.
struct GfxPlane : TCSizeControl {
    GfxPlane(int width, int height) : TCSizeControl(ORBHandle(1, 0)) {
        t_BaseGfxRect = TSRectInfo(0, 0, width, height);
    }
    using TCSizeControl::t_GetRectSizeByLookupTable;
};

class SizeControlGeometry : public SizeControlTest {};

TEST_F(SizeControlGeometry, AfdTableChoosesSizeAndInputCrop) {
    // Screen mode 3 is previewed, so rows the screen mode decides give size 8.
    const char* scale[] = {"0,0,720,576", "90,0,540,576", "0,72,720,432", "0,0,720,432",
                           "0,31,720,514", "0,0,720,514", "90,41,540,493"};
    struct Row { unsigned aspect; int afd, size, action, entry; };
    const Row rows[] = {
        {2, 0, 8, 17, 0},  {2, 1, 8, 17, 0},  {2, 2, 9, 0, 3},   {2, 3, 14, 22, 5}, {2, 4, 9, 0, 2},
        {2, 5, 8, 17, 0},  {2, 6, 8, 17, 0},  {2, 7, 8, 17, 0},  {2, 8, 8, 17, 0},  {2, 9, 8, 17, 0},
        {2, 10, 9, 0, 2},  {2, 11, 14, 22, 4}, {2, 12, 8, 17, 0}, {2, 13, 14, 22, 4}, {2, 14, 9, 0, 2},
        {2, 15, 9, 0, 2},  {3, 0, 9, 0, 0},   {3, 1, 9, 0, 0},   {3, 2, 9, 0, 0},   {3, 3, 9, 0, 0},
        {3, 4, 9, 0, 0},   {3, 5, 9, 0, 0},   {3, 6, 9, 0, 0},   {3, 7, 9, 0, 0},   {3, 8, 9, 0, 0},
        {3, 9, 8, 17, 1},  {3, 10, 9, 0, 0},  {3, 11, 9, 0, 0},  {3, 12, 9, 0, 0},  {3, 13, 14, 22, 6},
        {3, 14, 9, 0, 0},  {3, 15, 9, 0, 0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE("aspect " + std::to_string(r.aspect) + " afd " + std::to_string(r.afd));
        host::Reset();
        host::SetOption(0, 6);  // automatic wide on by default
        EXPECT_EQ(Make().ChangeVideoSizeByAFD(stream, Key(0, kSd, true, 720, 576, r.aspect), r.afd, SCREENMODE_4_3), 1);
        char text[80];
        std::snprintf(text, sizeof text, "PictureSize[%d] ,afd_value[%x] ,afd_size[%d]", r.size, r.afd, r.action);
        EXPECT_TRUE(LogHas(text)) << text;
        // Event 2817 follows the sink write and its event 82.
        EXPECT_EQ(CountCalls("event", "82"), 1);
        EXPECT_EQ(host::Events().back().event, 2817);
        EXPECT_TRUE(host::Events().back().hasHandle && host::Events().back().handle == ORBHandle(1, 0));
        EXPECT_EQ(host::Events().back().arg, 0);
        // The crop lookup gets the AFD-cropped input and a full-panel destination.
        const auto crop = Calls("res_lookup_get_video_crop");
        ASSERT_EQ(crop.size(), 1u);
        EXPECT_EQ(crop[0].args[3], scale[r.entry]);
        EXPECT_EQ(crop[0].args[4], "0,0,1920,1080");
        // Deciding on the crop mirrors the 16:9 record into the fast-boot store first.
        const long mirrored = IndexOf("fb_nv_store_screen_config_res", {"0", "2"});
        EXPECT_GE(mirrored, 0);
        EXPECT_LT(mirrored, IndexOf("res_lookup_get_video_crop"));
    }
}

// The WSS codes and 4:3 screen-mode mappings the signal scenario does not
// show (preview -1 reads the stored mode, zoom here), and AFD codes outside
// the table. wide: 0 no 21:9 panel (key 303 false); otherwise key 303 true
// and key 254 the value given, -1 unreadable (its preset 0); 14 is the one
// panel code that is not a wide-screen model.
TEST_F(SizeControlGeometry, SignalDecisionsOutsideTheAfdTable) {
    struct Row { bool wss; int code; unsigned aspect; int preview; int wide; int menu, size; };
    const Row rows[] = {
        {true, 0, 2, 3, false, 0, 8},  {true, 3, 2, 3, false, 0, 8},   {true, 6, 2, 3, false, 0, 8},
        {true, 9, 2, 3, false, 0, 8},  {true, 10, 2, 3, false, 0, 8},  {true, 12, 2, 3, false, 0, 8},
        {true, 16, 2, 3, false, 0, 8}, {true, 14, 2, 3, true, 4, 4},   {true, 7, 2, 3, false, 4, 9},
        {true, 8, 2, 0, false, 0, 9},  {true, 8, 2, 1, false, 0, 9},   {true, 8, 2, -1, false, 0, 1},
        {false, 8, 3, 3, true, 4, 4},  {false, 8, 3, 3, false, 4, 9},  {false, 16, 3, 3, false, 0, 8},
        {false, 9, 2, -1, false, 0, 1},  {false, 8, 3, 3, 14, 4, 9},     {false, 8, 3, 3, -1, 4, 4},
        {true, 14, 2, 3, 13, 4, 4},     {true, 14, 2, 3, 14, 4, 9},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(&r - rows);
        host::Reset();
        host::SetSysInfoBool(303, r.wide != 0);
        if (r.wide > 0) host::SetSysInfoInt(254, r.wide);
        host::SetAgentPictureSize(0, 2, !r.wss, r.menu);
        host::SetAgentDetailOption(0, 2, r.menu, Opt(false, SCREENMODE_ZOOM, 0, false));
        const TSAspectRatioKey key = Key(0, kSd, !r.wss, 720, 576, r.aspect);
        char text[48];
        if (r.wss) {
            Make().ChangeVideoSizeByWSS(stream, key, r.code, r.preview);
            std::snprintf(text, sizeof text, "PictureSize[%d] , WSS_data=[%d]", r.size, r.code);
        } else {
            Make().ChangeVideoSizeByAFD(stream, key, static_cast<unsigned char>(r.code), r.preview);
            std::snprintf(text, sizeof text, "PictureSize[%d] ,afd_value[%x]", r.size, r.code);
        }
        EXPECT_TRUE(LogHas(text)) << text;
    }
}

// Vertical and horizontal scaling into the graphics plane (with the
// wide-screen shift and the caption width), and both validations.
TEST_F(SizeControlGeometry, DestinationScalingAndValidation) {
    const KOVARect_t none{0, 0, 0, 0};  // dest, crop: lookup overrides for code 0 (none: width 0)
    struct Row { int gfxW, gfxH; bool wide; int menu, size, resolution; KOVARect_t dest, crop; int result;
                 const char *dst, *log; };
    const Row rows[] = {
        {1920, 1080, false, 0, 3, kSd, none, none, 1, "240,0,1440,1080", nullptr},
        {3840, 2160, false, 0, 3, kSd, none, none, 1, "480,0,2880,2160", nullptr},
        {2560, 1080, false, 0, 0, kSd, none, none, 1, "0,0,2560,1080", nullptr},
        {2560, 1080, true, 0, 0, kSd, none, none, 1, "320,0,1920,1080", nullptr},
        {3840, 2160, true, 0, 0, kSd, none, none, 1, "480,0,1920,2160", nullptr},
        {2560, 1080, true, 0, 3, kSd, none, none, 1, "560,0,1440,1080", nullptr},
        {2560, 1080, true, 0, 1, kSd, none, none, 1, "0,0,2560,1080", nullptr},
        {2560, 1080, true, 0, 6, kSd, none, none, 1, "183,0,2194,1080", nullptr},
        {2560, 1080, true, 0, 10, kSd, none, none, 1, "320,0,1920,1080", nullptr},
        {2560, 1080, true, 4, 10, kSd, none, none, 1, "0,0,2560,1080", nullptr},
        {1920, 1080, false, 0, 0, kSd, {100, 0, 1920, 1080}, none, 0, "100,0,1920,1080",
         "Invalid Geometry Size Size!! :  dstRect.x[100], dstRect.y[0], dstRect.width[1920], dstRect.height[1080]"},
        {1920, 1080, false, 0, 0, kSd, {0, 1, 1920, 1080}, none, 0, "0,1,1920,1080", "Invalid Geometry Size"},
        {1920, 1080, false, 0, 0, kSd, none, {0, 0, 1921, 1080}, 0, "0,0,1920,1080",
         "Invalid Crop Size!! : srcRect.x[0], srcRect.y[0], srcRect.width[1921], srcRect.height[1080]"},
        {1920, 1080, false, 0, 0, 0x10002, none, {0, 1, 1920, 1080}, 0, "0,0,1920,1080", "Invalid Crop Size"},
        {1920, 1080, false, 0, 0, 3, none, {0, 0, 1921, 1080}, 1, "0,0,1920,1080", nullptr},
        {1920, 1080, false, 0, 0, 0, none, {0, 1, 1920, 1080}, 1, "0,0,1920,1080", nullptr},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(&r - rows);
        host::Reset();
        WideScreenModel(r.wide);
        host::SetAgentPictureSize(0, 2, false, r.menu);
        if (r.dest.width != 0) host::SetLookupPictureSize(0, r.dest);
        if (r.crop.width != 0) host::SetLookupCrop(0, r.crop);
        TSRectInfo src, dst;
        EXPECT_EQ(GfxPlane(r.gfxW, r.gfxH)
                      .t_GetRectSizeByLookupTable(stream, EPictureSizeType(r.size), Key(0, r.resolution, false), src,
                                                  dst, 255),
                  r.result);
        EXPECT_EQ(Rect(dst), r.dst);
        EXPECT_TRUE(r.log == nullptr || LogHas(r.log));
    }
}

// The sink write of the geometry paths (m_SetCropVideo, here through WSS) and
// of an application window (SetSize): the call by stream type, event 82 after
// it, and the result when the sink refuses or the event manager is missing;
// the destination is remembered all the same.
TEST_F(SizeControlGeometry, SinkWriteByStreamType) {
    struct Row { bool bWindow; int type, refuse; bool eventMgr, atsc3; };
    const Row rows[] = {
        {0, 0, 0, 1, 0}, {0, 9, 0, 1, 0}, {0, 77, 0, 1, 1}, {0, 39, 0, 1, 1}, {0, 8, 0, 1, 1}, {0, 10, 0, 1, 1},
        {0, 0, -1, 1, 0}, {0, 77, -1, 1, 1}, {0, 0, 0, 0, 0}, {1, 9, 0, 1, 0}, {1, 8, 0, 1, 1}, {1, 0, -1, 1, 0},
        {1, 77, -1, 1, 1}, {1, 0, 0, 0, 0},
    };
    const TSAspectRatioKey key = Key(0, kSd, false, 720, 576, 2);
    for (const Row& r : rows) {
        SCOPED_TRACE(&r - rows);
        host::Reset();
        host::SetCallerName("browser");
        host::SetStreamType(stream, r.type);
        host::SetPropResult(stream, 610, r.refuse);
        host::SetAtsc3Result(stream, r.refuse);
        host::SetEventManagerPresent(r.eventMgr);
        TCSizeControl& ctl = Make();
        EXPECT_EQ(r.bWindow ? ctl.SetSize(stream, key, 100, 50, 540, 960)
                            : ctl.ChangeVideoSizeByWSS(stream, key, 8, SCREENMODE_4_3),
                  r.refuse == 0 && r.eventMgr);
        const long prop = IndexOf("tv_stream_set_property", {"610"}), atsc3 = IndexOf("tv_stream_atsc3_set_video_size");
        EXPECT_EQ(atsc3 >= 0, r.atsc3);
        EXPECT_EQ(prop >= 0, !r.atsc3);
        EXPECT_EQ(IndexOf("event", {"82", "1", "0"}) > std::max(prop, atsc3), r.eventMgr);
        for (const auto& event : host::Events()) EXPECT_EQ(event.arg, 0) << event.event;
        const std::string dst = r.bWindow ? "100,50,960,540" : "240,0,1440,1080";
        EXPECT_EQ(Window(ctl), dst);
        EXPECT_EQ(SinkDst(), r.refuse == 0 ? dst : "none");
        EXPECT_EQ(LogHas("called by[browser] end."), r.bWindow && r.eventMgr);
    }
}

// The hand-over from the fast-boot video server happens once per process, so
// each case runs in a fresh copy of this binary. skip: the argument of
// SetFlagSkipFBterminate (kNone: not called); status: fast-video status set
// by the first write (kNone: not set).
TEST_F(SizeControlGeometry, FastBootHandOverOncePerProcess) {
    struct Row { const char* name; int skip, fbResult; host::Atsc3Agent atsc3;
                 int terminatedFirst, status, terminatedAfterSecond, statusSets; };
    // The scenarios show the first write, a termination reported failed by the
    // service, and the wait while ATSC 3.0 fast video is on.
    const Row rows[] = {
        {"termination failed", kNone, -1, host::Atsc3Agent::Absent, 1, 0, 1, 1},
        {"terminated elsewhere, reported", 1, 0, host::Atsc3Agent::Absent, 0, kNone, 0, 0},
        {"terminated elsewhere, succeeded", 0, 0, host::Atsc3Agent::Absent, 0, 1, 0, 1},
        {"ATSC 3.0 fast video off", kNone, 0, host::Atsc3Agent::Off, 1, 1, 1, 1},
    };
    const std::string style = GTEST_FLAG_GET(death_test_style);
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        // The child reports what went wrong on stderr and exits 1.
        auto check = [](bool ok, const char* what) {
            if (!ok) {
                std::fprintf(stderr, "%s\n", what);
                std::_Exit(1);
            }
        };
        auto body = [&] {
            host::Reset();
            if (r.skip != kNone) TCSizeControl::SetFlagSkipFBterminate(r.skip);
            host::SetFbTerminateResult(r.fbResult);
            host::SetAtsc3Agent(r.atsc3);
            TCSizeControl ctl(ORBHandle(1, 0));
            ctl.ChangeVideoSizeByWSS(stream, Key(0, kSd, false, 720, 576, 2), 8, SCREENMODE_4_3);
            check(host::FbTerminateCount() == r.terminatedFirst, "terminations after the first write");
            check(host::LastSetProp(stream, 619).value_or(kNone) == r.status, "status after the first write");
            const long sink = IndexOf("tv_stream_set_property", {"610"}), event = IndexOf("event", {"82"});
            const long terminate = IndexOf("fb_terminate_server"), status = IndexOf("tv_stream_set_property", {"619"});
            const long handOver = terminate >= 0 ? terminate : status;
            check(handOver < 0 || (sink >= 0 && sink < event && event < handOver), "sink, event 82, hand-over");
            check(terminate < 0 || terminate < status, "termination before its status");
            host::SetAtsc3Agent(host::Atsc3Agent::Absent);
            ctl.ChangeVideoSizeByWSS(stream, Key(0, kSd, false, 720, 576, 2), 8, SCREENMODE_4_3);
            check(host::FbTerminateCount() == r.terminatedAfterSecond, "terminations after the second write");
            check(static_cast<int>(Calls("tv_stream_set_property", "619").size()) == r.statusSets, "status sets");
            std::_Exit(0);
        };
        EXPECT_EXIT(body(), ::testing::ExitedWithCode(0), "");
    }
    GTEST_FLAG_SET(death_test_style, style);
}

}  // namespace

namespace {

// A still picture whose key has lost its size (a zero width or height) is
// looked up with the size remembered before; any other key is its own.
TEST_F(SizeControlGeometry, StillPictureKeepsThePreviousInputSize) {
    struct Row { bool bStill; unsigned h, v; const char* input; };
    const Row rows[] = {{true, 0, 1080, "0,0,720,576"}, {true, 1920, 0, "0,0,720,576"},
                        {true, 1, 1080, "0,0,1,1080"},  {false, 0, 0, "0,0,0,0"}};
    for (const Row& r : rows) {
        SCOPED_TRACE(&r - rows);
        host::Reset();
        TCSizeControl& ctl = Make();
        ctl.SetPrevResolutionInfo(kSd, 720, 576);
        ctl.SetStillMode(r.bStill);
        ctl.SetPictureSize(stream, Key(0, 0x10002, true, r.h, r.v), PICTURESIZETYPE_16_9, false);
        const auto crop = Calls("res_lookup_get_video_crop");
        ASSERT_EQ(crop.size(), 1u);
        EXPECT_EQ(crop[0].args[3], r.input);
    }
}

// The menu's hand-over to automatic wide applies the signal with the stored
// 4:3 screen mode (zoom here), not a previewed one.
TEST_F(SizeControlGeometry, MenuHandOverUsesTheStoredScreenMode) {
    for (const bool bWss : {false, true}) {
        SCOPED_TRACE(bWss ? "WSS" : "AFD");
        host::Reset();
        host::SetOption(0, 6);
        host::SetAgentDetailOption(0, 2, 0, Opt(true, SCREENMODE_ZOOM, 0, false));
        host::SetProp(stream, bWss ? TV_PROPERTY_ANALOG_WSS : TV_PROPERTY_AFD, bWss ? 8 : 9);
        Make().SetPictureSize(stream, Key(0, kSd, !bWss, 720, 576, 2), PICTURESIZETYPE_16_9, false);
        EXPECT_TRUE(LogHas(bWss ? "PictureSize[1] , WSS_data=[8]" : "PictureSize[1] ,afd_value[9]"));
    }
}

}  // namespace
