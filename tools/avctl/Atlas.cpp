#include "Atlas.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <map>
#include <set>
#include <sstream>
#include <vector>

#include <nlohmann/json.hpp>
#include <tvav/AVCheck.h>
#include <tvav/SizeControl.h>

#include "AtlasPage.h"
#include "Console.h"
#include "OutputCapture.h"
#include "Names.h"
#include "host/HostControl.h"

namespace avctl {
namespace {

using Json = nlohmann::ordered_json;

// Which broadcast signal an input carries into automatic wide.
enum class Signal { None, Afd, Wss };

// One input of the matrix: the key the module sees and the agent store's key
// for its per-size options (source with playback stored as the tuner, and
// the resolution mode of the timing), as a scenario's agent-option line
// gives them.
struct Input {
    const char* id;
    const char* group;  // section of the page
    const char* label;
    int source;
    bool dtv;
    int resolution;
    unsigned h, v, ar;
    int storeSource;
    int storeMode;
    Signal signal;
};

const std::vector<Input>& Inputs() {
    static const std::vector<Input> inputs = {
        {"tuner-dtv-sd-4:3", "Tuner, digital", "576-line SD coded 4:3", 0, true, 0x10003, 720, 576, 2, 0, 1, Signal::Afd},
        {"tuner-dtv-sd-16:9", "Tuner, digital", "576-line SD coded 16:9", 0, true, 0x10003, 720, 576, 3, 0, 1, Signal::Afd},
        {"tuner-dtv-hd", "Tuner, digital", "1080-line HD", 0, true, 0x10002, 1920, 1080, 3, 0, 2, Signal::Afd},
        {"tuner-dtv-uhd", "Tuner, digital", "2160-line UHD", 0, true, 0x40000, 3840, 2160, 3, 0, 3, Signal::Afd},
        {"tuner-atv", "Tuner, analog", "576-line analog 4:3", 0, false, 0x10003, 720, 576, 2, 0, 1, Signal::Wss},
        {"hdmi-sd", "HDMI", "480-line SD 4:3", 13, false, 0x10003, 720, 480, 2, 13, 1, Signal::None},
        {"hdmi-hd", "HDMI", "1080-line HD", 13, false, 0x10002, 1920, 1080, 3, 13, 2, Signal::None},
        {"hdmi-uhd", "HDMI", "2160-line UHD", 13, false, 0x40000, 3840, 2160, 3, 13, 3, Signal::None},
        {"hdmi-pc", "HDMI", "PC timing 1024x768", 13, false, 0x50003, 1024, 768, 2, 13, 5, Signal::None},
        {"av", "Other external inputs", "analog AV 576-line", 1, false, 0x10003, 720, 576, 2, 1, 1, Signal::Wss},
        {"analog-ext-4", "Other external inputs", "analog input 4, 576-line", 4, false, 0x10003, 720, 576, 2, 4, 1,
         Signal::Wss},
        {"ext-7", "Other external inputs", "input 7 (class 0x50000), 1080-line", 7, false, 0x10002, 1920, 1080, 3, 7, 2,
         Signal::None},
        {"ext-10", "Other external inputs", "input 10 (class 0x60000), 1080-line", 10, false, 0x10002, 1920, 1080, 3,
         10, 2, Signal::None},
        {"ext-20", "Other external inputs", "digital input 20 (class 0x70000), 1080-line", 20, false, 0x10002, 1920,
         1080, 3, 20, 2, Signal::None},
        {"media-hd", "Media playback", "playback 1080-line", 29, false, 0x10002, 1920, 1080, 3, 0, 2, Signal::None},
        {"media-dtv-hd", "Media playback", "playback of a digital recording, 1080-line", 29, true, 0x10002, 1920,
         1080, 3, 0, 2, Signal::Afd},
    };
    return inputs;
}

struct Region {
    const char* id;
    int option0;  // the framework region
    int country;
};
// One region of each family: ATSC (no automatic wide in the menu) and DVB
// (automatic wide and the 4:3 screen mode offered).
const std::vector<Region>& Regions() {
    static const std::vector<Region> regions = {{"atsc", 1, 0}, {"dvb", 6, 2}};
    return regions;
}

// The window state a case starts from.
enum class Window { Full, SetSize, SetCropVideo };
const char* WindowName(Window w) {
    return w == Window::Full ? "full" : w == Window::SetSize ? "app SetSize" : "app SetCropVideo";
}

struct Case {
    const Input* input;
    const Region* region;
    int size;
    bool autoWide;
    int code;         // AFD or WSS code; -1000 when the input's signal is not set
    int screenMode;   // 4:3 screen mode stored with the size
    int screenFit;
    bool panorama;
    Window window;
};

constexpr int kNoCode = -1000;
// The named 4:3 screen modes: 16:9, zoom, 4:3, 21:9.
constexpr int kScreenModes[] = {SCREENMODE_16_9, SCREENMODE_ZOOM, SCREENMODE_4_3, SCREENMODE_21_9};

std::string SizeName(int size) {
    for (const NamedValue& n : NamesOf<EPictureSizeType>()->names) {
        if (n.value == size) {
            return std::string(n.name).substr(16);  // without PICTURESIZETYPE_
        }
    }
    return std::to_string(size);
}

std::string ScreenModeName(int mode) {
    for (const NamedValue& n : NamesOf<EScreenModeData>()->names) {
        if (n.value == mode) {
            return std::string(n.name).substr(11);  // without SCREENMODE_
        }
    }
    return std::to_string(mode);
}

std::string Hex(int v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%X", static_cast<unsigned>(v));
    return buf;
}



TSAspectRatioKey KeyOf(const Input& in) {
    TSAspectRatioKey key;
    key.source = in.source;
    key.dtv = in.dtv;
    key.resolution = in.resolution;
    key.resolutionInfo.horizontal = in.h;
    key.resolutionInfo.vertical = in.v;
    key.resolutionInfo.aspectratio = in.ar;
    return key;
}

// The set-up file's lines, run on each fresh stand-in.
struct Setup {
    std::string file;
    std::vector<std::string> lines;
};

// A fresh stand-in: start-up defaults, the region, then the set-up lines.
// The interpreter's constructor does the reset. Throws on a set-up error.
void FreshStandIn(const Region& region, const Setup& setup) {
    std::ostringstream said;
    Options quiet;
    quiet.writeFiles = false;
    Interpreter interpreter(said, quiet);
    host::SetOption(0, region.option0);
    host::SetSpecTag(1, region.country);
    for (size_t i = 0; i < setup.lines.size(); ++i) {
        if (interpreter.Execute(setup.lines[i], setup.file, static_cast<int>(i + 1)) != Interpreter::Status::Ok) {
            throw ParseError(said.str());
        }
    }
    // The case reads the journal; log lines are not needed.
    host::SetLogCapture(false);
}

// What the menu offers for an input in a region, asked of the capability checks.
Json MenuAnswers(const Input& in) {
    TCAVCheck* check = TCAVCheck::GetInstance();
    const TSAspectRatioKey key = KeyOf(in);
    TVStream stream = host::DefaultStream();
    Json menu;
    Json sizes = Json::array();
    Json subMenus = Json::object();
    Json screenFit = Json::object();
    static const char* kSubNames[] = {"auto wide", "4:3 screen mode", "screen fit", "zoom/position", "panorama"};
    for (int s = 0; s <= 6; ++s) {
        TSSourceTypeInfo info;
        info.pictureSize = static_cast<EPictureSizeType>(s);
        bool offered = false;
        check->CheckPictureSize(stream, key, info, offered);
        if (!offered) {
            continue;
        }
        sizes.push_back(SizeName(s));
        Json subs = Json::array();
        for (int m = 0; m <= 4; ++m) {
            bool b = false;
            check->CheckPictureSizeSubMenu(key, static_cast<EPictureSizeType>(s),
                                           static_cast<EPictureSizeSubMenuType>(m), b);
            if (b) {
                subs.push_back(kSubNames[m]);
            }
        }
        subMenus[SizeName(s)] = subs;
        Json fits = Json::array();
        for (int f = 0; f <= 2; ++f) {
            bool b = false;
            check->CheckScreenFitOption(stream, key, info, static_cast<EScreenFitOptionType>(f), b);
            if (b) {
                fits.push_back(f == 0 ? "off" : f == 1 ? "on" : "auto");
            }
        }
        screenFit[SizeName(s)] = fits;
    }
    bool autoWide = false;
    check->CheckAutoWideSupported(autoWide);
    menu["sizes"] = sizes;
    menu["sub_menus"] = subMenus;
    menu["screen_fit"] = screenFit;
    menu["auto_wide_supported"] = autoWide;
    return menu;
}

std::string CodeText(const Case& c) {
    if (c.code == kNoCode) {
        return "-";
    }
    return (c.input->signal == Signal::Afd ? "AFD " : "WSS ") + std::to_string(c.code);
}

std::string CaseId(const Case& c, bool modeMatters) {
    std::string id = std::string(c.region->id) + "/" + c.input->id + "/" + SizeName(c.size) +
                     (c.autoWide ? "/auto-wide" : "");
    if (c.code != kNoCode) {
        id += std::string(c.input->signal == Signal::Afd ? "/afd-" : "/wss-") + std::to_string(c.code);
    }
    if (modeMatters) {
        id += "/mode-" + ScreenModeName(c.screenMode);
    }
    if (c.screenFit != 0) {
        id += c.screenFit == 1 ? "/fit-on" : "/fit-auto";
    }
    if (c.panorama) {
        id += "/panorama";
    }
    if (c.window != Window::Full) {
        id += c.window == Window::SetSize ? "/app-setsize" : "/app-cropvideo";
    }
    return id;
}

// Runs one case on a fresh stand-in and a fresh size controller; the outcome.
Json RunCase(const Case& c, const Setup& setup) {
    FreshStandIn(*c.region, setup);
    const TSAspectRatioKey key = KeyOf(*c.input);
    TVStream stream = host::DefaultStream();
    if (c.code != kNoCode) {
        host::SetProp(stream, c.input->signal == Signal::Afd ? 505 : 47, c.code);
    }
    TSPictureSizeOption option;
    option.bAutoWide = c.autoWide;
    option.screenMode = c.screenMode;
    option.screenFit = c.screenFit;
    option.bPanoramaOption = c.panorama;
    host::SetAgentDetailOption(c.input->storeSource, c.input->storeMode, c.size, option);

    auto control = std::make_unique<TCSizeControl>(ORBHandle(1, 0));
    if (c.window == Window::SetSize) {
        control->SetSize(stream, key, 100, 100, 540, 960);
    } else if (c.window == Window::SetCropVideo) {
        control->SetCropVideo(stream, TSRectInfo(0, 0, 960, 540), TSRectInfo(960, 0, 960, 540));
    }
    const size_t journalFrom = host::JournalSize();
    const size_t eventsFrom = host::Events().size();

    const int result = control->SetPictureSize(stream, key, static_cast<EPictureSizeType>(c.size), true);

    Json outcome;
    outcome["result"] = result;
    Json lookups = Json::array();
    Json applied = nullptr;
    bool wrote = false;
    for (const host::JournalEntry& e : host::JournalSince(journalFrom)) {
        if (e.name == "res_lookup_get_picture_size") {
            lookups.push_back("picture-size " + e.args.at(0));
        } else if (e.name == "res_lookup_get_video_crop" && e.args.size() >= 10) {
            // code source resolution-type input destination pc-mode size offset caption screen-fit
            lookups.push_back("crop " + e.args[0] + " source " + Hex(std::stoi(e.args[1])) + " type " + e.args[2] +
                              " input " + e.args[3] + " pc " + e.args[5] + " size " + e.args[6] + " offset " +
                              e.args[7] + " caption " + e.args[8] + " fit " + e.args[9]);
            applied = SizeName(std::stoi(e.args[6]));
        } else if (e.name == "tv_stream_set_property" && !e.args.empty() && e.args[0] == "610") {
            wrote = true;
        }
    }
    outcome["applied"] = applied;
    outcome["lookups"] = lookups;
    const std::optional<TvStreamXvideoSrcDstRect> sink = host::SinkRects(stream);
    if (wrote && sink) {
        outcome["src"] = Json::array({sink->src_x, sink->src_y, sink->src_width, sink->src_height});
        outcome["dst"] = Json::array({sink->dst_x, sink->dst_y, sink->dst_width, sink->dst_height});
    } else {
        outcome["src"] = nullptr;
        outcome["dst"] = nullptr;
        outcome["not_written"] = c.window == Window::SetSize       ? "refused: application window (SetSize)"
                                 : c.window == Window::SetCropVideo ? "application window (SetCropVideo): size only stored"
                                 : result == 0                      ? "refused"
                                                                    : "handed over, nothing written";
    }
    // null: the 21:9 output was never switched (the stand-in's product is no
    // wide-screen model unless the set-up makes it one).
    const std::optional<int> wide = host::WideScreenMode();
    outcome["output_21_9"] = wide ? Json(*wide != 0) : Json(nullptr);
    const std::optional<bool> lbd = host::LetterboxDetector();
    outcome["letterbox_detector"] = lbd ? Json(*lbd ? "on" : "off") : Json(nullptr);
    Json events = Json::array();
    const std::vector<host::EventRecord> all = host::Events();
    for (size_t i = eventsFrom; i < all.size(); ++i) {
        events.push_back(all[i].event);
    }
    outcome["events"] = events;
    // What the library printed is not part of the outcome; it is dropped
    // rather than left for the end of the run.
    if (OutputCapture* capture = OutputCapture::Current()) {
        capture->Take();
    }
    return outcome;
}

Json CaseJson(const Case& c, bool modeMatters) {
    Json j;
    j["region"] = c.region->id;
    j["input"] = c.input->id;
    j["size"] = SizeName(c.size);
    j["auto_wide"] = c.autoWide;
    j["signal"] = CodeText(c);
    j["screen_mode"] = modeMatters ? ScreenModeName(c.screenMode) : "any";
    j["screen_fit"] = c.screenFit == 0 ? "off" : c.screenFit == 1 ? "on" : "auto";
    j["panorama"] = c.panorama;
    j["window"] = WindowName(c.window);
    return j;
}

// Every case of one input in one region, with its outcome.
void RunInput(const Input& in, const Region& region, const Json& menu, const Setup& setup, std::vector<Json>& records) {
    auto add = [&](const Case& c, bool modeMatters, const Json& outcome) {
        Json r;
        r["id"] = CaseId(c, modeMatters);
        r["case"] = CaseJson(c, modeMatters);
        r["outcome"] = outcome;
        records.push_back(std::move(r));
    };
    std::vector<int> codes;
    if (in.signal == Signal::Afd) {
        for (int code = 0; code <= 15; ++code) codes.push_back(code);
        codes.push_back(255);
    } else if (in.signal == Signal::Wss) {
        for (int code = 0; code <= 15; ++code) codes.push_back(code);
    }
    for (const Json& sizeName : menu["sizes"]) {
        int64_t size = 0;
        ValueOfName(*NamesOf<EPictureSizeType>(), sizeName.get<std::string>(), size);
        const Json& fits = menu["screen_fit"][sizeName.get<std::string>()];
        const Json& subs = menu["sub_menus"][sizeName.get<std::string>()];
        const bool panoramaOffered = std::find(subs.begin(), subs.end(), "panorama") != subs.end();
        Case base{&in, &region, static_cast<int>(size), false, kNoCode, 0, 0, false, Window::Full};
        // Automatic wide off: the menu geometry, with each screen fit offered.
        add(base, false, RunCase(base, setup));
        for (const Json& fit : fits) {
            if (fit == "off") continue;
            Case c = base;
            c.screenFit = fit == "on" ? 1 : 2;
            add(c, false, RunCase(c, setup));
        }
        if (panoramaOffered) {
            Case c = base;
            c.panorama = true;
            add(c, false, RunCase(c, setup));
        }
        // Automatic wide on, for the sizes it works with: every code, and
        // each 4:3 screen mode where the outcome depends on it.
        if (size == 0 || size == 4) {
            std::vector<int> signalCodes = codes.empty() ? std::vector<int>{kNoCode} : codes;
            for (int code : signalCodes) {
                Case c = base;
                c.autoWide = true;
                c.code = code;
                std::vector<Json> byMode;
                for (int mode : kScreenModes) {
                    c.screenMode = mode;
                    byMode.push_back(RunCase(c, setup));
                }
                bool same = true;
                for (const Json& o : byMode) same = same && o == byMode[0];
                if (same) {
                    c.screenMode = 0;
                    add(c, false, byMode[0]);
                } else {
                    for (size_t m = 0; m < std::size(kScreenModes); ++m) {
                        c.screenMode = kScreenModes[m];
                        add(c, true, byMode[m]);
                    }
                }
            }
        }
    }
    // One application window of each kind, then the menu's 16:9.
    for (Window w : {Window::SetSize, Window::SetCropVideo}) {
        Case c{&in, &region, 0, false, kNoCode, 0, 0, false, w};
        add(c, false, RunCase(c, setup));
    }
}

const char* kLeftOut[] = {
    "automatic wide only with 16_9 and 21_9 (the sizes it works with); other sizes once with it off",
    "screen fit and panorama with automatic wide off only",
    "AFD/WSS codes only on inputs that carry them (digital tuner and digital playback: AFD; analog tuner and "
    "analog inputs: WSS); WSS 0-15 only, no out-of-range values",
    "application windows only with 16_9 and at one rectangle",
    "MLS, MHL, 3D, picture-in-picture, screen mirroring and the 21:9 letterbox detector's results (Set21to9_AutoSize)",
    "zoom and custom offsets, screen-fit positions, PC adjustments: the stored offsets are zero",
    "the signal re-apply (SetPictureSize without a size) and the direct ChangeVideoSizeByAFD/WSS calls",
    "one region of each family: ATSC (region 1, country 0) and DVB (region 6, country 2); ISDB not separately",
};

// One JSON value per line: reviewable, and a changed case is one changed line.
std::string Serialise(const std::vector<Json>& inputs, const std::vector<Json>& records) {
    std::string out = "{\"atlas\": 1, \"cases\": " + std::to_string(records.size()) + ",\n\"left_out\": [\n";
    for (size_t i = 0; i < std::size(kLeftOut); ++i) {
        out += Json(kLeftOut[i]).dump() + (i + 1 < std::size(kLeftOut) ? ",\n" : "\n");
    }
    out += "],\n\"inputs\": [\n";
    for (size_t i = 0; i < inputs.size(); ++i) {
        out += inputs[i].dump() + (i + 1 < inputs.size() ? ",\n" : "\n");
    }
    out += "],\n\"records\": [\n";
    for (size_t i = 0; i < records.size(); ++i) {
        out += records[i].dump() + (i + 1 < records.size() ? ",\n" : "\n");
    }
    out += "]}\n";
    return out;
}

bool ReadFile(const std::string& path, std::string& text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    std::ostringstream s;
    s << in.rdbuf();
    text = s.str();
    return !in.bad();
}

// Writes through a temporary file, so a failed write leaves the old file.
bool WriteFile(const std::string& path, const std::string& text) {
    const std::string tmp = path + ".tmp";
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        out << text;
        out.flush();
        if (!out) {
            std::remove(tmp.c_str());
            return false;
        }
    }
    return std::rename(tmp.c_str(), path.c_str()) == 0;
}

// "outcome.dst" -> value, for every leaf under case and outcome.
void Flatten(const Json& j, const std::string& prefix, std::map<std::string, std::string>& out) {
    if (j.is_object()) {
        for (auto it = j.begin(); it != j.end(); ++it) {
            Flatten(it.value(), prefix.empty() ? it.key() : prefix + "." + it.key(), out);
        }
    } else {
        out[prefix] = j.dump();
    }
}

// Prints the changed cases as case, field, before, after; returns how many
// fields differ.
size_t Compare(const Json& before, const Json& after, std::ostream& out) {
    // Each case's outcome, and each input's menu answers as a case of its own.
    std::map<std::string, std::map<std::string, std::string>> old, now;
    const auto collect = [](const Json& atlas, std::map<std::string, std::map<std::string, std::string>>& into) {
        for (const Json& r : atlas["records"]) {
            Flatten(r["outcome"], "", into[r["id"].get<std::string>()]);
        }
        for (const Json& i : atlas["inputs"]) {
            Flatten(i["menu"], "menu",
                    into[i["region"].get<std::string>() + "/" + i["input"].get<std::string>() + " (menu)"]);
        }
    };
    collect(before, old);
    collect(after, now);
    struct Row {
        std::string id, field, before, after;
    };
    std::vector<Row> rows;
    for (const auto& [id, fields] : now) {
        auto it = old.find(id);
        if (it == old.end()) {
            rows.push_back({id, "(case)", "absent", "new"});
            continue;
        }
        std::set<std::string> names;
        for (const auto& f : fields) names.insert(f.first);
        for (const auto& f : it->second) names.insert(f.first);
        for (const std::string& name : names) {
            const auto a = it->second.find(name);
            const auto b = fields.find(name);
            const std::string va = a == it->second.end() ? "-" : a->second;
            const std::string vb = b == fields.end() ? "-" : b->second;
            if (va != vb) {
                rows.push_back({id, name, va, vb});
            }
        }
    }
    for (const auto& [id, fields] : old) {
        if (now.find(id) == now.end()) {
            rows.push_back({id, "(case)", "present", "gone"});
        }
    }
    if (rows.empty()) {
        return 0;
    }
    size_t w0 = 4, w1 = 5;
    for (const Row& r : rows) {
        w0 = std::max(w0, r.id.size());
        w1 = std::max(w1, r.field.size());
    }
    constexpr size_t kShown = 40;
    auto pad = [](const std::string& s, size_t w) { return s + std::string(w > s.size() ? w - s.size() : 0, ' '); };
    out << pad("case", w0) << "  " << pad("field", w1) << "  before -> after\n";
    for (size_t i = 0; i < rows.size() && i < kShown; ++i) {
        out << pad(rows[i].id, w0) << "  " << pad(rows[i].field, w1) << "  " << rows[i].before << " -> "
            << rows[i].after << "\n";
    }
    std::set<std::string> cases;
    for (const Row& r : rows) cases.insert(r.id);
    out << rows.size() << " changed field(s) in " << cases.size() << " case(s)"
        << (rows.size() > kShown ? " (first " + std::to_string(kShown) + " shown)" : "") << "\n";
    return rows.size();
}

}  // namespace

