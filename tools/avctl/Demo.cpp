// The built-in tour: a narrated run through what the module does, one step
// per table entry. Each step's script runs through the interpreter with the
// journal shown, so every call the library makes on the platform is visible;
// its expectations keep the tour honest (a broken step fails the demo). With an
// output directory it also leaves the transcript, one picture per change of the
// sink's rectangles and an index.html that shows them step by step.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <system_error>
#include <vector>

#include "Console.h"
#include "Picture.h"

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

    {"An input's picture options start from the regional defaults",
     "Each input keeps, per picture size, a record of picture options in the aspect-ratio\n"
     "agent (auto wide, 4:3 screen mode, screen fit, offset, panorama). The first read of\n"
     "the digital tuner at 1080i in region 6, country 7 creates it: auto wide on, 4:3\n"
     "pictures shown as 4:3 (mode 3). The same options are mirrored into the fast-boot\n"
     "screen record of that input (source 0, resolution 2) for the next power-on.",
     "handle 1 0\n"
     "option 0 6\n"
     "country 7\n"
     "vconf memory/mls/state 0\n"
     "key source=0 dtv=true res=0x10002 h=1920 v=1080 ar=3\n"
     "GetAutoWideOption\n"
     "expect out onOff true\n"
     "expect agent-option 0 2 0 1,3,0,0,0,0,0,0,0\n"
     "expect fb 0 2 0001ff03000100__0000000000000000\n"},

    {"Which picture sizes may the menu offer?",
     "The picture-size menu asks the capability checks before it shows an entry: the\n"
     "21:9 letterbox size is offered on a digital input at this resolution, size 7 never;\n"
     "the auto-wide sub-menu is offered for 16:9 in this region.",
     "CheckPictureSize 0,0,0,5\n"
     "expect out bCheck true\n"
     "CheckPictureSize 0,0,0,7\n"
     "expect out bCheck false\n"
     "CheckPictureSizeSubMenu 0 0\n"
     "expect out bCheck true\n"},

    {"The road of a picture-size change",
     "The user picks 4:3. The controller switches the panel's 21:9 output off, stores the\n"
     "size and mirrors it into the fast-boot record, switches the letterbox detector off,\n"
     "looks up the rectangles (a 1440x1080 pillarbox) and writes source and destination\n"
     "to the video sink (property 610). Event 82 announces the change, and this first\n"
     "write after boot ends the fast-boot video server.",
     "sysinfo 303 true\n"
     "sysinfo 254 14\n"
     "SetPictureSize 3 true\n"
     "expect result 1\n"
     "expect call avoc_set_wide_screen_mode 0 0\n"
     "expect agent-size 0 2 true 3\n"
     "expect fb 0 2 0300ff00000100__0000000000000000\n"
     "expect lbd off\n"
     "expect sink 0,0,1920,1080 240,0,1440,1080\n"
     "expect event 82\n"
     "expect call fb_terminate_server\n"},

    {"Back to 16:9: the broadcast's AFD takes over",
     "With auto wide on, 16:9 hands the picture to the AFD path. The service is a 4:3\n"
     "coded 720x576 frame signalling AFD 10 (16:9 picture in the centre): the controller\n"
     "reads the code from the player (property 505), crops the centre 75 % of the height\n"
     "and fills the panel. When the broadcaster switches to AFD 9 (4:3 in the centre) the\n"
     "service calls ChangeVideoSizeByAFD and the 4:3 screen mode decides: a pillarbox.",
     "key res=0x10001 h=720 v=576 ar=2\n"
     "prop 505 10\n"
     "SetPictureSize 0 true\n"
     "expect call tv_stream_get_property 505\n"
     "expect sink 0,72,720,432 0,0,1920,1080\n"
     "expect event 2817\n"
     "ChangeVideoSizeByAFD 9 -1\n"
     "expect sink 0,0,720,576 240,0,1440,1080\n"},

    {"An application places the video in a window",
     "An application asks for a 960x540 window at (100, 50) with SetSize (x, y, height,\n"
     "width). The controller looks up the source for 16:9 and writes the application's\n"
     "destination; while the window is open the menu cannot change the picture size.",
     "caller com.example.guide\n"
     "SetSize 100 50 540 960\n"
     "expect result 1\n"
     "expect state 1\n"
     "expect sink 0,0,720,576 100,50,960,540\n"
     "SetPictureSize 3 true\n"
     "expect result 0\n"
     "expect no-sink-write\n"},

    {"Back to full size",
     "When the application closes its window, SetDefaultSize brings the menu's picture\n"
     "back: 16:9 with auto wide on, so the AFD path shapes it again.",
     "SetDefaultSize\n"
     "expect state 0\n"
     "expect sink 0,72,720,432 0,0,1920,1080\n"},

    {"The user zooms and moves a custom picture",
     "On the custom size the user enlarges the picture in steps (8 across, 6 down) and\n"
     "moves it within those steps; the steps go to the crop lookup as the offset and are\n"
     "kept in the custom record. With no zoom and screen fit on, a move shifts the\n"
     "picture itself, two pixels per step: (2, -3) crops 4 columns and 6 lines.",
     "key res=0x10002 h=1920 v=1080 ar=3\n"
     "SetPictureSize 2 true\n"
     "SetZoomSize 8 6\n"
     "expect call res_lookup_get_video_crop 33 _ _ _ _ _ 2 0,0,8,6\n"
     "SetZoomPosition 3 -2\n"
     "expect agent-option 0 2 2 _,_,1,1,3,-2,6,8,_\n"
     "SetZoomSize 0 0\n"
     "SetZoomPosition 2 -3\n"
     "expect sink 0,0,1916,1074 4,6,1916,1074\n"},

    {"An application window and the way back",
     "An application sets both rectangles with SetCropVideo; the menu then only stores\n"
     "its choices. SetDefaultSize returns to the menu's picture, including the custom\n"
     "picture's remembered screen-fit position.",
     "SetCropVideo 0,0,960,540 480,270,960,540\n"
     "expect state 2\n"
     "expect sink 0,0,960,540 480,270,960,540\n"
     "SetDefaultSize\n"
     "expect state 0\n"
     "expect sink 0,0,1916,1074 4,6,1916,1074\n"},
};

