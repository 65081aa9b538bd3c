#include "engine/activesetsearch.h"

#include <cassert>

#include "catalogue/basiccomponent.h"
#include "engine/searchcontext.h"
#include "engine/setcompletions.h"
#include "engine/setordering.h"

namespace trelkan {
ActiveSetSearch::ActiveSetSearch(SearchContext& context,
                                 std::shared_ptr<const SetCompletions> completions)
    : m_context(context),
      m_ordering(std::make_unique<SetOrdering>(context)),
      m_completions(std::move(completions)) {}

ActiveSetSearch::~ActiveSetSearch() = default;

void ActiveSetSearch::takeBack(std::size_t i, std::int32_t units) {
    m_activeSet[i] -= units;
    m_remaining += std::int64_t{units} * m_context.input().components[i]->dt();
    m_mirrorParity -= m_swaps[i] * units;
    m_turnParity -= m_turns[i] * units;
}

void ActiveSetSearch::setFound(const Target& target, SetPass pass) {
    m_context.nextSet();
    if (pass == SetPass::kSearching && m_context.setIsSearched()) {
        m_ordering->run(target, m_activeSet);
    }
}

// The sets are the multisets of components whose delays add up to the target's and whose
// mirror images and quarter turns come to its direction's parities: counted as the ways to make
// up each remainder with each pair of parities, one component kind after another, in time
// proportional to the delay rather than to the number of sets.
std::optional<std::int64_t> ActiveSetSearch::countSets(const Target& target) const {
    const std::vector<BasicComponent*>& components = m_context.input().components;
    if (components.empty()) {
        return 0;
    }
    if (target.dt < 0 || target.dt > kMaxCountedDelay) {
        return std::nullopt;
    }
    const auto delay = static_cast<std::size_t>(target.dt);
    m_ways.assign((delay + 1) * 4, 0);
    const auto at = [](std::size_t remainder, int parities) { return remainder * 4 + parities; };
    m_ways[at(0, 0)] = 1;
    for (const BasicComponent* component : components) {
        const auto step = static_cast<std::size_t>(component->dt());
        assert(step >= 1);
        const int flip = (isMirror(component->outDir(kF)) ? 2 : 0) +
                         (isQuarterTurn(component->outDir(kF)) ? 1 : 0);
        // Rising remainders, so that each kind may be used any number of times.
        for (std::size_t r = step; r <= delay; ++r) {
            for (int parities = 0; parities < 4; ++parities) {
                std::int64_t& ways = m_ways[at(r, parities)];
                if (__builtin_add_overflow(ways, m_ways[at(r - step, parities ^ flip)], &ways)) {
                    return std::nullopt;
                }
            }
        }
    }
    const int parities = (isMirror(target.dir) ? 2 : 0) + (isQuarterTurn(target.dir) ? 1 : 0);
    return m_ways[at(delay, parities)];
}

// Counting needs no sets found when they can be counted.
void ActiveSetSearch::enumerateSets(const Target& target, SetPass pass) {
    if (pass == SetPass::kCounting) {
        if (const std::optional<std::int64_t> count = countSets(target)) {
#ifndef NDEBUG
            // The count must be what finding the sets counts.
            const std::int64_t before = m_context.setNumber();
            findSets(target, pass);
            assert(m_context.setNumber() - before == *count || !m_context.running());
            m_context.restartSets();
            m_context.skipSets(before);
#endif
            m_context.skipSets(*count);
            return;
        }
    }
    findSets(target, pass);
}

// Multisets come greedy first, in descending lexicographic order of the counts. Every chain
// that ends facing the target's direction passes both parity tests: each mirror image flips the
// mirror class of the direction and each quarter turn its turn class.
void ActiveSetSearch::findSets(const Target& target, SetPass pass) {
    m_pass = pass;
    const std::vector<BasicComponent*>& components = m_context.input().components;
    const std::size_t n = components.size();
    if (n == 0) {
        return;
    }
    m_activeSet.assign(n, 0);
    m_swaps.resize(n);
    m_turns.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
        m_swaps[i] = isMirror(components[i]->outDir(kF)) ? 1 : 0;
        m_turns[i] = isQuarterTurn(components[i]->outDir(kF)) ? 1 : 0;
    }
    m_remaining = target.dt;
    m_mirrorParity = isMirror(target.dir) ? 1 : 0;
    m_turnParity = isQuarterTurn(target.dir) ? 1 : 0;
    if (!canComplete(0) || skipSetsFrom(0)) {
        return;
    }
    const std::size_t last = n - 1;
    std::size_t i = 0;
    bool fill = true;
    while (m_context.running()) {
        if (fill) {
            // Fill position i with as many as fit, then with fewer while the rest cannot be made
            // up.
            const std::int64_t delay = components[i]->dt();
            const auto units = static_cast<std::int32_t>(m_remaining / delay);
            m_activeSet[i] = units;
            m_remaining -= std::int64_t{units} * delay;
            m_mirrorParity += m_swaps[i] * units;
            m_turnParity += m_turns[i] * units;
            while (i != last && !canComplete(i + 1)) {
                assert(m_activeSet[i] > 0);
                takeBack(i, 1);
            }
            if (m_remaining != 0 && i != last) {
                if (!skipSetsFrom(i + 1)) {
                    ++i;
                    continue;
                }
            } else {
                if (m_remaining == 0 && m_mirrorParity % 2 == 0 && m_turnParity % 2 == 0) {
                    setFound(target, pass);
                }
                if (i == last) {
                    takeBack(i, m_activeSet[i]);
                }
            }
        }
        // Back-track to the nearest position that can give up one unit and leave a remainder
        // that the positions after it can make up.
        for (;;) {
            while (m_activeSet[i] == 0) {
                if (i == 0) {
                    return;
                }
                --i;
            }
            takeBack(i, 1);
            if (canComplete(i + 1)) {
                break;
            }
        }
        // The positions after i start afresh, unless none of their sets is wanted.
        assert(i != last);
        fill = !skipSetsFrom(i + 1);
        if (fill) {
            ++i;
        }
    }
}

}  // namespace trelkan
