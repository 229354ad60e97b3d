// Helpers shared by the size-controller tests: a fresh controller per test,
// keys, option records, and look-ups in the stand-in's journal and log.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "SizeControl.h"
#include "host/HostControl.h"

namespace sizecontrol_test {

inline TSAspectRatioKey Key(int source, kova_resolution_e resolution, bool dtv, unsigned horizontal = 1920,
                            unsigned vertical = 1080, unsigned aspectratio = 3) {
    TSAspectRatioKey key;
    key.source = source;
    key.resolution = resolution;
    key.dtv = dtv;
    key.resolutionInfo.horizontal = horizontal;
    key.resolutionInfo.vertical = vertical;
    key.resolutionInfo.aspectratio = aspectratio;
    return key;
}

// A detail record; the offset flag is set when an offset is given.
inline TSPictureSizeOption Opt(bool autoWide, int mode, int fit, bool pano, int x = 0, int y = 0, int h = 0,
                               int w = 0) {
    return {autoWide, mode, fit, x != 0 || y != 0 || h != 0 || w != 0, x, y, h, w, pano};
}

// A record as "autoWide,mode,fit,flag,x,y,h,w,panorama".
inline std::string Fields(const TSPictureSizeOption& o) {
    std::string s;
    for (int v : {int(o.bAutoWide), o.screenMode, o.screenFit, int(o.bOffset), o.offsetX, o.offsetY, o.offsetHeight,
                  o.offsetWidth, int(o.bPanoramaOption)}) {
        s += (s.empty() ? "" : ",") + std::to_string(v);
    }
    return s;
}

// The agent's record under (store source, resolution mode, size), or "none".
inline std::string Stored(int source, int mode, int size) {
    const auto o = host::AgentDetailOption(source, mode, size);
    return o ? Fields(*o) : "none";
}

inline std::string Rect(const TSRectInfo& r) { return host::FormatRect(r.x, r.y, r.width, r.height); }

// Journaled calls named `name` (with `firstArg` as first argument when given).
inline std::vector<host::JournalEntry> Calls(const std::string& name, const std::string& firstArg = "") {
    std::vector<host::JournalEntry> found;
    for (const auto& e : host::Journal()) {
        if (e.name == name && (firstArg.empty() || (!e.args.empty() && e.args[0] == firstArg))) {
            found.push_back(e);
        }
    }
    return found;
}

// Index of the first journal entry named `name` whose arguments start with
// `args`, from `from` on; -1 when none.
inline long IndexOf(const std::string& name, const std::vector<std::string>& args = {}, size_t from = 0) {
    const auto journal = host::Journal();
    for (size_t i = from; i < journal.size(); ++i) {
        bool match = journal[i].name == name && journal[i].args.size() >= args.size();
        for (size_t a = 0; match && a < args.size(); ++a) match = journal[i].args[a] == args[a];
        if (match) return static_cast<long>(i);
    }
    return -1;
}

inline bool LogHas(const std::string& text) { return host::LogContains(text); }

// The sink rectangles of a stream as "x,y,w,h x,y,w,h" (src dst), or "none".
inline std::string Sink(TVStream stream = host::DefaultStream()) {
    const auto r = host::SinkRects(stream);
    if (!r) return "none";
    return host::FormatRect(r->src_x, r->src_y, r->src_width, r->src_height) + " " +
           host::FormatRect(r->dst_x, r->dst_y, r->dst_width, r->dst_height);
}
inline std::string SinkDst() { return Sink().substr(Sink().find(' ') + 1); }  // "none" stays "none"

// The remembered destination (GetSize) as "x,y,w,h".
inline std::string Window(TCSizeControl& ctl) {
    int x = 0, y = 0, h = 0, w = 0;
    ctl.GetSize(x, y, h, w);
    return host::FormatRect(x, y, w, h);
}

// A fresh controller for each test (the registry's instances live for the
// whole process), on a freshly reset stand-in with the default stream.
class SizeControlTest : public ::testing::Test {
protected:
    void SetUp() override {
        host::Reset();
        stream = host::DefaultStream();
    }

    TCSizeControl& Make(ORBHandle handle = ORBHandle(1, 0)) {
        m_controls.push_back(std::make_unique<TCSizeControl>(handle));
        return *m_controls.back();
    }

    TVStream stream = nullptr;

private:
    std::vector<std::unique_ptr<TCSizeControl>> m_controls;
};

}  // namespace sizecontrol_test
