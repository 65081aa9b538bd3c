// Helpers shared by the Life engine's tests: random soups, patterns moved to the origin, and the
// parsing of small RLE pictures.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <ostream>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "base/box.h"
#include "life/lifegrid.h"
#include "life/rlepattern.h"

namespace trelkan {

inline void PrintTo(const LifeCell& cell, std::ostream* out) {
    *out << "(" << cell.x << ", " << cell.y << ")";
}

inline void PrintTo(const Box& box, std::ostream* out) {
    *out << "x " << box.minX << ".." << box.maxX << ", y " << box.minY << ".." << box.maxY;
}

}  // namespace trelkan

namespace trelkan::testing {

// Each cell of the box alive with the given chance, drawn from the seed; sorted row by row.
inline std::vector<LifeCell> randomSoup(std::uint32_t seed, const Box& box, double density = 0.4) {
    std::mt19937 random(seed);
    std::bernoulli_distribution alive(density);
    std::vector<LifeCell> cells;
    for (std::int32_t y = box.minY; y <= box.maxY; ++y) {
        for (std::int32_t x = box.minX; x <= box.maxX; ++x) {
            if (alive(random)) {
                cells.push_back({x, y});
            }
        }
    }
    return cells;
}

inline std::vector<LifeCell> shifted(std::vector<LifeCell> cells, std::int32_t dx,
                                     std::int32_t dy) {
    for (LifeCell& cell : cells) {
        cell.x += dx;
        cell.y += dy;
    }
    std::sort(cells.begin(), cells.end());
    return cells;
}

// The cells moved so that the top left corner of their box is at (0, 0), sorted row by row.
inline std::vector<LifeCell> normalised(std::vector<LifeCell> cells) {
    if (cells.empty()) {
        return cells;
    }
    std::int32_t minX = cells.front().x;
    std::int32_t minY = cells.front().y;
    for (const LifeCell& cell : cells) {
        minX = std::min(minX, cell.x);
        minY = std::min(minY, cell.y);
    }
    return shifted(std::move(cells), -minX, -minY);
}

// The live cells of a two-state RLE body such as "bo$2bo$3o!", with its top left corner at
// (x, y).
inline std::vector<LifeCell> pictureCells(std::string_view body, std::int32_t x = 0,
                                          std::int32_t y = 0) {
    std::string error;
    const std::optional<RlePattern> pattern = parseRle("x = 0, y = 0\n" + std::string(body), error);
    EXPECT_TRUE(pattern) << error;
    return pattern ? shifted(pattern->cellsOfState(1), x, y) : std::vector<LifeCell>{};
}

// Glider guns and other patterns known from the literature of Life, as RLE bodies.
inline constexpr std::string_view kGliderGun =
    "24bo$22bobo$12b2o6b2o12b2o$11bo3bo4b2o12b2o$2o8bo5bo3b2o$2o8bo3bob2o4bobo$10bo5bo7bo$"
    "11bo3bo$12b2o!";
inline constexpr std::string_view kRPentomino = "b2o$2o$bo!";

}  // namespace trelkan::testing
