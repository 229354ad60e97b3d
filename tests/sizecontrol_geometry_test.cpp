// Geometry lookup, automatic wide by AFD and WSS, and the video sink.
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

#include "sizecontrol_support.h"

using namespace sizecontrol_test;

namespace {

constexpr kova_resolution_e kSd = 0x10001;  // resolution mode 2
constexpr int kNone = -100;

std::string Rect(const TSRectInfo& r) { return host::FormatRect(r.x, r.y, r.width, r.height); }

void StoreMenuSize(bool dtv, int size) {
    TCAgentMgr::Instance<TIAspectRatioAgent>()->SetPictureSizeInfo(0, 2, dtv, size);
}

void WideScreenModel(bool on) {
    host::SetSysInfoBool(303, on);
    host::SetSysInfoInt(254, 1);
}

int CountEvents(int event) {
    int n = 0;
    for (const auto& e : host::Events()) n += e.event == event;
    return n;
}

// Exposes the lookup on a graphics plane of a chosen size.
class GfxPlane : public TCSizeControl {
public:
    GfxPlane(int width, int height) : TCSizeControl(ORBHandle(1, 0)) {
        t_BaseGfxRect = TSRectInfo(0, 0, width, height);
    }
    using TCSizeControl::t_GetRectSizeByLookupTable;
};

// The fast-boot hand-over happens once per process: each case runs in a
// fresh copy of this binary. `body` returns what went wrong, empty if nothing.
void ExpectInFreshProcess(const std::function<std::string()>& body) {
    const std::string style = GTEST_FLAG_GET(death_test_style);
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            const std::string failure = body();
            std::fprintf(stderr, "%s\n", failure.c_str());
            std::_Exit(failure.empty() ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
    GTEST_FLAG_SET(death_test_style, style);
}

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
        TCSizeControl& ctl = Make();
        EXPECT_EQ(ctl.ChangeVideoSizeByAFD(stream, Key(0, kSd, true, 720, 576, r.aspect), r.afd, SCREENMODE_4_3), 1);
        char text[80];
        std::snprintf(text, sizeof text, "PictureSize[%d] ,afd_value[%x] ,afd_size[%d]", r.size, r.afd, r.action);
        EXPECT_TRUE(LogHas(text)) << text;
        // The crop lookup gets the AFD-cropped input and a full-panel destination.
        const auto crop = Calls("res_lookup_get_video_crop");
        ASSERT_EQ(crop.size(), 1u);
        EXPECT_EQ(crop[0].args[3], scale[r.entry]);
        EXPECT_EQ(crop[0].args[4], "0,0,1920,1080");
    }
}

