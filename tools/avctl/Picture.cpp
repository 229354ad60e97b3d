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

// Three significant digits, for labels.
std::string Short(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.3g", v);
    return buf;
}

std::string RectLabel(int x, int y, int w, int h) {
    return "x " + std::to_string(x) + ", y " + std::to_string(y) + ", width " +
           std::to_string(w) + ", height " + std::to_string(h);
}

void Rect(std::ostream& svg, const char* id, const Style& s, double sx, double sy, int x, int y, int w, int h) {
    svg << "    <rect id=\"" << id << "\" x=\"" << Number(x * sx) << "\" y=\"" << Number(y * sy)
        << "\" width=\"" << Number(w * sx) << "\" height=\"" << Number(h * sy) << "\" fill=\"" << s.fill
        << "\" fill-opacity=\"" << Number(s.opacity) << "\" stroke=\"" << s.stroke
        << "\" stroke-width=\"4\" vector-effect=\"non-scaling-stroke\"/>\n";
}

void Text(std::ostream& svg, double x, double y, int size, const char* colour, const std::string& text,
          const char* weight = "normal") {
    svg << "  <text x=\"" << Number(x) << "\" y=\"" << Number(y) << "\" font-size=\"" << size << "\" font-weight=\""
        << weight << "\" fill=\"" << colour << "\">" << MarkupEscape(text) << "</text>\n";
}

// One side: the outer rectangle (frame or panel) at its displayed shape and
// the inner one (crop or destination) in the same scales, with their labels
// underneath.
struct Side {
    const char* group;
    const char* outerId;
    const char* outerName;
    const char* innerId;
    const char* innerName;
    const Style& innerStyle;
    double left;
};

// Width over height as a viewer sees it; 0 when drawn as stored.
struct Shape {
    double ratio;
    std::string text;  // "shown 4:3 (ar 2)"; empty when drawn as stored
};

// An edge closer than this many drawn pixels to the outer one is hard to see.
constexpr double kVisibleGap = 6;
constexpr double kInsetSize = 150;

// Draws a magnified square around the outer rectangle's corner nearest to
// an edge of the inner one that is too close to see; returns false when
// every gap is visible (or there is no inner rectangle).
bool DrawInset(std::ostream& svg, const Side& side, int outerW, int outerH, const int* inner, double sx, double sy,
               double top) {
    if (inner == nullptr) {
        return false;
    }
    const long long gaps[4] = {inner[0], inner[1], static_cast<long long>(outerW) - inner[0] - inner[2],
                               static_cast<long long>(outerH) - inner[1] - inner[3]};  // left, top, right, bottom
    const double scales[4] = {sx, sy, sx, sy};
    long long largest = 0;
    bool leftTop = false;
    bool any = false;
    for (int i = 0; i < 4; ++i) {
        const double drawn = static_cast<double>(gaps[i] < 0 ? -gaps[i] : gaps[i]) * scales[i];
        if (gaps[i] != 0 && drawn < kVisibleGap) {
            largest = std::max(largest, gaps[i] < 0 ? -gaps[i] : gaps[i]);
            leftTop = leftTop || i < 2;
            any = true;
        }
    }
    if (!any) {
        return false;
    }
    // The square shows five times the largest such gap around the corner.
    const double span = std::max(16.0, 5.0 * static_cast<double>(largest));
    const double zoom = kInsetSize / span;
    const long long cornerX = leftTop ? 0 : outerW;
    const long long cornerY = leftTop ? 0 : outerH;
    const double originX = static_cast<double>(cornerX) - span / 2;
    const double originY = static_cast<double>(cornerY) - span / 2;
    const std::string id = std::string(side.group) + "-inset";
    svg << "  <clipPath id=\"" << id << "-clip\"><rect x=\"0\" y=\"0\" width=\"" << Number(kInsetSize)
        << "\" height=\"" << Number(kInsetSize) << "\"/></clipPath>\n";
    svg << "  <g id=\"" << id << "\" data-zoom=\"" << Number(zoom) << "\" data-corner-x=\"" << cornerX
        << "\" data-corner-y=\"" << cornerY << "\" transform=\"translate(" << Number(side.left) << ","
        << Number(top) << ")\">\n";
    svg << "   <g clip-path=\"url(#" << id << "-clip)\">\n";
    svg << "    <rect width=\"" << Number(kInsetSize) << "\" height=\"" << Number(kInsetSize)
        << "\" fill=\"#ffffff\"/>\n";
    const auto local = [&](const char* rectId, const Style& style, double x, double y, double w, double h) {
        svg << "    <rect id=\"" << id << "-" << rectId << "\" x=\"" << Number((x - originX) * zoom) << "\" y=\""
            << Number((y - originY) * zoom) << "\" width=\"" << Number(w * zoom) << "\" height=\""
            << Number(h * zoom) << "\" fill=\"" << style.fill << "\" fill-opacity=\"" << Number(style.opacity)
            << "\" stroke=\"" << style.stroke << "\" stroke-width=\"2\"/>\n";
    };
    local(side.outerId, kOuterStyle, 0, 0, outerW, outerH);
    local(side.innerId, side.innerStyle, inner[0], inner[1], inner[2], inner[3]);
    svg << "   </g>\n";
    svg << "   <rect width=\"" << Number(kInsetSize) << "\" height=\"" << Number(kInsetSize)
        << "\" fill=\"none\" stroke=\"#202020\" stroke-width=\"2\" stroke-dasharray=\"6,4\"/>\n";
    svg << "  </g>\n";
    const std::string corner = leftTop ? "top-left" : "bottom-right";
    Text(svg, side.left + kInsetSize + 16, top + 30, 20, "#202020", corner + " corner magnified " + Short(zoom) + " times:");
    Text(svg, side.left + kInsetSize + 16, top + 58, 20, side.innerStyle.stroke,
         "left " + std::to_string(gaps[0]) + ", top " + std::to_string(gaps[1]) + ",", "bold");
    Text(svg, side.left + kInsetSize + 16, top + 84, 20, side.innerStyle.stroke,
         "right " + std::to_string(gaps[2]) + ", bottom " + std::to_string(gaps[3]), "bold");
    Text(svg, side.left + kInsetSize + 16, top + 110, 20, "#202020", "(pixels from each edge)");
    return true;
}

