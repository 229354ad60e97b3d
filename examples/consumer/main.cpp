// Uses the installed module: the main video path's size controller applies
// the 4:3 picture size on the platform stand-in, then the program prints the
// rectangles the video sink received.
#include <cstdio>

#include <tvav/SizeControl.h>
#include "host/HostControl.h"

int main() {
    host::Reset();
    const TVStream stream = host::DefaultStream();

    TSAspectRatioKey key;  // digital TV, 1920x1080 16:9
    key.source = 0;
    key.resolution = 0x10002;
    key.dtv = true;
    key.resolutionInfo.horizontal = 1920;
    key.resolutionInfo.vertical = 1080;
    key.resolutionInfo.aspectratio = 3;

    TCSizeControl* control = TCSizeControl::GetInstance(ORBHandle(1, 0));
    const int applied = control->SetPictureSize(stream, key, PICTURESIZETYPE_4_3, true);
    const auto sink = host::SinkRects(stream);
    if (applied != 1 || !sink) {
        std::fprintf(stderr, "picture size not applied (result %d)\n", applied);
        return 1;
    }
    std::printf("source %s\n",
                host::FormatRect(sink->src_x, sink->src_y, sink->src_width, sink->src_height).c_str());
    std::printf("destination %s\n",
                host::FormatRect(sink->dst_x, sink->dst_y, sink->dst_width, sink->dst_height).c_str());
    return 0;
}
