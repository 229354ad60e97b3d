// Host stand-in: the player's per-stream property store.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "host/HostControl.h"
#include "tv_stream.h"

namespace {

class HostPlayer : public ::testing::Test {
protected:
    void SetUp() override { host::Reset(); }
    TVStream stream = host::DefaultStream();
};

// How many bytes of the caller's buffer a get writes, and what it writes.
TEST_F(HostPlayer, GetWritesTheWidthOfEachProperty) {
    struct Row {
        int id;
        int64_t value;
        size_t width;
        std::vector<uint8_t> written;  // little-endian bytes expected at the front
    };
    const Row rows[] = {
        {TV_PROPERTY_HDMI_AVI_INFOFRAME, 0x1FE, 1, {0xFE}},
        {TV_PROPERTY_HDMI_SPD_INFOFRAME, 0x12, 1, {0x12}},
        {TV_PROPERTY_MHL_CONNECTED, 5, 1, {0x01}},
        {TV_PROPERTY_PC_MODE, 0, 1, {0x00}},
        {TV_PROPERTY_21_9_SUPPORTED, 1, 1, {0x01}},
        {TV_PROPERTY_21_9_ACTIVE, -7, 1, {0x01}},
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

std::string Sink(TVStream stream) {
    const auto r = host::SinkRects(stream);
    return r ? host::FormatRect(r->src_x, r->src_y, r->src_width, r->src_height) + " " +
                   host::FormatRect(r->dst_x, r->dst_y, r->dst_width, r->dst_height)
             : "none";
}

// An unset property fails and keeps the caller's preset; a set selects
// without changing what a get reports.
TEST_F(HostPlayer, UnsetGetsKeepThePresetAndSetsOnlySelect) {
    unsigned char avi = 0xFF;
    int afd = 1234;
    host::SetProp(stream, TV_PROPERTY_AFD, 9);
    host::UnsetProp(stream, TV_PROPERTY_AFD);
    EXPECT_EQ(-1, tv_stream_get_property(stream, TV_PROPERTY_HDMI_AVI_INFOFRAME, &avi, nullptr));
    EXPECT_EQ(-1, tv_stream_get_property(stream, TV_PROPERTY_AFD, &afd, nullptr));
    EXPECT_EQ(0xFF, avi);
    EXPECT_EQ(1234, afd);

    host::SetProp(stream, TV_PROPERTY_TUNER_ANALOG_MTS_MODE, TV_ANALOG_MTS_STEREO_SAP);
    EXPECT_EQ(0, tv_stream_set_property(stream, TV_PROPERTY_TUNER_ANALOG_MTS_MODE, TV_ANALOG_MTS_SAP, nullptr));
    int detected = 0;
    EXPECT_EQ(0, tv_stream_get_property(stream, TV_PROPERTY_TUNER_ANALOG_MTS_MODE, &detected, nullptr));
    EXPECT_EQ(TV_ANALOG_MTS_STEREO_SAP, detected);
    EXPECT_EQ(std::optional<int64_t>(TV_ANALOG_MTS_SAP), host::LastSetProp(stream, TV_PROPERTY_TUNER_ANALOG_MTS_MODE));
}

// The sink keeps its own copy; a refused set returns its result and changes nothing.
TEST_F(HostPlayer, SinkWritesAndRefusals) {
    TvStreamXvideoSrcDstRect rect{10, 20, 640, 480, 240, 0, 1440, 1080};
    EXPECT_EQ(0, tv_stream_set_property(stream, TV_PROPERTY_VIDEO_SINK_SRCDST_POINTER, &rect, nullptr));
    rect.src_x = 999;
    EXPECT_EQ("10,20,640,480 240,0,1440,1080", Sink(stream));

    host::SetPropResult(stream, TV_PROPERTY_VIDEO_SINK_SRCDST_POINTER, -3);
    host::SetPropResult(stream, TV_PROPERTY_VIDEO_SINK_PANORAMA, 7);
    EXPECT_EQ(-3, tv_stream_set_property(stream, TV_PROPERTY_VIDEO_SINK_SRCDST_POINTER, &rect, nullptr));
    EXPECT_EQ(7, tv_stream_set_property(stream, TV_PROPERTY_VIDEO_SINK_PANORAMA, 1, nullptr));
    EXPECT_EQ("10,20,640,480 240,0,1440,1080", Sink(stream));
    EXPECT_FALSE(host::LastSetProp(stream, TV_PROPERTY_VIDEO_SINK_PANORAMA).has_value());
    EXPECT_EQ(0, tv_stream_set_property(stream, TV_PROPERTY_VIDEO_SINK_ZORDER, EZORDER_VIDEO_DEFAULT, nullptr));
}

TEST_F(HostPlayer, Atsc3CallWritesTheSinkAndStreamsAreIndependent) {
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

}  // namespace
