// The atlas's page: one self-contained HTML file that draws every case from
// the atlas embedded in it (no network, no files beside it).
#pragma once

#include <string>

namespace avctl {

// index.html for the atlas text `atlasJson` (atlas.json as written).
std::string AtlasPage(const std::string& atlasJson);

}  // namespace avctl
