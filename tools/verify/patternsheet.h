// The proven chains as one pattern that runs in any Life viewer: side by side in input order, in
// one row or in rows of a given number, each far enough from the others that nothing one of them
// sends out, or leaves behind, comes near another within the generations the file states.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/box.h"
#include "life/lifegrid.h"

namespace trelkan {

class PatternSheet {
  public:
    // generations: how long every chain must run as it does alone; 0 asks for the longest showing
    // time of the chains added. margin: the room around each chain's box that stays its own.
    // columns: the chains in a row, 0 for one row of them all.
    PatternSheet(std::int64_t generations, std::int32_t margin, std::size_t columns = 0)
        : m_generations(generations), m_margin(margin), m_columns(columns) {}

    // A chain by its name in the file ("line 12"), its comment, its running cells and the
    // generations it needs to show what it does.
    void add(std::string name, std::string comment, std::vector<LifeCell> cells,
             std::int64_t showingTime);

    bool isEmpty() const { return m_chains.empty(); }
    std::int64_t generations() const;

    // The RLE text: the chains' comments, the generations for which every chain runs as it does
    // alone, and where each chain's box has its top left corner.
    std::string rle() const;

  private:
    struct Chain {
        std::string name;
        std::string comment;
        std::vector<LifeCell> cells;
    };
    // Every cell the chain alone reaches within the generations, and the room around its box.
    Box footprint(const Chain& chain) const;

    std::vector<Chain> m_chains;
    std::int64_t m_generations;
    std::int64_t m_longestShowingTime = 0;
    std::int32_t m_margin;
    std::size_t m_columns;
};

}  // namespace trelkan
