// A B3/S23 universe without bounds: cells are kept in rows of 64-bit words over a rectangle that
// grows whenever the pattern comes near its edge, so gliders fly as far as they like.
#pragma once

#include <algorithm>
#include <compare>
#include <cstdint>
#include <vector>

#include "base/box.h"

namespace trelkan {

struct LifeCell {
    std::int32_t x = 0;
    std::int32_t y = 0;
    // Row by row, as an RLE image lists them.
    friend auto operator<=>(const LifeCell& a, const LifeCell& b) {
        return a.y != b.y ? a.y <=> b.y : a.x <=> b.x;
    }
    friend bool operator==(const LifeCell&, const LifeCell&) = default;
};

// The box of the cells; empty when there are none.
Box boxOf(const std::vector<LifeCell>& cells);

class LifeGrid {
  public:
    LifeGrid();
    explicit LifeGrid(const std::vector<LifeCell>& cells);

    void set(std::int32_t x, std::int32_t y, bool alive = true);
    bool get(std::int32_t x, std::int32_t y) const;
    void add(const std::vector<LifeCell>& cells);
    void clear();

    void step();
    void run(std::int64_t generations);
    std::int64_t generation() const { return m_generation; }

    std::int64_t population() const;
    // The box of the live cells; empty when there are none.
    Box bounds() const;
    // The live cells, row by row.
    std::vector<LifeCell> cells() const;
    std::vector<LifeCell> cellsIn(const Box& box) const;
    // Kills every cell outside (or inside) the box.
    void clearOutside(const Box& box);
    void clearInside(const Box& box);

    // Same live cells, whatever the generation.
    bool sameCells(const LifeGrid& other) const { return cells() == other.cells(); }

  private:
    static constexpr int kWordBits = 64;

    std::size_t index(std::int32_t row, std::int32_t word) const {
        return static_cast<std::size_t>(row) * static_cast<std::size_t>(m_words) +
               static_cast<std::size_t>(word);
    }
    // Makes room so that (x, y) and a margin around it lie inside the rectangle.
    void reserve(std::int64_t x, std::int64_t y);
    void regrow(std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom);
    // Widens the rectangle when live cells reach its outermost row or column, since births
    // happen one cell beyond the pattern.
    void keepMargin();
    // The bits of word w whose columns lie within the box's columns.
    std::uint64_t columnMask(std::int32_t w, const Box& box) const;

    // The rectangle: columns m_left .. m_left + 64 m_words - 1, rows m_top .. m_top + m_rows - 1.
    std::int64_t m_left = 0;
    std::int64_t m_top = 0;
    std::int32_t m_words = 0;
    std::int32_t m_rows = 0;
    std::vector<std::uint64_t> m_cells;
    std::vector<std::uint64_t> m_next;
    // Where m_cells and m_next may hold live cells: per row a flag, and one range of columns
    // (counted from m_left) for all rows; beyond them every cell is dead. A step computes only the
    // rows and words next to life and clears only what held life two generations ago, however
    // large the rectangle has grown.
    struct ColumnRange {
        std::int64_t low = 0;
        std::int64_t high = -1;
        bool isEmpty() const { return high < low; }
        void include(std::int64_t from, std::int64_t to) {
            low = isEmpty() ? from : std::min(low, from);
            high = std::max(high, to);
        }
    };
    std::vector<std::uint8_t> m_rowLive;
    std::vector<std::uint8_t> m_nextRowLive;
    ColumnRange m_liveColumns;
    ColumnRange m_nextLiveColumns;
    // Per word, the union of its rows in the generation being made.
    std::vector<std::uint64_t> m_wordUnion;
    std::int64_t m_generation = 0;
};

}  // namespace trelkan
