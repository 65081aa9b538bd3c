// The chain search of the active-set mode: orders one multiset of components into chains from a
// target's start towards the chain's end, depth first, pruned by the forbidden-sequence
// automaton, by how far the remaining components can still carry the signal, and now and then
// by the variant solver on the partial chain.
#pragma once

#include <cassert>
#include <cstdint>
#include <memory>
#include <vector>

#include "base/target.h"
#include "catalogue/actree.h"
#include "engine/searchcontext.h"

namespace trelkan {

class BasicComponent;
class CompoundComponent;

class alignas(kCacheLineBytes) SetOrdering {
  public:
    explicit SetOrdering(SearchContext& context);
    ~SetOrdering();
    SetOrdering(const SetOrdering&) = delete;
    SetOrdering& operator=(const SetOrdering&) = delete;

    // Orders one set into the target's chains. counts: the multiset, one count per component of
    // the search's component list. One ordering serves set after set, keeping its storage.
    void run(const Target& target, const std::vector<std::int32_t>& counts);

  private:
    struct SetRecord {
        // Uses still free in the current partial chain.
        std::int32_t count = 0;
        const BasicComponent* component = nullptr;
        // The most one use can move the signal: |displacement| rounded down, plus one.
        std::int64_t reach = 0;
        // The component's symbol in the automaton, at hand without a look into the component.
        std::int32_t symbol = 0;
    };

    struct Frame {
        // The automaton's state after this level's component.
        ACTree::State state = ACTree::kDead;
        const BasicComponent* component = nullptr;
        // Its symbol; -1 before the first component of an open chain.
        std::int32_t symbol = -1;
        // The signal after this level's component.
        std::int32_t x = 0;
        std::int32_t y = 0;
        Direction dir = kF;
        // The record this level uses or tries; the record count means none is left.
        std::int32_t record = 0;
    };

    enum class Outcome { kGoOn, kEndSet };

    void setUp(const Target& target, const std::vector<std::int32_t>& counts);
    void search();

    // Called at every step: defined below, inline.
    void takeUse(std::int32_t record);
    void giveUse(std::int32_t record);
    void linkRecords();
    bool everyKindHasNeighbours() const;
    std::int32_t nextFree(std::int32_t record) const {
        return m_nextFree[static_cast<std::size_t>(record)];
    }
    void placeAt(Frame& frame, const Frame& previous, const BasicComponent& component) const;
    bool canStillReachTheEnd(const Frame& frame) const;
    // Puts the chain to check, up to the top level, into the set's chain.
    void fillChain();
    // Drops the top levels, giving their uses back; kEndSet when the fixed first component of a
    // loop would have to change.
    Outcome popLevels(std::int32_t levels, bool countDown);
    Outcome checkPartialChain();
    Outcome completeChain();
    bool isKnownLoopPrefix() const;

    SearchContext& m_context;
    const Target* m_target = nullptr;
    // The chain being checked, with the storage of its solver; room for the largest set so far.
    std::unique_ptr<CompoundComponent> m_chain;
    std::vector<SetRecord> m_records;
    // The records with uses left, in record order, as a doubly linked list through the record
    // count, its head and end: a level steps over used-up records without looking at them. Uses
    // are taken and given back in stack order, so a record unlinked keeps its own links and goes
    // back where it was.
    std::vector<std::int32_t> m_nextFree;
    std::vector<std::int32_t> m_previousFree;
    std::int32_t m_rarest = 0;
    std::int32_t m_remainingLength = 0;
    std::int64_t m_remainingReach = 0;
    std::vector<Frame> m_stack;
    std::int32_t m_top = 0;
    // The first level whose component belongs to the chain: 0 when a loop's first component is
    // fixed there, else 1.
    std::int32_t m_firstLevel = 1;
    std::int32_t m_levelsSinceCheck = 0;
    // Components tried in this set; added to the statistics once the set is done.
    std::uint64_t m_steps = 0;
    bool m_minimise = false;
};

inline void SetOrdering::takeUse(std::int32_t record) {
    const auto at = static_cast<std::size_t>(record);
    SetRecord& r = m_records[at];
    assert(r.count > 0);
    if (--r.count == 0) {
        m_nextFree[static_cast<std::size_t>(m_previousFree[at])] = m_nextFree[at];
        m_previousFree[static_cast<std::size_t>(m_nextFree[at])] = m_previousFree[at];
    }
    --m_remainingLength;
    m_remainingReach -= r.reach;
}

inline void SetOrdering::giveUse(std::int32_t record) {
    const auto at = static_cast<std::size_t>(record);
    SetRecord& r = m_records[at];
    if (r.count++ == 0) {
        m_nextFree[static_cast<std::size_t>(m_previousFree[at])] = record;
        m_previousFree[static_cast<std::size_t>(m_nextFree[at])] = record;
    }
    ++m_remainingLength;
    m_remainingReach += r.reach;
}

}  // namespace trelkan
