// Automatic wide by the broadcast signalling: the AFD decision and scale
// tables, the 4:3 screen-mode mapping, the WSS decision table, the two
// signal-driven apply operations and the AFD input-video scaling that the
// geometry lookup uses.
#include <cstdint>

#include "common/Log.h"
#include "sizecontrol/Mutex.h"
#include <tvav/SizeControl.h>
#include "sizecontrol/SizeControlRules.h"
#include "instrument/CallLayer.h"
#include "tv_stream.h"

using namespace tvav::sizecontrol;

namespace {

// What an AFD code asks for; the values are the action classes of the logs.
enum EAfdAction : uint8_t {
    AFD_ACTION_WIDE = 0,          // full width: automatic 16:9 (21:9 on a wide-screen panel at menu size 21:9)
    AFD_ACTION_SCREEN_MODE = 17,  // the 4:3 screen mode decides
    AFD_ACTION_SCALE = 22,        // picture size 14, scaled by the scale table
};

struct TSAfdRule {
    EAfdAction action;
    uint8_t scaleEntry;  // index into kAfdScales
};

constexpr EAfdAction W = AFD_ACTION_WIDE;
constexpr EAfdAction M = AFD_ACTION_SCREEN_MODE;
constexpr EAfdAction S = AFD_ACTION_SCALE;

// By coded-frame aspect ratio (row 0: 4:3, aspect ratio 2; row 1: 16:9,
// aspect ratio 3), then by AFD code 0..15.
constexpr TSAfdRule kAfdRules[2][16] = {
    {
        {M, 0},  // 0  reserved
        {M, 0},  // 1  reserved
        {W, 3},  // 2  16:9 box, top
        {S, 5},  // 3  14:9 box, top
        {W, 2},  // 4  box wider than 16:9, centre
        {M, 0},  // 5  reserved
        {M, 0},  // 6  reserved
        {M, 0},  // 7  reserved
        {M, 0},  // 8  full frame
        {M, 0},  // 9  4:3 centre
        {W, 2},  // 10 16:9 centre
        {S, 4},  // 11 14:9 centre
        {M, 0},  // 12 reserved
        {S, 4},  // 13 4:3 with 14:9 shoot and protect
        {W, 2},  // 14 16:9 with 14:9 shoot and protect
        {W, 2},  // 15 16:9 with 4:3 shoot and protect
    },
    {
        {W, 0}, {W, 0}, {W, 0}, {W, 0}, {W, 0}, {W, 0}, {W, 0}, {W, 0}, {W, 0},  // 0..8
        {M, 1},                                                                  // 9  4:3 centre
        {W, 0}, {W, 0}, {W, 0},                                                  // 10..12
        {S, 6},                                                                  // 13 4:3 with 14:9 s&p
        {W, 0}, {W, 0},                                                          // 14, 15
    },
};

// Kept share of the input: x and y 1 to centre along that axis, 0 to keep
// the left or top edge; width and height in 1/10000.
struct TSAfdScale {
    int32_t x;
    int32_t y;
    int32_t width;
    int32_t height;
};

constexpr TSAfdScale kAfdScales[] = {
    {1, 1, 10000, 10000},  // 0 whole frame
    {1, 1, 7500, 10000},   // 1 centre 75 % of the width
    {1, 1, 10000, 7500},   // 2 centre 75 % of the height
    {1, 0, 10000, 7500},   // 3 top 75 % of the height
    {1, 1, 10000, 8928},   // 4 centre 89.28 % of the height
    {1, 0, 10000, 8928},   // 5 top 89.28 % of the height
    {1, 1, 7500, 8571},    // 6 centre 75 % of the width and 85.71 % of the height
};

// Reference input of every scale entry.
constexpr int32_t kScaleInputWidth = 720;
constexpr int32_t kScaleInputHeight = 576;

// Picture size of each 4:3 screen mode; any other mode gives automatic 16:9.
struct TSScreenModeSize {
    int32_t screenMode;
    EPictureSizeType size;
};

constexpr TSScreenModeSize kScreenModeSizes[] = {
    {SCREENMODE_4_3, PICTURESIZETYPE_AUTO_4_3},
    {SCREENMODE_ZOOM, PICTURESIZETYPE_ZOOM},
    {SCREENMODE_21_9, PICTURESIZETYPE_21_9},
};

EPictureSizeType ScreenModeSize(int32_t screenMode) {
    for (const TSScreenModeSize& entry : kScreenModeSizes) {
        if (entry.screenMode == screenMode) {
            return entry.size;
        }
    }
    return PICTURESIZETYPE_AUTO_16_9;
}

// Picture size by WSS code 0..14; kWssScreenMode: the 4:3 screen mode
// decides; kWssFullFormat: full width, as an AFD wide action.
constexpr int32_t kWssScreenMode = -1;
constexpr int32_t kWssFullFormat = -2;

constexpr int32_t kWssSizes[] = {
    kWssScreenMode,                         // 0  invalid
    PICTURESIZETYPE_AUTO_LETTERBOX_CENTRE,  // 1  14:9 letterbox centre
    PICTURESIZETYPE_AUTO_LETTERBOX_TOP,     // 2  14:9 letterbox top
    kWssScreenMode,                         // 3  invalid
    PICTURESIZETYPE_AUTO_LETTERBOX_TOP,     // 4  16:9 letterbox top
    kWssScreenMode,                         // 5  invalid
    kWssScreenMode,                         // 6  invalid
    kWssFullFormat,                         // 7  16:9 full format
    kWssScreenMode,                         // 8  4:3 full format
    kWssScreenMode,                         // 9  invalid
    kWssScreenMode,                         // 10 invalid
    PICTURESIZETYPE_AUTO_LETTERBOX_CENTRE,  // 11 16:9 letterbox centre
    kWssScreenMode,                         // 12 invalid
    PICTURESIZETYPE_AUTO_OVER_16_9,         // 13 wider than 16:9, letterbox centre
    kWssFullFormat,                         // 14 14:9 full format
};

// The AFD rule for a code and a coded-frame aspect ratio; null when the
// table has no row for them.
const TSAfdRule* FindAfdRule(unsigned char afd, uint32_t aspectRatio) {
    if (afd > 15 || (aspectRatio != 2 && aspectRatio != 3)) {
        return nullptr;
    }
    return &kAfdRules[aspectRatio - 2][afd];
}

template <class R>
TSRectInfo AsRect(const R& r) {
    return TSRectInfo(r.x, r.y, r.width, r.height);
}

// Full-width signalling: automatic 16:9, or 21:9 on a wide-screen panel while
// the menu size is 21:9.
EPictureSizeType FullWidthSize(bool bWideScreenModel, EPictureSizeType menuSize) {
    return bWideScreenModel && menuSize == PICTURESIZETYPE_21_9 ? PICTURESIZETYPE_21_9 : PICTURESIZETYPE_AUTO_16_9;
}

}  // namespace

