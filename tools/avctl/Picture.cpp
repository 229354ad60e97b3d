#include "Picture.h"

#include <algorithm>
#include <cstdio>
#include <sstream>

namespace avctl {
namespace {

// Each side fits into a box this size, below the title and above the labels.
constexpr double kBoxWidth = 540;
constexpr double kBoxHeight = 330;
constexpr double kBoxTop = 90;
constexpr double kLeftX = 40;
constexpr double kRightX = 660;

// Strong, saturated colours on white: they survive a washed-out projector.
struct Style {
    const char* fill;
    const char* stroke;
    double opacity;
};
constexpr Style kOuterStyle{"#d9d9d9", "#202020", 1.0};
constexpr Style kCropStyle{"#e8590c", "#b33c00", 0.55};
constexpr Style kDestinationStyle{"#1c64d8", "#0b3d91", 0.6};

std::string Number(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.6g", v);
    return buf;
}

std::string RectLabel(int x, int y, int w, int h) {
    return "x " + std::to_string(x) + ", y " + std::to_string(y) + ", width " +
           std::to_string(w) + ", height " + std::to_string(h);
}

void Rect(std::ostream& svg, const char* id, const Style& s, double scale, int x, int y, int w, int h) {
    svg << "    <rect id=\"" << id << "\" x=\"" << Number(x * scale) << "\" y=\"" << Number(y * scale)
        << "\" width=\"" << Number(w * scale) << "\" height=\"" << Number(h * scale) << "\" fill=\"" << s.fill
        << "\" fill-opacity=\"" << Number(s.opacity) << "\" stroke=\"" << s.stroke
        << "\" stroke-width=\"4\" vector-effect=\"non-scaling-stroke\"/>\n";
}

void Text(std::ostream& svg, double x, double y, int size, const char* colour, const std::string& text,
          const char* weight = "normal") {
    svg << "  <text x=\"" << Number(x) << "\" y=\"" << Number(y) << "\" font-size=\"" << size << "\" font-weight=\""
        << weight << "\" fill=\"" << colour << "\">" << MarkupEscape(text) << "</text>\n";
}

// One side: the outer rectangle (frame or panel) and the inner one (crop or
// destination) scaled to fit the box, with their labels underneath.
struct Side {
    const char* group;
    const char* outerId;
    const char* outerName;
    const char* innerId;
    const char* innerName;
    const Style& innerStyle;
    double left;
};

void DrawSide(std::ostream& svg, const Side& side, int outerW, int outerH, const int* inner) {
    const double scale =
        (outerW > 0 && outerH > 0) ? std::min(kBoxWidth / outerW, kBoxHeight / outerH) : 0.0;
    svg << "  <g id=\"" << side.group << "\" data-scale=\"" << Number(scale) << "\" transform=\"translate("
        << Number(side.left) << "," << Number(kBoxTop) << ")\">\n";
    Rect(svg, side.outerId, kOuterStyle, scale, 0, 0, outerW, outerH);
    if (inner != nullptr) {
        Rect(svg, side.innerId, side.innerStyle, scale, inner[0], inner[1], inner[2], inner[3]);
    }
    svg << "  </g>\n";
    double y = kBoxTop + kBoxHeight + 40;
    Text(svg, side.left, y, 22, "#202020",
         std::string(side.outerName) + " " + std::to_string(outerW) + " x " + std::to_string(outerH) +
             ", drawn at scale " + Number(scale));
    y += 32;
    Text(svg, side.left, y, 22, side.innerStyle.stroke,
         std::string(side.innerName) + (inner != nullptr ? ":" : ": no sink write yet"), "bold");
    if (inner != nullptr) {
        y += 30;
        Text(svg, side.left, y, 22, side.innerStyle.stroke, RectLabel(inner[0], inner[1], inner[2], inner[3]),
             "bold");
    }
}

}  // namespace

std::string MarkupEscape(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            default: out += c;
        }
    }
    return out;
}


std::string DrawPicture(const PictureContent& c) {
    std::ostringstream svg;
    svg << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << kPictureWidth << "\" height=\"" << kPictureHeight
        << "\" viewBox=\"0 0 " << kPictureWidth << " " << kPictureHeight
        << "\" font-family=\"DejaVu Sans, Arial, sans-serif\">\n"
        << "  <rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n";
    Text(svg, kLeftX, 48, 30, "#000000", c.title, "bold");
    const TvStreamXvideoSrcDstRect s = c.sink.value_or(TvStreamXvideoSrcDstRect{});
    const int crop[4] = {s.src_x, s.src_y, s.src_width, s.src_height};
    const int destination[4] = {s.dst_x, s.dst_y, s.dst_width, s.dst_height};
    DrawSide(svg, Side{"input", "frame", "input frame", "crop", "crop (source)", kCropStyle, kLeftX}, c.frameWidth,
             c.frameHeight, c.sink ? crop : nullptr);
    DrawSide(svg,
             Side{"output", "panel", "panel", "destination", "destination", kDestinationStyle, kRightX},
             kPanelWidth, kPanelHeight, c.sink ? destination : nullptr);
    Text(svg, kLeftX, kPictureHeight - 40, 24, "#000000", c.caption);
    svg << "</svg>\n";
    return svg.str();
}

}  // namespace avctl
