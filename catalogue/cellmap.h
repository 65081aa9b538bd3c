// A small rectangular grid of dead and live cells with an origin, read from RLE text.
//
// Maps are addressed in component coordinates: x grows to the right and y downwards, and the
// origin is the cell at RLE column m_dx and m_dy rows above the bottom row of the image. Maps
// never change once made and are shared between the variants that name them.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "base/box.h"

namespace trelkan {

class CellMap {
  public:
    // The largest image accepted, in cells.
    static constexpr std::int64_t kMaxCells = 10000;

    // Why a text was refused.
    enum class Refusal { kNone, kUnreadable, kTooBig };
    // What the loader reports for a refusal: "Error reading RLE\n", or "RLE too big" with no line
    // end.
    static std::string_view refusalMessage(Refusal refusal);

    // Reads the RLE text up to its first "!". Text that cannot be read or is too big leaves the
    // map empty, with the refusal noted; an empty map answers 0 for every cell.
    CellMap(std::int32_t dx, std::int32_t dy, std::string_view rleText);
    virtual ~CellMap() = default;

    // 0 or 1; 0 for every point outside the map.
    int getCell(std::int32_t x, std::int32_t y) const {
        // Two's-complement wrap keeps far-away points outside instead of overflowing.
        const std::int64_t column = std::int64_t{x} + m_dx;
        const std::int64_t row = std::int64_t{m_dy} - y;
        if (column < 0 || column >= m_width || row < 0 || row >= m_height) {
            return 0;
        }
        return m_image[static_cast<std::size_t>(row * m_width + column)];
    }

    Box getBounds() const;

    std::int32_t originColumn() const { return m_dx; }
    std::int32_t originRow() const { return m_dy; }
    std::int32_t width() const { return m_width; }
    std::int32_t height() const { return m_height; }
    // Only a text that was refused leaves a map empty: every image read has a cell at least.
    bool isEmpty() const { return m_image.empty(); }
    Refusal refusal() const { return m_refusal; }

  private:
    bool readImage(std::string_view rleText);

    std::int32_t m_dx;
    std::int32_t m_dy;
    // Row 0 is the bottom row of the RLE image; within a row, index 0 is the leftmost column.
    std::vector<std::uint8_t> m_image;
    std::int32_t m_width = 0;
    std::int32_t m_height = 0;
    Refusal m_refusal = Refusal::kNone;
};

}  // namespace trelkan