int TCSizeControl::ChangeVideoSizeByAFD(TVStream stream, TSAspectRatioKey key, unsigned char afd,
                                        int screenModePreview) {
    // Called straight from the service too: its writes must not interleave
    // with the other geometry writers.
    TCMutexGuard guard(m_lock);
    const char* handle = m_strHandle.c_str();
    AV_LOG(1, "[%s-%s] is called, key.resolutionInfo.aspectratio[%d], afd_value[%d]", kClassName, handle,
           key.resolutionInfo.aspectratio, afd);

    EPictureSizeType pictureSize;
    const int32_t screenMode = m_GetSignalScreenMode(stream, key, screenModePreview, pictureSize);

    const TSAfdRule* rule = FindAfdRule(afd, key.resolutionInfo.aspectratio);
    const int afdClass = rule != nullptr ? rule->action : AFD_ACTION_SCREEN_MODE;
    EPictureSizeType psType;
    if (afdClass == AFD_ACTION_WIDE) {
        psType = FullWidthSize(m_IsWideScreenModel(), pictureSize);
    } else if (afdClass == AFD_ACTION_SCALE) {
        psType = PICTURESIZETYPE_AFD_SCALE;
    } else {
        psType = ScreenModeSize(screenMode);
        AV_LOG(1, "[%s-%s] Setting to 4:3 ScreenMode [%d], psType [%d]", kClassName, handle, screenMode, psType);
    }
    AV_LOG(1,
           "[ORB_PICTURE][%s-%s] Res.AspectRatio[%x] ,PictureSize[%d] ,afd_value[%x] ,afd_size[%d], "
           "4:3_ScreenMode[%d]",
           kClassName, handle, key.resolutionInfo.aspectratio, psType, afd, afdClass, screenMode);

    const int result = m_ApplySignalSize(stream, key, psType, pictureSize, afd, false);

    TIEventManager* eventMgr = TIEventManager::Instance();
    if (eventMgr == nullptr) {
        AV_LOG(1, "[%s-%s] pEventMgr is NULL!!", kClassName, handle);
        return 0;
    }
    eventMgr->SendEvent(kEventAfdChange, &m_handle, 0);
    return result;
}

