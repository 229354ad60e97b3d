// Zoom, caption and custom steps, the screen-fit position of a custom picture
// without zoom, and the readers of the stored offsets.
#include <tvav/AVCheck.h>
#include "common/Log.h"
#include "sizecontrol/Mutex.h"
#include <tvav/SizeControl.h>
#include "sizecontrol/SizeControlRules.h"
#include "instrument/CallLayer.h"
#include "vconf.h"

using tvav::sizecontrol::EndsBeyond;
using tvav::sizecontrol::IsScreenFitResolution;
using tvav::sizecontrol::IsZoomPositionResolution;
using tvav::sizecontrol::IsZoomStepResolution;
using tvav::sizecontrol::k720LineResolutions;
using tvav::sizecontrol::kAfdNone;
using tvav::sizecontrol::kClassName;
using tvav::sizecontrol::StoreSource;
using tvav::sizecontrol::TCAspectRatioAgentAccess;
using tvav::sizecontrol::WrapAdd;
using tvav::sizecontrol::WrapMul;
using tvav::sizecontrol::WrapSub;

namespace {

constexpr int kScreenFitPositionLimit = 5;  // steps in each direction

// Step limits of the zoom, caption and custom sizes.
constexpr int kZoomStepMax = 10;
constexpr int kZoomStepMin = -10;
constexpr int kZoomStepMinStepResolution = -9;
constexpr int kZoomYMargin = 15;
constexpr int kZoomPositionMarginWide = 17;  // zoom-position resolutions
constexpr int kZoomPositionMargin = 15;
constexpr int kCaptionStepMax = 18;
constexpr int kCaptionYMargin = 14;
constexpr int kCaptionSmallStepLimit = 17;  // below it the caption range follows the step
constexpr int kCaptionYMin = -30;
constexpr int kCaptionYMax = 16;
constexpr int kCustomVStepMax = 25;
constexpr int kCustomHStepMax = 17;

bool Within(int value, int low, int high) { return value >= low && value <= high; }

// Clamps value into [low, high].
int Clamp(int value, int low, int high) { return value > high ? high : (value < low ? low : value); }

// The record's offset fields take the member's, in the record's order.
void SetRecordOffset(TSPictureSizeOption& option, const TSRectInfo& offset) {
    option.bOffset = true;
    option.offsetX = offset.x;
    option.offsetY = offset.y;
    option.offsetHeight = offset.height;
    option.offsetWidth = offset.width;
}

// Asks the menu to refresh after a stored change.
void RefreshMenu() {
    if (HT_CALL(vconf_set_int, HT_DIRS(1, 1), VCONFKEY_REFRESH_MENU, 1) < 0) {
        AV_LOG(1, "[ORB_PICTURE] - db/menu/refresh_menu setting vconf fail");
    }
}

}  // namespace

