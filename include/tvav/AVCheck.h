// Capability checks: which picture and sound options the menus may offer for
// the current input. One process-wide instance whose class follows the
// product's broadcast region (ATSC/ISDB or DVB).
#pragma once

#include <cstdint>

#include <tvav/AVTypes.h>
#include "TCFramework.h"
#include "tv_stream.h"

// The framework's region code (factory option 0).
typedef int32_t ERegion;

class TVAV_EXPORT TCAVCheck {
public:
    // Rule set of a framework region; reads the analog country for the
    // regions whose rule set depends on it.
    static EAVCheckRegion GetAVCheckRegion(ERegion region);
    // The instance for the current region; replaced when the region changes.
    static TCAVCheck* GetInstance();
    // A new instance of the class serving `region`.
    static TCAVCheck* CreateInstance(EAVCheckRegion region);

    TCAVCheck();
    virtual ~TCAVCheck();
    TCAVCheck(const TCAVCheck&) = delete;
    TCAVCheck& operator=(const TCAVCheck&) = delete;

    // Whether the analog sound mode can be offered on this stream now.
    void CheckAnalogMTS(TVStream stream, EMultiSoundMode mode, bool& bCheck);

    // Whether the picture size `sourceInfo.pictureSize` can be chosen for this input.
    void CheckPictureSize(TVStream stream, TSAspectRatioKey key, TSSourceTypeInfo sourceInfo, bool& bCheck);
    // Whether a sub-menu of picture size `size` is available for this input.
    void CheckPictureSizeSubMenu(TSAspectRatioKey key, EPictureSizeType size, EPictureSizeSubMenuType submenu,
                                 bool& bCheck);

    // Whether an exceptional input condition holds. `bPCMode` stands in for
    // the stream's PC flag when `stream` is null.
    static bool CheckExceptionScreenState(TVStream stream, TSAspectRatioKey key, EExceptionScreenStateType type,
                                          bool bPCMode);
    // Whether the screen-fit option can be offered for this input.
    void CheckScreenFitOption(TVStream stream, TSAspectRatioKey key, TSSourceTypeInfo sourceInfo,
                              EScreenFitOptionType option, bool& bCheck);
    // Whether the screen-fit position can be adjusted for this input.
    void CheckScreenFitPosition(TSAspectRatioKey key, TSSourceTypeInfo sourceInfo, bool& bCheck);
    // Whether auto wide is supported in the current region.
    void CheckAutoWideSupported(bool& onOff);

protected:
    // Region hooks; the base versions leave the out-flag untouched.
    virtual void t_CheckAnalogMTS(TVStream stream, EMultiSoundMode mode, bool& bCheck);
    virtual void t_CheckAspectRatio(TSAspectRatioKey key, TSSourceTypeInfo sourceInfo, bool& bCheck);

private:
    // PC mode of the input from the AV output controller (0: not PC).
    int m_GetPCMode(TSAspectRatioKey key);

    int32_t m_product_type;

    static TCAVCheck* m_Instance;
    static EAVCheckRegion m_currentRegionState;
    static TCRWLock m_rwlock;
};