int Atlas(const AtlasOptions& options, std::ostream& out, std::ostream& err) {
    const auto start = std::chrono::steady_clock::now();
    Setup setup;
    if (!options.setupFile.empty()) {
        setup.file = options.setupFile;
        std::string text;
        if (!ReadFile(options.setupFile, text)) {
            err << "avctl atlas: cannot read " << options.setupFile << "\n";
            return kExitUsage;
        }
        std::istringstream lines(text);
        for (std::string line; std::getline(lines, line);) {
            setup.lines.push_back(line);
        }
    }
    std::vector<Json> inputs;
    std::vector<Json> records;
    try {
        // The fast-video hand-over happens on the first sink write of the
        // process: done here, so that no case is the first.
        FreshStandIn(Regions()[0], setup);
        TCSizeControl warmUp(ORBHandle(1, 0));
        warmUp.SetPictureSize(host::DefaultStream(), KeyOf(Inputs()[2]), PICTURESIZETYPE_16_9, false);

        for (const Region& region : Regions()) {
            for (const Input& in : Inputs()) {
                FreshStandIn(region, setup);
                Json menu = MenuAnswers(in);
                Json j;
                j["region"] = region.id;
                j["input"] = in.id;
                j["group"] = in.group;
                j["label"] = in.label;
                j["key"] = {{"source", in.source}, {"dtv", in.dtv}, {"res", Hex(in.resolution)},
                            {"h", in.h}, {"v", in.v}, {"ar", in.ar}};
                j["menu"] = menu;
                inputs.push_back(j);
                RunInput(in, region, menu, setup, records);
            }
        }
    } catch (const ParseError& e) {
        err << e.what();
        return kExitFailed;
    }
    const std::string text = Serialise(inputs, records);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    if (!options.outDir.empty()) {
        std::error_code ec;
        std::filesystem::create_directories(options.outDir, ec);
        if (ec || !WriteFile(options.outDir + "/atlas.json", text) ||
            !WriteFile(options.outDir + "/index.html", AtlasPage(text))) {
            err << "avctl atlas: cannot write into " << options.outDir << "\n";
            return kExitUsage;
        }
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.1f", seconds);
        out << records.size() << " cases in " << buf << " s; wrote " << options.outDir << "/atlas.json and "
            << options.outDir << "/index.html\n";
    }
    if (!options.checkFile.empty()) {
        std::string snapshotText;
        if (!ReadFile(options.checkFile, snapshotText)) {
            err << "avctl atlas: cannot read the snapshot " << options.checkFile << "\n";
            return kExitUsage;
        }
        Json snapshot = Json::parse(snapshotText, nullptr, false);
        if (snapshot.is_discarded() || !snapshot.contains("records") || !snapshot.contains("inputs")) {
            err << "avctl atlas: " << options.checkFile << " is not an atlas\n";
            return kExitFailed;
        }
        const size_t changed = Compare(snapshot, Json::parse(text), out);
        if (changed != 0) {
            out << "The atlas differs from " << options.checkFile
                << "; after an intended change, make atlas-update rewrites it.\n";
            return kExitFailed;
        }
        out << records.size() << " cases as in " << options.checkFile << "\n";
    }
    return kExitOk;
}

}  // namespace avctl
