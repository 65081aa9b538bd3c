// The atlas as files: atlas.md, a table with a row for every period of the range, and
// atlas.rle, every loop as a pattern that runs, out of the others' way.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "life/lifegrid.h"
#include "tools/atlas/atlasstate.h"

namespace trelkan {

class ComponentRegister;

// What the atlas covers, and the command that makes it again.
struct AtlasRange {
    std::string catalogue;
    std::int64_t minPeriod = 1;
    std::int64_t maxDelay = 0;
    // False for a catalogue that is not Life: the entries were not run.
    bool proven = true;
};

class AtlasWriter {
  public:
    AtlasWriter(const ComponentRegister& catalogue, AtlasRange range)
        : m_catalogue(catalogue), m_range(std::move(range)) {}

    // Both files into the directory; false when one cannot be written, error naming it.
    bool write(const std::string& directory, const AtlasState& state, std::string& error) const;

  private:
    // An entry's loop as Life cells, and what it sends out.
    struct Drawing {
        std::vector<LifeCell> cells;
        std::int64_t showingTime = 0;
        // "none", "1 NW, 1 SE", or empty for an unproven loop.
        std::string gliders;
    };
    using Drawings = std::map<std::int64_t, Drawing>;

    // The drawing of every entry, by period.
    Drawings draw(const AtlasState& state) const;
    // How many periods have a loop, and how many of those are oscillators and guns.
    std::string summary(const Drawings& drawings) const;
    // The table in Markdown.
    std::string table(const AtlasState& state, const Drawings& drawings) const;
    // The loops side by side, each with its period in a comment; nothing when the range holds no
    // loop.
    std::string patterns(const AtlasState& state, const Drawings& drawings) const;
    std::string command() const;
    bool everyEntryProven(const AtlasState& state) const;

    const ComponentRegister& m_catalogue;
    AtlasRange m_range;
};

}  // namespace trelkan