// Writes to the terminal and, when asked, to the transcript.
void Emit(const std::string& text, std::ostream& out, std::ostringstream& transcript) {
    out << text;
    out.flush();
    transcript << text;
}

// One picture of the tour: its file and the line that changed the sink.
struct Shot {
    std::string file;
    std::string line;
};

// The page that shows the tour's pictures in order under each step.
std::string IndexPage(const std::vector<std::vector<Shot>>& shots) {
    std::ostringstream html;
    html << "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
         << "<title>avctl demo: pictures of the geometry</title>\n<style>\n"
         << "body { font-family: sans-serif; max-width: 1280px; margin: 2em auto; font-size: 18px; }\n"
         << "img { width: 100%; border: 1px solid #888; }\n"
         << "code { background: #eee; padding: 0 .3em; }\n</style>\n</head>\n<body>\n"
         << "<h1>avctl demo: pictures of the geometry</h1>\n"
         << "<p>Left: the input frame with the crop rectangle written to the video sink. Right: the "
         << kPanelWidth << "x" << kPanelHeight << " panel with the destination rectangle.</p>\n";
    for (size_t i = 0; i < shots.size(); ++i) {
        const DemoStep& step = kSteps[i];
        html << "<h2>" << (i + 1) << ". " << MarkupEscape(step.title) << "</h2>\n<p>" << MarkupEscape(step.story)
             << "</p>\n";
        for (const Shot& shot : shots[i]) {
            html << "<figure><img src=\"" << shot.file << "\" alt=\"" << MarkupEscape(shot.line)
                 << "\"><figcaption>after <code>" << MarkupEscape(shot.line) << "</code></figcaption></figure>\n";
        }
    }
    html << "</body>\n</html>\n";
    return html.str();
}

bool WriteFile(const std::filesystem::path& path, const std::string& text) {
    std::ofstream file(path);
    file << text;
    file.close();
    if (!file) {
        std::cerr << "avctl: cannot write " << path.string() << "\n";
        return false;
    }
    return true;
}

}  // namespace

int Demo(const Options& options, const std::string& outDir, std::ostream& out) {
    Options demoOptions = options;
    demoOptions.trace = true;
    demoOptions.json = false;
    demoOptions.operationLogLevel = 1;

    const std::filesystem::path dir(outDir);
    if (!outDir.empty()) {
        std::error_code ec;
        std::filesystem::create_directories(dir, ec);
        if (ec) {
            std::cerr << "avctl: cannot create " << outDir << ": " << ec.message() << "\n";
            return 1;
        }
    }

    std::ostringstream transcript;
    std::ostringstream buffer;
    Interpreter interpreter(buffer, demoOptions);
    Emit("avctl demo: the TV AV module on the host platform. Each step sets up what the\n"
         "platform reports (lines without '=>'), calls the library as the service would,\n"
         "and shows the result, every outside call it made (|) and its decisions (log:).\n",
         out, transcript);

    // With an output directory, every change of the sink's rectangles is drawn.
    std::vector<std::vector<Shot>> shots;
    std::string sinkDrawn;
    int pictureNo = 0;
    int stepNo = 0;
    int lineNo = 0;
    for (const DemoStep& step : kSteps) {
        ++stepNo;
        shots.emplace_back();
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
            const std::string sink = interpreter.SinkText();
            if (!outDir.empty() && sink != sinkDrawn) {
                sinkDrawn = sink;
                char name[32];
                std::snprintf(name, sizeof name, "picture-%02d.svg", ++pictureNo);
                try {
                    interpreter.DrawTo((dir / name).string(), std::to_string(stepNo) + ". " + step.title);
                } catch (const std::exception& e) {
                    std::cerr << "avctl: " << e.what() << "\n";
                    return 1;
                }
                shots.back().push_back(Shot{name, line});
            }
        }
    }
    const bool ok = interpreter.Failures() == 0;
    Emit(ok ? "\nEnd of the tour: every step behaved as described.\n"
            : "\nEnd of the tour: " + std::to_string(interpreter.Failures()) + " step expectation(s) did not hold.\n",
         out, transcript);

    if (!outDir.empty()) {
        if (!WriteFile(dir / "demo.txt", transcript.str()) || !WriteFile(dir / "index.html", IndexPage(shots))) {
            return 1;
        }
        out << "Transcript written to " << (dir / "demo.txt").string() << "\n"
            << pictureNo << " pictures and index.html written to " << outDir << "\n";
    }
    return ok ? 0 : 1;
}

}  // namespace avctl
