// Pictures of the geometry: what `draw` puts in the SVG and how it renders.
#include <gtest/gtest.h>
#include <pugixml.hpp>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "Interpreter.h"
#include "Picture.h"
#include "host/HostControl.h"

namespace {

using avctl::Interpreter;

// Runs a product set-up with auto wide on, the lines, then `draw`. Controllers
// live for the whole process: these tests keep to one of the main path's (not
// the one other tests use) and start it each time from the menu's picture.
void DrawAfter(const std::vector<std::string>& lines, const std::string& path) {
    std::ostringstream out;
    Interpreter in(out, avctl::Options{});
    std::vector<std::string> all = {"handle 1 5", "option 0 6", "country 7", "vconf memory/mls/state 0", "key ar=3",
                                    "GetAutoWideOption", "sysinfo 303 true", "sysinfo 254 14", "SetDefaultSize"};
    all.insert(all.end(), lines.begin(), lines.end());
    all.push_back("draw " + path);
    for (const std::string& line : all) {
        ASSERT_EQ(in.Execute(line, "test", 1), Interpreter::Status::Ok) << line << "\n" << out.str();
    }
}

// The rectangle's x, y, width, height are the given ones times the scales
// across and down of its group.
void ExpectScaled(const pugi::xml_node& rect, const std::vector<int>& xywh, const std::string& row) {
    const pugi::xml_node group = rect.parent();
    const double sx = group.attribute("data-scale-x").as_double(), sy = group.attribute("data-scale-y").as_double();
    const char* names[] = {"x", "y", "width", "height"};
    const double scales[] = {sx, sy, sx, sy};
    for (int i = 0; i < 4; ++i) {
        EXPECT_NEAR(rect.attribute(names[i]).as_double(), xywh[i] * scales[i], 1e-3)
            << row << ": " << rect.attribute("id").value() << " " << names[i];
    }
}

// Width over height of a drawn rectangle.
double DrawnRatio(const pugi::xml_node& rect) {
    return rect.attribute("width").as_double() / rect.attribute("height").as_double();
}

TEST(AvctlPicture, DrawsTheSinkRectanglesToScaleAndRenders) {
    struct Row {
        std::vector<std::string> lines;
        int frameW, frameH;
        double frameRatio, panelRatio;     // drawn width over height
        std::vector<std::string> caption;  // fragments of the texts
        bool insets;                       // both sides' corners magnified
    };
    const Row rows[] = {
        {{"SetPictureSize 3 true"}, 1920, 1080, 16.0 / 9, 16.0 / 9, {"picture size 3 (4:3)", "screen state 0"}, false},
        // A 720 x 576 frame coded 4:3 is drawn 4:3, not in its storage shape.
        // The AFD code the player reported, then the one the service passed.
        {{"key res=0x10001 h=720 v=576 ar=2", "prop 505 10", "SetPictureSize 0 true"}, 720, 576, 4.0 / 3, 16.0 / 9,
         {"AFD 10", "shown 4:3 (ar 2)", "input frame 720 x 576 pixels"}, false},
        {{"key res=0x10001 h=720 v=576 ar=4:3", "prop 505 10", "SetPictureSize 0 true", "ChangeVideoSizeByAFD 9 -1"},
         720, 576, 4.0 / 3, 16.0 / 9, {"AFD 9", "picture size 0 (16:9)"}, false},
        // An aspect code without a known shape: drawn as stored.
        {{"key h=3840 v=2160 ar=7", "SetCropVideo 100,200,3000,1500 1500,900,1,1"}, 3840, 2160, 16.0 / 9, 16.0 / 9,
         {"screen state 2", "no AFD/WSS seen", "drawn as stored (ar 7"}, false},
        // A move by a few pixels is shown magnified at the corners: the crop
        // loses 4 columns and 6 lines, the picture moves by as much.
        {{"SetPictureSize 2 true", "SetZoomSize 0 0", "SetZoomPosition 2 -3"}, 1920, 1080, 16.0 / 9, 16.0 / 9,
         {"top-left corner magnified", "left 4, top 6,", "bottom-right corner magnified", "right 4, bottom 6"}, true},
    };
    std::string dir = ::testing::TempDir() + "avctl_picture_XXXXXX";
    ASSERT_NE(mkdtemp(dir.data()), nullptr);
    const struct Cleanup {
        std::string path;
        ~Cleanup() { std::filesystem::remove_all(path); }
    } cleanup{dir};
    const std::string svgPath = dir + "/p.svg", pngPath = dir + "/p.png";
    for (const Row& row : rows) {
        const std::string name = row.lines.back();
        DrawAfter(row.lines, svgPath);
        const auto sink = host::SinkRects(host::DefaultStream());
        ASSERT_TRUE(sink.has_value()) << name;
        const auto& s = *sink;
        pugi::xml_document doc;
        ASSERT_TRUE(doc.load_file(svgPath.c_str())) << name;
        const pugi::xml_node svg = doc.child("svg");
        const pugi::xml_node in = svg.find_child_by_attribute("g", "id", "input");
        const pugi::xml_node out = svg.find_child_by_attribute("g", "id", "output");
        ASSERT_GT(in.attribute("data-scale-x").as_double() * out.attribute("data-scale-y").as_double(), 0.0) << name;
        const pugi::xml_node frame = in.find_child_by_attribute("rect", "id", "frame");
        const pugi::xml_node panel = out.find_child_by_attribute("rect", "id", "panel");
        ExpectScaled(frame, {0, 0, row.frameW, row.frameH}, name);
        ExpectScaled(in.find_child_by_attribute("rect", "id", "crop"), {s.src_x, s.src_y, s.src_width, s.src_height},
                     name);
        ExpectScaled(panel, {0, 0, 1920, 1080}, name);
        ExpectScaled(out.find_child_by_attribute("rect", "id", "destination"),
                     {s.dst_x, s.dst_y, s.dst_width, s.dst_height}, name);
        EXPECT_NEAR(DrawnRatio(frame), row.frameRatio, 1e-3) << name;
        EXPECT_NEAR(DrawnRatio(panel), row.panelRatio, 1e-3) << name;
        // The inset magnifies the corner: its panel's edge and the
        // destination's lie the offset times the magnification apart.
        for (const char* inset : {"input-inset", "output-inset"}) {
            const pugi::xml_node g = svg.find_child_by_attribute("g", "id", inset);
            EXPECT_EQ(!g.empty(), row.insets) << name << " " << inset;
            if (!g.empty() && std::string(inset) == "output-inset") {
                const double zoom = g.attribute("data-zoom").as_double();
                const pugi::xml_node clip = g.child("g");
                const double panelX = clip.find_child_by_attribute("rect", "id", "output-inset-panel").attribute("x").as_double();
                const double destX =
                    clip.find_child_by_attribute("rect", "id", "output-inset-destination").attribute("x").as_double();
                EXPECT_GE(zoom, 4.0) << name;
                EXPECT_NEAR(destX - panelX, s.dst_x * zoom, 1e-3) << name;
            }
        }

        std::string texts;
        for (const pugi::xml_node& t : svg.children("text")) {
            texts += std::string(t.child_value()) + "\n";
        }
        std::vector<std::string> wanted = row.caption;
        for (const auto& r : {std::vector<int>{s.src_x, s.src_y, s.src_width, s.src_height},
                              std::vector<int>{s.dst_x, s.dst_y, s.dst_width, s.dst_height}}) {
            wanted.push_back("x " + std::to_string(r[0]) + ", y " + std::to_string(r[1]) + ", width " +
                             std::to_string(r[2]) + ", height " + std::to_string(r[3]));
        }
        // The 21:9 output as the stand-in's output controller last heard it.
        const auto wide = host::WideScreenMode();
        wanted.push_back(!wide ? "21:9 output never set"
                               : (*wide ? "21:9 output on (" : "21:9 output off (") + std::to_string(*wide) + ")");
        for (const std::string& fragment : wanted) {
            EXPECT_NE(texts.find(fragment), std::string::npos) << name << ": " << fragment << "\n" << texts;
        }

        // It renders, at the size the SVG states (PNG header: width, height at 16, 20).
        ASSERT_EQ(std::system((std::string(RSVG_CONVERT) + " -o " + pngPath + " " + svgPath).c_str()), 0) << name;
        std::ifstream png(pngPath, std::ios::binary);
        unsigned char h[24] = {};
        ASSERT_TRUE(png.read(reinterpret_cast<char*>(h), sizeof h)) << name;
        EXPECT_EQ(std::string(reinterpret_cast<char*>(h) + 1, 3), "PNG");
        EXPECT_EQ((h[16] << 24) | (h[17] << 16) | (h[18] << 8) | h[19], svg.attribute("width").as_int()) << name;
        EXPECT_EQ((h[20] << 24) | (h[21] << 16) | (h[22] << 8) | h[23], svg.attribute("height").as_int()) << name;
    }

    // While the 21:9 output is on the panel is drawn 21:9.
    avctl::PictureContent wide;
    wide.frameWidth = 1920;
    wide.frameHeight = 1080;
    wide.panelWide = true;
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_string(avctl::DrawPicture(wide).c_str()));
    EXPECT_NEAR(DrawnRatio(doc.child("svg").find_child_by_attribute("g", "id", "output").find_child_by_attribute(
                    "rect", "id", "panel")),
                21.0 / 9, 1e-3);

    // A sandboxed run (the fuzzing harness's) draws without writing any file.
    std::ostringstream out;
    avctl::Options sandboxed;
    sandboxed.writeFiles = false;
    Interpreter in(out, sandboxed);
    const std::string unwritten = dir + "/unwritten.svg";
    EXPECT_EQ(in.Execute("draw " + unwritten, "test", 1), Interpreter::Status::Ok) << out.str();
    EXPECT_FALSE(std::filesystem::exists(unwritten));
}

}  // namespace
