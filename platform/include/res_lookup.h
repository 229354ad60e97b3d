// Resolution lookup tables of the platform.
#pragma once

#include "kova_types.h"

extern "C" {
// Destination rectangle of a geometry code, in the 1920x1080 panel space.
int res_lookup_get_picture_size(KOVAPictureSizeType_k code, KOVARect_t* rect);
// Source (crop) rectangle in input pixels.
int res_lookup_get_video_crop(KOVAPictureSizeType_k code, KOVAPictureInfo_t info, KOVARect_t* rect);
}
