#include "engine/activesetsearch.h"

#include "catalogue/basiccomponent.h"
#include "engine/setordering.h"
#include "run/search.h"

namespace trelkan {
namespace {

bool isMirror(int dir) {
    return dir == kFx || dir == kLx || dir == kBx || dir == kRx;
}
bool isQuarterTurn(int dir) {
    return dir == kL || dir == kLx || dir == kR || dir == kRx;
}

}  // namespace

ActiveSetSearch::ActiveSetSearch(Search& search) : m_search(search) {}

void ActiveSetSearch::takeBack(std::size_t i, std::int32_t units) {
    m_activeSet[i] -= units;
    m_remaining += std::int64_t{units} * m_search.m_componentList[i]->dt();
    m_mirrorParity -= m_swaps[i] * units;
    m_turnParity -= m_turns[i] * units;
}

void ActiveSetSearch::setFound(const Target& target, SetPass pass) {
    ++m_search.m_setNumber;
    if (pass == SetPass::kSearching && m_search.m_setNumber > m_search.m_ignoreSets) {
        SetOrdering(m_search, target, m_activeSet).run();
    }
}

// Multisets come greedy first, in descending lexicographic order of the counts. Every chain
// that ends facing the target's direction passes both parity tests: each mirror image flips the
// mirror class of the direction and each quarter turn its turn class.
void ActiveSetSearch::enumerateSets(const Target& target, SetPass pass) {
    const std::vector<BasicComponent*>& components = m_search.m_componentList;
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
    const std::size_t last = n - 1;
    std::size_t i = 0;
    while (m_search.m_keepSearching.load(std::memory_order_relaxed)) {
        // Fill position i with as many as fit.
        const std::int64_t delay = components[i]->dt();
        const auto fill = static_cast<std::int32_t>(m_remaining / delay);
        m_activeSet[i] = fill;
        m_remaining -= std::int64_t{fill} * delay;
        m_mirrorParity += m_swaps[i] * fill;
        m_turnParity += m_turns[i] * fill;
        if (m_remaining != 0 && i != last) {
            ++i;
            continue;
        }
        if (m_remaining == 0 && m_mirrorParity % 2 == 0 && m_turnParity % 2 == 0) {
            setFound(target, pass);
        }
        // Back-track to the nearest position that can give up one unit.
        if (i == last) {
            takeBack(i, m_activeSet[i]);
        }
        while (m_activeSet[i] == 0) {
            if (i == 0) {
                return;
            }
            --i;
        }
        takeBack(i, 1);
        ++i;
    }
}

}  // namespace trelkan