int TCSizeControl::ChangeVideoSizeByWSS(TVStream stream, TSAspectRatioKey key, int wss, int screenModePreview) {
    // As ChangeVideoSizeByAFD: serialised with the other geometry writers.
    TCMutexGuard guard(m_lock);
    const char* handle = m_strHandle.c_str();
    AV_LOG(4, "[%s-%s] is called", kClassName, handle);
    AV_LOG(1, "[%s-%s] source : %d , dtv : %d , resolution : %d, WSS_data : %d", kClassName, handle, key.source,
           key.dtv, key.resolution, wss);

    EPictureSizeType pictureSize;
    const int32_t screenMode = m_GetSignalScreenMode(stream, key, screenModePreview, pictureSize);

    const uint32_t code = static_cast<uint32_t>(wss);
    const int32_t rule = code < sizeof kWssSizes / sizeof kWssSizes[0] ? kWssSizes[code] : kWssScreenMode;
    EPictureSizeType psType;
    if (rule == kWssFullFormat) {
        psType = FullWidthSize(m_IsWideScreenModel(), pictureSize);
    } else if (rule == kWssScreenMode) {
        psType = ScreenModeSize(screenMode);
        AV_LOG(1, "[%s-%s] Setting to 4:3 ScreenMode [%d], psType[%d]", kClassName, handle, screenMode, psType);
    } else {
        psType = static_cast<EPictureSizeType>(rule);
    }
    AV_LOG(1, "[ORB_PICTURE][%s-%s] Res.AspectRatio[%x] , PictureSize[%d] , WSS_data=[%d] , 4:3 ScreenMode=[%d]",
           kClassName, handle, key.resolutionInfo.aspectratio, psType, wss, screenMode);

    // No AFD on an analog picture: the lookup never scales the input here.
    return m_ApplySignalSize(stream, key, psType, pictureSize, kAfdNone, true);
}

// The key's menu picture size, and the 4:3 screen mode that decides where the
// signal does not: the stored one, or the preview when one is given.
int32_t TCSizeControl::m_GetSignalScreenMode(TVStream stream, TSAspectRatioKey key, int screenModePreview,
                                             EPictureSizeType& pictureSize) {
    pictureSize = PICTURESIZETYPE_16_9;
    HT_CALL_MEMBER(this, &TCSizeControl::GetPictureSize, HT_DIRS(1, 2), key, pictureSize);
    if (screenModePreview != -1) {
        AV_LOG(1, "[ORB_PICTURE][%s-%s] ScreenMode Preview[%d]", kClassName, m_strHandle.c_str(), screenModePreview);
        return screenModePreview;
    }
    TSPictureSizeOption option;
    m_GetPictureSizeDetailInfo(pictureSize, key, option, true, stream);
    return option.screenMode;
}

// Applies the size a signal decided: rectangles by screen state (the
// looked-up destination kept as the AFD geometry), then the fast-boot check
// and the sink write, both with the menu picture size.
int TCSizeControl::m_ApplySignalSize(TVStream stream, TSAspectRatioKey key, EPictureSizeType psType,
                                     EPictureSizeType pictureSize, unsigned char afd, bool bLogSource) {
    const char* handle = m_strHandle.c_str();
    TSRectInfo src(0, 0, 0, 0);
    TSRectInfo dst(0, 0, 0, 0);
    AV_LOG(1, "[%s-%s] psType : [%d]", kClassName, handle, psType);
    const int gfx = RefreshGFXRectSize(stream);
    AV_LOG(1, "[%s-%s] RefreshGFXRectSize() ret[%d]", kClassName, handle, gfx);

    const EScreenStateType state = GetCurrentScreenState();
    if (state == SCREENSTATE_PIG_BY_CROPVIDEO) {
        src = AsRect(t_currentSrc);
        dst = AsRect(t_currentDst);
        AV_LOG(1,
               "[ORB_PICTURE][%s-%s] Apply manual srcRect && dstRect by APP, src(%d, %d, %d, %d)/ dst(%d, %d, %d, "
               "%d)",
               kClassName, handle, src.x, src.y, src.width, src.height, dst.x, dst.y, dst.width, dst.height);
    } else {
        // In a window placed by SetSize only the crop follows the signal,
        // looked up at 16:9; the application's destination stays.
        const EPictureSizeType lookupSize = state == SCREENSTATE_PIG_BY_SETSIZE ? PICTURESIZETYPE_16_9 : psType;
        HT_CALL_MEMBER(this, &TCSizeControl::t_GetRectSizeByLookupTable, HT_DIRS(1, 1, 1, 2, 2, 1), stream,
                       lookupSize, key, src, dst, afd);
        HT_CALL_MEMBER(this, &TCSizeControl::t_SetPanorama, HT_DIRS(1, 1, 1), stream, lookupSize, key);
        t_afdGeometryRect = dst;
        if (state == SCREENSTATE_PIG_BY_SETSIZE) {
            dst = AsRect(t_currentDst);
            AV_LOG(1, "[ORB_PICTURE][%s-%s] Apply manual dstRect by APP, src(%d, %d, %d, %d)/ dst(%d, %d, %d, %d)",
                   kClassName, handle, src.x, src.y, src.width, src.height, dst.x, dst.y, dst.width, dst.height);
        }
    }
    if (bLogSource) {
        AV_LOG(1, "[%s-%s] src : x[%d] , y[%d] , h[%d] , w[%d]", kClassName, handle, src.x, src.y, src.height,
               src.width);
    }

    if (m_handle.p == kAnalysisP && !m_bCheckLiveTvShow) {
        if (PlayerStream(stream, __FUNCTION__, __LINE__, m_strHandle, TV_PROPERTY_VIDEO_SINK_ZORDER)) {
            HT_CALL(tv_stream_set_property, HT_DIRS(1, 1, 1, 1), stream, TV_PROPERTY_VIDEO_SINK_ZORDER,
                    EZORDER_VIDEO_DEFAULT, nullptr);
        }
        dst = TSRectInfo(0, 0, 1, 1);
    }

    HT_CALL_MEMBER(this, &TCSizeControl::m_CheckSavedPictureinfoFB, HT_DIRS(1, 1, 1), stream, key, pictureSize);
    return HT_CALL_MEMBER(this, &TCSizeControl::m_SetCropVideo, HT_DIRS(1, 1, 1, 1), stream, src, dst, pictureSize);
}

