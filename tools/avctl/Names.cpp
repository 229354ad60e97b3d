#include "Names.h"

#include <cctype>

namespace avctl {

namespace {

#define AVCTL_NAME(e) \
    { #e, static_cast<int64_t>(e) }

const NameTable kPictureSize{"EPictureSizeType",
                             "PICTURESIZETYPE_",
                             {AVCTL_NAME(PICTURESIZETYPE_16_9), AVCTL_NAME(PICTURESIZETYPE_ZOOM),
                              AVCTL_NAME(PICTURESIZETYPE_CUSTOM), AVCTL_NAME(PICTURESIZETYPE_4_3),
                              AVCTL_NAME(PICTURESIZETYPE_21_9), AVCTL_NAME(PICTURESIZETYPE_21_9_AUTO),
                              AVCTL_NAME(PICTURESIZETYPE_CAPTION), AVCTL_NAME(PICTURESIZETYPE_7),
                              AVCTL_NAME(PICTURESIZETYPE_AUTO_4_3), AVCTL_NAME(PICTURESIZETYPE_AUTO_16_9),
                              AVCTL_NAME(PICTURESIZETYPE_AUTO_LETTERBOX_CENTRE),
                              AVCTL_NAME(PICTURESIZETYPE_AUTO_LETTERBOX_TOP),
                              AVCTL_NAME(PICTURESIZETYPE_AUTO_OVER_16_9), AVCTL_NAME(PICTURESIZETYPE_AUTO_13),
                              AVCTL_NAME(PICTURESIZETYPE_AFD_SCALE)}};
const NameTable kScreenFit{"EScreenFitOptionType",
                           "SCREENFITOPTION_",
                           {AVCTL_NAME(SCREENFITOPTION_OFF), AVCTL_NAME(SCREENFITOPTION_ON),
                            AVCTL_NAME(SCREENFITOPTION_AUTO)}};
const NameTable kSubMenu{"EPictureSizeSubMenuType",
                         "P_SIZESUB_",
                         {AVCTL_NAME(P_SIZESUB_AUTOWIDE), AVCTL_NAME(P_SIZESUB_SCREENMODE),
                          AVCTL_NAME(P_SIZESUB_SCREENFIT), AVCTL_NAME(P_SIZESUB_ZOOMPOSITION),
                          AVCTL_NAME(P_SIZESUB_PANORAMA)}};
const NameTable kScreenMode{"EScreenModeData",
                            "SCREENMODE_",
                            {AVCTL_NAME(SCREENMODE_16_9), AVCTL_NAME(SCREENMODE_ZOOM), AVCTL_NAME(SCREENMODE_4_3),
                             AVCTL_NAME(SCREENMODE_21_9)}};
const NameTable kRegion{"EAVCheckRegion",
                        "AV_CHECK_REGION_",
                        {AVCTL_NAME(AV_CHECK_REGION_ATSC), AVCTL_NAME(AV_CHECK_REGION_DVB),
                         AVCTL_NAME(AV_CHECK_REGION_ISDB)}};
const NameTable kSound{"EMultiSoundMode",
                       "MULTI_SOUND_",
                       {AVCTL_NAME(MULTI_SOUND_UNKNOWN), AVCTL_NAME(MULTI_SOUND_MONO), AVCTL_NAME(MULTI_SOUND_STEREO),
                        AVCTL_NAME(MULTI_SOUND_SAP), AVCTL_NAME(MULTI_SOUND_STEREO_SAP),
                        AVCTL_NAME(MULTI_SOUND_DUAL_I), AVCTL_NAME(MULTI_SOUND_DUAL_II), AVCTL_NAME(MULTI_SOUND_DUAL),
                        AVCTL_NAME(MULTI_SOUND_EXT_MONO), AVCTL_NAME(MULTI_SOUND_EXT_STEREO),
                        AVCTL_NAME(MULTI_SOUND_EXT_DUAL_I), AVCTL_NAME(MULTI_SOUND_EXT_DUAL_II),
                        AVCTL_NAME(MULTI_SOUND_EXT_DUAL)}};
const NameTable kException{"EExceptionScreenStateType",
                           "EXCEPTION_SCREEN_",
                           {AVCTL_NAME(EXCEPTION_SCREEN_MLS), AVCTL_NAME(EXCEPTION_SCREEN_MHL),
                            AVCTL_NAME(EXCEPTION_SCREEN_PC_MODE), AVCTL_NAME(EXCEPTION_SCREEN_3D),
                            AVCTL_NAME(EXCEPTION_SCREEN_21_9_SUPPORTED)}};
const NameTable kTunerMts{"TvStreamAnalogMTSType",
                          "TV_ANALOG_MTS_",
                          {AVCTL_NAME(TV_ANALOG_MTS_INVALID), AVCTL_NAME(TV_ANALOG_MTS_MONO),
                           AVCTL_NAME(TV_ANALOG_MTS_STEREO), AVCTL_NAME(TV_ANALOG_MTS_SAP),
                           AVCTL_NAME(TV_ANALOG_MTS_DUAL), AVCTL_NAME(TV_ANALOG_MTS_LANG_FIRST),
                           AVCTL_NAME(TV_ANALOG_MTS_LANG_SECOND), AVCTL_NAME(TV_ANALOG_MTS_STEREO_SAP)}};
const NameTable kTunerDual{"TvStreamAnalogDualAudioType",
                           "TV_ANALOG_DUAL_",
                           {AVCTL_NAME(TV_ANALOG_DUAL_INVALID), AVCTL_NAME(TV_ANALOG_DUAL_MONO),
                            AVCTL_NAME(TV_ANALOG_DUAL_DUAL), AVCTL_NAME(TV_ANALOG_DUAL_STEREO),
                            AVCTL_NAME(TV_ANALOG_DUAL_EXT_MONO), AVCTL_NAME(TV_ANALOG_DUAL_EXT_DUAL),
                            AVCTL_NAME(TV_ANALOG_DUAL_EXT_STEREO), AVCTL_NAME(TV_ANALOG_DUAL_EXT_DUAL_I),
                            AVCTL_NAME(TV_ANALOG_DUAL_EXT_DUAL_II), AVCTL_NAME(TV_ANALOG_DUAL_DUAL_I),
                            AVCTL_NAME(TV_ANALOG_DUAL_DUAL_II)}};
// The coded frame's aspect ratio as the AFD table knows it.
const NameTable kAspectRatio{"key ar", "", {{"4:3", 2}, {"16:9", 3}}};
const NameTable kSource{"key source", "", {{"tuner", 0}, {"hdmi1", 13}, {"hdmi2", 14}, {"hdmi3", 15}, {"hdmi4", 16}}};

#undef AVCTL_NAME

bool SameLetters(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

}  // namespace

template <>
const NameTable* NamesOf<EPictureSizeType>() { return &kPictureSize; }
template <>
const NameTable* NamesOf<EScreenFitOptionType>() { return &kScreenFit; }
template <>
const NameTable* NamesOf<EPictureSizeSubMenuType>() { return &kSubMenu; }
template <>
const NameTable* NamesOf<EScreenModeData>() { return &kScreenMode; }
template <>
const NameTable* NamesOf<EAVCheckRegion>() { return &kRegion; }
template <>
const NameTable* NamesOf<EMultiSoundMode>() { return &kSound; }
template <>
const NameTable* NamesOf<EExceptionScreenStateType>() { return &kException; }
template <>
const NameTable* NamesOf<TvStreamAnalogMTSType>() { return &kTunerMts; }
template <>
const NameTable* NamesOf<TvStreamAnalogDualAudioType>() { return &kTunerDual; }

const std::vector<const NameTable*>& AllNameTables() {
    static const std::vector<const NameTable*> tables = {&kPictureSize, &kScreenFit,  &kSubMenu,
                                                         &kScreenMode,  &kRegion,     &kSound,
                                                         &kException,   &kTunerMts,   &kTunerDual,
                                                         &kAspectRatio, &kSource};
    return tables;
}

bool ValueOfName(const NameTable& table, const std::string& text, int64_t& value) {
    const std::string prefix = table.prefix;
    for (const NamedValue& n : table.names) {
        const std::string name = n.name;
        if (SameLetters(text, name) || (!prefix.empty() && SameLetters(text, name.substr(prefix.size())))) {
            value = n.value;
            return true;
        }
    }
    return false;
}

std::string ListNames(const NameTable& table) {
    std::string list;
    for (const NamedValue& n : table.names) {
        list += (list.empty() ? "" : " ") + std::string(n.name).substr(std::string(table.prefix).size()) + "=" +
                std::to_string(n.value);
    }
    return list;
}

const NameTable& KeyAspectRatioNames() { return kAspectRatio; }
const NameTable& KeySourceNames() { return kSource; }

}  // namespace avctl
