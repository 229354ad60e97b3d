// Fuzzing harness of the public operations. The input bytes become a
// sequence of calls on the size controllers of four handles ((1,0), its alias
// (1,20), (1,5) and (101,0)), the capability checks and the analog sound,
// with arguments from the whole range of their types, interleaved with
// platform changes (region, country, player properties, stream types, a null
// stream, an absent aspect-ratio agent or event manager, a failing sink). After every call the harness
// checks what must always hold:
//   - every handle's screen state is one of the three;
//   - when a call wrote the sink and the player took it, the handle
//     remembers exactly the source and destination the sink received (after
//     SetSize only the destination: the window keeps the remembered source);
//   - a call given a null stream writes nothing to any sink;
//   - a fast-boot record a call stores reads back with every field in the
//     set the record can hold and its two fixed bytes, and only the main
//     path's controllers store one (the factory reset aside);
//   - in an application window the menu operations that only record their
//     value (picture size, screen fit, zoom, 21:9) write nothing to the sink.
// A broken rule aborts with the sequence that led to it.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <tvav/AVCheck.h>
#include <tvav/AnalogMts.h>
#include <tvav/SizeControl.h>
#include "host/HostControl.h"

namespace {

constexpr int kSinkProperty = TV_PROPERTY_VIDEO_SINK_SRCDST_POINTER;

struct Path {
    ORBHandle handle;
    TVStream stream;
};

std::string Text(const TSRectInfo& r) { return host::FormatRect(r.x, r.y, r.width, r.height); }

std::string Word(const char* text) { return text; }
std::string Word(const TSRectInfo& rect) { return Text(rect); }
template <class T>
std::string Word(const T& value) {
    return std::to_string(static_cast<long long>(value));
}

struct Run {
    FuzzedDataProvider& in;
    std::vector<Path> paths;
    std::string trail;  // the calls so far, one per line

    // One line of the trail: the words, blank-separated.
    template <class... T>
    void Note(const std::string& first, const T&... rest) {
        std::string line = first;
        ((line += " " + Word(rest)), ...);
        trail += line + "\n";
    }

    [[noreturn]] void Fail(const std::string& why) const {
        std::fprintf(stderr, "operations fuzz: %s\n--- calls ---\n%s--- end of calls ---\n", why.c_str(),
                     trail.c_str());
        std::abort();
    }

    // Mostly values the tables know, sometimes anything.
    int Pick(std::initializer_list<int> known) {
        if (in.ConsumeIntegralInRange<int>(0, 7) == 0) return in.ConsumeIntegral<int>();
        return *(known.begin() + in.ConsumeIntegralInRange<size_t>(0, known.size() - 1));
    }
    int Any() { return in.ConsumeIntegral<int>(); }
    int Small() { return in.ConsumeIntegralInRange<int>(-4, 40); }
    bool Bool() { return in.ConsumeBool(); }

