// Conduits for the builder's tests, drawn here rather than read from the collection so that each
// test says what it holds.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "life/lifegrid.h"
#include "life/rlepattern.h"
#include "tools/catalogue/cellgroups.h"
#include "tools/catalogue/drawnconduit.h"
#include "tools/catalogue/picture.h"

namespace trelkan::builder::testing {

// The live cells of two-state RLE text, moved so that the cell at RLE column `column` and row
// `row` (from the top) is at (x, y).
inline std::vector<LifeCell> rleCells(const std::string& text, std::int32_t column,
                                      std::int32_t row, std::int32_t x, std::int32_t y) {
    std::string error;
    const std::optional<RlePattern> pattern = parseRle(text, error);
    std::vector<LifeCell> cells;
    for (const StateCell& cell : pattern->cells) {
        cells.push_back({cell.x - column + x, cell.y - row + y});
    }
    return normalisedCells(std::move(cells));
}

// The catalysts of the collection's L112, with its input Herschel's reference cell at (11, 36)
// of the RLE: a left turn with output (12, -33) facing L after 112 generations.
inline std::vector<LifeCell> l112Catalysts(std::int32_t inputX, std::int32_t inputY) {
    return rleCells(
        "x = 39, y = 47\n39b20$21b2o$12b2o7b2o$13bo$13bobo$8b2o4b2o$9bo20b2o$9bobo18bo$10b2o16b\n"
        "obo$28b2o11$22b2o$22b2o2b2o$26bobo$3b2o23bo$4bo23b2o$b3o$bo$!",
        11, 36, inputX, inputY);
}

// L112 as the collection would draw it, with its input at (inputX, inputY).
inline DrawnConduit drawnL112(std::int32_t inputX, std::int32_t inputY) {
    DrawnConduit drawn;
    drawn.catalysts = l112Catalysts(inputX, inputY);
    drawn.herschels = {{inputX, inputY, kF}, {inputX + 12, inputY - 33, kL}};
    drawn.box = widened(boxOf(drawn.catalysts), 2);
    drawn.label.name = "L112";
    return drawn;
}

// A picture of LifeHistory states made of rectangles and single cells, for the reading tests.
class PictureDrawing {
  public:
    void fill(const Box& box, int state) {
        for (std::int32_t y = box.minY; y <= box.maxY; ++y) {
            for (std::int32_t x = box.minX; x <= box.maxX; ++x) {
                put(x, y, state);
            }
        }
    }
    void put(std::int32_t x, std::int32_t y, int state) { m_cells.push_back({x, y, state}); }
    void put(const std::vector<LifeCell>& cells, int state) {
        for (const LifeCell& cell : cells) {
            put(cell.x, cell.y, state);
        }
    }
    // Later cells win over earlier ones at the same place.
    RlePattern pattern() const {
        std::map<std::pair<std::int32_t, std::int32_t>, int> states;
        for (const StateCell& cell : m_cells) {
            states[{cell.y, cell.x}] = cell.state;
        }
        RlePattern pattern;
        for (const auto& [at, state] : states) {
            if (state != 0) {
                pattern.cells.push_back({at.second, at.first, state});
            }
        }
        return pattern;
    }

  private:
    std::vector<StateCell> m_cells;
};

// The drawing read as the collection's picture; the drawings of the tests always read.
inline Picture pictureOf(const PictureDrawing& drawing) {
    std::string error;
    return *Picture::fromPattern(drawing.pattern(), error);
}

}  // namespace trelkan::builder::testing
