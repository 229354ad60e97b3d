// Picture settings of the size controller: conversion tables, option store
// and its readers, fast-boot mirror.
#include <array>
#include <string>

#include "sizecontrol_support.h"

namespace {

using namespace sizecontrol_test;

// The conversions and record defaults that a derived class may use.
struct Probe : TCSizeControl {
    explicit Probe(ORBHandle handle = ORBHandle(1, 0)) : TCSizeControl(handle) {}
    using TCSizeControl::t_bCurrentPCMode;
    using TCSizeControl::t_ConvertResolutionToResolutionMode;
    using TCSizeControl::t_ConvertResolutionToSingleResolution;
    using TCSizeControl::t_customOffset;
    using TCSizeControl::t_GetFBSource;
    using TCSizeControl::t_GetKOVAResolutionType;
    using TCSizeControl::t_PictureSizeDetailInfoInit;
    using TCSizeControl::t_ResLookupGetRectSize;
};

// Fills a stretch of the stack with 0xA5, so that a record built there next
// shows any byte it leaves unwritten instead of a lucky zero.
__attribute__((noinline)) void DirtyStack() {
    volatile unsigned char junk[8192];
    for (auto& b : junk) b = 0xA5;
}

class SizeControlSettings : public SizeControlTest {};

TEST_F(SizeControlSettings, ResolutionModeAndSingleResolution) {
    struct Row { kova_resolution_e res; int mode; kova_resolution_e single; };
    const Row rows[] = {
        {0, 0, 0}, {1, 0, 3}, {3, 0, 3}, {0x10000, 0, 0x10000}, {0x10001, 2, 0x10001}, {0x10003, 1, 0x10003},
        {0x10005, 0, 0x10005}, {0x10006, 0, 0x10004}, {0x10007, 0, 0x10004}, {0x10008, 2, 0x10002},
        {0x10009, 2, 0x10002}, {0x1000A, 0, 0x1000A}, {0x1000D, 0, 0x1000D}, {0x1000E, 0, 0xFFFFFF}, {0x1000F, 0, 3},
        {0x20001, 0, 0x20001}, {0x20002, 0, 0x20000}, {0x20004, 0, 0x20000}, {0x20005, 0, 3}, {0x20006, 0, 0x10000},
        {0x20007, 0, 0x20007}, {0x2000A, 0, 0x2000A}, {0x2000B, 2, 0x10001}, {0x2000C, 2, 0x10002},
        {0x2000D, 2, 0x10002}, {0x2000E, 1, 0x10003}, {0x2000F, 0, 0x20008}, {0x20010, 0, 0x20007}, {0x20011, 0, 3},
        {0x30001, 1, 0x10003}, {0x30002, 2, 0x10001}, {0x30003, 2, 0x10001}, {0x30004, 0, 0x10002},
        {0x30009, 0, 0x10002}, {0x3000A, 0, 3}, {0x40000, 3, 0x40000}, {0x40006, 3, 0x40000}, {0x40007, 4, 0x40007},
        {0x4000D, 4, 0x40007}, {0x4000E, 3, 3}, {0x4000F, 0, 3}, {0x50000, 5, 0x5005D}, {0x5005C, 5, 0x5005D},
        {0x5005D, 0, 3},
    };
    Probe ctl;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.res);
        host::ClearLog();
        EXPECT_EQ(ctl.t_ConvertResolutionToResolutionMode(row.res), row.mode);
        EXPECT_EQ(ctl.t_ConvertResolutionToSingleResolution(row.res), row.single);
        // PC timings have no row of their own: logged as unmatched, then converted.
        const bool bUnmatched = (row.single == 3 && row.res != 3) || row.single == 0x5005D;
        EXPECT_EQ(LogHas("[TCSizeControl-p:1,s:0] Do Not matching the type !!"), bUnmatched);
    }
    ctl.t_bCurrentPCMode = true;  // every resolution then counts as PC
    EXPECT_EQ(ctl.t_ConvertResolutionToResolutionMode(0x40007), 5);
    EXPECT_EQ(ctl.t_ConvertResolutionToSingleResolution(0x10001), 0x5005D);
}

