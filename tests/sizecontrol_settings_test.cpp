// Picture settings of the size controller: conversion tables, option store
// and its readers, fast-boot mirror.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "sizecontrol_support.h"

namespace {

using sizecontrol_test::Calls;
using sizecontrol_test::Key;
using sizecontrol_test::LogHas;

struct Probe : TCSizeControl {
    using TCSizeControl::TCSizeControl;
    using TCSizeControl::t_bCurrentPCMode;
    using TCSizeControl::t_ConvertResolutionToResolutionMode;
    using TCSizeControl::t_ConvertResolutionToSingleResolution;
    using TCSizeControl::t_customOffset;
    using TCSizeControl::t_GetFBSource;
    using TCSizeControl::t_GetKOVAResolutionType;
    using TCSizeControl::t_ResLookupGetRectSize;
};

// Private steps, named through explicit instantiation (which ignores access).
template <class Tag, typename Tag::type M>
struct Expose {
    friend typename Tag::type Member(Tag) { return M; }
};
#define EXPOSE(tag, member, ...)                                        \
    struct tag { using type = __VA_ARGS__; friend type Member(tag); }; \
    template struct Expose<tag, &TCSizeControl::member>
EXPOSE(DetailInfo, m_GetPictureSizeDetailInfo,
       bool (TCSizeControl::*)(EPictureSizeType, TSAspectRatioKey, TSPictureSizeOption&, bool, TVStream));
EXPOSE(StoreFB, m_StoreFBPictureSize,
       void (TCSizeControl::*)(TVStream, TSAspectRatioKey, EPictureSizeType, TSPictureSizeOption, bool));
EXPOSE(CheckFB, m_CheckSavedPictureinfoFB, void (TCSizeControl::*)(TVStream, TSAspectRatioKey, EPictureSizeType));

TSPictureSizeOption Opt(bool autoWide, int mode, int fit, bool pano, int x = 0, int y = 0, int h = 0, int w = 0) {
    return {autoWide, mode, fit, x != 0, x, y, h, w, pano};
}

// The agent's record as "autoWide,mode,fit,flag,x,y,h,w,panorama", or "none".
std::string Stored(int source, int mode, int size) {
    const auto o = host::AgentDetailOption(source, mode, size);
    if (!o) return "none";
    std::string s;
    for (int v : {int(o->bAutoWide), o->screenMode, o->screenFit, int(o->bOffset), o->offsetX, o->offsetY,
                  o->offsetHeight, o->offsetWidth, int(o->bPanoramaOption)}) {
        s += (s.empty() ? "" : ",") + std::to_string(v);
    }
    return s;
}

void Hold(int source, int mode, int size, const TSPictureSizeOption& o) {
    TCAgentMgr::Instance<TIAspectRatioAgent>()->SetPictureSizeDetailInfo(source, mode, size, o);
}

void Region(int region, int country) {
    host::SetOption(0, region);
    if (country >= 0) host::SetSpecTag(1, country);
}

// A fast-boot record as hex with the unwritten padding byte masked.
std::string Masked(std::string hex) { return hex.replace(14, 2, "__"); }

class SizeControlSettings : public sizecontrol_test::SizeControlTest {};

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
    Probe ctl(ORBHandle(1, 0));
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
        {0x20005, 20, 0, 0, 14}, {2, 0, 1, 0, 0}, {0x10000, 0, 1, 0, 0}, {0x20001, 13, 0, 0, 0}, {0x1000E, 13, 0, 0, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(&row - rows);
        host::SetOption(29, row.option29);
        KOVAResolutionType_k type = -1;
        EXPECT_EQ(Probe(ORBHandle(1, 0)).t_GetKOVAResolutionType(Key(row.source, row.res, row.dtv), type), 1);
        EXPECT_EQ(type, row.type);
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
        {33, false, 0xA0000, 6}, {34, false, 0x220000, 6}, {35, false, 0x80000, 6},
    };
    Probe ctl(ORBHandle(1, 0));
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

TEST_F(SizeControlSettings, FirstReadTakesRegionalAndScreenFitDefaults) {
    struct Row { int region, country, source; bool dtv; kova_resolution_e res; int size; const char* fields; };
    const Row rows[] = {
        {6, 7, 0, 1, 0x10001, 0, "1,3,0,0,0,0,0,0,0"},   {6, 7, 13, 0, 0x10001, 0, "0,3,2,0,0,0,0,0,0"},
        {6, 16, 0, 1, 0x10001, 0, "1,0,0,0,0,0,0,0,0"},  {9, 23, 0, 1, 0x10001, 0, "0,0,0,0,0,0,0,0,0"},
        {9, 2, 0, 1, 0x10001, 0, "1,0,0,0,0,0,0,0,0"},   {9, -1, 0, 1, 0x10001, 0, "1,0,0,0,0,0,0,0,0"},
        {8, 7, 0, 1, 0x10001, 0, "0,0,0,0,0,0,0,0,0"},   {33, 7, 5, 0, 0x10001, 4, "1,3,0,0,0,0,0,0,1"},
        {6, 7, 7, 0, 0x10001, 0, "0,3,0,0,0,0,0,0,0"},   {6, 7, 0, 1, 0x10001, 5, "0,0,0,0,0,0,0,0,1"},
        {6, 7, 0, 1, 0x10001, 2, "0,0,1,1,0,0,0,0,0"},   {4, 7, 36, 1, 0x10001, 1, "0,0,0,1,0,0,0,0,0"},
        // Screen fit by size, input and resolution.
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
        Region(row.region, row.country);
        TSPictureSizeOption option = Opt(true, 9, 9, true, 9, 9, 9, 9);
        EXPECT_TRUE((Make().*Member(DetailInfo{}))(static_cast<EPictureSizeType>(row.size),
                                                   Key(row.source, row.res, row.dtv), option, false, nullptr));
        const int mode = Probe(ORBHandle(1, 0)).t_ConvertResolutionToResolutionMode(row.res);
        EXPECT_EQ(Stored(row.source == 36 ? 0 : row.source, mode, row.size), row.fields);
        EXPECT_EQ(option.screenFit, row.fields[4] - '0');
    }
}

TEST_F(SizeControlSettings, ReadersInitialiseOnceAndShareTheStoreSource) {
    Region(6, 7);
    TCAgentMgr::Instance<TIAspectRatioAgent>()->SetPictureSizeInfo(0, 2, true, PICTURESIZETYPE_16_9);
    TCSizeControl& ctl = Make();
    bool onOff = false;
    EXPECT_EQ(ctl.GetAutoWideOption(Key(0, 0x10001, true), onOff), 1);
    EXPECT_TRUE(onOff);
    EXPECT_EQ(Calls("TIAspectRatioAgent::SetPictureSizeDetailInfo").size(), 1u);
    EXPECT_EQ(Masked(host::FormatHex(host::FbScreen(0, 2).data(), 16)), "0001ff03000100__0000000000000000");

    // Later reads return what is stored, also for the playback sources.
    Hold(0, 2, 0, Opt(false, 2, 1, true));
    host::ClearJournal();
    EScreenModeData mode = SCREENMODE_16_9;
    EXPECT_EQ(ctl.GetAutoWideOption(Key(29, 0x10001, true), onOff), 1);
    EXPECT_FALSE(onOff);
    EXPECT_EQ(ctl.GetScreenMode(Key(36, 0x10001, true), mode), 1);
    EXPECT_EQ(mode, SCREENMODE_ZOOM);
    EXPECT_EQ(ctl.GetPanoramaOption(Key(0, 0x10001, true), onOff), 1);
    EXPECT_TRUE(onOff);
    EXPECT_TRUE(Calls("TIAspectRatioAgent::SetPictureSizeDetailInfo").empty());
    EXPECT_EQ(Calls("TIAspectRatioAgent::GetPictureSizeDetailInfo", "0").size(), 3u);
}

TEST_F(SizeControlSettings, ResetChangesOneOptionOfSizesZeroToThree) {
    const char* original = "0,2,1,1,1,2,3,4,1";
    const std::pair<EPictureSizeSubMenuType, const char*> rows[] = {
        {P_SIZESUB_AUTOWIDE, "1,2,1,1,1,2,3,4,1"}, {P_SIZESUB_SCREENMODE, "0,3,1,1,1,2,3,4,1"},
        {P_SIZESUB_ZOOMPOSITION, "0,2,1,1,0,0,0,0,1"}, {P_SIZESUB_SCREENFIT, original}, {P_SIZESUB_PANORAMA, original},
    };
    for (const auto& [subMenu, changed] : rows) {
        SCOPED_TRACE(subMenu);
        host::Reset();
        Region(6, 16);
        for (int size = 0; size < 8; ++size) Hold(5, 2, size, Opt(false, 2, 1, true, 1, 2, 3, 4));
        Hold(31, 5, 3, Opt(false, 2, 1, true, 1, 2, 3, 4));
        Hold(32, 0, 0, Opt(false, 2, 1, true, 1, 2, 3, 4));
        Make().ResetPictureSizeDetailOption(subMenu);
        for (int size = 0; size < 8; ++size) EXPECT_EQ(Stored(5, 2, size), size < 4 ? changed : original);
        EXPECT_EQ(Stored(31, 5, 3), changed);
        EXPECT_EQ(Stored(32, 0, 0), original);
        EXPECT_EQ(Stored(6, 2, 0), "none");
    }
}

TEST_F(SizeControlSettings, GetPictureSizeFallsBackToTheProductDefault) {
    struct Row { int stored; bool mls; int source; bool wide; int expected; };
    const Row rows[] = {
        {1, false, 0, false, 1}, {1, true, 0, false, 0}, {1, true, 0, true, 4}, {3, true, 0, true, 4},
        {1, false, 21, false, 0}, {2, false, 21, true, 4}, {5, false, 21, false, 0}, {6, false, 21, false, 0},
        {3, false, 21, true, 3}, {4, false, 21, false, 4}, {-1, false, 0, true, 0}, {-1, true, 0, true, 4},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(&row - rows);
        host::Reset();
        host::SetVconfInt("memory/mls/state", row.mls);
        host::SetSysInfoBool(303, row.wide);
        const bool dtv = row.source == 0;
        auto* agent = TCAgentMgr::Instance<TIAspectRatioAgent>();
        if (row.stored >= 0) agent->SetPictureSizeInfo(row.source, 2, dtv, row.stored);
        TCSizeControl& ctl = Make();
        host::ClearJournal();
        host::ClearLog();
        EPictureSizeType size = PICTURESIZETYPE_AUTO_13;
        EXPECT_EQ(ctl.GetPictureSize(Key(row.source, 0x10001, dtv), size), 1);
        EXPECT_EQ(size, row.expected);
        EXPECT_EQ(host::AgentPictureSize(row.source, 2, dtv).value_or(-1), row.stored);
        EXPECT_EQ(Calls("fb_nv_store_screen_config_res").size(), row.stored < 0 ? 1u : 0u);
        // MLS, 3D, then PC mode; a missing size first mirrors the default, which asks for PC mode.
        std::string asked;
        for (const auto& line : host::LogLines()) {
            if (line.text.find("CheckExceptionScreenState]is called.") != std::string::npos) {
                asked += line.text.substr(line.text.find("screentype[") + 11, 1);
            }
        }
        EXPECT_EQ(asked, row.stored < 0 ? "2032" : "032");
    }
}

TEST_F(SizeControlSettings, FastBootRecordLayout) {
    struct Row {
        int p, source; bool dtv; kova_resolution_e res; int size; bool useGiven; TSPictureSizeOption option;
        const char* key; const char* hex;
    };
    const Row rows[] = {
        {1, 0, true, 0x10001, 2, true, Opt(true, 3, 2, true), "0,2", "0201ff03020101__0a00140090012c01"},
        {1, 13, false, 0x40007, 7, true, Opt(false, 1, 3, false), "2,3", "0000ff00000100__0000000000000000"},
        {1, 29, false, 0x40000, 4, true, Opt(false, 4, 1, true), "1,4", "0400ff04010101__0000000000000000"},
        {1, 21, false, 0x10003, 1, true, Opt(false, 2, 0, false), "6,1", "0100ff02010100__0000000000000000"},
        {1, 0, false, 0x50000, 6, true, Opt(true, 0, 2, false), "1,5", "0601ff00020100__0000000000000000"},
        {1, 13, false, 0x10001, 0, false, Opt(true, 3, 1, true), "2,2", "0000ff00020100__0000000000000000"},
        {2, 0, true, 0x10001, 2, true, Opt(true, 3, 2, true), "", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(&row - rows);
        host::Reset();
        Probe ctl(ORBHandle(row.p, 0));
        ctl.t_customOffset = TSRectInfo(10, 20, 300, 400);
        (ctl.*Member(StoreFB{}))(stream, Key(row.source, row.res, row.dtv), static_cast<EPictureSizeType>(row.size),
                                 row.option, row.useGiven);
        std::string stored;
        for (const auto& call : Calls("fb_nv_store_screen_config_res")) {
            stored += call.args[0] + "," + call.args[1] + " " + Masked(call.args[2]);
        }
        EXPECT_EQ(stored, *row.key ? std::string(row.key) + " " + row.hex : "");
    }
}

TEST_F(SizeControlSettings, VerifierRewritesOnlyOnADifference) {
    struct Row { int byte; uint8_t value; bool rewrite; };
    const Row rows[] = {
        {-1, 0, false}, {0, 3, true}, {0, 7, true}, {1, 0, true}, {2, 0, false}, {3, 2, true}, {4, 2, true},
        {5, 0, false}, {6, 0, true}, {6, 2, true}, {7, 9, false}, {8, 9, true}, {10, 9, true}, {12, 9, true},
        {14, 9, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.byte);
        host::Reset();
        Hold(13, 2, 2, Opt(true, 3, 1, true, 5, 6, 7, 8));
        std::array<uint8_t, 16> bytes = {2, 1, 0xff, 3, 1, 1, 1, 0, 5, 0, 6, 0, 7, 0, 8, 0};  // the same record
        if (row.byte >= 0) bytes[row.byte] = row.value;
        host::SetFbScreen(2, 2, bytes);
        TCSizeControl& ctl = Make();
        host::ClearJournal();
        (ctl.*Member(CheckFB{}))(stream, Key(13, 0x10001, false), PICTURESIZETYPE_CUSTOM);
        EXPECT_EQ(Calls("fb_nv_load_screen_config_res", "2").size(), 1u);
        EXPECT_EQ(Calls("fb_nv_store_screen_config_res", "2").size(), row.rewrite ? 1u : 0u);
    }
}

TEST_F(SizeControlSettings, FactoryFastBootRecords) {
    struct Row { int region, country, source, resolution; const char* head; };
    const Row rows[] = {
        {6, 16, 0, 0, "0001ff03000100"}, {6, 16, 1, 4, "0001ff03000100"}, {6, 16, 2, 1, "0000ff03020100"},
        {6, 16, 0, 4, "0001ff03010100"}, {6, 16, 5, 5, "0000ff03010100"}, {9, 23, 0, 0, "0000ff00000100"},
        {6, 2, 1, 3, "0001ff00000100"},  {8, 7, 3, 2, "0000ff00020100"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(&row - rows);
        host::Reset();
        Region(row.region, row.country);
        Make().InitializeDataForFBStore();
        EXPECT_EQ(Calls("fb_nv_store_screen_config_res").size(), 36u);
        EXPECT_EQ(Masked(host::FormatHex(host::FbScreen(row.source, row.resolution).data(), 16)),
                  std::string(row.head) + "__0000000000000000");
    }
}

}  // namespace
