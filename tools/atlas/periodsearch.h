// The search of one period of the atlas: the loops whose delay is a multiple of the period, at
// that compression, with the areas the sorted search finds. It keeps the loop the atlas would
// keep, and lets the engine prune every chain larger than the best so far.
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/direction.h"
#include "engine/searchsink.h"
#include "tools/atlas/atlasentry.h"

namespace trelkan {

class ComponentRegister;

struct PeriodQuery {
    std::int64_t period = 0;
    // The delays searched: the multiples of the period from minDelay to maxDelay.
    std::int64_t minDelay = 1;
    std::int64_t maxDelay = 0;
    // The largest area wanted, 0 for any: a loop already known for the period bounds the search.
    std::int64_t areaBound = 0;
    std::int32_t threads = 1;
    bool mapMode = false;
};

class PeriodSearch final : public SearchSink {
  public:
    // Searches the catalogue, freshly loaded: it is prepared for the period here. Nothing
    // when no loop within the bounds exists; error says why when the search could not be made.
    static std::optional<AtlasEntry> find(ComponentRegister& catalogue, const PeriodQuery& query,
                                          std::string& error);

    bool foundChain(CompoundComponent& chain, Direction inDir, std::int64_t setNumber) override;
    std::int32_t areaBound() const override { return m_areaBound; }
    void progress(std::string_view) override {}
    const std::atomic<bool>& running() const override { return m_running; }

  private:
    PeriodSearch(std::int64_t period, std::int32_t areaBound)
        : m_period(period), m_areaBound(areaBound) {}

    std::int64_t m_period;
    std::int32_t m_areaBound;
    std::atomic<bool> m_running{true};
    std::optional<AtlasEntry> m_best;
};

}  // namespace trelkan
