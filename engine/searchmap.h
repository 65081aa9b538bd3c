// The search map of the search-map mode: for every generation t up to the largest target delay,
// the signal states from which a chain can still reach its end (0, 0, F) in exactly t generations,
// grown from the end backwards and from the targets' starts forwards until the two halves meet,
// then pruned from both sides. A chain search accepts a partial chain only while its state lies in
// the map at its remaining time.
//
// The map is a necessary condition, never a sufficient one: states alias on the point sets'
// wrapping plane, and whether variants can be chosen is decided later by the solver.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <vector>

#include "base/box.h"
#include "base/direction.h"
#include "base/target.h"
#include "engine/pointset.h"
#include "engine/searchprogress.h"

namespace trelkan {

class BasicComponent;
class SearchContext;
struct SearchInput;

// The box that every active variant of the component covers, put down with its input at the state;
// empty when the variants have no cell in common.
Box commonBoxAt(const BasicComponent& component, const SignalState& state);

// The box measure of the cell limit while chains are pruned: width times height, each counted
// without its last cell, so that it never exceeds the area of a chain holding the box.
std::int64_t spanArea(const Box& box);

class SearchMap {
  public:
    // What one component asks of a state of one direction while the map is pruned: the state it
    // links to lies this far off, in this direction, in this generation's set.
    struct Link {
        const PointSet* set;
        Offset offset;
        Direction dir;
    };

    // Builds the map for the search's components, targets and present area bound, with its
    // progress messages. The search must have at least one target.
    explicit SearchMap(SearchContext& context);
    // The least a map for targets up to the delay takes: a point set for every generation.
    static std::uint64_t leastBytes(std::int32_t largestDelay) {
        return (static_cast<std::uint64_t>(largestDelay) + 1) * sizeof(PointSet);
    }
    SearchMap(const SearchMap&) = delete;
    SearchMap& operator=(const SearchMap&) = delete;

    bool contains(std::int32_t timeLeft, const SignalState& state) const {
        return m_sets[static_cast<std::size_t>(timeLeft)].contains(state);
    }

    // Generations held: the largest target delay plus one.
    std::int32_t generations() const { return static_cast<std::int32_t>(m_sets.size()); }
    std::int64_t stateCount(std::int32_t timeLeft) const {
        return m_sets[static_cast<std::size_t>(timeLeft)].size();
    }
    std::int64_t totalStates() const;
    // The states before the pruning: the most the map ever held.
    std::int64_t grownStates() const { return m_grownStates; }
    std::int64_t largestGeneration() const;
    // Bytes of point-set blocks that the map holds.
    std::size_t storageBytes() const;
    // The cells that every chain covers anyway, when the cell limit is on.
    const Box& baseBox() const { return m_baseBox; }
    // False when the search was stopped while the map grew.
    bool isComplete() const { return m_complete; }

  private:
    bool stopped() const;
    void computeBaseBox();
    // Whether a chain that passes through the component put down at the state can still keep to
    // the cell limit, judged with the base box.
    bool fitsCellLimit(const BasicComponent& component, const SignalState& state) const;
    // The least delay of a component: how far apart two generations lie that one reads from the
    // other.
    std::int32_t minimumDelay() const;
    // make(t) for count generations t from first on, a step apart, with the search's threads.
    void eachGeneration(std::int32_t first, std::int32_t step, std::int32_t count,
                        const std::function<void(std::int32_t)>& make);
    void growFromEnd();
    void growFromStarts();
    void pruneUpperHalf();
    void pruneLowerHalf();
    void insertTargetStarts(std::int32_t delay);
    // Keeps the states of generation t for which some link holds, and drops the others;
    // linksFor(dir, links) fills the links of a direction.
    template <typename LinksFor>
    void keepLinkedStates(std::int32_t t, LinksFor linksFor);

    const SearchInput& m_input;
    const SearchContext& m_context;
    // The generations grown or pruned, for whoever watches the search.
    SearchProgress& m_counts;
    // Feeds the point sets; their blocks go back to the heap with the map.
    BlockAllocator m_allocator;
    std::deque<PointSet> m_sets;
    // Generations below this one are grown from the end, the others from the targets' starts.
    std::int32_t m_half = 0;
    std::int32_t m_maxCells = 0;
    std::int64_t m_grownStates = 0;
    // Cells that every chain of the search covers anyway.
    Box m_baseBox = Box::none();
    bool m_complete = false;
};

}  // namespace trelkan
