// Helpers shared by the size-controller tests: a fresh controller per test,
// option records and the remembered and written rectangles.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include <tvav/SizeControl.h>
#include "host/HostControl.h"
#include "host_support.h"

namespace sizecontrol_test {

using namespace test_support;

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

inline std::string SinkDst() { return Sink().substr(Sink().find(' ') + 1); }  // "none" stays "none"

// The remembered destination (GetSize) as "x,y,w,h".
inline std::string Window(TCSizeControl& ctl) {
    int x = 0, y = 0, h = 0, w = 0;
    ctl.GetSize(x, y, h, w);
    return host::FormatRect(x, y, w, h);
}

// A video path: a handle's controller and the stream it drives.
struct Path {
    TCSizeControl* control;
    TVStream stream;
};

// Handles (1, 0) and (1, 1) of the registry on two streams, on a freshly
// reset stand-in that keeps no log lines (threads would only fill memory).
inline std::vector<Path> TwoPaths() {
    host::Reset();
    host::SetLogCapture(false);
    host::SetOption(0, 6);  // a region with automatic wide on by default
    host::SetProp(host::DefaultStream(), TV_PROPERTY_AFD, 10);
    return {{TCSizeControl::GetInstance(ORBHandle(1, 0)), host::DefaultStream()},
            {TCSizeControl::GetInstance(ORBHandle(1, 1)), host::NewStream()}};
}

// Every path's remembered source and destination (GetCropVideoInfo) must be
// the rectangles of the last write to its stream's sink.
inline void ExpectRememberedEqualsSink(const std::vector<Path>& paths) {
    for (const Path& path : paths) {
        TSRectInfo src, dst;
        path.control->GetCropVideoInfo(src, dst);
        EXPECT_EQ(Rect(src) + " " + Rect(dst), Sink(path.stream)) << "handle (1, " << path.control->GetHandle().s << ")";
    }
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