    TSAspectRatioKey Key() {
        TSAspectRatioKey key;
        key.source = Pick({0, 1, 3, 6, 11, 13, 14, 15, 20, 24, 31});
        key.resolution = Pick({0x10001, 0x10002, 0x10003, 0x10004, 0x10005, 0x20001, 0x30001, 0x40001, 0x50000,
                               0x5005D});
        key.resolutionInfo.horizontal = static_cast<uint32_t>(Pick({720, 1280, 1920, 3840, 0}));
        key.resolutionInfo.vertical = static_cast<uint32_t>(Pick({480, 576, 720, 1080, 2160, 0}));
        key.resolutionInfo.aspectratio = static_cast<uint32_t>(Pick({0, 1, 2, 3, 4}));
        key.dtv = Bool();
        return key;
    }
    TSRectInfo Rect() {
        const bool bPlain = Bool();
        return bPlain ? TSRectInfo(Small() * 48, Small() * 27, Small() * 96, Small() * 54)
                      : TSRectInfo(Any(), Any(), Any(), Any());
    }
};

std::vector<host::JournalEntry> SinkWrites(size_t from) {
    std::vector<host::JournalEntry> writes;
    for (auto& e : host::JournalSince(from)) {
        if (e.name == "tv_stream_set_property" && !e.args.empty() && e.args[0] == std::to_string(kSinkProperty)) {
            writes.push_back(std::move(e));
        }
    }
    return writes;
}

// Operations that, in an application window, record their value and leave
// the sink alone: in either window state, and only in the crop-video one.
enum class Gate { None, AnyWindow, CropWindow };

// One call on a size controller. Returns how it is gated; bDstOnly tells
// that the call writes the sink without remembering the source it wrote,
// bFactoryReset that it rewrote every fast-boot record.
Gate CallSizeControl(Run& run, TCSizeControl* c, TVStream stream, int op, bool& bDstOnly, bool& bFactoryReset) {
    const TSAspectRatioKey key = run.Key();
    int a = 0, b = 0, h = 0, w = 0;
    TSRectInfo src, dst;
    switch (op) {
        case 0: {
            const int x = run.Small() * 48, y = run.Small() * 27, hh = run.Small() * 27, ww = run.Small() * 48;
            run.Note("SetSize", x, y, hh, ww);
            c->SetSize(stream, key, x, y, hh, ww);
            bDstOnly = true;
            return Gate::None;
        }
        case 1: {
            const int x = run.Any(), y = run.Any(), hh = run.Any(), ww = run.Any();
            run.Note("SetSizeInfo", x, y, hh, ww);
            c->SetSizeInfo(x, y, hh, ww);
            return Gate::None;
        }
        case 2:
            src = run.Rect();
            dst = run.Rect();
            run.Note("SetCropVideo", src, dst);
            c->SetCropVideo(stream, src, dst);
            return Gate::None;
        case 3:
            run.Note("SetDefaultSize");
            c->SetDefaultSize(stream, key);
            return Gate::None;
        case 4:
            run.Note("GetDefaultSize / SetDefaultSizeInfo");
            c->GetDefaultSize(stream, key, src, dst);
            c->SetDefaultSizeInfo();
            return Gate::None;
        case 5: {
            const int wss = run.in.ConsumeIntegralInRange<int>(0, 255), preview = run.Pick({-1, 0, 1, 2, 3});
            run.Note("ChangeVideoSizeByWSS", wss, preview);
            c->ChangeVideoSizeByWSS(stream, key, wss, preview);
            return Gate::None;
        }
        case 6: {
            const unsigned char afd = run.in.ConsumeIntegral<unsigned char>();
            const int preview = run.Pick({-1, 0, 1, 2, 3});
            run.Note("ChangeVideoSizeByAFD", afd, preview);
            c->ChangeVideoSizeByAFD(stream, key, afd, preview);
            return Gate::None;
        }
        case 7:
            a = run.Any();
            b = run.Any();
            run.Note("SetScreenFitPosition", a, b);
            c->SetScreenFitPosition(stream, key, a, b);
            return Gate::None;
        case 8: {
            const bool logo = run.Bool(), caption = run.Bool();
            a = run.Pick({0, 100, 140, 270});
            b = run.Pick({0, 100, 140, 270});
            run.Note("Set21to9_AutoSize", logo, caption, a, b);
            c->Set21to9_AutoSize(stream, key, logo, caption, a, b);
            return Gate::AnyWindow;
        }
        case 9: {
            const auto size = static_cast<EPictureSizeType>(run.Pick({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
            const bool save = run.Bool();
            run.Note("SetPictureSize", size, save);
            c->SetPictureSize(stream, key, size, save);
            return Gate::AnyWindow;
        }
        case 10:
            run.Note("SetPictureSize (signal)");
            c->SetPictureSize(stream, key);
            return Gate::None;
        case 11: {
            EPictureSizeType size = PICTURESIZETYPE_16_9;
            EScreenFitOptionType fit = SCREENFITOPTION_OFF;
            bool on = false;
            EScreenModeData mode = SCREENMODE_16_9;
            kova_source_e source = 0;
            run.Note("readers");
            c->GetPictureSize(key, size);
            c->GetScreenFitOption(stream, key, fit);
            c->GetAutoWideOption(key, on);
            c->GetScreenMode(key, mode);
            c->GetPanoramaOption(key, on);
            c->GetZoomPosition(key, a, b);
            c->GetZoomSize(key, w, h);
            c->GetKOVASourceType(key, source);
            c->GetAFDGeometryRectSize(a, b, w, h);
            c->GetSize(a, b, h, w);
            c->RefreshGFXRectSize(stream);
            return Gate::None;
        }
        case 12:
            a = run.Pick({-1, 0, 1, 2, 5, 15, 16, 100});
            b = run.Pick({-1, 0, 1, 2, 5, 15, 16, 100});
            run.Note("SetZoomSize", a, b);
            c->SetZoomSize(stream, key, a, b);
            return Gate::CropWindow;
        case 13:
            a = run.Pick({-2, -1, 0, 1, 2, 30, 1000});
            b = run.Pick({-2, -1, 0, 1, 2, 30, 1000});
            run.Note("SetZoomPosition", a, b);
            c->SetZoomPosition(stream, key, a, b);
            return Gate::CropWindow;
        case 14: {
            const auto fit = static_cast<EScreenFitOptionType>(run.Pick({0, 1, 2, 3}));
            const bool save = run.Bool();
            run.Note("SetScreenFitOption", fit, save);
            c->SetScreenFitOption(stream, key, fit, save);
            return Gate::CropWindow;
        }
        case 15:
            run.Note("ResetPictureSize");
            c->ResetPictureSize(stream, key);
            return Gate::None;
        case 16: {
            const bool on = run.Bool(), save = run.Bool();
            run.Note("SetAutoWideOption", on, save);
            c->SetAutoWideOption(stream, key, on, save);
            return Gate::None;
        }
        case 17: {
            const auto mode = static_cast<EScreenModeData>(run.Pick({0, 1, 2, 3, 4, 5}));
            const bool save = run.Bool();
            run.Note("SetScreenMode", mode, save);
            c->SetScreenMode(stream, key, mode, save);
            return Gate::None;
        }
        case 18: {
            const bool on = run.Bool(), save = run.Bool();
            run.Note("SetPanoramaOption", on, save);
            c->SetPanoramaOption(stream, key, on, save);
            return Gate::None;
        }
        case 19:
            run.Note("InitializeData / InitializeDataForFBStore");
            c->InitializeData();
            c->InitializeDataForFBStore();
            bFactoryReset = true;
            return Gate::None;
        case 20: {
            const bool on = run.Bool();
            const auto menu = static_cast<EPictureSizeSubMenuType>(run.Pick({0, 1, 2, 3, 4, 5, 6, 7}));
            run.Note("SetLiveTvShowState", on, "/ ResetPictureSizeDetailOption", menu, "/ SetStillMode");
            c->SetLiveTvShowState(on);
            c->ResetPictureSizeDetailOption(menu);
            c->SetStillMode(run.Bool());
            return Gate::None;
        }
        default: {
            const kova_resolution_e res = run.Pick({0x10001, 0x10002, 0x50000});
            const unsigned hh = static_cast<unsigned>(run.Any()), vv = static_cast<unsigned>(run.Any());
            TS21to9SizeInfo info;
            c->Get21to9SizeInfo(info);
            info.TopBlankLine = run.Any();
            info.BottomBlankLine = run.Any();
            run.Note("SetPrevResolutionInfo / Set21to9SizeInfo", info.TopBlankLine, info.BottomBlankLine);
            c->SetPrevResolutionInfo(res, hh, vv);
            c->Set21to9SizeInfo(info);
            return Gate::None;
        }
    }
}

constexpr int kSizeControlOps = 22;

void CallChecksAndSound(Run& run, TVStream stream, int op) {
    const TSAspectRatioKey key = run.Key();
    bool bCheck = false;
    TSSourceTypeInfo info;
    info.pictureSize = static_cast<EPictureSizeType>(run.Pick({0, 1, 2, 3, 4, 5, 6, 11}));
    const auto mode = static_cast<EMultiSoundMode>(run.Pick({0, 1, 2, 3, 4, 5, 6, 7, 8}));
    const int signal = run.Pick({0, 1, 2, 3, 4, 5, 6, 7, 8, 10, 11});
    switch (op) {
        case 0:
            run.Note("TCAVCheck questions");
            if (TCAVCheck* check = TCAVCheck::GetInstance()) {
                check->CheckPictureSize(stream, key, info, bCheck);
                check->CheckPictureSizeSubMenu(key, info.pictureSize,
                                               static_cast<EPictureSizeSubMenuType>(run.Pick({0, 1, 2, 3})), bCheck);
                check->CheckScreenFitOption(stream, key, info, static_cast<EScreenFitOptionType>(run.Pick({0, 1, 2})),
                                            bCheck);
                check->CheckScreenFitPosition(key, info, bCheck);
                check->CheckAutoWideSupported(bCheck);
                check->CheckAnalogMTS(stream, mode, bCheck);
            }
            TCAVCheck::CheckExceptionScreenState(stream, key,
                                                 static_cast<EExceptionScreenStateType>(run.Pick({0, 1, 2, 3, 4})),
                                                 run.Bool());
            break;
        default:
            run.Note("analog sound, mode", mode, "signal", signal);
            if (TCAnalogMts* mts = TCAnalogMts::GetInstance()) {
                EMultiSoundMode read = MULTI_SOUND_MONO;
                mts->SetAnalogMTS(stream, mode, run.Bool());
                mts->SetAnalogMTSByCallback(stream, signal);
                mts->GetAnalogMTSBySignal(stream, read);
                mts->SetAnalogMTSByChannelTune(stream);
                mts->GetAnalogMTS(stream, read);
            }
            break;
    }
}

void ChangePlatform(Run& run, int op) {
    const TVStream stream = run.paths[run.in.ConsumeIntegralInRange<size_t>(0, run.paths.size() - 1)].stream;
    const int v = run.Pick({0, 1, 2, 3, 4, 5, 6, 7, 8, 10, 12, 15, 16, 255});
    switch (op) {
        case 0:
            run.Note("host: region", v);
            host::SetOption(0, v);
            break;
        case 1:
            run.Note("host: country", v);
            host::SetSpecTag(SOSPEC_TAG_COUNTRY, v);
            host::SetAnalogCountry(v);
            break;
        case 2: {
            const int id = run.Pick({TV_PROPERTY_AFD, TV_PROPERTY_ANALOG_WSS, TV_PROPERTY_PC_MODE,
                                     TV_PROPERTY_21_9_SUPPORTED, TV_PROPERTY_21_9_ACTIVE});
            run.Note("host: property", id, "=", v);
            host::SetProp(stream, id, v);
            break;
        }
        case 3: {
            const bool present = run.Bool();
            run.Note("host: aspect-ratio agent", present ? "present" : "absent");
            host::SetAspectRatioAgentPresent(present);
            break;
        }
        case 4: {
            const int result = run.Bool() ? 0 : -1;
            run.Note("host: sink result", result);
            host::SetPropResult(stream, kSinkProperty, result);
            break;
        }
        case 5: {
            const bool present = run.Bool();
            run.Note("host: event manager", present ? "present" : "absent");
            host::SetEventManagerPresent(present);
            break;
        }
        case 6: {
            // ATSC 3.0 stream types take the window through their own call.
            const int type = run.Pick({0, 77, 39, 8, 10});
            run.Note("host: stream type", type);
            host::SetStreamType(stream, type);
            break;
        }
        case 7:
            run.Note("host: fast-video server end result", v);
            host::SetFbTerminateResult(v);
            break;
        default:
            run.Note("host: PC mode", v & 1);
            host::SetAvocPcMode(v & 1);
            break;
    }
}

constexpr int kPlatformOps = 9;

void CheckStates(const Run& run) {
    for (const Path& p : run.paths) {
        const int state = TCSizeControl::GetInstance(p.handle)->GetCurrentScreenState();
        if (state < 0 || state > 2) {
            run.Fail("handle (" + std::to_string(p.handle.p) + "," + std::to_string(p.handle.s) +
                     ") has screen state " + std::to_string(state));
        }
    }
}

// Fast-boot records stored by a call, as they read back now.
void CheckFastBoot(const Run& run, const ORBHandle& handle, size_t from, bool bFactoryReset) {
    static const std::vector<std::vector<int>> kFieldValues = {
        {0, 1, 2, 3, 4, 5, 6},  // picture size
        {0, 1},                 // auto wide
        {0xFF},                 // reserved
        {0, 2, 3, 4},           // screen mode
        {0, 1, 2},              // screen fit
        {1},                    // reserved
        {0, 1},                 // panorama
    };
    for (const auto& e : host::JournalSince(from)) {
        if (e.name != "fb_nv_store_screen_config_res" || e.args.size() < 2) continue;
        if (handle.p != 1 && !bFactoryReset) run.Fail("a controller off the main path stored a fast-boot record");
        const int source = std::stoi(e.args[0]), resolution = std::stoi(e.args[1]);
        const auto bytes = host::FbScreen(source, resolution);
        for (size_t i = 0; i < kFieldValues.size(); ++i) {
            const auto& allowed = kFieldValues[i];
            if (std::find(allowed.begin(), allowed.end(), bytes[i]) == allowed.end()) {
                run.Fail("fast-boot record " + std::to_string(source) + "/" + std::to_string(resolution) +
                         " reads back " + host::FormatHex(bytes.data(), bytes.size()) + ": byte " +
                         std::to_string(i) + " is " + std::to_string(bytes[i]));
            }
        }
    }
}

// The last sink write of a call: if the player took it, the handle must
// remember what the sink received.
void CheckSink(const Run& run, TCSizeControl* c, TVStream stream, const std::vector<host::JournalEntry>& writes,
               bool bDstOnly) {
    if (writes.empty() || writes.back().result != "0") return;
    const auto sink = host::SinkRects(stream);
    if (!sink) run.Fail("the player took a sink write but reports no rectangles");
    TSRectInfo src, dst;
    c->GetCropVideoInfo(src, dst);
    const std::string remembered = (bDstOnly ? "" : Text(src) + " ") + Text(dst);
    const std::string written =
        (bDstOnly ? "" : host::FormatRect(sink->src_x, sink->src_y, sink->src_width, sink->src_height) + " ") +
        host::FormatRect(sink->dst_x, sink->dst_y, sink->dst_width, sink->dst_height);
    if (remembered != written) {
        run.Fail("the handle remembers " + remembered + " but the sink received " + written);
    }
}

}  // namespace

// The stand-in's streams live as long as the process (a reset gives them back
// their defaults), so the harness makes its two once.
static TVStream g_second = nullptr;
static TVStream g_third = nullptr;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    g_second = host::NewStream();
    g_third = host::NewStream();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    host::Reset();
    host::SetLogCapture(false);
    FuzzedDataProvider in(data, size);
    Run run{in, {}, {}};
    const TVStream main = host::DefaultStream();
    run.paths = {{ORBHandle(1, 0), main}, {ORBHandle(1, 20), main}, {ORBHandle(1, 5), g_second},
                 {ORBHandle(101, 0), g_third}};
    // Controllers outlive an input: give back the state that public operations
    // can, so that a kept input replays alike on its own.
    for (const Path& p : run.paths) {
        TCSizeControl* c = TCSizeControl::GetInstance(p.handle);
        c->SetDefaultSizeInfo();
        if (p.handle.p == 101) c->SetCurrentScreenState(TCSizeControl::SCREENSTATE_PIG_BY_SETSIZE);
        c->Reset21to9SizeInfo();
        c->SetStillMode(false);
        c->SetLiveTvShowState(false);
        c->InitializeData();
    }

    for (int step = 0; step < 64 && in.remaining_bytes() > 0; ++step) {
        const int kind = in.ConsumeIntegralInRange<int>(0, 9);
        if (kind == 0) {
            ChangePlatform(run, in.ConsumeIntegralInRange<int>(0, kPlatformOps - 1));
            continue;
        }
        const Path& path = run.paths[in.ConsumeIntegralInRange<size_t>(0, run.paths.size() - 1)];
        const bool bNull = in.ConsumeIntegralInRange<int>(0, 7) == 0;
        const TVStream stream = bNull ? nullptr : path.stream;
        run.Note(std::string("-- handle (") + std::to_string(path.handle.p) + "," + std::to_string(path.handle.s) +
                 ")" + (bNull ? ", null stream" : ""));
        TCSizeControl* c = TCSizeControl::GetInstance(path.handle);
        const int stateBefore = c->GetCurrentScreenState();
        const size_t from = host::JournalSize();
        Gate gate = Gate::None;
        bool bDstOnly = false, bFactoryReset = false;
        if (kind == 1) {
            CallChecksAndSound(run, stream, in.ConsumeIntegralInRange<int>(0, 1));
        } else {
            gate = CallSizeControl(run, c, stream, in.ConsumeIntegralInRange<int>(0, kSizeControlOps - 1), bDstOnly,
                                   bFactoryReset);
        }
        // The capability checks ask the main path's controller, whatever the handle.
        CheckFastBoot(run, kind == 1 ? ORBHandle(1, 0) : path.handle, from, bFactoryReset);
        CheckStates(run);
        const auto writes = SinkWrites(from);
        if (bNull && !writes.empty()) run.Fail("a call with a null stream wrote the sink");
        const bool bGated = (gate == Gate::AnyWindow && stateBefore != TCSizeControl::SCREENSTATE_FULLSIZE) ||
                            (gate == Gate::CropWindow && stateBefore == TCSizeControl::SCREENSTATE_PIG_BY_CROPVIDEO);
        if (bGated && !writes.empty()) {
            run.Fail("the call wrote the sink in screen state " + std::to_string(stateBefore));
        }
        if (!bNull) CheckSink(run, c, path.stream, writes, bDstOnly);
    }
    return 0;
}
