#include <tvav/AVCheck.h>

#include <memory>
#include <vector>

#include <tvav/AVCheckATSC.h>
#include <tvav/AVCheckDVB.h>
#include "avcheck/AVCheckRules.h"
#include "common/Common.h"
#include "common/Log.h"
#include "common/RWLockGuard.h"
#include "avoc.h"
#include "instrument/CallLayer.h"
#include "instrument/PerfMarker.h"
#include "system_info.h"
#include "vconf.h"

using tvav::AutoWideSupported;
using tvav::InList;
using tvav::InRanges;
using tvav::kProductTypeOwnRules;
using tvav::kResolutionLastChance;
using tvav::kResolutionsFit4by3;
using tvav::kSourceSetS;
using tvav::kSourcesAV;
using tvav::TCReadLockGuard;
using tvav::TCWriteLockGuard;
using tvav::TSCodeRange;

TCAVCheck* TCAVCheck::m_Instance = nullptr;
EAVCheckRegion TCAVCheck::m_currentRegionState = static_cast<EAVCheckRegion>(-1);
TCRWLock TCAVCheck::m_rwlock;

namespace {

constexpr int kOptionRegion = 0;
constexpr int kOptionProductType = 24;

// ---------------------------------------------------------------------------
// Region rule
// ---------------------------------------------------------------------------
constexpr int32_t kAtscRegions[] = {1, 2, 34};
constexpr int32_t kIsdbRegions[] = {3, 10, 13, 14, 15, 17, 18, 20, 21, 36, 37};
// Regions whose rule set follows the analog country.
constexpr int32_t kCountryRuledRegions[] = {25, 26, 27, 28, 29, 35};

// Analog countries named in the region messages.
constexpr int32_t kCountryUnknown = -1;
constexpr int32_t kCountrySelaAtv = 73;
constexpr int32_t kCountrySelaAtsc = 87;
constexpr int32_t kCountryEquador = 69;
constexpr int32_t kCountrySelaIsdb = 74;
constexpr int32_t kCountryPanama = 1;
constexpr int32_t kCountryCostarica = 80;

constexpr int32_t kAtscCountries[] = {kCountryUnknown, kCountrySelaAtv, kCountrySelaAtsc};
constexpr int32_t kIsdbCountries[] = {kCountryEquador, kCountrySelaIsdb, 75, kCountryCostarica, kCountryPanama};

EAVCheckRegion RegionByAnalogCountry(int32_t country) {
    if (InList(kAtscCountries, country)) {
        AV_LOG(1,
               "[TCAVCheck::GetAVCheckRegion] current Country[%d] is UNKOWN or SELA_ATV[%d] or SELA_ATSC[%d], so "
               "return  AV_CHECK_REGION_ATSC",
               country, kCountrySelaAtv, kCountrySelaAtsc);
        return AV_CHECK_REGION_ATSC;
    }
    if (InList(kIsdbCountries, country)) {
        AV_LOG(1,
               "[TCAVCheck::GetAVCheckRegion] current Country[%d] is EQUADOR[%d] or SELA_ISDB[%d] or PANAMA[%d] or "
               "COSTARICA[%d], so return  AV_CHECK_REGION_ISDB",
               country, kCountryEquador, kCountrySelaIsdb, kCountryPanama, kCountryCostarica);
        return AV_CHECK_REGION_ISDB;
    }
    AV_LOG(1, "[TCAVCheck::GetAVCheckRegion] current Country[%d] is default, so return  AV_CHECK_REGION_DVB", country);
    return AV_CHECK_REGION_DVB;
}

// ---------------------------------------------------------------------------
// Source and resolution sets
// ---------------------------------------------------------------------------
// Inputs whose PC state can be asked at all.
constexpr TSCodeRange kSourcesPCCapable[] = {{10, 16}, {20, 22}};
// Inputs that are PC inputs on every product.
constexpr TSCodeRange kSourcesPCAlways[] = {{10, 12}};
// External digital inputs of platform source class 0x70000: PC inputs on
// products without their own rules, never offered automatic screen fit.
constexpr TSCodeRange kSourcesExternalDigital[] = {{20, 22}};
// Inputs whose PC mode the AV output controller reports.
constexpr TSCodeRange kSourcesAvocPCMode[] = {{13, 16}, {20, 22}};
// Inputs whose PC flag is read from the player on products with their own rules.
constexpr TSCodeRange kSourcesTvpPCMode[] = {{1, 22}, {32, 35}};

// Fit set F.
constexpr TSCodeRange kResolutionsFit[] = {
    {0x10001, 0x10003}, {0x2000B, 0x2000E}, {0x10008, 0x10008}, {0x10009, 0x10009}, {0x30000, 0x30009},
};
// Audio-video fit set V.
constexpr TSCodeRange kResolutionsAVFit[] = {
    {0x10001, 0x10001}, {0x10002, 0x10002}, {0x10008, 0x10008},
    {0x10009, 0x10009}, {0x2000B, 0x2000D}, {0x30002, 0x30009},
};
// Further resolutions offering screen fit on digital inputs.
constexpr TSCodeRange kResolutionsFitDigitalExtra[] = {{0x40000, 0x4000D}};
// PC timings.
constexpr TSCodeRange kResolutionsPC[] = {{0x50000, 0x5005C}};

// Instances replaced after a region change. Callers may still hold a pointer
// obtained before the change (GetInstance hands out a raw pointer and callers
// use it without a lock), so a replaced instance is never deleted: it is kept
// here until the process ends. Instances are small and replacements rare.
// The list itself is never destroyed, so an old pointer stays valid even
// during static destruction. Guarded by the write lock.
std::vector<TCAVCheck*>& RetiredInstances() {
    static std::vector<TCAVCheck*>* retired = new std::vector<TCAVCheck*>();
    return *retired;
}

}  // namespace