TEST_F(SizeControlSettings, PlatformResolutionType) {
    struct Row { kova_resolution_e res; int source; bool dtv; bool option29; int type; };
    const Row rows[] = {
        {0x10001, 0, 1, 0, 5}, {0x2000B, 0, 1, 1, 6}, {0x10002, 13, 0, 0, 7}, {0x10008, 13, 0, 1, 8},
        {0x30000, 0, 1, 0, 9}, {0x10003, 0, 1, 1, 10}, {0x10006, 0, 1, 0, 16}, {0x10005, 0, 1, 0, 14},
        {0x1000A, 0, 1, 0, 17}, {0x1000B, 0, 1, 0, 15}, {0x1000C, 0, 1, 0, 19}, {0x1000D, 0, 1, 0, 18},
        {0x20002, 0, 0, 0, 2}, {0x20010, 0, 0, 0, 13}, {0x2000F, 0, 0, 0, 11}, {0x20009, 0, 0, 0, 12},
        {0x2000A, 0, 0, 0, 20}, {0x40003, 0, 1, 0, 21}, {0x4000D, 0, 1, 0, 22}, {0x50001, 10, 0, 0, 4},
        {0, 0, 1, 0, 14}, {0, 0, 0, 0, 0}, {3, 6, 1, 0, 0}, {3, 7, 0, 0, 14}, {0x20005, 17, 0, 0, 0},
        {0x20005, 20, 0, 0, 14}, {2, 0, 1, 0, 0}, {0x20001, 13, 0, 0, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(&row - rows);
        // Option 29 picks the second type of the pairs 5/6, 7/8 and 9/10 only.
        for (const bool bFlip : {false, true}) {
            if (bFlip && row.type >= 5 && row.type <= 10) continue;
            host::SetOption(29, row.option29 != bFlip);
            KOVAResolutionType_k type = -1;
            EXPECT_EQ(Probe().t_GetKOVAResolutionType(Key(row.source, row.res, row.dtv), type), 1);
            EXPECT_EQ(type, row.type);
        }
    }
}

TEST_F(SizeControlSettings, SourceTypesAndGeometryCodes) {
    struct Row { int source; bool dtv; kova_source_e platform; int fastBoot; };
    const Row rows[] = {
        {0, true, 0x30000, 0}, {0, false, 0x20000, 1}, {29, true, 0x30000, 0}, {36, false, 0x30000, 1},
        {1, false, 0x40000, 6}, {3, false, 0x40000, 6}, {4, false, 0x30000, 6}, {7, false, 0x50000, 6},
        {9, false, 0x50000, 6}, {10, false, 0x60000, 6}, {12, false, 0x60000, 6}, {13, false, 0x80000, 2},
        {14, true, 0x80000, 3}, {15, false, 0x80000, 4}, {16, false, 0x80000, 5}, {17, false, 0x30000, 6},
        {20, false, 0x70000, 6}, {22, false, 0x70000, 6}, {23, false, 0x30000, 6}, {32, false, 0x1A0000, 6},
        {33, false, 0xA0000, 6}, {34, false, 0x220000, 6}, {35, false, 0x80000, 6}, {13, true, 0x80000, 2},
        {15, true, 0x80000, 4}, {16, true, 0x80000, 5},
    };
    Probe ctl;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.source);
        kova_source_e platform = -1;
        EXPECT_EQ(ctl.GetKOVASourceType(Key(row.source, 0x10001, row.dtv), platform), 1);
        EXPECT_EQ(platform, row.platform);
        EXPECT_EQ(ctl.t_GetFBSource(Key(row.source, 0x10001, row.dtv)), row.fastBoot);
    }
    const int codes[] = {0, 0, 2, 33, 1, 0, 0, 2, 35, 1, 0, 3, 4, 5, 32, 36, 0};  // sizes -1..15
    for (int size = -1; size <= 15; ++size) {
        SCOPED_TRACE(size);
        host::SetLookupPictureSize(codes[size + 1], KOVARect_t{size, 2, 3, 4});
        EPictureSizeType eSize = static_cast<EPictureSizeType>(size);
        KOVAPictureSizeType_k code = -1;
        KOVARect_t rect{};
        EXPECT_EQ(ctl.t_ResLookupGetRectSize(Key(0, 0x10001, true), eSize, code, rect), 1);
        EXPECT_EQ(code, codes[size + 1]);
        EXPECT_EQ(rect.x, size);  // the lookup's rectangle for that code
    }
}

