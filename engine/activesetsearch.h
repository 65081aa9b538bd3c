// The active-set mode: each target's delay is split into multisets of components whose delays
// add up to it exactly, and each multiset is ordered into chains.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "engine/componentsets.h"
#include "engine/searchcontext.h"
#include "engine/setcompletions.h"

namespace trelkan {

class SetOrdering;

class alignas(kCacheLineBytes) ActiveSetSearch final : public ComponentSetSearch {
  public:
    // The completions are the search's, shared by its workers.
    ActiveSetSearch(SearchContext& context, std::shared_ptr<const SetCompletions> completions);
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
    // Whether the positions from pos on can make up the remainder with even parities. Both are
    // asked at every step of the enumeration: inline.
    bool canComplete(std::size_t pos) const {
        return m_completions->canComplete(pos, m_remaining, m_mirrorParity & 1, m_turnParity & 1);
    }
    // With the positions before pos fixed, counts the sets that the positions from pos on make
    // and skips them, when none of them is wanted: only a search behind its next wanted set
    // looks the count up.
    bool skipSetsFrom(std::size_t pos) {
        const std::int64_t wanted = m_context.firstWantedSet();
        if (m_pass != SetPass::kSearching || m_context.setNumber() + 1 >= wanted) {
            return false;
        }
        const std::int64_t count =
            m_completions->count(pos, m_remaining, m_mirrorParity & 1, m_turnParity & 1);
        if (count == SetCompletions::kManySets || m_context.setNumber() + count >= wanted) {
            return false;
        }
        m_context.skipSets(count);
        return true;
    }

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
    std::shared_ptr<const SetCompletions> m_completions;
    // The counts of countSets, per remainder and parities; kept to spare its allocation.
    mutable std::vector<std::int64_t> m_ways;
    SetPass m_pass = SetPass::kCounting;
};

}  // namespace trelkan
