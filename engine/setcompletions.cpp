#include "engine/setcompletions.h"

#include <algorithm>

#include "catalogue/basiccomponent.h"
#include "engine/searchinput.h"

namespace trelkan {
SetCompletions::SetCompletions(const SearchInput& input) {
    const std::size_t n = input.components.size();
    if (n == 0 || input.targets.empty()) {
        return;
    }
    const std::int64_t largest = input.targets.rbegin()->dt;
    const std::int64_t entries = (static_cast<std::int64_t>(n) + 1) * (largest + 1) * 4;
    if (entries > kMaxEntries) {
        return;
    }
    m_largestDelay = largest;
    if (entries <= kMaxCountedEntries) {
        fill(input, m_counts, [](std::int64_t without, std::int64_t with) {
            std::int64_t ways = 0;
            return __builtin_add_overflow(without, with, &ways) ? kManySets : ways;
        });
        m_reachable.resize(m_counts.size());
        std::transform(m_counts.begin(), m_counts.end(), m_reachable.begin(),
                       [](std::int64_t ways) { return ways != 0 ? 1 : 0; });
    } else {
        fill(input, m_reachable, [](std::uint8_t without, std::uint8_t with) {
            return static_cast<std::uint8_t>(without | with);
        });
    }
}

// From the last position down: the ways without the position's component, and with one more of
// it.
template <typename Ways, typename Add>
void SetCompletions::fill(const SearchInput& input, std::vector<Ways>& table, Add add) const {
    const std::vector<BasicComponent*>& components = input.components;
    const std::size_t n = components.size();
    table.assign((n + 1) * (static_cast<std::size_t>(m_largestDelay) + 1) * 4, 0);
    table[index(n, 0, 0, 0)] = 1;
    for (std::size_t pos = n; pos-- > 0;) {
        const std::int64_t delay = components[pos]->dt();
        const int mirror = isMirror(components[pos]->outDir(kF)) ? 1 : 0;
        const int turn = isQuarterTurn(components[pos]->outDir(kF)) ? 1 : 0;
        for (std::int64_t r = 0; r <= m_largestDelay; ++r) {
            for (int mp = 0; mp < 2; ++mp) {
                for (int tp = 0; tp < 2; ++tp) {
                    const Ways without = table[index(pos + 1, r, mp, tp)];
                    const Ways with =
                        r >= delay ? table[index(pos, r - delay, mp ^ mirror, tp ^ turn)] : Ways{0};
                    table[index(pos, r, mp, tp)] = add(without, with);
                }
            }
        }
    }
}

}  // namespace trelkan