int TCSizeControl::SetZoomSize(TVStream stream, TSAspectRatioKey key, int hStep, int vStep) {
    AV_LOG(1, "[%s-%s] source : %d , dtv : %d , resolution : %d , width : %d, height : %d", kClassName,
           m_strHandle.c_str(), key.source, key.dtv, key.resolution, hStep, vStep);
    TCMutexGuard guard(m_lock);

    EPictureSizeType size = PICTURESIZETYPE_16_9;
    GetPictureSize(key, size);
    TCAspectRatioAgentAccess access;
    if (access.agent == nullptr) {
        AV_LOG(1, "[%s-%s] pData is NULL!!", kClassName, m_strHandle.c_str());
        return 0;
    }
    TSPictureSizeOption option;
    m_GetPictureSizeDetailInfo(size, key, option, false, nullptr);

    if (size == PICTURESIZETYPE_ZOOM) {
        const int low = IsZoomStepResolution(key.resolution) ? kZoomStepMinStepResolution : kZoomStepMin;
        if (Within(vStep, low, kZoomStepMax)) {
            AV_LOG(1, "[%s-%s] zoomSize Changing vZoomStep [%d]", kClassName, m_strHandle.c_str(), vStep);
            t_zoomOffset.width = 0;
            t_zoomOffset.height = vStep;
            t_zoomOffset.y = Clamp(t_zoomOffset.y, -kZoomYMargin - vStep, vStep + kZoomYMargin);
        }
        option.bOffset = false;
    } else if (size == PICTURESIZETYPE_CAPTION) {
        if (Within(vStep, 0, kCaptionStepMax)) {
            AV_LOG(1, "[%s-%s] Caption zoomSize Changing vZoomStep [%d]", kClassName, m_strHandle.c_str(), vStep);
            t_captionOffset.width = 0;
            t_captionOffset.height = vStep;
            t_captionOffset.y = Clamp(t_captionOffset.y, 0, vStep + kCaptionYMargin);
        }
        SetRecordOffset(option, t_captionOffset);
    } else if (size == PICTURESIZETYPE_CUSTOM) {
        if (t_customOffset.width == 0 && t_customOffset.height == 0) {
            AV_LOG(1, "[%s-%s] Custom - no Zoom Case", kClassName, m_strHandle.c_str());
        } else {
            AV_LOG(1, "[%s-%s] p.size Custom, change zoom size!", kClassName, m_strHandle.c_str());
            t_screenFitPosition.x = 0;
            t_screenFitPosition.y = 0;
        }
        if (vStep <= kCustomVStepMax) {
            AV_LOG(1, "[%s-%s] Custom zoomSize Changing vZoomStep [%d]", kClassName, m_strHandle.c_str(), vStep);
            t_customOffset.height = vStep;
            if (vStep < 0) {
                AV_LOG(1, "[%s-%s] invalid value !! set to 0, height [%d]", kClassName, m_strHandle.c_str(), vStep);
                t_customOffset.height = 0;
            } else {
                t_customOffset.y = Clamp(t_customOffset.y, -vStep, vStep);
            }
        }
        if (hStep <= kCustomHStepMax) {
            AV_LOG(1, "[%s-%s] Custom zoomSize Changing hZoomStep [%d]", kClassName, m_strHandle.c_str(), hStep);
            t_customOffset.width = hStep;
            if (hStep < 0) {
                AV_LOG(1, "[%s-%s] invalid value !! set to 0, width [%d]", kClassName, m_strHandle.c_str(), hStep);
                t_customOffset.width = 0;
            } else {
                t_customOffset.x = Clamp(t_customOffset.x, -hStep, hStep);
            }
        }
        SetRecordOffset(option, t_customOffset);
        AV_LOG(1, "[ORB_PICTURE][%s-%s] Size in CUSTOM, customOffset::x[%d], y[%d], width[%d], Height[%d]",
               kClassName, m_strHandle.c_str(), t_customOffset.x, t_customOffset.y, t_customOffset.width,
               t_customOffset.height);
    }

    return m_ApplyZoomStep(stream, key, size, option, access.agent);
}

