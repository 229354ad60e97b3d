// The built-in tour: a narrated run through what the module does, one step
// per table entry. Each step's script runs through the interpreter with the
// journal shown, so every call the library makes on the platform is visible;
// its expectations keep the tour honest (a broken step fails the demo).
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <system_error>

#include "Console.h"

namespace avctl {
namespace {

struct DemoStep {
    const char* title;
    const char* story;
    const char* script;
};

const DemoStep kSteps[] = {
    {"One size controller per pipeline handle",
     "The service asks TCSizeControl::GetInstance for the controller of a pipeline handle.\n"
     "The main video path (p 1, s 0) starts full size: the whole 3840x2160 source on the\n"
     "1920x1080 panel. (p 1, s 20) is the same path, so it gets the same controller.",
     "handle 1 0\n"
     "TCSizeControl::GetInstance\n"
     "GetSize\n"
     "expect out width 1920\n"
     "GetCropVideoInfo\n"
     "expect out src 0,0,3840,2160\n"
     "handle 1 20\n"
     "TCSizeControl::GetInstance\n"
     "expect result TCSizeControl#1\n"},

    {"A picture-in-picture path starts as a window",
     "Handle p 101 is a picture-in-picture path: its controller starts in the application\n"
     "window state (1) with a 1x1 destination until an application places it.",
     "handle 101 0\n"
     "GetCurrentScreenState\n"
     "expect result 1\n"
     "GetSize\n"
     "expect out width 1\n"},

    {"Still mode remembers the previous timing",
     "For still pictures the controller keeps the last known resolution; a report with a\n"
     "zero size is ignored. PC-position adjustment does not exist on a TV: such calls\n"
     "answer 0 and change nothing.",
     "handle 1 0\n"
     "SetPrevResolutionInfo 0x10002 0 480\n"
     "expect no-log \"save to PrevRESInfo\"\n"
     "SetPrevResolutionInfo 0x10002 720 480\n"
     "expect log \"prevHorizontal[720], prevVertical[480]\"\n"
     "SetCoarse 3 true\n"
     "expect result 0\n"},

    {"Which rule set the menus follow",
     "The capability checks follow the product's broadcast region (factory option 0):\n"
     "region 34 uses the ATSC rules, region 35 follows the analog country (75: ISDB),\n"
     "anything unknown the DVB rules. The check object is rebuilt when the region changes.",
     "GetAVCheckRegion 34\n"
     "expect result 0\n"
     "analog-country 75\n"
     "GetAVCheckRegion 35\n"
     "expect result 2\n"
     "option 0 1\n"
     "TCAVCheck::GetInstance\n"
     "expect log \"Changing TV_Standard_Spec\"\n"
     "option 0 0\n"
     "TCAVCheck::GetInstance\n"},

    {"May the menu offer a sound mode?",
     "In the USA (ATSC region, country 1) SAP is offered while the tuner detects stereo\n"
     "with SAP (7), and not on a first-language broadcast (5). The answer comes back in\n"
     "bCheck; the tuner is only read.",
     "option 0 1\n"
     "country 1\n"
     "prop 20 7\n"
     "CheckAnalogMTS 3\n"
     "expect out bCheck true\n"
     "expect call tv_stream_get_property 20\n"
     "prop 20 5\n"
     "CheckAnalogMTS 3\n"
     "expect out bCheck false\n"},

    {"Exception states and screen fit",
     "A PC timing on HDMI 1 (source 13) is an exception state that normal picture sizes\n"
     "must respect; a multi-link screen is another. Screen fit is offered automatically\n"
     "for HDMI at 1080p when the AV output controller reports no PC mode.",
     "key source=13 res=0x5005B\n"
     "CheckExceptionScreenState 2 false\n"
     "expect result true\n"
     "vconf memory/mls/state 1\n"
     "CheckExceptionScreenState 0 false\n"
     "expect result true\n"
     "key source=13 res=0x2000E\n"
     "CheckScreenFitOption 0,0,0,0 2\n"
     "expect out bCheck true\n"
     "expect call avoc_get_pc_mode 0\n"},

    {"Auto wide depends on region and country",
     "Region 9 supports automatic wide switching, except for country 23.",
     "option 0 9\n"
     "country 23\n"
     "CheckAutoWideSupported\n"
     "expect out onOff false\n"
     "country 2\n"
     "CheckAutoWideSupported\n"
     "expect out onOff true\n"},

    {"Analog sound in an ATSC region",
     "The user picks SAP on an analog channel in the USA: the choice is stored in the\n"
     "settings, the tuner is told what to play and the fast-boot audio record follows,\n"
     "so the next power-on starts with the same sound.",
     "option 0 1\n"
     "country 1\n"
     "key source=0 dtv=false\n"
     "prop 20 7\n"
     "SetAnalogMTS 3\n"
     "expect vconf db/menu/broadcasting/audio_options/multi-track-sound 3\n"
     "GetAnalogMTS\n"
     "expect out mode 3\n"},

    {"Analog sound in a DVB region",
     "The same menu on a DVB product drives dual-language sound: on a dual broadcast the\n"
     "user's second language (6) becomes dual type II (10) on the tuner, and byte 3 of the\n"
     "fast-boot audio record says so.",
     "option 0 0\n"
     "prop 26 2\n"
     "SetAnalogMTS 6\n"
     "expect result true\n"
     "expect prop 26 10\n"
     "expect fb-audio 00000008\n"},
};

// Writes to the terminal and, when asked, to the transcript.
void Emit(const std::string& text, std::ostream& out, std::ostringstream& transcript) {
    out << text;
    out.flush();
    transcript << text;
}

}  // namespace

int Demo(const Options& options, const std::string& outDir, std::ostream& out) {
    Options demoOptions = options;
    demoOptions.trace = true;
    demoOptions.json = false;
    demoOptions.operationLogLevel = 1;

    std::ostringstream transcript;
    std::ostringstream buffer;
    Interpreter interpreter(buffer, demoOptions);
    Emit("avctl demo: the TV AV module on the host platform. Each step sets up what the\n"
         "platform reports (lines without '=>'), calls the library as the service would,\n"
         "and shows the result, every outside call it made (|) and its decisions (log:).\n",
         out, transcript);

    int stepNo = 0;
    int lineNo = 0;
    for (const DemoStep& step : kSteps) {
        ++stepNo;
        Emit("\n== " + std::to_string(stepNo) + ". " + step.title + "\n" + step.story + "\n\n", out, transcript);
        std::istringstream script(step.script);
        std::string line;
        while (std::getline(script, line)) {
            ++lineNo;
            Emit("avctl> " + line + "\n", out, transcript);
            const Interpreter::Status status = interpreter.Execute(line, "demo", lineNo);
            Emit(buffer.str(), out, transcript);
            buffer.str("");
            if (status == Interpreter::Status::Error) {
                Emit("The demo stopped: the step above is broken.\n", out, transcript);
                return 1;
            }
        }
    }
    const bool ok = interpreter.Failures() == 0;
    Emit(ok ? "\nEnd of the tour: every step behaved as described.\n"
            : "\nEnd of the tour: " + std::to_string(interpreter.Failures()) + " step expectation(s) did not hold.\n",
         out, transcript);

    if (!outDir.empty()) {
        std::error_code ec;
        std::filesystem::create_directories(outDir, ec);
        const std::string path = (std::filesystem::path(outDir) / "demo.txt").string();
        std::ofstream file(path);
        file << transcript.str();
        file.close();
        if (ec || !file) {
            std::cerr << "avctl: cannot write the transcript to " << path << "\n";
            return 1;
        }
        out << "Transcript written to " << path << "\n";
    }
    return ok ? 0 : 1;
}

}  // namespace avctl