TEST_F(SizeControlGeometry, SignalDecisionsOutsideTheAfdTable) {
    // preview -1 reads the stored screen mode, which is set to zoom here.
    struct Row { bool wss; int code; unsigned aspect; int preview; bool wide; int menu, size; };
    const Row rows[] = {
        {true, -1, 2, 3, false, 0, 8}, {true, 0, 2, 3, false, 0, 8},  {true, 1, 2, 3, false, 0, 10},
        {true, 2, 2, 3, false, 0, 11}, {true, 3, 2, 3, false, 0, 8},  {true, 4, 2, 3, false, 0, 11},
        {true, 5, 2, 3, false, 0, 8},  {true, 6, 2, 3, false, 0, 8},  {true, 7, 2, 3, false, 0, 9},
        {true, 8, 2, 3, false, 0, 8},  {true, 9, 2, 3, false, 0, 8},  {true, 10, 2, 3, false, 0, 8},
        {true, 11, 2, 3, false, 0, 10}, {true, 12, 2, 3, false, 0, 8}, {true, 13, 2, 3, false, 0, 12},
        {true, 14, 2, 3, false, 0, 9}, {true, 15, 2, 3, false, 0, 8}, {true, 16, 2, 3, false, 0, 8},
        {true, 7, 2, 3, true, 4, 4},   {true, 14, 2, 3, true, 4, 4},  {true, 7, 2, 3, true, 0, 9},
        {true, 7, 2, 3, false, 4, 9},  {true, 8, 2, 2, false, 0, 1},  {true, 8, 2, 4, false, 0, 4},
        {true, 8, 2, 0, false, 0, 9},  {true, 8, 2, 1, false, 0, 9},  {true, 8, 2, -1, false, 0, 1},
        {false, 8, 3, 3, true, 4, 4},  {false, 8, 3, 3, false, 4, 9}, {false, 16, 3, 3, false, 0, 8},
        {false, 255, 3, 3, false, 0, 8}, {false, 2, 1, 3, false, 0, 8}, {false, 9, 2, 2, false, 0, 1},
        {false, 9, 2, -1, false, 0, 1},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(std::string(r.wss ? "wss " : "afd ") + std::to_string(r.code) + " preview " +
                     std::to_string(r.preview));
        host::Reset();
        WideScreenModel(r.wide);
        StoreMenuSize(!r.wss, r.menu);
        TSPictureSizeOption zoom;
        zoom.screenMode = SCREENMODE_ZOOM;
        TCAgentMgr::Instance<TIAspectRatioAgent>()->SetPictureSizeDetailInfo(0, 2, r.menu, zoom);
        TCSizeControl& ctl = Make();
        const TSAspectRatioKey key = Key(0, kSd, !r.wss, 720, 576, r.aspect);
        char text[48];
        if (r.wss) {
            ctl.ChangeVideoSizeByWSS(stream, key, r.code, r.preview);
            std::snprintf(text, sizeof text, "PictureSize[%d] , WSS_data=[%d]", r.size, r.code);
        } else {
            ctl.ChangeVideoSizeByAFD(stream, key, static_cast<unsigned char>(r.code), r.preview);
            std::snprintf(text, sizeof text, "PictureSize[%d] ,afd_value[%x]", r.size, r.code);
        }
        EXPECT_TRUE(LogHas(text)) << text;
    }
}

TEST_F(SizeControlGeometry, DestinationScalingAndValidation) {
    const KOVARect_t none{0, 0, 0, 0};
    // dest, crop: lookup overrides for code 0 (width 0: none).
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
        {1920, 1080, true, 0, 6, kSd, none, none, 1, "137,0,1645,1080", nullptr},
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
        SCOPED_TRACE(std::to_string(r.gfxW) + "x" + std::to_string(r.gfxH) + (r.wide ? " wide" : "") + " size " +
                     std::to_string(r.size) + " dst " + r.dst);
        host::Reset();
        WideScreenModel(r.wide);
        StoreMenuSize(false, r.menu);
        if (r.dest.width != 0) host::SetLookupPictureSize(0, r.dest);
        if (r.crop.width != 0) host::SetLookupCrop(0, r.crop);
        GfxPlane ctl(r.gfxW, r.gfxH);
        TSRectInfo src, dst;
        EXPECT_EQ(ctl.t_GetRectSizeByLookupTable(stream, static_cast<EPictureSizeType>(r.size),
                                                 Key(0, r.resolution, false), src, dst, 255),
                  r.result);
        EXPECT_EQ(Rect(dst), r.dst);
        EXPECT_TRUE(r.log == nullptr || LogHas(r.log));
    }
}