// ---------------------------------------------------------------------------
// Region selection and instances
// ---------------------------------------------------------------------------
EAVCheckRegion TCAVCheck::GetAVCheckRegion(ERegion region) {
    const int32_t country = TCVConfProvider::GetAnalogCountry();
    EAVCheckRegion result;
    if (InList(kAtscRegions, region)) {
        AV_LOG(4, "[TCAVCheck::GetAVCheckRegion] return  AV_CHECK_REGION_ATSC");
        result = AV_CHECK_REGION_ATSC;
    } else if (InList(kIsdbRegions, region)) {
        AV_LOG(4, "[TCAVCheck::GetAVCheckRegion] return  AV_CHECK_REGION_ISDB");
        result = AV_CHECK_REGION_ISDB;
    } else if (InList(kCountryRuledRegions, region)) {
        result = RegionByAnalogCountry(country);
    } else {
        AV_LOG(4, "[TCAVCheck::GetAVCheckRegion] DEFAULT !! so return  AV_CHECK_REGION_DVB");
        result = AV_CHECK_REGION_DVB;
    }
    AV_LOG(4, "[TCAnalogMts::m_CheckMTSDualRegin] LocalSet_Region[%d], Country[%d], resultSpec[%d]", region, country,
           result);
    return result;
}

TCAVCheck* TCAVCheck::GetInstance() {
    const EAVCheckRegion region = GetAVCheckRegion(tvav::ReadFactoryOption(kOptionRegion, 0));
    AV_LOG(4, "[TCAVCheck::GetAVCheckRegion] eAVCheckRegion[%d]", region);
    {
        TCReadLockGuard readLock(m_rwlock);
        if (m_Instance != nullptr && m_currentRegionState == region) {
            return m_Instance;
        }
    }
    TCWriteLockGuard writeLock(m_rwlock);
    // Another thread may have built the instance for this region between the
    // two locks; building it again would only add a retired object.
    if (m_Instance != nullptr && m_currentRegionState == region) {
        return m_Instance;
    }
    std::unique_ptr<TCAVCheck> created(CreateInstance(region));
    if (m_Instance != nullptr) {
        RetiredInstances().push_back(m_Instance);
    }
    m_Instance = created.release();
    AV_LOG(1, "[TCAVCheck::GetAVCheckRegion] Changing TV_Standard_Spec !!, eAVCheckRegion[%d]", region);
    m_currentRegionState = region;
    return m_Instance;
}

TCAVCheck* TCAVCheck::CreateInstance(EAVCheckRegion region) {
    if (region == AV_CHECK_REGION_DVB) {
        TCAVCheck* instance = new TCAVCheckDVB();
        AV_LOG(1, "[TCAVCheck::GetInstance] get TCAVCheckDVB instance :: Dual I-II");
        return instance;
    }
    TCAVCheck* instance = new TCAVCheckATSC();
    AV_LOG(1, "[TCAVCheck::GetInstance] get TCAVCheckATSC instance :: MTS");
    return instance;
}

TCAVCheck::TCAVCheck() : m_product_type(tvav::ReadFactoryOption(kOptionProductType, 0)) {
    AV_LOG(4, "[%s] m_product_type[%d]", "TCAVCheck", m_product_type);
}

