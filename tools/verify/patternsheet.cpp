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

Box boxOfCells(const std::vector<LifeCell>& cells) {
    Box box = Box::none();
    for (const LifeCell& cell : cells) {
        box.include({cell.x, cell.x, cell.y, cell.y});
    }
    return box;
}

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
    Box reach = widen(boxOfCells(chain.cells), m_margin);
    const std::int64_t end = generations();
    for (std::int64_t generation = 0; generation < end; generation += kBoundsStride) {
        reach.include(widen(grid.bounds(), static_cast<std::int32_t>(kBoundsStride - 1)));
        grid.run(kBoundsStride);
    }
    reach.include(grid.bounds());
    return reach;
}

// Left to right, the chains' boxes with their tops on row 0, each footprint kGap columns after the
// one before. The footprints do not overlap in
// columns, so by induction over the generations every cell sees the cells of one chain at most,
// and the sheet at every generation up to the stated one is the union of the chains run alone.
std::string PatternSheet::rle() const {
    assert(!m_chains.empty());
    std::vector<LifeCell> cells;
    std::vector<std::string> comments;
    std::vector<std::string> places;
    std::int64_t nextColumn = 0;
    for (const Chain& chain : m_chains) {
        const Box box = boxOfCells(chain.cells);
        const Box reach = footprint(chain);
        // The first chain's box starts the sheet at column 0, as the file's origin.
        const auto dx = static_cast<std::int32_t>(
            &chain == &m_chains.front() ? -box.minX : nextColumn - reach.minX);
        const std::int32_t dy = -box.minY;
        for (const LifeCell& cell : chain.cells) {
            cells.push_back({cell.x + dx, cell.y + dy});
        }
        comments.push_back(chain.comment);
        places.push_back(formatMessage("#C %s at (%d, 0)", chain.name.c_str(), box.minX + dx));
        nextColumn = std::int64_t{reach.maxX} + dx + 1 + kGap;
    }
    comments.push_back(
        formatMessage("#C every chain runs as it does alone for at least %lld generations",
                      static_cast<long long>(generations())));
    comments.insert(comments.end(), places.begin(), places.end());
    return writeRle(cells, comments);
}

}  // namespace trelkan
