// Media player stream interface: tuner and video sink properties.
#pragma once

#include <cstddef>
#include <cstdint>

typedef void* TVStream;

typedef enum {
    TV_PROPERTY_TUNER_ANALOG_MTS_MODE = 20,
    TV_PROPERTY_TUNER_ANALOG_DUAL_SOUND_MODE = 26,
    TV_PROPERTY_ANALOG_WSS = 47,
    TV_PROPERTY_AFD = 505,
    TV_PROPERTY_VIDEO_SINK_ZORDER = 604,
    TV_PROPERTY_VIDEO_SINK_SRCDST_POINTER = 610,
    TV_PROPERTY_VIDEO_SINK_PANORAMA = 615,
    TV_PROPERTY_VIDEO_SINK_FASTVIDEO_STATUS = 619,
    TV_PROPERTY_HDMI_AVI_INFOFRAME = 757,
    TV_PROPERTY_HDMI_SPD_INFOFRAME = 758,
    TV_PROPERTY_MHL_CONNECTED = 759,
    TV_PROPERTY_PC_MODE = 760,
    TV_PROPERTY_21_9_SUPPORTED = 763,
    TV_PROPERTY_21_9_ACTIVE = 764,
} TvStreamPropertyType;

typedef enum {
    TV_ANALOG_MTS_INVALID = 0,
    TV_ANALOG_MTS_MONO = 1,
    TV_ANALOG_MTS_STEREO = 2,
    TV_ANALOG_MTS_SAP = 3,
    TV_ANALOG_MTS_DUAL = 4,
    TV_ANALOG_MTS_LANG_FIRST = 5,
    TV_ANALOG_MTS_LANG_SECOND = 6,
    TV_ANALOG_MTS_STEREO_SAP = 7,
} TvStreamAnalogMTSType;

typedef enum {
    TV_ANALOG_DUAL_INVALID = 0,
    TV_ANALOG_DUAL_MONO = 1,
    TV_ANALOG_DUAL_DUAL = 2,
    TV_ANALOG_DUAL_STEREO = 3,
    TV_ANALOG_DUAL_EXT_MONO = 4,
    TV_ANALOG_DUAL_EXT_DUAL = 5,
    TV_ANALOG_DUAL_EXT_STEREO = 6,
    TV_ANALOG_DUAL_EXT_DUAL_I = 7,
    TV_ANALOG_DUAL_EXT_DUAL_II = 8,
    TV_ANALOG_DUAL_DUAL_I = 9,
    TV_ANALOG_DUAL_DUAL_II = 10,
} TvStreamAnalogDualAudioType;

typedef enum { EZORDER_VIDEO_DEFAULT = 6 } EZOrder;

// Source (crop) rectangle, then destination rectangle.
struct TvStreamXvideoSrcDstRect {
    int32_t src_x;
    int32_t src_y;
    int32_t src_width;
    int32_t src_height;
    int32_t dst_x;
    int32_t dst_y;
    int32_t dst_width;
    int32_t dst_height;
};
// The sink reads the record by these offsets on every processor.
static_assert(sizeof(TvStreamXvideoSrcDstRect) == 32 && offsetof(TvStreamXvideoSrcDstRect, src_height) == 12 &&
                  offsetof(TvStreamXvideoSrcDstRect, dst_x) == 16 && offsetof(TvStreamXvideoSrcDstRect, dst_height) == 28,
              "TvStreamXvideoSrcDstRect: source then destination, eight 32-bit values");

extern "C" {
// Variadic: one property id, one value pointer (get) or value (set), then a
// null terminator.
int tv_stream_get_property(TVStream stream, TvStreamPropertyType property, ...);
int tv_stream_set_property(TVStream stream, TvStreamPropertyType property, ...);
int tv_stream_get_type(TVStream stream);
int tv_stream_atsc3_set_video_size(TVStream stream, TvStreamXvideoSrcDstRect* rect);
}