TCAVCheck::~TCAVCheck() = default;

void TCAVCheck::CheckAnalogMTS(TVStream stream, EMultiSoundMode mode, bool& bCheck) {
    t_CheckAnalogMTS(stream, mode, bCheck);
}

void TCAVCheck::t_CheckAnalogMTS(TVStream, EMultiSoundMode, bool&) {}

void TCAVCheck::t_CheckAspectRatio(TSAspectRatioKey, TSSourceTypeInfo, bool&) {}

// ---------------------------------------------------------------------------
// Exception states
// ---------------------------------------------------------------------------
bool TCAVCheck::CheckExceptionScreenState(TVStream stream, TSAspectRatioKey key, EExceptionScreenStateType type,
                                          bool bPCMode) {
    AV_LOG(4, "[TCAVCheck::CheckExceptionScreenState]is called. Source:[%d], screentype[%d].", key.source, type);
    bool bResult = false;
    switch (type) {
        case EXCEPTION_SCREEN_MLS: {
            int mlsState = 0;
            if (HT_CALL(vconf_get_int, HT_DIRS(1, 2), VCONFKEY_MLS_STATE, &mlsState) < 0) {
                AV_LOG(2, "[TCAVCheck-%s] MLS vconf_get_int fail", __FUNCTION__);
                bResult = false;
            } else {
                bResult = mlsState != 0;
            }
            break;
        }
        case EXCEPTION_SCREEN_MHL: {
            if (stream != nullptr && InList(kSourceSetS, key.source)) {
                bool bMHL = false;
                HT_CALL(tv_stream_get_property, HT_DIRS(1, 1, 2, 1), stream, TV_PROPERTY_MHL_CONNECTED, &bMHL,
                        nullptr);
                bResult = bMHL;
            }
            break;
        }
        case EXCEPTION_SCREEN_PC_MODE: {
            if (!InRanges(kSourcesPCCapable, key.source)) {
                AV_LOG(4, "[TCAVCheck::%s] Source:[%d]. Not HDMI/DVI", __FUNCTION__, key.source);
                return false;
            }
            unsigned char pcFlag = 0;
            if (stream != nullptr) {
                tv_stream_get_property(stream, TV_PROPERTY_PC_MODE, &pcFlag, nullptr);
            } else {
                pcFlag = bPCMode ? 1 : 0;
            }
            const int32_t productType = tvav::ReadFactoryOption(kOptionProductType, 0);
            bResult = pcFlag != 0 || InRanges(kResolutionsPC, key.resolution) ||
                      InRanges(kSourcesPCAlways, key.source);
            if (productType != kProductTypeOwnRules && InRanges(kSourcesExternalDigital, key.source)) {
                bResult = true;
            }
            if (bResult) {
                AV_LOG(1,
                       "[TCAVCheck::CheckExceptionScreenState] Source:[%d], screentype[%d]. pc_mode[%d]. "
                       "resolution:[%d]. bCheck_PC set to true.",
                       key.source, type, pcFlag, key.resolution);
            }
            break;
        }
        case EXCEPTION_SCREEN_21_9_SUPPORTED: {
            bool bSupported = false;
            HT_CALL(system_info_get_value_bool, HT_DIRS(1, 2), SYSTEM_INFO_KEY_KYT_SUPPORTED, &bSupported);
            bResult = bSupported;
            break;
        }
        case EXCEPTION_SCREEN_3D:
        default:
            bResult = false;
            break;
    }
    AV_LOG(4, "[TCAVCheck::CheckExceptionScreenState] end, screenType[%d] result[%d]", type, bResult);
    return bResult;
}

int TCAVCheck::m_GetPCMode(TSAspectRatioKey key) {
    int pcMode = 0;
    if (!InRanges(kSourcesAvocPCMode, key.source)) {
        return pcMode;
    }
    tvav::PerfBegin("TCAVCheck", "m_GetPCMode", "-AVOC_PC_MODE");
    const int result = HT_CALL(avoc_get_pc_mode, HT_DIRS(1, 2), 0, &pcMode);
    tvav::PerfEnd("TCAVCheck", "m_GetPCMode", "-AVOC_PC_MODE");
    AV_LOG(4, "[%s] Source:[%d] result of avoc_get_pc_mode [%d] / pc_mode [%d] ", "TCAVCheck::m_GetPCMode",
           key.source, result, pcMode);
    return pcMode;
}

