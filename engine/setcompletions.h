// Which remainders of a target's delay the components from each position of the search's list on
// can still make up exactly, with even parities in the end: the active-set mode's enumeration
// skips the branches that cannot, which leaves the sets and their order as they are and saves it
// most of its work when sets are rare. Where the table is small enough it also counts the ways,
// so that a search that owns only some sets can pass over the others without finding them. Built
// once for the largest delay of the run, and shared by every worker.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

namespace trelkan {

struct SearchInput;

class SetCompletions {
  public:
    // A count too large for 64 bits, or not kept.
    static constexpr std::int64_t kManySets = std::numeric_limits<std::int64_t>::max();

    explicit SetCompletions(const SearchInput& input);

    // Whether the positions from pos on can make up the remainder, from these parities (0 or 1)
    // to even ones. Called at every step of the enumeration: inline.
    bool canComplete(std::size_t pos, std::int64_t remainder, int mirror, int turn) const {
        return m_reachable.empty() || m_reachable[index(pos, remainder, mirror, turn)] != 0;
    }
    // The number of ways to do so: kManySets when it is not kept.
    std::int64_t count(std::size_t pos, std::int64_t remainder, int mirror, int turn) const {
        return m_counts.empty() ? kManySets : m_counts[index(pos, remainder, mirror, turn)];
    }

  private:
    // Beyond this many entries the table keeps no counts; beyond the second, it is not built.
    static constexpr std::int64_t kMaxCountedEntries = std::int64_t{1} << 22;
    static constexpr std::int64_t kMaxEntries = std::int64_t{1} << 26;

    std::size_t index(std::size_t pos, std::int64_t remainder, int mirror, int turn) const {
        return ((pos * static_cast<std::size_t>(m_largestDelay + 1) +
                 static_cast<std::size_t>(remainder)) *
                    2 +
                static_cast<std::size_t>(mirror)) *
                   2 +
               static_cast<std::size_t>(turn);
    }
    template <typename Ways, typename Add>
    void fill(const SearchInput& input, std::vector<Ways>& table, Add add) const;

    std::int64_t m_largestDelay = 0;
    std::vector<std::uint8_t> m_reachable;
    std::vector<std::int64_t> m_counts;
};

}  // namespace trelkan
