// Records and enumerations exchanged across the AV module's interface.
#pragma once

#include <cstdint>

#include "TCFramework.h"
#include "kova_types.h"
#include "tv_stream.h"

#define TVAV_EXPORT __attribute__((visibility("default")))

// Picture size.
enum EPictureSizeType : int32_t {
    PICTURESIZETYPE_16_9 = 0,
    PICTURESIZETYPE_ZOOM = 1,
    PICTURESIZETYPE_CUSTOM = 2,
    PICTURESIZETYPE_4_3 = 3,
    PICTURESIZETYPE_21_9 = 4,
    PICTURESIZETYPE_21_9_AUTO = 5,
    PICTURESIZETYPE_CAPTION = 6,
    PICTURESIZETYPE_7 = 7,
    PICTURESIZETYPE_AUTO_4_3 = 8,
    PICTURESIZETYPE_AUTO_16_9 = 9,
    PICTURESIZETYPE_AUTO_LETTERBOX_CENTRE = 10,
    PICTURESIZETYPE_AUTO_LETTERBOX_TOP = 11,
    PICTURESIZETYPE_AUTO_OVER_16_9 = 12,
    PICTURESIZETYPE_AUTO_13 = 13,
    PICTURESIZETYPE_AFD_SCALE = 14,
};

enum EScreenFitOptionType : int32_t {
    SCREENFITOPTION_OFF = 0,
    SCREENFITOPTION_ON = 1,
    SCREENFITOPTION_AUTO = 2,
};

enum EPictureSizeSubMenuType : int32_t {
    P_SIZESUB_AUTOWIDE = 0,
    P_SIZESUB_SCREENMODE = 1,
    P_SIZESUB_SCREENFIT = 2,
    P_SIZESUB_ZOOMPOSITION = 3,
    P_SIZESUB_PANORAMA = 4,
};

// 4:3 screen mode; any other value behaves as SCREENMODE_16_9.
enum EScreenModeData : int32_t {
    SCREENMODE_16_9 = 0,
    SCREENMODE_ZOOM = 2,
    SCREENMODE_4_3 = 3,
    SCREENMODE_21_9 = 4,
};

enum EAVCheckRegion : int32_t {
    AV_CHECK_REGION_ATSC = 0,
    AV_CHECK_REGION_DVB = 1,
    AV_CHECK_REGION_ISDB = 2,
};

enum EMultiSoundMode : int32_t {
    MULTI_SOUND_UNKNOWN = 0,
    MULTI_SOUND_MONO = 1,
    MULTI_SOUND_STEREO = 2,
    MULTI_SOUND_SAP = 3,
    MULTI_SOUND_STEREO_SAP = 4,
    MULTI_SOUND_DUAL_I = 5,
    MULTI_SOUND_DUAL_II = 6,
    MULTI_SOUND_DUAL = 7,
    MULTI_SOUND_EXT_MONO = 8,
    MULTI_SOUND_EXT_STEREO = 9,
    MULTI_SOUND_EXT_DUAL_I = 10,
    MULTI_SOUND_EXT_DUAL_II = 11,
    MULTI_SOUND_EXT_DUAL = 12,
};

enum EExceptionScreenStateType : int32_t {
    EXCEPTION_SCREEN_MLS = 0,
    EXCEPTION_SCREEN_MHL = 1,
    EXCEPTION_SCREEN_PC_MODE = 2,
    EXCEPTION_SCREEN_3D = 3,
    EXCEPTION_SCREEN_21_9_SUPPORTED = 4,
};

// What is being shown: input source, resolution and its geometry.
struct TSAspectRatioKey {
    int32_t source = 0;
    kova_resolution_e resolution = 0;
    TSResolution resolutionInfo;
    int32_t reserved = 0;  // carried unchanged
    bool dtv = false;
};

// Passed by value to the capability checks.
struct TSSourceTypeInfo {
    int32_t profileId = 0;
    int32_t pipelineType = 0;
    int32_t reserved = 0;
    EPictureSizeType pictureSize = PICTURESIZETYPE_16_9;
};

// Per-input detail options of one picture size.
struct TSPictureSizeOption {
    bool bAutoWide = false;
    int32_t screenMode = 0;   // EScreenModeData
    int32_t screenFit = 0;    // EScreenFitOptionType
    bool bOffset = false;
    int32_t offsetX = 0;
    int32_t offsetY = 0;
    int32_t offsetHeight = 0;
    int32_t offsetWidth = 0;
    bool bPanoramaOption = false;
};

// 21:9 letterbox detection result.
struct TS21to9SizeInfo {
    bool bUpdated = false;
    bool bLogoDetected = true;
    bool bCaptionDetected = true;
    int32_t TopBlankLine = 0;
    int32_t BottomBlankLine = 0;
};