// A new record: automatic wide and screen mode by region, country and source,
// screen fit by size, input and resolution, offset flag and panorama by size.
TEST_F(SizeControlSettings, NewRecordDefaults) {
    struct Row { int region, country, source; bool dtv; kova_resolution_e res; int size; const char* fields; };
    const Row rows[] = {
        {6, 7, 0, 1, 0x10001, 0, "1,3,0,0,0,0,0,0,0"},   {6, 7, 13, 0, 0x10001, 0, "0,3,2,0,0,0,0,0,0"},
        {6, 16, 0, 1, 0x10001, 0, "1,0,0,0,0,0,0,0,0"},  {9, 23, 0, 1, 0x10001, 0, "0,0,0,0,0,0,0,0,0"},
        {9, 2, 0, 1, 0x10001, 0, "1,0,0,0,0,0,0,0,0"},   {9, -1, 0, 1, 0x10001, 0, "1,0,0,0,0,0,0,0,0"},
        {8, 7, 0, 1, 0x10001, 0, "0,0,0,0,0,0,0,0,0"},   {33, 7, 5, 0, 0x10001, 4, "1,3,0,0,0,0,0,0,1"},
        {6, 7, 7, 0, 0x10001, 0, "0,3,0,0,0,0,0,0,0"},   {6, 7, 0, 1, 0x10001, 5, "0,0,0,0,0,0,0,0,1"},
        {6, 7, 0, 1, 0x10001, 2, "0,0,1,1,0,0,0,0,0"},
        {0, 0, 35, 0, 0x10009, 4, "0,0,2,0,0,0,0,0,1"},  {0, 0, 13, 0, 0x40006, 0, "0,0,1,0,0,0,0,0,0"},
        {0, 0, 13, 0, 0x40007, 0, "0,0,0,0,0,0,0,0,0"},  {0, 0, 0, 1, 0x40000, 5, "0,0,1,0,0,0,0,0,1"},
        {0, 0, 0, 0, 0x40000, 0, "0,0,0,0,0,0,0,0,0"},   {0, 0, 0, 1, 0x2000E, 0, "0,0,0,0,0,0,0,0,0"},
        {0, 0, 20, 0, 0x40000, 6, "0,0,1,0,0,0,0,0,0"},  {0, 0, 13, 0, 0x10001, 1, "0,0,0,1,0,0,0,0,0"},
        {0, 0, 32, 0, 0x4000D, 2, "0,0,1,1,0,0,0,0,0"},  {0, 0, 9, 0, 0x30002, 2, "0,0,1,1,0,0,0,0,0"},
        {0, 0, 7, 0, 0x10003, 2, "0,0,0,1,0,0,0,0,0"},   {0, 0, 7, 1, 0x10003, 2, "0,0,1,1,0,0,0,0,0"},
        {0, 0, 13, 0, 0x40000, 3, "0,0,0,0,0,0,0,0,0"},  {0, 0, 13, 0, 0x40000, 7, "0,0,0,0,0,0,0,0,0"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(&row - rows);
        host::Reset();
        host::SetOption(0, row.region);
        if (row.country >= 0) host::SetSpecTag(1, row.country);
        TSPictureSizeOption option = Opt(true, 9, 9, true, 9, 9, 9, 9);
        EXPECT_EQ(Probe().t_PictureSizeDetailInfoInit(static_cast<EPictureSizeType>(row.size),
                                                      Key(row.source, row.res, row.dtv), option),
                  1);
        EXPECT_EQ(Fields(option), row.fields);
    }
}

TEST_F(SizeControlSettings, GetPictureSizeFallsBackToTheProductDefault) {
    // stored -1: no size stored; wide: 21:9 product (default size 4).
    struct Row { int stored; bool mls; int source; bool wide; int expected; };
    const Row rows[] = {
        {1, false, 0, false, 1}, {1, true, 0, false, 0}, {1, true, 0, true, 4}, {1, false, 21, false, 0},
        {2, false, 21, true, 4}, {5, false, 21, false, 0}, {6, false, 21, false, 0}, {3, false, 21, true, 3},
        {4, false, 21, false, 4}, {-1, false, 0, true, 0}, {-1, true, 0, true, 4},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(&row - rows);
        host::Reset();
        host::SetVconfInt("memory/mls/state", row.mls);
        host::SetSysInfoBool(303, row.wide);
        const bool dtv = row.source == 0;
        if (row.stored >= 0) host::SetAgentPictureSize(row.source, 2, dtv, row.stored);
        TCSizeControl& ctl = Make();
        host::ClearJournal();
        host::ClearLog();
        EPictureSizeType size = PICTURESIZETYPE_AUTO_13;
        EXPECT_EQ(ctl.GetPictureSize(Key(row.source, 0x10001, dtv), size), 1);
        EXPECT_EQ(size, row.expected);
        EXPECT_EQ(host::AgentPictureSize(row.source, 2, dtv).value_or(-1), row.stored);
        EXPECT_EQ(Calls("fb_nv_store_screen_config_res").size(), row.stored < 0 ? 1u : 0u);
        // MLS, 3D, then PC mode; a missing size first mirrors the default, which asks for PC mode.
        EXPECT_EQ(AskedExceptionStates(), row.stored < 0 ? "2032" : "032");
    }
}

// A saving menu request mirrors the size and its stored record into the
// fast-boot store; the custom offset goes with size 2. (Only the main path
// mirrors: shown by the settings scenario.)
TEST_F(SizeControlSettings, FastBootRecordLayout) {
    struct Row { int source; bool dtv; kova_resolution_e res; int size; bool bHeld; TSPictureSizeOption option;
                 const char* written; };
    const Row rows[] = {
        {0, true, 0x10001, 2, true, Opt(true, 3, 2, true), "0,2 0201ff03020101000a00140090012c01"},
        {13, false, 0x40007, 7, true, Opt(false, 1, 3, false), "2,3 0000ff00000100000000000000000000"},
        {29, false, 0x40000, 4, true, Opt(false, 4, 1, true), "1,4 0400ff04010101000000000000000000"},
        {21, false, 0x10003, 1, true, Opt(false, 2, 0, false), "6,1 0100ff02010100000000000000000000"},  // PC
        {0, false, 0x50000, 6, true, Opt(true, 0, 2, false), "1,5 0601ff00020100000000000000000000"},
        {13, false, 0x10001, 0, false, {}, "2,2 0000ff00020100000000000000000000"},  // first initialised
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(&row - rows);
        host::Reset();
        Probe ctl;
        const int mode = ctl.t_ConvertResolutionToResolutionMode(row.res);
        if (row.bHeld) host::SetAgentDetailOption(row.source == 29 ? 0 : row.source, mode, row.size, row.option);
        ctl.t_customOffset = TSRectInfo(10, 20, 300, 400);
        DirtyStack();
        ctl.SetPictureSize(stream, Key(row.source, row.res, row.dtv), static_cast<EPictureSizeType>(row.size), true);
        const auto stores = Calls("fb_nv_store_screen_config_res");
        // The first write is the saving one; later applies may mirror again.
        EXPECT_EQ(stores.empty() ? "" : stores[0].args[0] + "," + stores[0].args[1] + " " + stores[0].args[2],
                  row.written);
    }
    // The factory records of an automatic-wide region (6) and a 4:3 country
    // (16): every source 0..5 and resolution 0..5, with the screen-fit grid,
    // and no stale padding byte.
    host::Reset();
    host::SetOption(0, 6);
    host::SetSpecTag(1, 16);
    DirtyStack();
    Probe().InitializeDataForFBStore();
    std::vector<std::string> written, expected;
    for (const auto& e : Calls("fb_nv_store_screen_config_res")) written.push_back(e.args[0] + "," + e.args[1] + " " + e.args[2]);
    for (int s = 0; s < 6; ++s) {
        for (int r = 0; r < 6; ++r) {
            const int fit = s >= 2 && (r == 1 || r == 2) ? 2 : r == 5 ? 1 : r == 4 ? (s == 1 ? 0 : 1) : 0;
            expected.push_back(std::to_string(s) + "," + std::to_string(r) + " 00" + (s <= 1 ? "01" : "00") +
                               "ff030" + std::to_string(fit) + "010000" + "0000000000000000");
        }
    }
    EXPECT_EQ(written, expected);
}

// The signal re-apply ends by checking the fast-boot record against the
// stored record field by field; only a difference is written back.
TEST_F(SizeControlSettings, VerifierRewritesOnlyOnADifference) {
    struct Row { int byte; uint8_t value; bool rewrite; };
    const Row rows[] = {{-1, 0, false}, {0, 2, true}, {1, 0, true}, {2, 0, false}, {3, 2, true}, {4, 2, true},
                        {5, 0, false}, {6, 0, true}, {6, 2, true}, {7, 9, false}, {8, 9, true}, {10, 9, true},
                        {12, 9, true}, {14, 9, true}};
    // The analog tuner: fast-boot record (1, 2), and nothing else in its re-apply mirrors a record.
    const TSAspectRatioKey analogTv = Key(0, 0x10001, false);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.byte);
        host::Reset();
        host::SetAgentPictureSize(0, 2, false, PICTURESIZETYPE_4_3);
        host::SetAgentDetailOption(0, 2, 3, Opt(true, 3, 1, true, 5, 6, 7, 8));
        std::array<uint8_t, 16> bytes = {3, 1, 0xff, 3, 1, 1, 1, 0, 5, 0, 6, 0, 7, 0, 8, 0};  // the same record
        if (row.byte >= 0) bytes[row.byte] = row.value;
        host::SetFbScreen(1, 2, bytes);
        TCSizeControl& ctl = Make();
        host::ClearJournal();
        ctl.SetPictureSize(stream, analogTv);
        const long load = IndexOf("fb_nv_load_screen_config_res", {"1", "2"});
        EXPECT_GE(load, 0);
        EXPECT_EQ(Calls("fb_nv_store_screen_config_res").size(), row.rewrite ? 1u : 0u);
        EXPECT_EQ(IndexOf("fb_nv_store_screen_config_res", {"1", "2"}) > load, row.rewrite);
    }
}

}  // namespace