struct Scales {
    double x = 0;
    double y = 0;
};

// Returns the scales across and down it drew with.
Scales DrawSide(std::ostream& svg, const Side& side, int outerW, int outerH, const int* inner, const Shape& shape) {
    double sx = 0;
    double sy = 0;
    if (outerW > 0 && outerH > 0) {
        const double ratio = shape.ratio > 0 ? shape.ratio : static_cast<double>(outerW) / outerH;
        const double w = std::min(kBoxWidth, kBoxHeight * ratio);
        sx = w / outerW;
        sy = w / ratio / outerH;
    }
    svg << "  <g id=\"" << side.group << "\" data-scale-x=\"" << Number(sx) << "\" data-scale-y=\"" << Number(sy)
        << "\" transform=\"translate(" << Number(side.left) << "," << Number(kBoxTop) << ")\">\n";
    Rect(svg, side.outerId, kOuterStyle, sx, sy, 0, 0, outerW, outerH);
    if (inner != nullptr) {
        Rect(svg, side.innerId, side.innerStyle, sx, sy, inner[0], inner[1], inner[2], inner[3]);
    }
    svg << "  </g>\n";
    double y = kBoxTop + kBoxHeight + 34;
    Text(svg, side.left, y, 22, "#202020",
         std::string(side.outerName) + " " + std::to_string(outerW) + " x " + std::to_string(outerH) + " pixels");
    y += 28;
    const std::string scale = sx == sy ? "at scale " + Short(sx) : "at scales " + Short(sx) + " x " + Short(sy);
    Text(svg, side.left, y, 20, "#202020", (shape.text.empty() ? "drawn as stored" : shape.text) + ", " + scale);
    y += 32;
    Text(svg, side.left, y, 22, side.innerStyle.stroke,
         std::string(side.innerName) + (inner != nullptr ? ":" : ": no sink write yet"), "bold");
    if (inner != nullptr) {
        y += 30;
        Text(svg, side.left, y, 22, side.innerStyle.stroke, RectLabel(inner[0], inner[1], inner[2], inner[3]),
             "bold");
    }
    return Scales{sx, sy};
}

// The key's aspect-ratio code as a shape: 2 is a 4:3 frame, 3 a 16:9 one.
Shape FrameShape(uint32_t code) {
    if (code == 2) {
        return Shape{4.0 / 3.0, "shown 4:3 (ar 2)"};
    }
    if (code == 3) {
        return Shape{16.0 / 9.0, "shown 16:9 (ar 3)"};
    }
    return Shape{0, "drawn as stored (ar " + std::to_string(code) + ": no shape known)"};
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
    const TvStreamXvideoSrcDstRect s = c.sink.value_or(TvStreamXvideoSrcDstRect{});
    const int crop[4] = {s.src_x, s.src_y, s.src_width, s.src_height};
    const int destination[4] = {s.dst_x, s.dst_y, s.dst_width, s.dst_height};
    const Side input{"input", "frame", "input frame", "crop", "crop (source)", kCropStyle, kLeftX};
    const Side output{"output", "panel", "panel", "destination", "destination", kDestinationStyle, kRightX};

    std::ostringstream body;
    const Scales in = DrawSide(body, input, c.frameWidth, c.frameHeight, c.sink ? crop : nullptr,
                               FrameShape(c.aspectCode));
    const Scales out = DrawSide(body, output, kPanelWidth, kPanelHeight, c.sink ? destination : nullptr,
                                c.panelWide ? Shape{21.0 / 9.0, "shown 21:9 (21:9 output on)"}
                                            : Shape{16.0 / 9.0, "shown 16:9"});
    // Insets go below the labels, in a row of their own.
    const double insetTop = kPictureHeight - 70;
    const bool inputInset =
        DrawInset(body, input, c.frameWidth, c.frameHeight, c.sink ? crop : nullptr, in.x, in.y, insetTop);
    const bool outputInset =
        DrawInset(body, output, kPanelWidth, kPanelHeight, c.sink ? destination : nullptr, out.x, out.y, insetTop);
    const bool insets = inputInset || outputInset;
    const int height = kPictureHeight + (insets ? kInsetRowHeight : 0);

    std::ostringstream svg;
    svg << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << kPictureWidth << "\" height=\"" << height
        << "\" viewBox=\"0 0 " << kPictureWidth << " " << height
        << "\" font-family=\"DejaVu Sans, Arial, sans-serif\">\n"
        << "  <rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n";
    Text(svg, kLeftX, 48, 30, "#000000", c.title, "bold");
    svg << body.str();
    Text(svg, kLeftX, height - 40, 24, "#000000", c.caption);
    svg << "</svg>\n";
    return svg.str();
}

}  // namespace avctl
