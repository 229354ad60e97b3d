// SVG pictures of a controller's geometry: the input frame with the crop
// (source) rectangle on the left, the panel with the destination rectangle on
// the right, each to its own stated scale.
#pragma once

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

struct PictureContent {
    std::string title;                                // e.g. the handle or the tour step
    int frameWidth = 0;                               // the key's horizontal size
    int frameHeight = 0;                              // the key's vertical size
    std::optional<TvStreamXvideoSrcDstRect> sink;     // last write to the sink, if any
    std::string caption;                              // picture size, screen state, AFD/WSS, 21:9 output
};

// The SVG document. Each side is a group carrying its scale (data-scale) and
// origin (transform); the rectangles inside are in scaled units from that
// origin: "frame" and "crop" on the left, "panel" and "destination" on the right.
std::string DrawPicture(const PictureContent& content);

// Text with &, <, > and " escaped for SVG and HTML.
std::string MarkupEscape(const std::string& text);

}  // namespace avctl
