// The atlas as files: atlas.md, a table with a row for every period of the range, and
// atlas.rle, every loop as a pattern that runs, out of the others' way.
#pragma once

#include <cstdint>
#include <string>

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

    // The table in Markdown.
    std::string table(const AtlasState& state) const;
    // The loops' running patterns side by side, each with its period in a comment; nothing when
    // the range holds no loop.
    std::string patterns(const AtlasState& state) const;
    // Both files into the directory; false when one cannot be written, error naming it.
    bool write(const std::string& directory, const AtlasState& state, std::string& error) const;

  private:
    std::string command() const;
    bool everyEntryProven(const AtlasState& state) const;

    const ComponentRegister& m_catalogue;
    AtlasRange m_range;
};

}  // namespace trelkan
