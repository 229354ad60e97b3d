// Host stand-in: the player's per-stream property store, configuration store,
// system information, AV output controller, lookup tables and the journal's
// text forms.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include <tvav/AVTypes.h>
#include "avoc.h"
#include "fb_nv.h"
#include "host/HostControl.h"
#include "host_support.h"
#include "lumvideo_api.h"
#include "res_lookup.h"
#include "system_info.h"
#include "tv_stream.h"
#include "vconf.h"

namespace {

using test_support::Sink;

class HostServices : public ::testing::Test {
protected:
    void SetUp() override { host::Reset(); }
    TVStream stream = host::DefaultStream();
};

// How many bytes of the caller's buffer a get writes, and what it writes.
TEST_F(HostServices, GetWritesTheWidthOfEachProperty) {
    // written: the little-endian bytes expected at the front.
    struct Row { int id; int64_t value; size_t width; std::vector<uint8_t> written; };
    const Row rows[] = {
        {TV_PROPERTY_HDMI_AVI_INFOFRAME, 0x1FE, 1, {0xFE}}, {TV_PROPERTY_HDMI_SPD_INFOFRAME, 0x12, 1, {0x12}},
        {TV_PROPERTY_MHL_CONNECTED, 5, 1, {0x01}}, {TV_PROPERTY_PC_MODE, 0, 1, {0x00}},
        {TV_PROPERTY_21_9_SUPPORTED, 1, 1, {0x01}}, {TV_PROPERTY_21_9_ACTIVE, -7, 1, {0x01}},
        {TV_PROPERTY_AFD, 0x0A0B0C0D, 4, {0x0D, 0x0C, 0x0B, 0x0A}},
        {TV_PROPERTY_ANALOG_WSS, -2, 4, {0xFE, 0xFF, 0xFF, 0xFF}},
        {TV_PROPERTY_TUNER_ANALOG_MTS_MODE, TV_ANALOG_MTS_STEREO_SAP, 4, {0x07, 0x00, 0x00, 0x00}},
        {TV_PROPERTY_TUNER_ANALOG_DUAL_SOUND_MODE, TV_ANALOG_DUAL_DUAL_II, 4, {0x0A, 0x00, 0x00, 0x00}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.id);
        host::SetProp(stream, row.id, row.value);
        uint8_t buffer[8];
        std::memset(buffer, 0xAA, sizeof buffer);
        ASSERT_EQ(0, tv_stream_get_property(stream, static_cast<TvStreamPropertyType>(row.id), buffer, nullptr));
        for (size_t i = 0; i < row.written.size(); ++i) EXPECT_EQ(row.written[i], buffer[i]) << "byte " << i;
        for (size_t i = row.width; i < sizeof buffer; ++i) EXPECT_EQ(0xAA, buffer[i]) << "byte " << i;
    }
}

// The sink keeps its own copy; a refused set returns its result and records
// nothing, other properties still set. (An unset property keeping the caller's
// preset, a set that only selects, and a refused sink write are shown by the
// picture tests and scenarios.)
TEST_F(HostServices, SinkWritesAndRefusals) {
    TvStreamXvideoSrcDstRect rect{10, 20, 640, 480, 240, 0, 1440, 1080};
    EXPECT_EQ(0, tv_stream_set_property(stream, TV_PROPERTY_VIDEO_SINK_SRCDST_POINTER, &rect, nullptr));
    rect.src_x = 999;
    EXPECT_EQ("10,20,640,480 240,0,1440,1080", Sink(stream));
    host::SetPropResult(stream, TV_PROPERTY_VIDEO_SINK_PANORAMA, 7);
    EXPECT_EQ(7, tv_stream_set_property(stream, TV_PROPERTY_VIDEO_SINK_PANORAMA, 1, nullptr));
    EXPECT_FALSE(host::LastSetProp(stream, TV_PROPERTY_VIDEO_SINK_PANORAMA).has_value());
    EXPECT_EQ(0, tv_stream_set_property(stream, TV_PROPERTY_VIDEO_SINK_ZORDER, EZORDER_VIDEO_DEFAULT, nullptr));
}

TEST_F(HostServices, Atsc3CallWritesTheSinkAndStreamsAreIndependent) {
    TVStream other = host::NewStream();
    ASSERT_NE(other, stream);
    host::SetStreamType(other, 39);
    host::SetProp(other, TV_PROPERTY_AFD, 8);
    EXPECT_EQ(39, tv_stream_get_type(other));
    EXPECT_EQ(0, tv_stream_get_type(stream));
    int afd = -1;
    EXPECT_EQ(-1, tv_stream_get_property(stream, TV_PROPERTY_AFD, &afd, nullptr));

    TvStreamXvideoSrcDstRect rect{0, 0, 3840, 2160, 0, 0, 1920, 1080};
    EXPECT_EQ(0, tv_stream_atsc3_set_video_size(other, &rect));
    host::SetAtsc3Result(other, -1);
    TvStreamXvideoSrcDstRect second{1, 1, 1, 1, 1, 1, 1, 1};
    EXPECT_EQ(-1, tv_stream_atsc3_set_video_size(other, &second));
    EXPECT_EQ("0,0,3840,2160 0,0,1920,1080", Sink(other));
    EXPECT_EQ("none", Sink(stream));
}

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
    // Codes 0, 1, 2, 33 and 36, a crop that follows the input and a picture-size
    // override are shown by the picture tests and scenarios.
    struct Row { int code; KOVARect_t expected; };
    const Row rows[] = {{6, {120, 0, 1680, 1080}}, {7, {0, 129, 1920, 822}}, {15, {480, 270, 960, 540}}};
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

