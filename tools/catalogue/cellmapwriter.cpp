#include "tools/catalogue/cellmapwriter.h"

#include <algorithm>
#include <cassert>

namespace trelkan::builder {
namespace {

constexpr std::size_t kLineLength = 70;

class RleText {
  public:
    void item(std::int32_t count, char tag) {
        if (count <= 0) {
            return;
        }
        const std::string text = (count == 1 ? "" : std::to_string(count)) + tag;
        if (m_line.size() + text.size() > kLineLength) {
            m_text += m_line + "\n";
            m_line.clear();
        }
        m_line += text;
    }
    std::string finish() {
        item(1, '!');
        return m_text + m_line + "\n";
    }

  private:
    std::string m_text;
    std::string m_line;
};

}  // namespace

MapOrigin originIn(const Box& rectangle) {
    return {-rectangle.minX, rectangle.maxY};
}

std::string mapRle(const Box& rectangle, const std::vector<LifeCell>& cells,
                   const std::vector<std::string>& comments) {
    assert(!rectangle.isEmpty());
    std::vector<LifeCell> inside;
    for (const LifeCell& cell : cells) {
        if (rectangle.contains(cell.x, cell.y)) {
            inside.push_back(cell);
        }
    }
    std::sort(inside.begin(), inside.end());
    inside.erase(std::unique(inside.begin(), inside.end()), inside.end());

    std::string header;
    for (const std::string& comment : comments) {
        header += "#C " + comment + "\n";
    }
    const std::int32_t width = rectangle.maxX - rectangle.minX + 1;
    header += "x = " + std::to_string(width) +
              ", y = " + std::to_string(rectangle.maxY - rectangle.minY + 1) + ", rule = B3/S23\n";

    RleText rle;
    std::int32_t pendingRows = 0;
    auto cell = inside.begin();
    for (std::int32_t y = rectangle.minY; y <= rectangle.maxY; ++y) {
        if (y > rectangle.minY) {
            ++pendingRows;
        }
        std::int32_t x = rectangle.minX;
        const bool firstRow = y == rectangle.minY;
        while (cell != inside.end() && cell->y == y) {
            std::int32_t run = 1;
            while (cell + run != inside.end() && (cell + run)->y == y &&
                   (cell + run)->x == cell->x + run) {
                ++run;
            }
            rle.item(pendingRows, '$');
            pendingRows = 0;
            rle.item(cell->x - x, 'b');
            rle.item(run, 'o');
            x = cell->x + run;
            cell += run;
        }
        // The first row runs to the full width, so that the reader sees the whole rectangle.
        if (firstRow) {
            rle.item(rectangle.maxX + 1 - x, 'b');
        }
    }
    rle.item(pendingRows, '$');
    return header + rle.finish();
}

}  // namespace trelkan::builder
