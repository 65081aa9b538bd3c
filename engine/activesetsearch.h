// The active-set mode: each target's delay is split into multisets of components whose delays
// add up to it exactly, and each multiset is ordered into chains.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "engine/componentsets.h"

namespace trelkan {

class SetOrdering;

class ActiveSetSearch final : public ComponentSetSearch {
  public:
    explicit ActiveSetSearch(SearchContext& context);
    ~ActiveSetSearch() override;
    ActiveSetSearch(const ActiveSetSearch&) = delete;
    ActiveSetSearch& operator=(const ActiveSetSearch&) = delete;

    void enumerateSets(const Target& target, SetPass pass) override;

  private:
    // Takes back units of the component at position i: its delay returns to the remainder and
    // its parities flip back.
    void takeBack(std::size_t i, std::int32_t units);
    void setFound(const Target& target, SetPass pass);
    // Finds the target's sets in their order, counting each, and in the searching pass searches
    // those beyond the skip count.
    void findSets(const Target& target, SetPass pass);
    // The number of the target's sets, counted without finding them; none when the count would
    // take too much room or would not fit.
    std::optional<std::int64_t> countSets(const Target& target) const;
    void buildCompletions();
    // Whether the positions from pos on can make up the remainder with even parities.
    bool canComplete(std::size_t pos) const;
    std::size_t completionIndex(std::size_t pos, std::int64_t remainder, int mirror,
                                int turn) const {
        return ((pos * static_cast<std::size_t>(m_largestDelay + 1) +
                 static_cast<std::size_t>(remainder)) *
                    2 +
                static_cast<std::size_t>(mirror)) *
                   2 +
               static_cast<std::size_t>(turn);
    }

    // Beyond this many entries the enumeration goes without its table.
    static constexpr std::int64_t kMaxCompletionEntries = std::int64_t{1} << 26;
    // Beyond this delay the sets are counted by finding them.
    static constexpr std::int32_t kMaxCountedDelay = 1 << 22;

    SearchContext& m_context;
    // Orders each set searched, keeping its storage from set to set.
    std::unique_ptr<SetOrdering> m_ordering;
    // Per component of the search's list: its count in the multiset, whether its own turn is a
    // mirror image, and whether it is a quarter turn.
    std::vector<std::int32_t> m_activeSet;
    std::vector<std::uint8_t> m_swaps;
    std::vector<std::uint8_t> m_turns;
    std::int64_t m_remaining = 0;
    std::int32_t m_mirrorParity = 0;
    std::int32_t m_turnParity = 0;
    std::vector<std::uint8_t> m_completions;
    // The counts of countSets, per remainder and parities; kept to spare its allocation.
    mutable std::vector<std::int64_t> m_ways;
    std::int64_t m_largestDelay = 0;
    bool m_completionsBuilt = false;
};

}  // namespace trelkan