// The reset walks resolution modes 0..5 (outer), sources 0..31 and picture
// sizes 0..3 (inner), and zeroes the offsets only of records that exist.
TEST_F(SizeControlSettings, ResetWalksExactlyTheDesignedKeys) {
    struct Row { int source, mode, size; bool bReset; };
    const Row rows[] = {{0, 0, 0, true},   {31, 5, 3, true},  {13, 2, 1, true},  {32, 0, 0, false},
                        {0, 6, 0, false},  {0, -1, 0, false}, {0, 0, 4, false},  {7, 3, 7, false}};
    for (const Row& r : rows) host::SetAgentDetailOption(r.source, r.mode, r.size, Opt(true, 3, 1, true, 1, 2, 3, 4));
    host::ClearJournal();
    Probe().ResetPictureSizeDetailOption(P_SIZESUB_ZOOMPOSITION);
    for (const Row& r : rows) {
        EXPECT_EQ(Stored(r.source, r.mode, r.size), r.bReset ? "1,3,1,1,0,0,0,0,1" : "1,3,1,1,1,2,3,4,1")
            << r.source << " " << r.mode << " " << r.size;
    }
    const auto reads = Calls("TIAspectRatioAgent::GetPictureSizeDetailInfo");
    ASSERT_EQ(reads.size(), 6u * 32u * 4u);
    for (size_t i : {size_t{0}, size_t{1}, size_t{4}, size_t{128}, reads.size() - 1}) {
        EXPECT_EQ(reads[i].args, (std::vector<std::string>{std::to_string(i % 128 / 4), std::to_string(i / 128),
                                                           std::to_string(i % 4)}));
    }
    EXPECT_EQ(CountCalls("TIAspectRatioAgent::SetPictureSizeDetailInfo"), 3);
}