int TCSizeControl::SetZoomPosition(TVStream stream, TSAspectRatioKey key, int dx, int dy) {
    AV_LOG(4, "[%s-%s] is called", kClassName, m_strHandle.c_str());
    TCMutexGuard guard(m_lock);

    TCAspectRatioAgentAccess access;
    if (access.agent == nullptr) {
        AV_LOG(1, "[%s-%s] pData is NULL!!", kClassName, m_strHandle.c_str());
        return 0;
    }
    TSPictureSizeOption option;
    const EPictureSizeType size = m_GetCurrentSizeOption(key, option, false);

    if (size == PICTURESIZETYPE_ZOOM || size == PICTURESIZETYPE_CAPTION) {
        TSRectInfo& offset = size == PICTURESIZETYPE_ZOOM ? t_zoomOffset : t_captionOffset;
        int high;
        int low;
        if (size == PICTURESIZETYPE_ZOOM) {
            AV_LOG(1, "[%s-%s] picture type is zoom [%d], dx[%d], dy[%d]", kClassName, m_strHandle.c_str(), size,
                   dx, dy);
            int margin = kZoomPositionMargin;
            if (IsZoomPositionResolution(key.resolution)) {
                AV_LOG(1, "[%s-%s] 720/1080 case, key.resolution[%d]", kClassName, m_strHandle.c_str(),
                       key.resolution);
                margin = kZoomPositionMarginWide;
            }
            high = WrapAdd(offset.height, margin);
            low = WrapSub(0, high);
        } else {
            AV_LOG(1, "[%s-%s] picture type is caption [%d], dx[%d], dy[%d]", kClassName, m_strHandle.c_str(), size,
                   dx, dy);
            const int h = offset.height;
            high = h < kCaptionSmallStepLimit ? h : kCaptionYMax;
            low = h < kCaptionSmallStepLimit ? -kCaptionYMargin - h : kCaptionYMin;
        }
        if (Within(dy, low, high)) {
            AV_LOG(1, "[%s-%s] changing position, dy[%d], final_limit_max[%d], final_limit_min[%d]", kClassName,
                   m_strHandle.c_str(), dy, high, low);
            offset.x = 0;
            offset.y = dy;
        } else {
            AV_LOG(1, "[%s-%s] out of boundary, dy[%d], final_limit_max[%d], final_limit_min[%d]", kClassName,
                   m_strHandle.c_str(), dy, high, low);
        }
        if (size == PICTURESIZETYPE_ZOOM) {
            option.bOffset = false;
        } else {
            SetRecordOffset(option, t_captionOffset);
        }
    } else if (size == PICTURESIZETYPE_CUSTOM) {
        // A full-size custom picture without zoom under screen fit moves by
        // the screen-fit position instead of the custom offset.
        EScreenFitOptionType screenFit = SCREENFITOPTION_OFF;
        const bool bScreenFitResolution = IsScreenFitResolution(key.resolution);
        if (bScreenFitResolution) {
            t_GetScreenFitOption(stream, key, screenFit, PICTURESIZETYPE_CUSTOM);
            if (screenFit == SCREENFITOPTION_AUTO) {
                m_CheckScreenFitAutowork(stream, key, screenFit);
            }
        }
        if (bScreenFitResolution && t_customOffset.width == 0 && t_customOffset.height == 0 &&
            screenFit == SCREENFITOPTION_ON && GetCurrentScreenState() == SCREENSTATE_FULLSIZE) {
            SetRecordOffset(option, TSRectInfo(dx, dy, 0, 0));
            if (!Within(dx, -kScreenFitPositionLimit, kScreenFitPositionLimit) ||
                !Within(dy, -kScreenFitPositionLimit, kScreenFitPositionLimit)) {
                AV_LOG(1, "[ORB_PICTURE][%s-%s] ScreenFit Not Zoom case - end of limit x[%d], y[%d]", kClassName,
                       m_strHandle.c_str(), dx, dy);
                return 0;
            }
            AV_LOG(1, "[ORB_PICTURE][%s-%s] ScreenFit Not Zoom case - SetScreenFitPosition(), x[%d], y[%d]",
                   kClassName, m_strHandle.c_str(), dx, dy);
            HT_CALL_MEMBER(this, &TCSizeControl::m_StoreFBPictureSize, HT_DIRS(1, 1, 1, 1, 1), stream, key,
                           PICTURESIZETYPE_CUSTOM, option, true);
            if (access.agent->SetPictureSizeDetailInfo(StoreSource(key.source),
                                                       t_ConvertResolutionToResolutionMode(key.resolution),
                                                       PICTURESIZETYPE_CUSTOM, option)) {
                RefreshMenu();
            }
            return SetScreenFitPosition(stream, key, dx, dy);
        }

        // The limits come unchecked from the stored record: negated in
        // wrapping arithmetic, as everywhere a stored value is computed on.
        const int hMax = t_customOffset.width;
        const int vMax = t_customOffset.height;
        if (Within(dx, WrapSub(0, hMax), hMax)) {
            AV_LOG(1, "[%s-%s] Custom, changing position dx[%d], final_h_min[%d], final_h_max[%d]", kClassName,
                   m_strHandle.c_str(), dx, WrapSub(0, hMax), hMax);
            t_customOffset.x = dx;
        }
        if (Within(dy, WrapSub(0, vMax), vMax)) {
            AV_LOG(1, "[%s-%s] Custom, changing position dy[%d], final_v_min[%d], final_v_max[%d]", kClassName,
                   m_strHandle.c_str(), dy, WrapSub(0, vMax), vMax);
            t_customOffset.y = dy;
        }
        SetRecordOffset(option, t_customOffset);
        AV_LOG(1, "[ORB_PICTURE][%s-%s] Position in CUSTOM, customOffset::x[%d], y[%d], width[%d], Height[%d]",
               kClassName, m_strHandle.c_str(), t_customOffset.x, t_customOffset.y, t_customOffset.width,
               t_customOffset.height);
    }

    return m_ApplyZoomStep(stream, key, size, option, access.agent);
}