// ---------------------------------------------------------------------------
// Screen fit
// ---------------------------------------------------------------------------
void TCAVCheck::CheckScreenFitOption(TVStream stream, TSAspectRatioKey key, TSSourceTypeInfo sourceInfo,
                                     EScreenFitOptionType option, bool& bCheck) {
    AV_LOG(4, "[TCAVCheck::CheckScreenFitOption]is called, optionType[%d]", option);
    AV_LOG(4, "[TCAVCheck::CheckScreenFitOption]is called, source[%d], resolution[%d], m_product_type[%d]",
           key.source, key.resolution, m_product_type);
    bCheck = false;
    int pcMode = 0;

    const bool bOwnRules = m_product_type == kProductTypeOwnRules;
    if (bOwnRules) {
        if (InRanges(kSourcesTvpPCMode, key.source)) {
            if (stream != nullptr) {
                tv_stream_get_property(stream, TV_PROPERTY_PC_MODE, &pcMode, nullptr);
            }
            AV_LOG(4, "[TCAVCheck::CheckScreenFitOption] get pc_mode from tvp. pc_mode[%d].", pcMode);
        }
    } else {
        pcMode = m_GetPCMode(key);
    }

    if (sourceInfo.pictureSize == PICTURESIZETYPE_4_3) {
        bCheck = bOwnRules && InList(kResolutionsFit4by3, key.resolution);
    } else {
        AV_LOG(4, "[TCAVCheck::CheckScreenFitOption] screenfit support picture size type [%d]",
               sourceInfo.pictureSize);
        bool bLastChance = false;
        switch (option) {
            case SCREENFITOPTION_AUTO:
                AV_LOG(4, "[TCAVCheck::CheckScreenFitOption] checking to AUTO option");
                if (InList(kSourceSetS, key.source) && !InRanges(kSourcesExternalDigital, key.source) && pcMode == 0 &&
                    InRanges(kResolutionsFit, key.resolution)) {
                    bCheck = true;
                } else {
                    bLastChance = true;
                }
                break;
            case SCREENFITOPTION_OFF:
            case SCREENFITOPTION_ON:
                AV_LOG(4, "[TCAVCheck::CheckScreenFitOption] checking to on/off option");
                if (InList(kSourceSetS, key.source) || key.dtv) {
                    bCheck = InRanges(kResolutionsFit, key.resolution) ||
                             InRanges(kResolutionsFitDigitalExtra, key.resolution);
                } else {
                    bCheck = InRanges(kSourcesAV, key.source) && InRanges(kResolutionsAVFit, key.resolution);
                }
                bLastChance = !bCheck;
                break;
            default:
                bCheck = false;
                break;
        }
        if (bLastChance) {
            bCheck = key.resolution == kResolutionLastChance && bOwnRules;
        }
    }
    AV_LOG(1, "[ORB_PICTURE][TCAVCheck::CheckScreenFitOption]end, bCheck[%d]", bCheck);
}

void TCAVCheck::CheckScreenFitPosition(TSAspectRatioKey key, TSSourceTypeInfo sourceInfo, bool& bCheck) {
    AV_LOG(4, "[TCAVCheck::CheckScreenFitPosition]is called");
    AV_LOG(4, "[TCAVCheck::CheckScreenFitPosition] sourceInfo.pictureSize[%d], key.source[%d], key.dtv[%d]",
           sourceInfo.pictureSize, key.source, key.dtv);
    bCheck = false;
    if (sourceInfo.pictureSize == PICTURESIZETYPE_CUSTOM) {
        if (InList(kSourceSetS, key.source) || key.dtv) {
            bCheck = InRanges(kResolutionsFit, key.resolution);
        } else {
            bCheck = InRanges(kSourcesAV, key.source) && InRanges(kResolutionsAVFit, key.resolution);
        }
    }
    AV_LOG(1,
           "[TCAVCheck::CheckScreenFitPosition] end, sourceInfo.pictureSize[%d], key.source[%d], key.dtv[%d], "
           "bCheck[%d]",
           sourceInfo.pictureSize, key.source, key.dtv, bCheck);
}

// ---------------------------------------------------------------------------
// Auto wide
// ---------------------------------------------------------------------------
void TCAVCheck::CheckAutoWideSupported(bool& onOff) {
    AV_LOG(4, "[TCAVCheck::CheckAutoWideSupported]is called");
    const int32_t region = tvav::ReadFactoryOption(kOptionRegion, 0);
    const int32_t country = tvav::ReadCountry();
    onOff = AutoWideSupported(region, country);
    AV_LOG(1, "[TCAVCheck::CheckAutoWideSupported]is end, currentRegion[%d], country[%d], return onOff[%d]", region,
           country, onOff);
}
