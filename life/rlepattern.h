// Life patterns in RLE: reading two-state and multi-state (LifeHistory) files, and writing
// two-state ones.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "life/lifegrid.h"

namespace trelkan {

struct StateCell {
    std::int32_t x = 0;
    std::int32_t y = 0;
    // 1 for a live cell of a two-state pattern; 1 to 24 for the letters A to X.
    int state = 0;
    friend bool operator==(const StateCell&, const StateCell&) = default;
};

struct RlePattern {
    // The comment lines before the pattern, each with its "#" and without its line end.
    std::vector<std::string> comments;
    std::string rule;
    // Cells of a state other than 0, row by row, with the top left corner of the pattern at
    // (0, 0).
    std::vector<StateCell> cells;

    std::vector<LifeCell> cellsOfState(int state) const;
};

// The text of an RLE file. On failure, nothing, with the reason in error.
std::optional<RlePattern> parseRle(std::string_view text, std::string& error);

// Reads a file; the error names the file.
std::optional<RlePattern> readRleFile(const std::string& path, std::string& error);

// A two-state pattern: the header with the box of the cells (whose top left corner becomes the
// pattern's origin), then lines of at most 70 characters, then "!". Comment lines go first.
std::string writeRle(const std::vector<LifeCell>& cells,
                     const std::vector<std::string>& comments = {});

}  // namespace trelkan
