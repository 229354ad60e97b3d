// Records that leave the module as bytes (the fast-boot store, the aspect-ratio
// agent's store, the video sink) must read the same on the host and on the
// TV's 32- and 64-bit processors: little-endian, fixed widths, padding only
// where the layout has it. Run by every build, cross builds included.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <string>

#include <tvav/AVTypes.h>
#include "fb_nv.h"
#include "tv_stream.h"

namespace {

// Hexadecimal bytes of a record; "__" in the expected text is a padding byte.
template <typename T>
std::string Hex(const T& record, const std::string& expected) {
    unsigned char bytes[sizeof(T)];
    std::memcpy(bytes, &record, sizeof bytes);
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    for (size_t i = 0; i < sizeof bytes; ++i) {
        const bool padding = expected.size() >= 2 * i + 2 && expected.compare(2 * i, 2, "__") == 0;
        hex += padding ? '_' : digits[bytes[i] >> 4];
        hex += padding ? '_' : digits[bytes[i] & 15];
    }
    return hex;
}

TEST(RecordLayout, StoredBytesAreTheSameOnEveryProcessor) {
    struct Row { const char* name; std::function<std::string(const std::string&)> bytes; const char* expected; };
    const Row rows[] = {
        {"FB_SCREEN_CONFIG",
         [](const std::string& e) {
             FB_SCREEN_CONFIG c{2, 1, 0xff, 3, 2, 1, 1, 0, {-2, 20, 0x1234, 400}};
             return Hex(c, e);
         },
         "0201ff03020101__feff140034129001"},
        {"TvStreamXvideoSrcDstRect",
         [](const std::string& e) {
             return Hex(TvStreamXvideoSrcDstRect{1, 2, 1920, 1080, -240, 0, 1440, 0x01020304}, e);
         },
         "0100000002000000800700003804000010ffffff00000000a005000004030201"},
        {"TSPictureSizeOption",
         [](const std::string& e) {
             TSPictureSizeOption o;
             o.bAutoWide = true;
             o.screenMode = 3;
             o.screenFit = 2;
             o.bOffset = true;
             o.offsetX = -1;
             o.offsetY = 20;
             o.offsetHeight = 300;
             o.offsetWidth = 0x01020304;
             o.bPanoramaOption = true;
             return Hex(o, e);
         },
         "01______0300000002000000" "01______ffffffff14000000" "2c0100000403020101______"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(row.bytes(row.expected), row.expected) << row.name;
    }
}

}  // namespace