int TCSizeControl::m_ApplyZoomStep(TVStream stream, TSAspectRatioKey key, EPictureSizeType size,
                                   const TSPictureSizeOption& option, TIAspectRatioAgent* agent) {
    // Store, then apply unless an application owns source and destination.
    const bool bStored = agent->SetPictureSizeDetailInfo(
        StoreSource(key.source), t_ConvertResolutionToResolutionMode(key.resolution), size, option);
    AV_LOG(1, "[%s-%s] SetPictureSizeDetailInfo() ret[%d]", kClassName, m_strHandle.c_str(), bStored);
    if (bStored) {
        RefreshMenu();
    }
    if (GetCurrentScreenState() == SCREENSTATE_PIG_BY_CROPVIDEO) {
        AV_LOG(1, "[%s-%s] t_eCurrentScreenState[%d], This is PIG mode By SetCropVideo, Only update SetPictureSizeInfo",
               kClassName, m_strHandle.c_str(), GetCurrentScreenState());
        return 1;
    }
    const int refreshResult = RefreshGFXRectSize(stream);
    AV_LOG(1, "[%s-%s] RefreshGFXRectSize() ret[%d]", kClassName, m_strHandle.c_str(), refreshResult);
    TSRectInfo src;
    TSRectInfo dst;
    t_GetRectSizeByLookupTable(stream, size, key, src, dst, kAfdNone);
    t_SetPanorama(stream, size, key);
    HT_CALL_MEMBER(this, &TCSizeControl::m_StoreFBPictureSize, HT_DIRS(1, 1, 1, 1, 1), stream, key, size, option,
                   true);
    AV_LOG(1, "[%s-%s] call m_SetCropVideo", kClassName, m_strHandle.c_str());
    return HT_CALL_MEMBER(this, &TCSizeControl::m_SetCropVideo, HT_DIRS(1, 1, 1, 1), stream, src, dst, size);
}

int TCSizeControl::SetScreenFitPosition(TVStream stream, TSAspectRatioKey key, int x, int y) {
    AV_LOG(1, "[ORB_PICTURE][%s-%s] source : %d , dtv : %d , resolution : %d , x : %d , y : %d", kClassName,
           m_strHandle.c_str(), key.source, key.dtv, key.resolution, x, y);
    TCMutexGuard guard(m_lock);

    EPictureSizeType size = PICTURESIZETYPE_16_9;
    HT_CALL_MEMBER(this, &TCSizeControl::GetPictureSize, HT_DIRS(1, 2), key, size);
    if (size != PICTURESIZETYPE_CUSTOM) {
        AV_LOG(1, "[%s-%s] Invalid Picture Size! Need to PICTURESIZETYPE_CUSTOM[%d] != [%d]", kClassName,
               m_strHandle.c_str(), PICTURESIZETYPE_CUSTOM, size);
        return 0;
    }
    const int refreshResult = RefreshGFXRectSize(stream);
    AV_LOG(1, "[%s-%s] RefreshGFXRectSize() ret[%d]", kClassName, m_strHandle.c_str(), refreshResult);

    // One step moves the picture by two pixels.
    const int mx = WrapMul(2, x);
    const int my = WrapMul(2, y);
    AV_LOG(1, "[%s-%s] moveXvalue [%d], moveYvalue[%d]", kClassName, m_strHandle.c_str(), mx, my);

    if (!IsScreenFitResolution(key.resolution)) {
        AV_LOG(1, "[%s-%s] Invalid resolution[%d]!!", kClassName, m_strHandle.c_str(), key.resolution);
        return 0;
    }
    const bool b720 = tvav::InList(k720LineResolutions, key.resolution);
    const int W = b720 ? 1280 : 1920;
    const int H = b720 ? 720 : 1080;

    // The source loses the moved-out part; the destination moves by the same
    // amount on the panel, scaled into the graphics plane.
    const TSRectInfo& F = t_fullScreenRect;
    const TSRectInfo& G = t_BaseGfxRect;
    TSRectInfo src;
    TSRectInfo dst;
    if (x < 0) {
        src.x = WrapSub(0, mx);
        src.width = WrapAdd(W, mx);
        dst.x = 0;
        dst.width = WrapMul(WrapAdd(F.width, mx), G.width) / F.width;
    } else {
        src.x = 0;
        src.width = WrapSub(W, mx);
        dst.x = WrapAdd(F.x, mx);
        dst.width = WrapMul(WrapSub(F.width, mx), G.width) / F.width;
    }
    if (y < 0) {
        src.y = 0;
        src.height = WrapAdd(H, my);
        dst.y = WrapSub(F.y, my);
        dst.height = WrapMul(WrapAdd(F.height, my), G.height) / F.height;
    } else {
        src.y = my;
        src.height = WrapSub(H, my);
        dst.y = 0;
        dst.height = WrapMul(WrapSub(F.height, my), G.height) / F.height;
    }
    AV_LOG(1, "[%s-%s] converted result : srcRect[%d,%d,%d,%d], dstRect[%d,%d,%d,%d]", kClassName,
           m_strHandle.c_str(), src.x, src.y, src.width, src.height, dst.x, dst.y, dst.width, dst.height);

    if (EndsBeyond(dst.x, dst.width, G.width) || EndsBeyond(dst.y, dst.height, G.height)) {
        AV_LOG(1,
               "[%s-%s] Invalid Geometry Size Size!! :  dstRect.x[%d], dstRect.y[%d], dstRect.width[%d], "
               "dstRect.height[%d]",
               kClassName, m_strHandle.c_str(), dst.x, dst.y, dst.width, dst.height);
        return 0;
    }
    t_screenFitPosition.x = x;
    t_screenFitPosition.y = y;
    return HT_CALL_MEMBER(this, &TCSizeControl::m_SetCropVideo, HT_DIRS(1, 1, 1, 1), stream, src, dst,
                          PICTURESIZETYPE_CUSTOM);
}

