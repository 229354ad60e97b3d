// Geometry of one picture size: the destination from the picture-size
// lookup scaled into the graphics plane, and the crop from the crop lookup
// fed with the input video (AFD-cropped where automatic wide applies), the
// offsets and the screen-fit flag.
#include <algorithm>
#include <cstdint>

#include <tvav/AVCheck.h>
#include "common/Log.h"
#include <tvav/SizeControl.h>
#include "sizecontrol/SizeControlRules.h"
#include "instrument/CallLayer.h"
#include "instrument/PerfMarker.h"
#include "res_lookup.h"

using namespace tvav;
using namespace tvav::sizecontrol;

namespace {

constexpr const char* kFunction = "t_GetRectSizeByLookupTable";

// 16:9 and the automatic sizes: automatic wide and the 16:9 screen-fit option apply.
constexpr uint32_t kAutomaticSizes = CodeSet({0, 8, 9, 10, 11, 12, 13, 14});
// On a wide-screen panel these keep the lookup width and are only centred.
constexpr uint32_t kCentredSizes = CodeSet({0, 3, 8, 9});
// Letterbox sizes chosen by WSS: centred too while the menu size is 16:9.
constexpr uint32_t kWssLetterboxSizes = CodeSet({10, 11, 12});
// Sizes whose crop the AFD never changes.
constexpr uint32_t kNoAfdCropSizes = CodeSet({1, 2, 3});

// Share of the graphics width kept by the caption size on a wide-screen panel.
constexpr double kCaptionWidthShare = 0.8571;

// Inputs whose PC or MHL state forces screen fit on.
constexpr TSCodeRange kForcedScreenFitSources[] = {{10, 16}, {20, 22}, {32, 35}};
// Resolutions whose crop is not checked against the input size.
constexpr int32_t kUncheckedCropResolutions[] = {0, 1, 3, 4};

// The crop lookup's destination when it is given an AFD-cropped input.
const KOVARect_t kAfdCropDestination{0, 0, 1920, 1080};

}  // namespace