// The option readers of the menu mirror the record they read into the
// fast-boot store; the zoom readers do not.
TEST_F(SizeControlSettings, ReadersThatMirrorTheRecord) {
    // Each returns 1; the zoom readers return nothing.
    struct Row { const char* name; std::function<int(TCSizeControl&, const TSAspectRatioKey&)> read; bool bMirror; };
    const Row rows[] = {
        {"auto wide", [](TCSizeControl& c, const TSAspectRatioKey& k) { bool b; return c.GetAutoWideOption(k, b); },
         true},
        {"screen mode",
         [](TCSizeControl& c, const TSAspectRatioKey& k) { EScreenModeData m; return c.GetScreenMode(k, m); }, true},
        {"panorama", [](TCSizeControl& c, const TSAspectRatioKey& k) { bool b; return c.GetPanoramaOption(k, b); },
         true},
        {"zoom size", [](TCSizeControl& c, const TSAspectRatioKey& k) { int w, h; c.GetZoomSize(k, w, h); return 1; },
         false},
        {"zoom position",
         [](TCSizeControl& c, const TSAspectRatioKey& k) { int x, y; c.GetZoomPosition(k, x, y); return 1; }, false},
    };
    const TSAspectRatioKey key = Key(13, 0x10001, false);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        host::Reset();
        host::SetAgentPictureSize(13, 2, false, PICTURESIZETYPE_21_9);
        host::SetAgentDetailOption(13, 2, PICTURESIZETYPE_21_9, Opt(true, 3, 1, true));
        Probe ctl;
        EXPECT_EQ(row.read(ctl, key), 1);
        const auto stores = Calls("fb_nv_store_screen_config_res");
        ASSERT_EQ(stores.size(), row.bMirror ? 1u : 0u);
        if (row.bMirror) {
            EXPECT_EQ(stores[0].args[2], "0401ff03010101000000000000000000");
        }
    }
}

