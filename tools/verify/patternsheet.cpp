#include "tools/verify/patternsheet.h"

#include <algorithm>
#include <cassert>

#include "base/format.h"
#include "life/rlepattern.h"

namespace trelkan {
namespace {

// Columns left empty between two chains' footprints. Three would do: no cell then has live
// neighbours from two chains, so each chain runs on as if the others were not there.
constexpr std::int32_t kGap = 50;
// Bounds are taken every so many generations; in between the pattern grows by at most one cell
// per generation.
constexpr std::int64_t kBoundsStride = 4;

Box widen(const Box& box, std::int32_t margin) {
    return {box.minX - margin, box.maxX + margin, box.minY - margin, box.maxY + margin};
}

}  // namespace

void PatternSheet::add(std::string name, std::string comment, std::vector<LifeCell> cells,
                       std::int64_t showingTime) {
    m_chains.push_back({std::move(name), std::move(comment), std::move(cells)});
    m_longestShowingTime = std::max(m_longestShowingTime, showingTime);
}

std::int64_t PatternSheet::generations() const {
    return m_generations > 0 ? m_generations : m_longestShowingTime;
}

Box PatternSheet::footprint(const Chain& chain) const {
    LifeGrid grid(chain.cells);
    Box reach = widen(boxOf(chain.cells), m_margin);
    const std::int64_t end = generations();
    for (std::int64_t generation = 0; generation < end; generation += kBoundsStride) {
        reach.include(widen(grid.bounds(), static_cast<std::int32_t>(kBoundsStride - 1)));
        grid.run(kBoundsStride);
    }
    reach.include(grid.bounds());
    return reach;
}

// Left to right, the chains' boxes with their tops on row 0, each footprint kGap columns after the
// one before; with a number of columns, a new row of chains starts kGap rows below the lowest
// footprint of the row before. Footprints are apart by kGap in columns or in rows, so by induction
// over the generations every cell sees the cells of one chain at most, and the sheet at every
// generation up to the stated one is the union of the chains run alone.
std::string PatternSheet::rle() const {
    assert(!m_chains.empty());
    std::vector<LifeCell> cells;
    std::vector<std::string> comments;
    std::vector<std::string> places;
    std::vector<Box> reaches;
    for (const Chain& chain : m_chains) {
        reaches.push_back(footprint(chain));
    }
    std::int64_t nextColumn = 0;
    std::int64_t rowTop = 0;
    std::int64_t nextRow = 0;
    for (std::size_t i = 0; i < m_chains.size(); ++i) {
        const Chain& chain = m_chains[i];
        const Box box = boxOf(chain.cells);
        const Box& reach = reaches[i];
        const bool rowStarts = m_columns > 0 && i > 0 && i % m_columns == 0;
        if (rowStarts) {
            rowTop = nextRow;
        }
        // The first chain's box starts the sheet at column 0 and row 0, as the file's origin.
        const auto dx = static_cast<std::int32_t>(
            i == 0 ? -box.minX : (rowStarts ? 0 : nextColumn) - reach.minX);
        const auto dy = static_cast<std::int32_t>(rowTop == 0 ? -box.minY : rowTop - reach.minY);
        for (const LifeCell& cell : chain.cells) {
            cells.push_back({cell.x + dx, cell.y + dy});
        }
        comments.push_back(chain.comment);
        places.push_back(
            formatMessage("#C %s at (%d, %d)", chain.name.c_str(), box.minX + dx, box.minY + dy));
        nextColumn = std::int64_t{reach.maxX} + dx + 1 + kGap;
        nextRow = std::max(nextRow, std::int64_t{reach.maxY} + dy + 1 + kGap);
    }
    comments.push_back(
        formatMessage("#C every chain runs as it does alone for at least %lld generations",
                      static_cast<long long>(generations())));
    comments.insert(comments.end(), places.begin(), places.end());
    return writeRle(cells, comments);
}

}  // namespace trelkan
