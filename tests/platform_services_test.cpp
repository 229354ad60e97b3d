// Host stand-in: configuration store, system information, AV output
// controller, lookup tables and the journal's text forms.
#include <gtest/gtest.h>

#include <functional>

#include "AVTypes.h"
#include "avoc.h"
#include "fb_nv.h"
#include "host/HostControl.h"
#include "lumvideo_api.h"
#include "res_lookup.h"
#include "system_info.h"
#include "tv_stream.h"
#include "vconf.h"

namespace {

class HostServices : public ::testing::Test {
protected:
    void SetUp() override { host::Reset(); }
};

// Failing or unset keys fail and keep the caller's preset.
TEST_F(HostServices, FailuresKeepThePresets) {
    int value = 42;
    EXPECT_EQ(-1, vconf_get_int(VCONFKEY_MLS_STATE, &value));
    host::SetVconfInt(VCONFKEY_MLS_STATE, 1);
    host::FailVconf(VCONFKEY_MLS_STATE);
    EXPECT_EQ(-1, vconf_get_int(VCONFKEY_MLS_STATE, &value));
    EXPECT_EQ(-1, vconf_set_int(VCONFKEY_MLS_STATE, 5));
    EXPECT_EQ(42, value);
    host::UnsetVconf(VCONFKEY_MLS_STATE);  // failing ends when the key is unset
    EXPECT_EQ(0, vconf_set_int(VCONFKEY_MLS_STATE, 5));
    EXPECT_EQ(0, vconf_get_int(VCONFKEY_MLS_STATE, &value));
    EXPECT_EQ(5, value);
    EXPECT_EQ(0, vconf_set_str(VCONFKEY_ORB_WINDOW_RECT, ""));
    EXPECT_TRUE(host::GetVconf(VCONFKEY_ORB_WINDOW_RECT)->isString);
    EXPECT_EQ(-1, vconf_get_int(VCONFKEY_ORB_WINDOW_RECT, &value));  // text is not an int

    bool kyt = true;
    int code = 77;
    EXPECT_NE(0, system_info_get_value_bool(SYSTEM_INFO_KEY_KYT_SUPPORTED, &kyt));
    EXPECT_NE(0, system_info_get_value_int(SYSTEM_INFO_KEY_PRODUCT_CODE, &code));
    EXPECT_TRUE(kyt && code == 77);
    host::SetSysInfoBool(SYSTEM_INFO_KEY_KYT_SUPPORTED, false);
    EXPECT_EQ(0, system_info_get_value_bool(SYSTEM_INFO_KEY_KYT_SUPPORTED, &kyt));
    EXPECT_FALSE(kyt);

    host::SetAvocPcMode(3, -2);
    host::FailAvocHdrPlus();
    int pc = 0, hdr = 9;
    EXPECT_EQ(-2, avoc_get_pc_mode(0, &pc));
    EXPECT_EQ(3, pc);
    EXPECT_EQ(-1, avoc_get_hdr_plus_mode(&hdr, 1));
    EXPECT_EQ(9, hdr);
    avoc_set_wide_screen_mode(0, 1);
    EXPECT_EQ(std::optional<int>(1), host::WideScreenMode());
}

TEST_F(HostServices, LookupDefaultsAndOverrides) {
    struct Row {
        int code;
        KOVARect_t expected;
    };
    const Row rows[] = {
        {0, {0, 0, 1920, 1080}},  {1, {240, 0, 1440, 1080}}, {2, {0, 0, 1920, 1080}},
        {6, {120, 0, 1680, 1080}}, {7, {0, 129, 1920, 822}},  {15, {480, 270, 960, 540}},
        {33, {0, 0, 1920, 1080}}, {36, {0, 0, 1920, 1080}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.code);
        KOVARect_t rect{-1, -1, -1, -1};
        EXPECT_EQ(0, res_lookup_get_picture_size(row.code, &rect));
        EXPECT_EQ(host::FormatRect(row.expected.x, row.expected.y, row.expected.width, row.expected.height),
                  host::FormatRect(rect.x, rect.y, rect.width, rect.height));
    }
    KOVARect_t untouched{5, 5, 5, 5};
    EXPECT_EQ(-1, res_lookup_get_picture_size(99, &untouched));
    EXPECT_EQ(5, untouched.x);

    KOVAPictureInfo_t info{};
    info.inputVideo = {0, 0, 720, 480};
    KOVARect_t crop{};
    EXPECT_EQ(0, res_lookup_get_video_crop(1, info, &crop));
    EXPECT_EQ(720, crop.width);
    EXPECT_EQ(480, crop.height);

    host::SetLookupPictureSize(0, {10, 20, 30, 40});
    host::SetLookupCrop(1, {1, 2, 3, 4});
    KOVARect_t rect{};
    res_lookup_get_picture_size(0, &rect);
    EXPECT_EQ(30, rect.width);
    res_lookup_get_video_crop(1, info, &crop);
    EXPECT_EQ(3, crop.width);
    res_lookup_get_video_crop(2, info, &crop);  // other codes still follow the input
    EXPECT_EQ(720, crop.width);
}

// Each outside call as the journal writes it (calls whose entries the
// scenarios and the sound tests already match are left to them).
TEST_F(HostServices, JournalWritesEachCall) {
    TVStream stream = host::DefaultStream();
    host::SetOption(0, 1);
    host::SetAtsc3Agent(host::Atsc3Agent::On);
    host::SetStreamType(stream, 77);

    struct Row {
        std::function<void()> call;
        std::string expected;
    };
    int i = 0;
    kova_picture_mode_e pm = 0;
    TvStreamXvideoSrcDstRect sink{0, 0, 1920, 1080, 240, 0, 1440, 1080};
    FB_SCREEN_CONFIG screen{};
    screen.picture_size = 1;
    screen.reserved0 = 0xFF;
    screen.fb_zoom_offset.x = 0x1234;
    FB_AUDIO_CONFIG audio{{0, 0, 0, 0x0B}};
    KOVARect_t rect{};
    KOVAPictureInfo_t info{0x30000, 7, {0, 0, 1920, 1080}, {0, 0, 1920, 1080}, 0, 1, {1, 2, 3, 4}, 2, 1};
    ORBHandle handle(1, 0);
    TSPictureSizeOption option;
    TSATSC3FastvideoInfo fast;

    const Row rows[] = {
        {[&] { tv_stream_get_property(stream, TV_PROPERTY_AFD, &i, nullptr); }, "tv_stream_get_property 505 => -1"},
        {[&] { tv_stream_set_property(stream, TV_PROPERTY_VIDEO_SINK_SRCDST_POINTER, &sink, nullptr); },
         "tv_stream_set_property 610 0,0,1920,1080 240,0,1440,1080 => 0"},
        {[&] { tv_stream_atsc3_set_video_size(stream, &sink); },
         "tv_stream_atsc3_set_video_size 0,0,1920,1080 240,0,1440,1080 => 0"},
        {[&] { tv_stream_get_type(stream); }, "tv_stream_get_type => 77"},
        {[&] { vconf_set_int(VCONFKEY_REFRESH_MENU, 1); }, "vconf_set_int db/menu/refresh_menu 1 => 0"},
        {[&] { vconf_set_str(VCONFKEY_ORB_WINDOW_RECT, ""); }, "vconf_set_str memory/orb/window_rect \"\" => 0"},
        {[&] { system_info_get_value_int(SYSTEM_INFO_KEY_PRODUCT_CODE, &i); }, "system_info_get_value_int 254 => -1"},
        {[&] { avoc_get_picture_mode(0, &pm, 1); }, "avoc_get_picture_mode 0 1 => 0"},
        {[&] { avoc_get_hdr_plus_mode(&i, 1); }, "avoc_get_hdr_plus_mode 1 => 0"},
        {[&] { avoc_set_wide_screen_mode(0, 1); }, "avoc_set_wide_screen_mode 0 1 => 0"},
        {[&] { fb_nv_store_screen_config_res(1, 2, &screen); },
         "fb_nv_store_screen_config_res 1 2 0100ff00000000003412000000000000 => 0"},
        {[&] { fb_nv_load_screen_config_res(0, 3, &screen); }, "fb_nv_load_screen_config_res 0 3 => 0"},
        {[&] { fb_nv_store_audio_config(&audio); }, "fb_nv_store_audio_config 0000000b => 0"},
        {[&] { fb_terminate_server(); }, "fb_terminate_server => 0"},
        {[&] { res_lookup_get_picture_size(1, &rect); }, "res_lookup_get_picture_size 1 => 0"},
        {[&] { res_lookup_get_video_crop(2, info, &rect); },
         "res_lookup_get_video_crop 2 196608 7 0,0,1920,1080 0,0,1920,1080 0 1 1,2,3,4 2 1 => 0"},
        {[&] { lumvideo_api_set_lbd_on(); }, "lumvideo_api_set_lbd_on => 0"},
        {[&] { TIEventManager::Instance()->SendEvent(82, &handle, 0); }, "event 82 1 0 => 1"},
        {[&] {
             TCScopeTrace trace("TCSizeControl::t_ResLookupGetRectSize - lookup");
             lumvideo_api_set_lbd_off();
         },
         "scope \"TCSizeControl::t_ResLookupGetRectSize - lookup\"\nlumvideo_api_set_lbd_off => 0\n"
         "scope_end \"TCSizeControl::t_ResLookupGetRectSize - lookup\""},
        {[&] { TCFactoryProvider::GetOption(0, &i); }, "TCFactoryProvider::GetOption 0 => 1"},
        {[&] { TCSOSpec::Instance(handle)->m_Get(SOSPEC_TAG_COUNTRY, i); }, "TCSOSpec::m_Get 1 => 0"},
        {[&] { TCAgentMgr::Instance<TIAspectRatioAgent>()->GetPictureSizeInfo(13, 2, true, &i); },
         "TIAspectRatioAgent::GetPictureSizeInfo 13 2 1 => 0"},
        {[&] { TCAgentMgr::Instance<TIAspectRatioAgent>()->SetPictureSizeInfo(0, 5, false, 4); },
         "TIAspectRatioAgent::SetPictureSizeInfo 0 5 0 4 => 1"},
        {[&] { TCAgentMgr::Instance<TIAspectRatioAgent>()->GetPictureSizeDetailInfo(0, 2, 1, &option); },
         "TIAspectRatioAgent::GetPictureSizeDetailInfo 0 2 1 => 0"},
        {[&] { TCAgentMgr::Instance<TIAspectRatioAgent>()->SetPictureSizeDetailInfo(0, 2, 1, option); },
         "TIAspectRatioAgent::SetPictureSizeDetailInfo 0 2 1 => 1"},
        {[&] { TCAgentMgr::Instance<TIAspectRatioAgent>()->GetDefaultPictureSize(); },
         "TIAspectRatioAgent::GetDefaultPictureSize => 0"},
        {[&] { TCAgentMgr::Instance<TIAspectRatioAgent>()->Reset(); }, "TIAspectRatioAgent::Reset => 1"},
        {[&] {
             static_cast<TIATSC3FastvideoAgent*>(TCAgentMgr::Instance()->m_Instance(AGENT_KEY_ATSC3_FASTVIDEO))
                 ->GetATSC3FastvideoInfo(&fast);
         },
         "TIATSC3FastvideoAgent::GetATSC3FastvideoInfo => 1"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.expected);
        host::ClearJournal();
        row.call();
        std::string journal;
        for (const auto& entry : host::Journal()) journal += (journal.empty() ? "" : "\n") + host::FormatJournalEntry(entry);
        EXPECT_EQ(row.expected, journal);
    }
}

}  // namespace