    // A crop override holds for its own code only.
    KOVAPictureInfo_t info{};
    info.inputVideo = {0, 0, 720, 480};
    KOVARect_t crop{};
    host::SetLookupCrop(1, {1, 2, 3, 4});
    res_lookup_get_video_crop(1, info, &crop);
    EXPECT_EQ(3, crop.width);
    res_lookup_get_video_crop(2, info, &crop);
    EXPECT_EQ(720, crop.width);
}

// Each outside call as the journal writes it (calls whose entries the
// scenarios and the sound tests already match are left to them).
TEST_F(HostServices, JournalWritesEachCall) {
    host::SetOption(0, 1);
    host::SetAtsc3Agent(host::Atsc3Agent::On);
    host::SetStreamType(stream, 77);

    struct Row { std::function<void()> call; std::string expected; };
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
    TIAspectRatioAgent* agent = TCAgentMgr::Instance<TIAspectRatioAgent>();

    const Row rows[] = {
        // A read that succeeds also shows the value it handed back.
        {[&] { tv_stream_get_property(stream, TV_PROPERTY_AFD, &i, nullptr); }, "tv_stream_get_property 505 => -1"},
        {[&] {
             host::SetProp(stream, TV_PROPERTY_AFD, 10);
             tv_stream_get_property(stream, TV_PROPERTY_AFD, &i, nullptr);
         },
         "tv_stream_get_property 505 => 0 value=10"},
        {[&] { tv_stream_set_property(stream, TV_PROPERTY_VIDEO_SINK_SRCDST_POINTER, &sink, nullptr); },
         "tv_stream_set_property 610 0,0,1920,1080 240,0,1440,1080 => 0"},
        {[&] { tv_stream_atsc3_set_video_size(stream, &sink); },
         "tv_stream_atsc3_set_video_size 0,0,1920,1080 240,0,1440,1080 => 0"},
        {[&] { tv_stream_get_type(stream); }, "tv_stream_get_type => 77"},
        {[&] { vconf_set_int(VCONFKEY_REFRESH_MENU, 1); }, "vconf_set_int db/menu/refresh_menu 1 => 0"},
        {[&] { vconf_set_str(VCONFKEY_ORB_WINDOW_RECT, ""); }, "vconf_set_str memory/orb/window_rect \"\" => 0"},
        {[&] { system_info_get_value_int(SYSTEM_INFO_KEY_PRODUCT_CODE, &i); }, "system_info_get_value_int 254 => -1"},
        {[&] { avoc_get_picture_mode(0, &pm, 1); }, "avoc_get_picture_mode 0 1 => 0 value=0"},
        {[&] { avoc_get_hdr_plus_mode(&i, 1); }, "avoc_get_hdr_plus_mode 1 => 0 value=0"},
        {[&] { avoc_set_wide_screen_mode(0, 1); }, "avoc_set_wide_screen_mode 0 1 => 0"},
        {[&] { fb_nv_store_screen_config_res(1, 2, &screen); },
         "fb_nv_store_screen_config_res 1 2 0100ff00000000003412000000000000 => 0"},
        {[&] { fb_nv_load_screen_config_res(0, 3, &screen); }, "fb_nv_load_screen_config_res 0 3 => 0 value=00000000000000000000000000000000"},
        {[&] { fb_nv_store_audio_config(&audio); }, "fb_nv_store_audio_config 0000000b => 0"},
        {[&] { fb_terminate_server(); }, "fb_terminate_server => 0"},
        {[&] { res_lookup_get_picture_size(1, &rect); }, "res_lookup_get_picture_size 1 => 0 value=240,0,1440,1080"},
        {[&] { res_lookup_get_video_crop(2, info, &rect); },
         "res_lookup_get_video_crop 2 196608 7 0,0,1920,1080 0,0,1920,1080 0 1 1,2,3,4 2 1 => 0 value=0,0,1920,1080"},
        {[&] { lumvideo_api_set_lbd_on(); }, "lumvideo_api_set_lbd_on => 0"},
        {[&] { TIEventManager::Instance()->SendEvent(82, &handle, 0); }, "event 82 1 0 => 1"},
        {[&] {
             TCScopeTrace trace("TCSizeControl::t_ResLookupGetRectSize - lookup");
             lumvideo_api_set_lbd_off();
         },
         "scope \"TCSizeControl::t_ResLookupGetRectSize - lookup\"\nlumvideo_api_set_lbd_off => 0\n"
         "scope_end \"TCSizeControl::t_ResLookupGetRectSize - lookup\""},
        {[&] { TCFactoryProvider::GetOption(0, &i); }, "TCFactoryProvider::GetOption 0 => 1 value=1"},
        {[&] { TCSOSpec::Instance(handle)->m_Get(SOSPEC_TAG_COUNTRY, i); }, "TCSOSpec::m_Get 1 => 0"},
        {[&] { agent->GetPictureSizeInfo(13, 2, true, &i); }, "TIAspectRatioAgent::GetPictureSizeInfo 13 2 1 => 0"},
        {[&] { agent->SetPictureSizeInfo(0, 5, false, 4); }, "TIAspectRatioAgent::SetPictureSizeInfo 0 5 0 4 => 1"},
        {[&] { agent->GetPictureSizeDetailInfo(0, 2, 1, &option); },
         "TIAspectRatioAgent::GetPictureSizeDetailInfo 0 2 1 => 0"},
        {[&] { agent->SetPictureSizeDetailInfo(0, 2, 1, option); },
         "TIAspectRatioAgent::SetPictureSizeDetailInfo 0 2 1 => 1"},
        {[&] { agent->GetDefaultPictureSize(); }, "TIAspectRatioAgent::GetDefaultPictureSize => 0"},
        {[&] { agent->Reset(); }, "TIAspectRatioAgent::Reset => 1"},
        {[&] {
             static_cast<TIATSC3FastvideoAgent*>(TCAgentMgr::Instance()->m_Instance(AGENT_KEY_ATSC3_FASTVIDEO))
                 ->GetATSC3FastvideoInfo(&fast);
         },
         "TIATSC3FastvideoAgent::GetATSC3FastvideoInfo => 1 value=1"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.expected);
        host::ClearJournal();
        row.call();
        std::string journal;
        for (const auto& entry : host::Journal()) {
            journal += (journal.empty() ? "" : "\n") + host::FormatJournalEntry(entry);
        }
        EXPECT_EQ(row.expected, journal);
    }
}

}  // namespace