int TCSizeControl::t_GetRectSizeByLookupTable(TVStream stream, EPictureSizeType size, TSAspectRatioKey key,
                                              TSRectInfo& src, TSRectInfo& dst, unsigned char afd) {
    PerfScope marker(kClassName, kFunction);
    const char* handle = m_strHandle.c_str();
    AV_LOG(4, "[%s-%s] is called", kClassName, handle);

    TSResolution& res = key.resolutionInfo;
    if (m_bStillMode && (res.horizontal == 0 || res.vertical == 0)) {
        key.resolution = m_prevResolution;
        res.horizontal = m_prevHorizontal;
        res.vertical = m_prevVertical;
        AV_LOG(1,
               "[ORB_PICTURE][%s-%s] Still case, setting to prevInfo, m_prevResolution[%d], m_prevHorizontal[%d], "
               "m_prevVertical[%d]",
               kClassName, handle, m_prevResolution, m_prevHorizontal, m_prevVertical);
    }

    m_UpdatePCMode(stream, key);
    const bool bCheckPCMode = HT_CALL(&TCAVCheck::CheckExceptionScreenState, HT_DIRS(1, 1, 1, 1), stream, key,
                                      EXCEPTION_SCREEN_PC_MODE, false);
    const bool bCheck_MHL = HT_CALL(&TCAVCheck::CheckExceptionScreenState, HT_DIRS(1, 1, 1, 1), stream, key,
                                    EXCEPTION_SCREEN_MHL, false);
    if (bCheckPCMode && key.resolution == kResolution2560x1080) {
        // A 21:9 PC timing on a panel that supports it is shown at 21:9.
        const bool b21to9 = HT_CALL(&TCAVCheck::CheckExceptionScreenState, HT_DIRS(1, 1, 1, 1), stream, key,
                                    EXCEPTION_SCREEN_21_9_SUPPORTED, false);
        if (b21to9) {
            size = PICTURESIZETYPE_21_9;
        }
    }

    // Destination: the lookup's 1920x1080 rectangle scaled into the graphics plane.
    KOVAPictureSizeType_k code = 0;
    KOVARect_t lookup{0, 0, 0, 0};
    t_ResLookupGetRectSize(key, size, code, lookup);
    dst = ToRect(lookup);
    AV_LOG(1,
           "[ORB_PICTURE][%s-%s][Dest_lookup_Output] ePictureSizeType[%d], dstRect.x[%d], dstRect.y[%d], "
           "dstRect.width[%d], dstRect.height[%d]",
           kClassName, handle, size, dst.x, dst.y, dst.width, dst.height);

    const TSRectInfo& base = t_BaseGfxRect;
    const TSRectInfo& full = t_fullScreenRect;
    dst.y = WrapMul(dst.y, base.height) / full.height;
    dst.height = WrapMul(dst.height, base.height) / full.height;

    bool bCentreOnly = false;
    bool bCaptionWidth = false;
    if (m_IsWideScreenModel()) {
        EPictureSizeType menuSize = PICTURESIZETYPE_16_9;
        GetPictureSize(key, menuSize);
        bCentreOnly = InCodeSet(kCentredSizes, size) ||
                      (InCodeSet(kWssLetterboxSizes, size) && menuSize == PICTURESIZETYPE_16_9);
        bCaptionWidth = size == PICTURESIZETYPE_CAPTION;
    }
    if (bCentreOnly) {
        // A graphics plane lower than the panel counts as height ratio 1.
        const int heightRatio = std::max(1, base.height / full.height);
        dst.x = WrapAdd(dst.x, (base.width - full.width) / heightRatio / 2);
    } else if (bCaptionWidth) {
        dst.width = static_cast<int>(base.width * kCaptionWidthShare);
        dst.x = (base.width - dst.width) / 2;
    } else {
        dst.x = WrapMul(dst.x, base.width) / full.width;
        dst.width = WrapMul(dst.width, base.width) / full.width;
    }

    if (EndsBeyond(dst.x, dst.width, base.width) || EndsBeyond(dst.y, dst.height, base.height)) {
        AV_LOG(1,
               "[%s-%s] Invalid Geometry Size Size!! :  dstRect.x[%d], dstRect.y[%d], dstRect.width[%d], "
               "dstRect.height[%d]",
               kClassName, handle, dst.x, dst.y, dst.width, dst.height);
        return 0;
    }
    if (res.horizontal == 0 || res.vertical == 0) {
        AV_LOG(1, "[ORB_PICTURE][%s-%s] resolutionInfo is Wrong!! resolutionInfo.horizontal[%d], vertical[%d]",
               kClassName, handle, res.horizontal, res.vertical);
    }

    // Input video: the whole input, or the part the AFD marks as picture.
    bool bAutoWide = false;
    if (InCodeSet(kAutomaticSizes, size)) {
        m_GetAutoWideOption(key, bAutoWide, PICTURESIZETYPE_16_9);
    }
    TSRectInfo inputVideo(0, 0, static_cast<int>(res.horizontal), static_cast<int>(res.vertical));
    KOVARect_t cropDestination = ToKova(dst);
    if (key.source == 0 && key.dtv && bAutoWide && m_handle.p == kMainP && afd != kAfdNone &&
        GetCurrentScreenState() == SCREENSTATE_FULLSIZE && !InCodeSet(kNoAfdCropSizes, size) &&
        m_CheckApplyAFD(afd, PICTURESIZETYPE_16_9, key)) {
        AV_LOG(1, "[ORB_PICTURE][%s-%s] afd scale calculation, chagne InputVideo, ePictureSizeType[%d], afd[%d]",
               kClassName, handle, size, afd);
        ScaleInfo_t scale;
        m_GetAfdScaleInfo(afd, key, scale);
        AV_LOG(1,
               "[%s-%s] AfdScaleInfo : tCaptureRatio.x [%d], tCaptureRatio.y [%d], tCaptureRatio.width [%d], "
               "tCaptureRatio.height [%d]",
               kClassName, handle, scale.tCaptureRatio.x, scale.tCaptureRatio.y, scale.tCaptureRatio.width,
               scale.tCaptureRatio.height);
        if (scale.eAfdScaleType < 7) {
            m_CalcInputVideoRect(inputVideo, scale.tCaptureRatio, inputVideo);
            cropDestination = kAfdCropDestination;
        }
    }
    AV_LOG(1,
           "[ORB_PICTURE][%s-%s] pInputVideo.width[%d], pInputVideo.height[%d], resolution[%d], "
           "ePictureSizeType[%d]",
           kClassName, handle, inputVideo.width, inputVideo.height, key.resolution, size);

    key.source = StoreSource(key.source);
    kova_source_e platformSource = 0;
    GetKOVASourceType(key, platformSource);
    AV_LOG(1, "[%s-%s] The result of GetKOVASourceType : pSource[%d]", kClassName, handle, platformSource);
    KOVAResolutionType_k resolutionType = 0;
    t_GetKOVAResolutionType(key, resolutionType);

    EScreenFitOptionType fit = SCREENFITOPTION_OFF;
    t_GetScreenFitOption(stream, key, fit, InCodeSet(kAutomaticSizes, size) ? PICTURESIZETYPE_16_9 : size);
    AV_LOG(1, "[ORB_PICTURE][%s-%s] current selected ScreenFit Option[%d]", kClassName, handle, fit);
    if (fit == SCREENFITOPTION_AUTO) {
        m_CheckScreenFitAutowork(stream, key, fit);
    }

    KOVAPictureInfo_t info{};
    info.source = platformSource;
    info.resolutionType = resolutionType;
    info.inputVideo = ToKova(inputVideo);
    info.destination = cropDestination;
    info.pcMode = t_bCurrentPCMode;
    info.pictureSize = size;
    info.caption = size == PICTURESIZETYPE_CAPTION ? 2 : 0;
    info.screenFit =
        fit != SCREENFITOPTION_OFF || (InRanges(kForcedScreenFitSources, key.source) && (bCheckPCMode || bCheck_MHL));
    switch (size) {
    case PICTURESIZETYPE_ZOOM:
        info.offset = ToKova(t_zoomOffset);
        AV_LOG(1,
               "[%s-%s] ZOOM Size, t_zoomOffset.x [%d], t_zoomOffset.y [%d], t_zoomOffset.width[%d], "
               "t_zoomOffset.height[%d]",
               kClassName, handle, t_zoomOffset.x, t_zoomOffset.y, t_zoomOffset.width, t_zoomOffset.height);
        break;
    case PICTURESIZETYPE_CUSTOM:
        info.offset = ToKova(t_customOffset);
        AV_LOG(1,
               "[%s-%s] CUSTOM Size, t_customOffset.x [%d], t_customOffset.y [%d], t_customOffset.width[%d], "
               "t_customOffset.height[%d]",
               kClassName, handle, t_customOffset.x, t_customOffset.y, t_customOffset.width, t_customOffset.height);
        break;
    case PICTURESIZETYPE_CAPTION:
        info.offset = ToKova(t_captionOffset);
        AV_LOG(1,
               "[%s-%s] CAPTION Size, t_customOffset.x [%d], t_customOffset.y [%d], t_customOffset.width[%d], "
               "t_customOffset.height[%d]",
               kClassName, handle, t_captionOffset.x, t_captionOffset.y, t_captionOffset.width,
               t_captionOffset.height);
        break;
    default:
        break;
    }
    AV_LOG(1,
           "[ORB_PICTURE][%s-%s][Crop_lookup_Input] ePictureSizeType [%d], bCheckPCMode[%d], bCheck_MHL[%d], "
           "pc_mode[%d], eSource [%d], eRes [%d], iZoomOffsetX [%d], iZoomOffsetY [%d], iZoomSizeX [%d], "
           "iZoomSizeY [%d], bScreenFit [%d]",
           kClassName, handle, size, bCheckPCMode, bCheck_MHL, t_bCurrentPCMode, platformSource, resolutionType,
           info.offset.x, info.offset.y, info.offset.width, info.offset.height, info.screenFit);

    KOVARect_t crop{0, 0, 0, 0};
    {
        PerfScope lookupMarker(kClassName, kFunction, "-res_lookup_get_video_crop");
        TCScopeTrace trace("TCSizeControl::t_GetRectSizeByLookupTable - res_lookup_get_video_crop");
        HT_CALL(res_lookup_get_video_crop, HT_DIRS(1, 1, 2), code, info, &crop);
    }
    src = ToRect(crop);

    if (!InList(kUncheckedCropResolutions, key.resolution) &&
        (int64_t{src.x} + src.width > res.horizontal || int64_t{src.y} + src.height > res.vertical)) {
        AV_LOG(1, "[%s-%s] Invalid Crop Size!! : srcRect.x[%d], srcRect.y[%d], srcRect.width[%d], srcRect.height[%d]",
               kClassName, handle, src.x, src.y, src.width, src.height);
        return 0;
    }

    AV_LOG(1,
           "[ORB_PICTURE][TCSizeControl::%s][Crop_lookup_Output] ePictureSizeType [%d], srcRect.x[%d], "
           "srcRect.y[%d], srcRect.width[%d], srcRect.height[%d]",
           kFunction, size, src.x, src.y, src.width, src.height);
    return 1;
}
