// The operation table: every entry well formed, names resolved to the right
// form, script arguments checked against the declaration's types, signatures
// as help prints them.
#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <sstream>
#include <string>

#include "Interpreter.h"
#include "Operations.h"
#include "Script.h"

namespace {

std::vector<avctl::Token> Args(const std::string& text) { return avctl::Tokenize(text); }

// The parse error that `run` throws, or "" when it throws none.
std::string ErrorOf(const std::function<void()>& run) {
    try {
        run();
    } catch (const avctl::ParseError& e) {
        return e.what();
    }
    return "";
}

TEST(AvctlOperations, EveryEntryIsWellFormed) {
    ASSERT_NO_THROW(avctl::Operations());
    std::set<std::string> forms;
    for (const avctl::Operation& op : avctl::Operations()) {
        // One entry per (class, name, argument count): overloads must differ.
        const std::string form = op.QualifiedName() + "/" + std::to_string(op.MaxArgs());
        EXPECT_TRUE(forms.insert(form).second) << "registered twice: " << form;
        EXPECT_TRUE(op.bind) << op.QualifiedName();
        std::set<std::string> names;
        for (const avctl::Param& p : op.params) {
            EXPECT_FALSE(p.name.empty()) << op.QualifiedName();
            EXPECT_TRUE(names.insert(p.name).second) << op.QualifiedName() << " names " << p.name << " twice";
        }
    }
}

TEST(AvctlOperations, NamesResolveToOneForm) {
    // resolved: the qualified name, empty when an error is expected.
    struct Case { const char* word; const char* args; const char* resolved; const char* error; };
    const Case cases[] = {
        {"GetSize", "", "TCSizeControl::GetSize", ""}, {"TCSizeControl::GetSize", "", "TCSizeControl::GetSize", ""},
        {"SetAnalogMTS", "2", "TCAnalogMts::SetAnalogMTS", ""},  // the flag's default
        {"SetAnalogMTS", "2 false", "TCAnalogMts::SetAnalogMTS", ""},
        {"GetAnalogMTS", "mode=3", "TCAnalogMts::GetAnalogMTS", ""},  // a preset is no argument
        {"TCAnalogMtsDVB::ConvertTypeEMultiSoundMode", "5", "TCAnalogMtsDVB::ConvertTypeEMultiSoundMode", ""},
        {"GetInstance", "", "", "'GetInstance' is ambiguous: write TCSizeControl::GetInstance or"},
        {"ConvertTypeEMultiSoundMode", "5", "", "is ambiguous"},
        {"SetAnalogMTS", "", "", "wrong number of arguments for 'SetAnalogMTS'"},
        {"SetAnalogMTS", "2 false 1", "", "wrong number of arguments for 'SetAnalogMTS'"},
        {"GetSize", "1", "", "usage: GetSize => int x=int y=int height=int width=int"},
        {"Frobnicate", "", "", "unknown command 'Frobnicate'"},
    };
    for (const Case& c : cases) {
        std::string resolved;
        const std::string error =
            ErrorOf([&] { resolved = avctl::FindOperation(c.word, Args(c.args)).QualifiedName(); });
        EXPECT_EQ(resolved, c.resolved) << c.word << " " << c.args;
        EXPECT_TRUE(*c.error == '\0' ? error.empty() : error.find(c.error) != std::string::npos) << error;
    }
}

TEST(AvctlOperations, ArgumentsAreCheckedAgainstTheDeclaration) {
    struct Case { const char* word; const char* args; const char* error; };  // error "": binds
    const Case cases[] = {
        {"SetCurrentScreenState", "2", ""},
        {"SetCurrentScreenState", "3000000000", "value '3000000000' is out of range for eState"},
        {"SetPrevResolutionInfo", "0x10002 -1 480", "out of range for horizontal (unsigned int)"},
        {"SetPrevResolutionInfo", "0x10002 720 4x0", "bad number '4x0' for vertical"},
        {"SetLiveTvShowState", "2", "bad boolean '2' for onOff"},
        // A C enumeration takes the values that fit the bits of its largest
        // enumerator (7 for the MTS types, 15 for the dual types), no others.
        {"ConvertTypeTvStreamAnalogMTSType", "7", ""},
        {"ConvertTypeTvStreamAnalogMTSType", "-1", "value '-1' is out of range for signal (TvStreamAnalogMTSType)"},
        {"ConvertTypeTvStreamAnalogMTSType", "8", "out of range"},
        {"ConvertTypeTvStreamAnalogDualAudioType", "15", ""},
        {"ConvertTypeTvStreamAnalogDualAudioType", "16", "out of range"},
        {"CheckScreenFitOption", "0,0,0,2 2", ""},
        {"CheckScreenFitOption", "0,0,2 2", "4 comma-separated fields: profileId,pipelineType,reserved,pictureSize"},
        {"CheckScreenFitOption", "x,0,0,0 2", "bad number 'x' for sourceInfo"},
        {"CheckScreenFitOption", "0,0,0,4_3 2", ""},  // the record's picture size by name
        {"Set21to9SizeInfo", "true,1,0,132,948", ""}, {"Set21to9SizeInfo", "1,1,1,0", "5 comma-separated fields"},
        {"Set21to9SizeInfo", "1,1,yes,0,0", "bad boolean 'yes' for info"},
        {"GetSize", "colour=1", "GetSize has no out parameter 'colour'"},
        {"GetCoarse", "value=x", "bad number 'x' for value"},
        {"ChangeVideoSizeByAFD", "256 0", "value '256' is out of range for afd (unsigned char)"},
        {"SetCropVideo", "0,0,1920 0,0,960,540", "bad value '0,0,1920' for src (4 comma-separated fields"},
        // Enumerations also take their names, whole or without the prefix.
        {"SetPictureSize", "PICTURESIZETYPE_AUTO_16_9 true", ""}, {"SetPictureSize", "auto_16_9 true", ""},
        {"SetPictureSize", "WIDE true", "bad value 'WIDE' for size (EPictureSizeType: a number or one of 16_9=0 ZOOM=1"},
        {"SetPictureSize", "SCREENMODE_4_3 true", "bad value 'SCREENMODE_4_3' for size"},  // another enumeration's
        {"ConvertTypeTvStreamAnalogMTSType", "TV_ANALOG_MTS_STEREO_SAP", ""},
    };
    for (const Case& c : cases) {
        const avctl::Operation& op = avctl::FindOperation(c.word, Args(c.args));
        const std::string error = ErrorOf([&] { op.bind(op, Args(c.args)); });
        EXPECT_TRUE(*c.error == '\0' ? error.empty() : error.find(c.error) != std::string::npos)
            << c.word << " " << c.args << ": " << error;
    }
}

// The picture operations as the console shows them: out parameters under
// these names (enumerations print as numbers), the two SetPictureSize forms
// told apart by their argument count, the static one called directly.
TEST(AvctlOperations, PictureOperationsHaveTheirDeclaredForms) {
    struct Case { const char* word; const char* args; const char* signature; };
    const Case cases[] = {
        {"SetPictureSize", "4 true", "SetPictureSize size:EPictureSizeType bSave:bool => int"},
        {"SetPictureSize", "", "SetPictureSize => int"},
        {"GetPictureSize", "", "GetPictureSize => int size=EPictureSizeType"},
        {"GetAutoWideOption", "", "GetAutoWideOption => int onOff=bool"},
        {"GetScreenMode", "", "GetScreenMode => int mode=EScreenModeData"},
        {"GetKOVASourceType", "", "GetKOVASourceType => int source=int"},
        {"CheckPictureSize", "0,0,0,0",
         "CheckPictureSize sourceInfo:profileId,pipelineType,reserved,pictureSize => - bCheck=bool"},
        {"CheckPictureSizeSubMenu", "0 1",
         "CheckPictureSizeSubMenu size:EPictureSizeType submenu:EPictureSizeSubMenuType => - bCheck=bool"},
        {"GetZoomPosition", "", "GetZoomPosition => - dx=int dy=int"},
        {"GetZoomSize", "", "GetZoomSize => - width=int height=int"},
        {"GetAFDGeometryRectSize", "", "GetAFDGeometryRectSize => int x=int y=int width=int height=int"},
        {"GetDefaultSize", "", "GetDefaultSize => - src=x,y,w,h dst=x,y,w,h"},
        {"SetCropVideo", "0,0,1920,1080 0,0,960,540", "SetCropVideo src:x,y,w,h dst:x,y,w,h => int"},
        {"SetSize", "0 0 540 960", "SetSize x:int y:int height:int width:int => int"},
        {"SetFlagSkipFBterminate", "1", "SetFlagSkipFBterminate result:int => -"},
    };
    for (const Case& c : cases) {
        const avctl::Operation& op = avctl::FindOperation(c.word, Args(c.args));
        EXPECT_EQ(avctl::Signature(op), c.signature) << c.word << " " << c.args;
        EXPECT_NO_THROW(op.bind(op, Args(c.args))) << c.word << " " << c.args;
    }
}

TEST(AvctlOperations, HelpListsEveryOperationWithItsArguments) {
    std::ostringstream out;
    avctl::Interpreter interpreter(out, avctl::Options());
    ASSERT_EQ(interpreter.Execute("help", "t", 1), avctl::Interpreter::Status::Ok);
    const std::string help = out.str();
    for (const avctl::Operation& op : avctl::Operations()) {
        EXPECT_NE(help.find("  " + avctl::Signature(op) + "\n"), std::string::npos) << op.QualifiedName();
    }
    EXPECT_NE(help.find("SetAnalogMTS mode:EMultiSoundMode [bSkipVconfStore:bool=false] => bool\n"),
              std::string::npos);
    for (const auto& command : avctl::Interpreter::CommandHelp()) {
        EXPECT_NE(help.find(command.second), std::string::npos) << command.first;
    }
}

}  // namespace