bool TCSizeControl::m_CheckScreenFitPosition(TVStream stream, EPictureSizeType size, TSAspectRatioKey key, int x,
                                             int y, int w, int h) {
    if (StoreSource(key.source) == 0 && !key.dtv) {
        AV_LOG(1, "[%s-%s] dtv[%d]. ATV Doesn't support this option.", kClassName, m_strHandle.c_str(), key.dtv);
        return false;
    }
    const bool bMhl = HT_CALL(&TCAVCheck::CheckExceptionScreenState, HT_DIRS(1, 1, 1, 1), stream, key,
                              EXCEPTION_SCREEN_MHL, false);
    const bool bPcMode = HT_CALL(&TCAVCheck::CheckExceptionScreenState, HT_DIRS(1, 1, 1, 1), stream, key,
                                 EXCEPTION_SCREEN_PC_MODE, false);
    if (bMhl || bPcMode) {
        AV_LOG(1, "[ORB_PICTURE][%s-%s] pc_mode, cannot supported screenFit position", kClassName,
               m_strHandle.c_str());
        return false;
    }

    EScreenFitOptionType screenFit = SCREENFITOPTION_OFF;
    t_GetScreenFitOption(stream, key, screenFit, size);
    if (screenFit == SCREENFITOPTION_AUTO) {
        m_CheckScreenFitAutowork(stream, key, screenFit);
    }

    const bool bCheck = IsScreenFitResolution(key.resolution) && size == PICTURESIZETYPE_CUSTOM &&
                        screenFit == SCREENFITOPTION_ON && w == 0 && h == 0 &&
                        Within(x, -kScreenFitPositionLimit, kScreenFitPositionLimit) &&
                        Within(y, -kScreenFitPositionLimit, kScreenFitPositionLimit) && (x != 0 || y != 0);
    AV_LOG(1, "[ORB_PICTURE][%s-%s] pictureSizeType[%d], current_screenfit[%d], dw[%d], dh[%d], dx[%d], dy[%d]",
           kClassName, m_strHandle.c_str(), size, screenFit, w, h, x, y);
    AV_LOG(1, "[ORB_PICTURE][%s-%s] is end, bCheck[%d], key.source[%d],  key.resolution[%d]", kClassName,
           m_strHandle.c_str(), bCheck, key.source, key.resolution);
    return bCheck;
}

void TCSizeControl::GetZoomPosition(TSAspectRatioKey key, int& dx, int& dy) {
    TCMutexGuard guard(m_lock);
    TSPictureSizeOption option;
    const EPictureSizeType size = m_GetCurrentSizeOption(key, option, false);
    dx = option.offsetX;
    dy = option.offsetY;
    AV_LOG(1, "[%s-%s] p.size[%d], resolution[%d], dx:[%d] , dy:[%d]", kClassName, m_strHandle.c_str(), size,
           key.resolution, dx, dy);
}

void TCSizeControl::GetZoomSize(TSAspectRatioKey key, int& width, int& height) {
    TCMutexGuard guard(m_lock);
    TSPictureSizeOption option;
    const EPictureSizeType size = m_GetCurrentSizeOption(key, option, false);
    width = option.offsetWidth;
    height = option.offsetHeight;
    AV_LOG(1, "[%s-%s] p.size[%d], resolution[%d], dw:[%d] , dh:[%d]", kClassName, m_strHandle.c_str(), size,
           key.resolution, width, height);
}