bool TCSizeControl::m_CheckApplyAFD(unsigned char /*afd*/, EPictureSizeType size, TSAspectRatioKey key) {
    const char* handle = m_strHandle.c_str();
    AV_LOG(4, "[%s-%s] is call", kClassName, handle);
    // Read for the end log only.
    TSPictureSizeOption option{};
    m_GetPictureSizeDetailInfo(size, key, option, true, nullptr);

    bool bCheck = false;
    if (key.dtv) {
        const EScreenStateType state = GetCurrentScreenState();
        if (state == SCREENSTATE_PIG_BY_SETSIZE || state == SCREENSTATE_PIG_BY_CROPVIDEO) {
            AV_LOG(1, "[%s-%s] GetCurrentScreenState() is NOT FULLSIZE, bCheck is false", kClassName, handle);
        } else {
            bCheck = true;
        }
    }
    AV_LOG(1,
           "[%s-%s] is end, bCheck [%d], ePictureSizeType[%d], key.dtv[%d], resolutionInfo.aspectratio[%d], "
           "detail_option.bAutoWide[%d]",
           kClassName, handle, bCheck, size, key.dtv, key.resolutionInfo.aspectratio, option.bAutoWide);
    return bCheck;
}

void TCSizeControl::m_GetAfdScaleInfo(unsigned char afd, TSAspectRatioKey key, ScaleInfo_t& out) {
    const TSAfdRule* rule = FindAfdRule(afd, key.resolutionInfo.aspectratio & 0xFFu);
    if (rule == nullptr) {
        return;
    }
    const char* handle = m_strHandle.c_str();
    const int entry = rule->scaleEntry;
    AV_LOG(1, "[%s-%s] eAfdScaleType[%d]", kClassName, handle, entry);
    const TSAfdScale& scale = kAfdScales[entry];
    out.eAfdScaleType = entry;
    out.tInputVideo = TSRectInfo(0, 0, kScaleInputWidth, kScaleInputHeight);
    out.tCaptureRatio = TSRectInfo(scale.x, scale.y, scale.width, scale.height);
    AV_LOG(1, "[%s-%s] pAfdScaleData[%d], tCaptureRatio, x[%d], y[%d], width[%d], height[%d]", kClassName, handle,
           entry, scale.x, scale.y, scale.width, scale.height);
}

void TCSizeControl::m_CalcInputVideoRect(TSRectInfo input, TSRectInfo captureRatio, TSRectInfo& out) {
    const char* handle = m_strHandle.c_str();
    AV_LOG(4, "[%s-%s] is called", kClassName, handle);
    AV_LOG(1, "[%s-%s] inputVideo, width[%d], height[%d], x[%d], y[%d]", kClassName, handle, input.width,
           input.height, input.x, input.y);
    // The offsets are relative to the input's own origin (input.x, y are not added).
    out.height = WrapMul(captureRatio.height, input.height) / 10000;
    out.width = WrapMul(captureRatio.width, input.width) / 10000;
    out.x = WrapMul(WrapSub(input.width, out.width) / 2, captureRatio.x);
    out.y = WrapMul(WrapSub(input.height, out.height) / 2, captureRatio.y);
    AV_LOG(1, "[%s-%s] end, calculation result, width[%d], height[%d], x[%d], y[%d]", kClassName, handle, out.width,
           out.height, out.x, out.y);
}