// The reset's defaults by region and country (-1: the country unreadable):
// sub-menu 0 sets automatic wide, 1 the 4:3 screen mode, others store back.
TEST_F(SizeControlSettings, ResetDefaultsByRegionAndCountry) {
    struct Row { int region, country, subMenu; const char* fields; };
    const Row rows[] = {
        {6, 5, 0, "1,1,1,1,1,2,3,4,0"},  {9, 23, 0, "0,1,1,1,1,2,3,4,0"}, {9, 5, 0, "1,1,1,1,1,2,3,4,0"},
        {9, -1, 0, "1,1,1,1,1,2,3,4,0"}, {8, 5, 0, "0,1,1,1,1,2,3,4,0"},  {11, 5, 0, "1,1,1,1,1,2,3,4,0"},
        {33, 5, 0, "1,1,1,1,1,2,3,4,0"}, {6, 7, 1, "0,3,1,1,1,2,3,4,0"},  {6, 16, 1, "0,3,1,1,1,2,3,4,0"},
        {6, 8, 1, "0,0,1,1,1,2,3,4,0"},  {6, -1, 1, "0,0,1,1,1,2,3,4,0"}, {8, 7, 1, "0,0,1,1,1,2,3,4,0"},
        {6, 7, 2, "0,1,1,1,1,2,3,4,0"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(&r - rows);
        host::Reset();
        host::SetOption(0, r.region);
        if (r.country >= 0) host::SetSpecTag(1, r.country);
        host::SetAgentDetailOption(0, 0, 0, Opt(false, 1, 1, false, 1, 2, 3, 4));
        Probe().ResetPictureSizeDetailOption(static_cast<EPictureSizeSubMenuType>(r.subMenu));
        EXPECT_EQ(Stored(0, 0, 0), r.fields);
    }
}

// Without the aspect-ratio agent the menu's setters store nothing, apply
// nothing and return 0.
TEST_F(SizeControlSettings, SettersWithoutTheAgent) {
    using Setter = std::function<int(TCSizeControl&, const TSAspectRatioKey&)>;
    const Setter setters[] = {
        [this](TCSizeControl& c, const TSAspectRatioKey& k) { return c.SetAutoWideOption(stream, k, true, true); },
        [this](TCSizeControl& c, const TSAspectRatioKey& k) { return c.SetScreenMode(stream, k, SCREENMODE_4_3, true); },
        [this](TCSizeControl& c, const TSAspectRatioKey& k) { return c.SetPanoramaOption(stream, k, true, true); },
        [this](TCSizeControl& c, const TSAspectRatioKey& k) {
            return c.SetScreenFitOption(stream, k, SCREENFITOPTION_ON, true);
        },
        [this](TCSizeControl& c, const TSAspectRatioKey& k) { return c.SetZoomSize(stream, k, 2, 2); },
        [this](TCSizeControl& c, const TSAspectRatioKey& k) { return c.SetZoomPosition(stream, k, 1, 1); },
    };
    for (const Setter& set : setters) {
        SCOPED_TRACE(&set - setters);
        host::Reset();
        host::SetAspectRatioAgentPresent(false);
        Probe ctl;
        EXPECT_EQ(set(ctl, Key(13, 0x10001, false)), 0);
        EXPECT_TRUE(LogHas("[TCSizeControl-p:1,s:0] pData is NULL!!"));
        EXPECT_EQ(CountCalls("fb_nv_store_screen_config_res") + CountCalls("tv_stream_set_property"), 0);
    }
}
