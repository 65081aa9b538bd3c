// A run of the atlas: every period of the range not yet searched far enough is searched, its
// loop proven, and the state written after each, so that a stop loses one period at the most.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tools/atlas/atlasentry.h"
#include "tools/atlas/atlasstate.h"

namespace trelkan {

class CatalogueLoader;
class ComponentRegister;

// What the command line asks of the atlas.
struct AtlasOptions {
    std::string catalogue = "data/data.ini";
    std::int64_t minPeriod = 1;
    // 0 until the state file is read: then its largest delay, or the default.
    std::int64_t maxDelay = 0;
    // 0 for every core the process may use.
    std::int32_t threads = 0;
    bool mapMode = false;
    std::string directory = "docs";
    // A line per period on standard error even when it is no terminal.
    bool progress = false;
    // False for catalogues that are not Life: the loops are not run.
    bool prove = true;
    // With -k K/N, this run's periods are every N-th of the range from its K-th on (shard K of
    // N, from 1); 0 of 0 for all of them.
    std::int64_t shard = 0;
    std::int64_t shards = 0;
    // Atlas directories whose states are taken in before the run (--merge).
    std::vector<std::string> mergeFrom;

    bool isShard() const { return shards > 0; }
    bool coversPeriod(std::int64_t period) const {
        return !isShard() || (period - minPeriod) % shards == shard - 1;
    }
};

class AtlasRun {
  public:
    AtlasRun(const AtlasOptions& options, CatalogueLoader& loader,
             const ComponentRegister& catalogue, AtlasState& state)
        : m_options(options), m_loader(loader), m_catalogue(catalogue), m_state(state) {}

    // Searches every period not yet searched up to the largest delay; the exit status.
    int searchPeriods();

    std::string statePath() const;

  private:
    // The period searched beyond what the record holds, and its loop proven; nothing (reported)
    // on a failure.
    std::optional<PeriodRecord> searchPeriod(std::int64_t period, const PeriodRecord* record);
    // Sets the loop's delay, and proves that it works with its signals at the period. A loop
    // that fails is a fault of the search: the run ends.
    bool prove(AtlasEntry& entry) const;
    void reportProgress(std::int64_t period, const PeriodRecord& record, std::int64_t done,
                        std::int64_t count) const;

    const AtlasOptions& m_options;
    CatalogueLoader& m_loader;
    const ComponentRegister& m_catalogue;
    AtlasState& m_state;
};

}  // namespace trelkan
