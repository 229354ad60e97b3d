// Fast-boot non-volatile configuration store.
#pragma once

#include <cstddef>
#include <cstdint>

struct fb_zoom_offset_t {
    int16_t x;
    int16_t y;
    int16_t height;
    int16_t width;
};

// 16-byte screen record, one per fast-boot source and resolution index.
struct FB_SCREEN_CONFIG {
    uint8_t picture_size;
    uint8_t auto_wide;
    uint8_t reserved0;     // always 0xFF
    uint8_t screen_mode;
    uint8_t screen_fit;
    uint8_t reserved1;     // always 1
    uint8_t panorama;
    uint8_t padding;
    fb_zoom_offset_t fb_zoom_offset;
};
// The fast-boot server reads these bytes: the same layout on every processor.
static_assert(sizeof(FB_SCREEN_CONFIG) == 16, "FB_SCREEN_CONFIG is 16 bytes");
static_assert(offsetof(FB_SCREEN_CONFIG, panorama) == 6 && offsetof(FB_SCREEN_CONFIG, padding) == 7 &&
                  offsetof(FB_SCREEN_CONFIG, fb_zoom_offset) == 8,
              "FB_SCREEN_CONFIG: one byte per option at 0..6, the zoom offset at 8");
static_assert(offsetof(fb_zoom_offset_t, y) == 2 && offsetof(fb_zoom_offset_t, height) == 4 &&
                  offsetof(fb_zoom_offset_t, width) == 6 && sizeof(fb_zoom_offset_t) == 8,
              "fb_zoom_offset_t: x, y, height, width as 16-bit values");

// 4-byte audio record; byte 3 is the analog sound code.
struct FB_AUDIO_CONFIG {
    uint8_t bytes[4];
};
static_assert(sizeof(FB_AUDIO_CONFIG) == 4, "FB_AUDIO_CONFIG is 4 bytes");

extern "C" {
int fb_nv_load_screen_config_res(unsigned char source, unsigned char resolution, FB_SCREEN_CONFIG* config);
int fb_nv_store_screen_config_res(unsigned char source, unsigned char resolution, FB_SCREEN_CONFIG* config);
int fb_nv_load_audio_config(FB_AUDIO_CONFIG* config);
int fb_nv_store_audio_config(FB_AUDIO_CONFIG* config);
int fb_terminate_server(void);
}
