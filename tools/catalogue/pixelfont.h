// The pixel font of the collection's labels: each glyph as rows of "#" (marked) and "."
// (blank), copied from the picture. Some characters come in more than one drawing.
#pragma once

#include <string_view>
#include <vector>

namespace trelkan::builder {

struct Glyph {
    char character;
    // Rows from the top, separated by "/".
    std::string_view rows;
};

// "-" and "_" share one drawing; the reader tells them apart by their height in the line.
const std::vector<Glyph>& pixelFont();

}  // namespace trelkan::builder
