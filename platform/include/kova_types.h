// Platform video types shared by the resolution lookup and the AV output
// controller.
#pragma once

#include <cstdint>

// Resolution code of the current timing (opaque platform codes such as
// 0x10001 or 0x2000B).
typedef int32_t kova_resolution_e;
// Platform source class code (0x50000, 0x60000, ...).
typedef int32_t kova_source_e;
// Platform resolution type used by the lookup tables.
typedef int32_t KOVAResolutionType_k;
// Geometry code of a picture size in the lookup tables.
typedef int32_t KOVAPictureSizeType_k;
// Picture mode of the AV output controller.
typedef int32_t kova_picture_mode_e;

struct KOVARect_t {
    int32_t x;
    int32_t y;
    int32_t width;
    int32_t height;
};

// Inputs of the crop lookup, passed by value.
struct KOVAPictureInfo_t {
    kova_source_e source;
    KOVAResolutionType_k resolutionType;
    KOVARect_t inputVideo;
    KOVARect_t destination;
    int32_t pcMode;
    int32_t pictureSize;
    KOVARect_t offset;
    int32_t caption;
    int32_t screenFit;
};
