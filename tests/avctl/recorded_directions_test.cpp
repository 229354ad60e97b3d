// Argument directions of the recorded calls. Every scenario runs with the
// call layer recording; then every call site it reached must carry, for each
// argument, the direction of its callee's declaration: 2 for an output the
// callee writes, 1 for everything else.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "Interpreter.h"
#include "host/HostControl.h"
#include "ht/HtRuntime.h"

namespace {

std::vector<std::string> ScenarioFiles() {
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(SCENARIO_DIR)) {
        if (entry.path().extension() == ".avs") files.push_back(entry.path().string());
    }
    return files;
}

// A site's argument types, "name/size" joined by ", ".
std::string Signature(const ht::TCCallLocation& location) {
    std::string text;
    for (const auto& a : location.Arguments()) {
        text += (text.empty() ? "" : ", ") + a.name + "/" + std::to_string(a.sizeCode);
    }
    return text;
}

// The directions of each wrapped call: the outside services and the
// controller's own members reached through the call layer. A site is known
// by its argument types (and, for the fast-boot pair, by its caller).
struct Callee {
    const char* name;
    const char* signature;
    const char* caller;  // "" for any
    std::string directions;
};
const Callee kCallees[] = {
    {"tv_stream_get_property", "void*/4, enum_TvStreamPropertyType/4, int/16383, void*/4", "", "1121"},
    {"tv_stream_get_property", "void*/4, enum_TvStreamPropertyType/4, bool/16383, void*/4", "", "1121"},
    {"tv_stream_get_property", "void*/4, enum_TvStreamPropertyType/4, unsigned char/16383, void*/4", "", "1121"},
    {"tv_stream_set_property", "void*/4, enum_TvStreamPropertyType/4, int/4, void*/4", "", "1111"},
    {"tv_stream_set_property", "void*/4, enum_TvStreamPropertyType/4, bool/1, void*/4", "", "1111"},
    {"tv_stream_set_property", "void*/4, enum_TvStreamPropertyType/4, enum_EZOrder/4, void*/4", "", "1111"},
    {"tv_stream_set_property", "void*/4, enum_TvStreamPropertyType/4, TvStreamXvideoSrcDstRect/16383, void*/4", "",
     "1111"},
    {"tv_stream_get_type", "void*/4", "", "1"},
    {"tv_stream_atsc3_set_video_size", "void*/4, TvStreamXvideoSrcDstRect/16383", "", "11"},
    {"vconf_get_int", "char/16383, int/16383", "", "12"},
    {"vconf_set_int", "char/16383, int/4", "", "11"},
    {"vconf_set_str", "char/16383, char/16383", "", "11"},
    {"system_info_get_value_bool", "enum_system_info_key_e/4, bool/16383", "", "12"},
    {"system_info_get_value_int", "enum_system_info_key_e/4, int/16383", "", "12"},
    {"avoc_get_pc_mode", "int/4, int/16383", "", "12"},
    {"avoc_get_picture_mode", "int/4, int/16383, int/4", "", "121"},
    {"avoc_get_hdr_plus_mode", "int/16383, int/4", "", "21"},
    {"avoc_set_wide_screen_mode", "int/4, int/4", "", "11"},
    {"fb_nv_store_screen_config_res", "unsigned char/1, unsigned char/1, FB_SCREEN_CONFIG/16383",
     "m_StoreFBPictureSize", "111"},
    {"fb_nv_load_screen_config_res", "unsigned char/1, unsigned char/1, FB_SCREEN_CONFIG/16383",
     "m_CheckSavedPictureinfoFB", "112"},
    {"res_lookup_get_picture_size", "int/4, KOVARect_t/16383", "", "12"},
    {"res_lookup_get_video_crop", "int/4, KOVAPictureInfo_t/72, KOVARect_t/16383", "", "112"},
    {"TCAVCheck::CheckExceptionScreenState",
     "void*/4, TSAspectRatioKey/56, enum_EExceptionScreenStateType/4, bool/1", "", "1111"},
    {"m_StoreFBPictureSize", "void*/4, TSAspectRatioKey/56, enum_EPictureSizeType/4, TSPictureSizeOption/36, bool/1",
     "", "11111"},
    {"m_SetCropVideo", "void*/4, TSRectInfo/28, TSRectInfo/28, enum_EPictureSizeType/4", "", "1111"},
    {"t_GetRectSizeByLookupTable",
     "void*/4, enum_EPictureSizeType/4, TSAspectRatioKey/56, TSRectInfo/16383, TSRectInfo/16383, unsigned char/1", "",
     "111221"},
    {"GetPictureSize", "TSAspectRatioKey/56, enum_EPictureSizeType/16383", "", "12"},
    {"m_GetDefaultScreenSizeType", "enum_EPictureSizeType/16383", "", "2"},
    {"t_SetPanorama", "void*/4, enum_EPictureSizeType/4, TSAspectRatioKey/56", "", "111"},
    {"m_CheckSavedPictureinfoFB", "void*/4, TSAspectRatioKey/56, enum_EPictureSizeType/4", "", "111"},
    {"SetPictureSize", "void*/4, TSAspectRatioKey/56, enum_EPictureSizeType/4, bool/1", "", "1111"},
    {"ChangeVideoSizeByWSS", "void*/4, TSAspectRatioKey/56, int/4, int/4", "", "1111"},
    {"ChangeVideoSizeByAFD", "void*/4, TSAspectRatioKey/56, unsigned char/1, int/4", "", "1111"},
};

const Callee* Find(const ht::TCCallLocation& location) {
    const std::string signature = Signature(location);
    for (const Callee& callee : kCallees) {
        if (signature == callee.signature &&
            location.Function().find(std::string("::") + callee.caller) != std::string::npos) {
            return &callee;
        }
    }
    return nullptr;
}

TEST(RecordedDirections, EveryWrappedCallTheScenariosReach) {
    std::set<const Callee*> reached;
    for (const std::string& file : ScenarioFiles()) {
        SCOPED_TRACE(file);
        std::ostringstream out;
        avctl::Options options;
        options.quiet = true;
        options.writeFiles = false;
        avctl::Interpreter interpreter(out, options);  // a fresh stand-in, its call store empty
        std::ifstream in(file);
        std::string line;
        int lineNo = 0;
        while (std::getline(in, line)) {
            host::SetRecording(true);  // whatever the script switched
            if (interpreter.Execute(line, file, ++lineNo) == avctl::Interpreter::Status::Error) break;
        }
        host::SetRecording(false);
        ht::TCStorage& store = ht::TIStorageManager::Instance()->GetStorage();
        for (const auto& record : store.Records()) {
            if (record.kind != ht::kRecordBeforeCall) continue;
            ht::TCCallLocation location;
            ASSERT_TRUE(store.FindLocation(record.id, location));
            const std::string site = location.Function() + " line " + std::to_string(location.Line());
            const Callee* callee = Find(location);
            if (callee == nullptr) {
                ADD_FAILURE() << site << ": no callee takes " << Signature(location);
                continue;
            }
            std::string directions;
            for (const auto& a : location.Arguments()) directions += std::to_string(a.direction);
            EXPECT_EQ(directions, callee->directions) << site << " calls " << callee->name;
            reached.insert(callee);
        }
    }
    for (const Callee& callee : kCallees) {
        EXPECT_TRUE(reached.count(&callee)) << "no scenario reaches " << callee.name << " (" << callee.signature << ")";
    }
}

}  // namespace
