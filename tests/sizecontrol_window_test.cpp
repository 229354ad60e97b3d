// Application windows: SetSize and SetSizeInfo validation, the sink write and
// event of SetSize, SetCropVideo, and the way back to full size.
#include "sizecontrol_support.h"
#include "vconf.h"

namespace {

using namespace sizecontrol_test;

const TSAspectRatioKey kKey = Key(13, 0x10008, false);  // resolution mode 2

std::string SinkDst() {
    const auto r = host::SinkRects(host::DefaultStream());
    return r ? host::FormatRect(r->dst_x, r->dst_y, r->dst_width, r->dst_height) : "none";
}

std::string Window(TCSizeControl& ctl) {
    int x = 0, y = 0, h = 0, w = 0;
    ctl.GetSize(x, y, h, w);
    return host::FormatRect(x, y, w, h);
}

class SizeControlWindow : public SizeControlTest {};

// Windows as x, y, height, width on the 1920 x 1080 plane; SetSize refuses the
// whole plane (with an assertion report), SetSizeInfo accepts it.
TEST_F(SizeControlWindow, Validation) {
    struct Row {
        int x, y, h, w;
        bool bSetSize, bSetSizeInfo;
    };
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

// A valid window: the sink call by stream type, event 82 after it, and the
// result when the stream, the sink or the event manager fails.
TEST_F(SizeControlWindow, SetSizeSinkAndResult) {
    struct Row {
        bool bStream, bEventManager;
        int sinkResult, streamType, result;
        const char* sinkCall;
    };
    const char* const kProp = "tv_stream_set_property";
    const char* const kAtsc3 = "tv_stream_atsc3_set_video_size";
    const Row rows[] = {
        {false, true, 0, 0, 0, nullptr}, {true, false, 0, 0, 0, kProp}, {true, true, -1, 0, 0, kProp},
        {true, true, 0, 9, 1, kProp},    {true, true, 0, 8, 1, kAtsc3}, {true, true, 0, 10, 1, kAtsc3},
        {true, true, 0, 39, 1, kAtsc3},  {true, true, -1, 77, 0, kAtsc3},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE("row " + std::to_string(&r - rows));
        host::Reset();
        host::SetCallerName("browser");
        host::SetEventManagerPresent(r.bEventManager);
        host::SetStreamType(stream, r.streamType);
        host::SetPropResult(stream, 610, r.sinkResult);
        host::SetAtsc3Result(stream, r.sinkResult);
        TCSizeControl& ctl = Make();
        EXPECT_EQ(ctl.SetSize(r.bStream ? stream : nullptr, kKey, 100, 50, 540, 960), r.result);
        const long sink = r.sinkCall == kProp ? IndexOf(kProp, {"610"}) : IndexOf(kAtsc3);
        EXPECT_EQ(IndexOf(kProp, {"610"}) >= 0, r.sinkCall == kProp);
        EXPECT_EQ(IndexOf("event", {"82", "1", "0"}) > sink && sink >= 0, r.bEventManager && r.bStream);
        EXPECT_EQ(Window(ctl), r.bStream ? "100,50,960,540" : "0,0,1920,1080");
        EXPECT_EQ(LogHas("called by[browser] end."), r.bEventManager && r.bStream);
    }
}

// The state changes even when the sink refuses; panorama goes off first.
TEST_F(SizeControlWindow, SetCropVideo) {
    for (int sinkResult : {0, -1}) {
        host::Reset();
        host::SetPropResult(stream, 610, sinkResult);
        TCSizeControl& ctl = Make();
        const TSRectInfo src(10, 20, 700, 400), dst(100, 50, 960, 540);
        EXPECT_EQ(ctl.SetCropVideo(stream, src, dst), sinkResult == 0 ? 1 : 0);
        EXPECT_EQ(ctl.GetCurrentScreenState(), TCSizeControl::SCREENSTATE_PIG_BY_CROPVIDEO);
        TSRectInfo gotSrc, gotDst;
        ctl.GetCropVideoInfo(gotSrc, gotDst);
        EXPECT_TRUE(gotSrc == src && gotDst == dst);
        const long panorama = IndexOf("tv_stream_set_property", {"615", "0"});
        EXPECT_TRUE(panorama >= 0 && panorama < IndexOf("tv_stream_set_property", {"610"}));
    }
}

// Back to full size from each state: the 4:3 menu size (16:9 under MLS) as
// GetDefaultSize reports it; the window key cleared on the main path only.
TEST_F(SizeControlWindow, SetDefaultSize) {
    struct Row {
        uint16_t s;
        int enter;  // 0 full size, 1 SetSizeInfo, 2 SetCropVideo
        bool bStream, bMls;
        const char* sinkDst;  // written by SetDefaultSize; nullptr: not written
        const char* windowKey;
    };
    const Row rows[] = {
        {0, 0, true, false, nullptr, ""},           {0, 1, true, false, "240,0,1440,1080", ""},
        {0, 2, true, false, "240,0,1440,1080", ""}, {0, 2, true, true, "0,0,1920,1080", ""},
        {20, 1, false, false, nullptr, ""},         {1, 1, true, false, "240,0,1440,1080", "app"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE("row " + std::to_string(&r - rows));
        host::Reset();
        host::SetVconfStr(VCONFKEY_ORB_WINDOW_RECT, "app");
        host::SetVconfInt(VCONFKEY_MLS_STATE, r.bMls ? 1 : 0);
        TCAgentMgr::Instance<TIAspectRatioAgent>()->SetPictureSizeInfo(13, 2, false, PICTURESIZETYPE_4_3);
        TCSizeControl& ctl = Make(ORBHandle(1, r.s));
        if (r.enter == 1) ctl.SetSizeInfo(100, 50, 540, 960);
        if (r.enter == 2) ctl.SetCropVideo(stream, TSRectInfo(0, 0, 720, 480), TSRectInfo(100, 50, 960, 540));
        const size_t from = host::JournalSize();

        ctl.SetDefaultSize(r.bStream ? stream : nullptr, kKey);
        EXPECT_EQ(ctl.GetCurrentScreenState(), TCSizeControl::SCREENSTATE_FULLSIZE);
        EXPECT_EQ(host::GetVconf(VCONFKEY_ORB_WINDOW_RECT)->strValue, r.windowKey);
        EXPECT_EQ(IndexOf("tv_stream_set_property", {"610"}, from) >= 0, r.sinkDst != nullptr);
        if (r.sinkDst != nullptr) {
            TSRectInfo src, dst;
            ctl.GetDefaultSize(stream, kKey, src, dst);
            EXPECT_EQ(SinkDst(), r.sinkDst);
            EXPECT_EQ(host::FormatRect(dst.x, dst.y, dst.width, dst.height), r.sinkDst);
        }
    }
    TSRectInfo src(1, 2, 3, 4), dst(5, 6, 7, 8);
    Make().GetDefaultSize(nullptr, kKey, src, dst);
    EXPECT_TRUE(src == TSRectInfo(1, 2, 3, 4) && dst == TSRectInfo(5, 6, 7, 8));
}

}  // namespace
