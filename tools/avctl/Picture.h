// SVG pictures of a controller's geometry: the input frame with the crop
// (source) rectangle on the left, the panel with the destination rectangle on
// the right, each drawn at the shape a viewer sees (a 720 x 576 frame coded
// 4:3 is drawn 4:3, the panel 21:9 while the 21:9 output is on), to the
// scales it states. An edge a few pixels away from the frame's or panel's,
// too close to see at that scale, gets a magnified inset of its corner.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "tv_stream.h"

namespace avctl {

// The panel the destination rectangle lives on.
constexpr int kPanelWidth = 1920;
constexpr int kPanelHeight = 1080;
// Size of the whole picture, in SVG user units (= pixels when rendered).
constexpr int kPictureWidth = 1240;
constexpr int kPictureHeight = 640;
// With magnified insets the picture is this much taller.
constexpr int kInsetRowHeight = 230;

struct PictureContent {
    std::string title;                                // e.g. the handle or the tour step
    int frameWidth = 0;                               // the key's horizontal size
    int frameHeight = 0;                              // the key's vertical size
    uint32_t aspectCode = 0;                          // the key's ar: 2 shows 4:3, 3 shows 16:9, else as stored
    bool panelWide = false;                           // the 21:9 output is on: the panel shows 21:9
    std::optional<TvStreamXvideoSrcDstRect> sink;     // last write to the sink, if any
    std::string caption;                              // picture size, screen state, AFD/WSS, 21:9 output
};

// The SVG document. Each side is a group carrying its scales across and down
// (data-scale-x, data-scale-y) and origin (transform); the rectangles inside
// are in scaled units from that origin: "frame" and "crop" on the left,
// "panel" and "destination" on the right. A side with an edge too close to
// see has a group "input-inset" or "output-inset" carrying its magnification
// (data-zoom) and the corner it shows (data-corner-x, data-corner-y).
std::string DrawPicture(const PictureContent& content);

// Text with &, <, > and " escaped for SVG and HTML.
std::string MarkupEscape(const std::string& text);

}  // namespace avctl