TEST_F(SizeControlGeometry, AfdApplyFollowsScreenState) {
    // First a WSS zoom write (src 0,0,720,576, dst 0,0,1920,1080), then an
    // AFD write that looks up size 8 (240,0,1440,1080) on a 1920x1080 input.
    // code: the geometry code looked up ("" for none).
    struct Row { int p; TCSizeControl::EScreenStateType state; bool liveTv; const char *code, *sink, *afdRect; };
    const Row rows[] = {
        {1, TCSizeControl::SCREENSTATE_FULLSIZE, false, "1", "0,0,1920,1080 240,0,1440,1080", "240,0,1440,1080"},
        {1, TCSizeControl::SCREENSTATE_PIG_BY_SETSIZE, false, "0", "0,0,1920,1080 0,0,1920,1080", "0,0,1920,1080"},
        {1, TCSizeControl::SCREENSTATE_PIG_BY_CROPVIDEO, false, "", "0,0,720,576 0,0,1920,1080", "0,0,1920,1080"},
        {401, TCSizeControl::SCREENSTATE_FULLSIZE, false, "1", "0,0,1920,1080 0,0,1,1", "240,0,1440,1080"},
        {401, TCSizeControl::SCREENSTATE_FULLSIZE, true, "1", "0,0,1920,1080 240,0,1440,1080", "240,0,1440,1080"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE("p " + std::to_string(r.p) + " state " + std::to_string(r.state));
        host::Reset();
        TCSizeControl& ctl = Make(ORBHandle(r.p, 0));
        ctl.ChangeVideoSizeByWSS(stream, Key(0, kSd, false, 720, 576, 2), 8, SCREENMODE_ZOOM);
        ctl.SetCurrentScreenState(r.state);
        ctl.SetLiveTvShowState(r.liveTv);
        const size_t from = host::JournalSize();
        EXPECT_EQ(ctl.ChangeVideoSizeByAFD(stream, Key(0, kSd, true, 1920, 1080, 2), 8, SCREENMODE_4_3), 1);

        const long lookup = IndexOf("res_lookup_get_picture_size", {}, from);
        EXPECT_EQ(lookup < 0 ? "" : host::Journal()[lookup].args[0], std::string(r.code));
        EXPECT_EQ(Sink(stream), r.sink);
        EXPECT_EQ(IndexOf("tv_stream_set_property", {"604", "6"}, from) >= 0, r.p == 401 && !r.liveTv);
        int x, y, w, h;
        ctl.GetAFDGeometryRectSize(x, y, w, h);
        EXPECT_EQ(host::FormatRect(x, y, w, h), r.afdRect);
        // The AFD event comes last, after the sink write and its event 82.
        EXPECT_EQ(CountEvents(82), 2);
        EXPECT_EQ(host::Events().back().event, 2817);
        EXPECT_EQ(host::Events().back().handle, ORBHandle(r.p, 0));
    }
}

TEST_F(SizeControlGeometry, SinkWriteByStreamType) {
    const std::string written = "0,0,720,576 240,0,1440,1080";
    const std::string initial = "0,0,3840,2160 0,0,1920,1080";
    struct Row { int type, refuse; bool eventMgr, nullStream, atsc3; int result; std::string remembered, sink; };
    const Row rows[] = {
        {0, 0, true, false, false, 1, written, written},   {9, 0, true, false, false, 1, written, written},
        {77, 0, true, false, true, 1, written, written},   {39, 0, true, false, true, 1, written, written},
        {8, 0, true, false, true, 1, written, written},    {10, 0, true, false, true, 1, written, written},
        {0, -1, true, false, false, 0, written, "none"},   {77, -1, true, false, true, 0, written, "none"},
        {0, 0, false, false, false, 0, written, written},  {0, 0, true, true, false, 0, initial, "none"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE("type " + std::to_string(r.type) + " refuse " + std::to_string(r.refuse) +
                     (r.eventMgr ? "" : " no event manager") + (r.nullStream ? " null stream" : ""));
        host::Reset();
        host::SetStreamType(stream, r.type);
        host::SetPropResult(stream, 610, r.refuse);
        host::SetAtsc3Result(stream, r.refuse);
        host::SetEventManagerPresent(r.eventMgr);
        TCSizeControl& ctl = Make();
        EXPECT_EQ(ctl.ChangeVideoSizeByWSS(r.nullStream ? nullptr : stream, Key(0, kSd, false, 720, 576, 2), 8,
                                           SCREENMODE_4_3),
                  r.result);
        EXPECT_EQ(Calls("tv_stream_atsc3_set_video_size").size(), r.atsc3 ? 1u : 0u);
        EXPECT_EQ(Calls("tv_stream_set_property", "610").size(), r.atsc3 || r.nullStream ? 0u : 1u);
        TSRectInfo src, dst;
        ctl.GetCropVideoInfo(src, dst);
        EXPECT_EQ(Rect(src) + " " + Rect(dst), r.remembered);
        EXPECT_EQ(Sink(stream), r.sink);
        EXPECT_EQ(CountEvents(82), r.eventMgr && !r.nullStream ? 1 : 0);
        EXPECT_EQ(LogHas("streamId is NULL!! m_SetCropVideo() return false!!"), r.nullStream);
    }
}

TEST_F(SizeControlGeometry, FastBootHandOverOncePerProcess) {
    // skip: SetFlagSkipFBterminate's argument (kNone: not called); status:
    // fast-video status set by the first write (kNone: not set).
    struct Row { const char* name; int skip, fbResult; host::Atsc3Agent atsc3;
                 int terminatedFirst, status, terminatedAfterSecond, statusSets; };
    const Row rows[] = {
        {"first write", kNone, 0, host::Atsc3Agent::Absent, 1, 1, 1, 1},
        {"termination failed", kNone, -1, host::Atsc3Agent::Absent, 1, 0, 1, 1},
        {"terminated elsewhere, failed", -1, 0, host::Atsc3Agent::Absent, 0, 0, 0, 1},
        {"terminated elsewhere, reported", 1, 0, host::Atsc3Agent::Absent, 0, kNone, 0, 0},
        {"terminated elsewhere, succeeded", 0, 0, host::Atsc3Agent::Absent, 0, 1, 0, 1},
        {"ATSC 3.0 fast video on", kNone, 0, host::Atsc3Agent::On, 0, kNone, 1, 1},
        {"ATSC 3.0 fast video off", kNone, 0, host::Atsc3Agent::Off, 1, 1, 1, 1},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        ExpectInFreshProcess([this, r]() {
            std::string failure;
            auto check = [&failure](bool ok, const char* what) { failure += ok ? "" : std::string(what) + "; "; };
            host::Reset();
            if (r.skip != kNone) TCSizeControl::SetFlagSkipFBterminate(r.skip);
            host::SetFbTerminateResult(r.fbResult);
            host::SetAtsc3Agent(r.atsc3);
            TCSizeControl ctl(ORBHandle(1, 0));
            const TSAspectRatioKey key = Key(0, kSd, false, 720, 576, 2);
            ctl.ChangeVideoSizeByWSS(stream, key, 8, SCREENMODE_4_3);
            check(host::FbTerminateCount() == r.terminatedFirst, "terminations after the first write");
            check(host::LastSetProp(stream, 619).value_or(kNone) == r.status, "status after the first write");
            const long sink = IndexOf("tv_stream_set_property", {"610"});
            const long event = IndexOf("event", {"82"});
            const long terminate = IndexOf("fb_terminate_server");
            const long status = IndexOf("tv_stream_set_property", {"619"});
            const long handOver = terminate >= 0 ? terminate : status;
            check(handOver < 0 || (sink >= 0 && sink < event && event < handOver), "sink, event 82, hand-over");
            check(terminate < 0 || terminate < status, "termination before its status");

            host::SetAtsc3Agent(host::Atsc3Agent::Absent);
            ctl.ChangeVideoSizeByWSS(stream, key, 8, SCREENMODE_4_3);
            check(host::FbTerminateCount() == r.terminatedAfterSecond, "terminations after the second write");
            check(static_cast<int>(Calls("tv_stream_set_property", "619").size()) == r.statusSets, "status sets");
            return failure;
        });
    }
}

}  // namespace
