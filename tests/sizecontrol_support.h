// Helpers shared by the size-controller tests: a fresh controller per test,
// keys, and look-ups in the stand-in's journal and log.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <optional>
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

// Names of the journaled calls from `from` on, in order (scope traces and
// events included as "scope" and "event").
inline std::vector<std::string> CallNames(size_t from = 0) {
    std::vector<std::string> names;
    for (const auto& e : host::JournalSince(from)) {
        names.push_back(e.name);
    }
    return names;
}

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
        if (journal[i].name != name || journal[i].args.size() < args.size()) {
            continue;
        }
        bool match = true;
        for (size_t a = 0; a < args.size(); ++a) {
            match = match && journal[i].args[a] == args[a];
        }
        if (match) {
            return static_cast<long>(i);
        }
    }
    return -1;
}

inline bool LogHas(const std::string& text) { return host::LogContains(text); }

// The sink rectangles of the default stream as "x,y,w,h x,y,w,h" (src dst).
inline std::string Sink(TVStream stream = host::DefaultStream()) {
    const auto r = host::SinkRects(stream);
    if (!r) {
        return "none";
    }
    return host::FormatRect(r->src_x, r->src_y, r->src_width, r->src_height) + " " +
           host::FormatRect(r->dst_x, r->dst_y, r->dst_width, r->dst_height);
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
