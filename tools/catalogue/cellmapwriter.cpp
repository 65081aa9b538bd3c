#include "tools/catalogue/cellmapwriter.h"

#include <algorithm>
#include <cassert>

#include "base/rle.h"

namespace trelkan::builder {

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

    StringSink body;
    RleWriter rle(body, RleStyle{});
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
    rle.finish();
    return header + body.take();
}

}  // namespace trelkan::builder
