// The chain search of the search-map mode: depth first from a target's start towards the chain's
// end, one component per level, trying the components from the last of the list to the first. A
// partial chain lives while the forbidden-sequence automaton allows it, its time is not overspent,
// its state lies in the search map at its remaining time and its box keeps to the cell limit. The
// first three components of a chain make a numbered component set; the levels below them are the
// set's search.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "base/box.h"
#include "catalogue/actree.h"
#include "engine/componentsets.h"
#include "engine/searchcontext.h"

namespace trelkan {

class BasicComponent;
class CompoundComponent;
class SearchMap;

class alignas(kCacheLineBytes) MapChainSearch final : public ComponentSetSearch {
  public:
    MapChainSearch(SearchContext& context, const SearchMap& map);
    ~MapChainSearch() override;
    MapChainSearch(const MapChainSearch&) = delete;
    MapChainSearch& operator=(const MapChainSearch&) = delete;

    void enumerateSets(const Target& target, SetPass pass) override;
    // Chains of up to three components are complete before they make a set.
    bool findsChainsOutsideSets() const override { return true; }

  private:
    struct Frame {
        // The automaton's state after this level's component.
        ACTree::State state = ACTree::kDead;
        // This level's component, as a position in the search's list; counts down to 0.
        std::int32_t componentIndex = 0;
        // Generations still to fill after this level's component.
        std::int32_t timeLeft = 0;
        // The boxes common to the variants of the components so far.
        Box box = Box::none();
    };

    // What became of the top level's choice.
    enum class Step {
        kPush,       // the component stays, and a level goes on top
        kNext,       // the component is off the chain: try the level's next choice
        kLevelDone,  // the levels down to the floor are done
        kStop,       // the search of the target ends
    };

    void setUp(const Target& target);
    // Searches from a new level above the floor until the walk comes back to the floor; false
    // when the search of the target must end.
    bool walk(std::int32_t floor);
    void push();
    Step tryChoice(std::int32_t floor);
    Step setFound();
    Step completeChain(std::int32_t floor);
    // Moves the top level to its next choice, dropping the levels that have none left; false when
    // the walk comes back to the floor.
    bool nextChoice(std::int32_t floor);
    bool pairAllowed(const BasicComponent& next) const;
    bool endsAtTheEnd() const;

    // Sets are the chains' first components; the levels below make up each set's search.
    static constexpr std::int32_t kSetDepth = 3;

    SearchContext& m_context;
    const SearchMap& m_map;
    // The chain being built for the current target, with the storage of its solver.
    std::unique_ptr<CompoundComponent> m_chain;
    const Target* m_target = nullptr;
    SetPass m_pass = SetPass::kCounting;
    std::vector<Frame> m_stack;
    std::int32_t m_depth = 0;
    // How many list positions a new level may use: a loop's first component has the highest.
    std::int32_t m_choiceLimit = 0;
    bool m_minimise = false;
};

}  // namespace trelkan
