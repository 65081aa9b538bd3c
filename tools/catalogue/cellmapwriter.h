// Writing a cell map as a two-state RLE file that the catalogue loader reads back exactly: the
// rectangle is written in full (dead cells at the end of the first row and empty rows at the
// bottom included), since the loader takes the map's box from the text.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/box.h"
#include "life/lifegrid.h"

namespace trelkan::builder {

struct MapOrigin {
    // The RLE column of the origin, and its row counted upwards from the bottom row: the two
    // numbers that follow the file name on a variant line.
    std::int32_t column = 0;
    std::int32_t rowFromBottom = 0;
};

// The origin (0, 0) of component coordinates in a map covering the rectangle.
MapOrigin originIn(const Box& rectangle);

// The RLE text (header, rows of at most 70 characters, "!") of the cells within the rectangle;
// cells outside it are left out. Comment lines come first, each given without its "#C ".
std::string mapRle(const Box& rectangle, const std::vector<LifeCell>& cells,
                   const std::vector<std::string>& comments);

}  // namespace trelkan::builder
