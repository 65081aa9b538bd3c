#include "engine/mapchainsearch.h"

#include <algorithm>
#include <cassert>
#include <limits>

#include "catalogue/actree.h"
#include "catalogue/componentregister.h"
#include "compound/compoundcomponent.h"
#include "engine/looprules.h"
#include "engine/searchcontext.h"
#include "engine/searchmap.h"

namespace trelkan {

MapChainSearch::MapChainSearch(SearchContext& context, const SearchMap& map)
    : m_context(context), m_map(map) {}

MapChainSearch::~MapChainSearch() = default;

void MapChainSearch::enumerateSets(const Target& target, SetPass pass) {
    m_target = &target;
    m_pass = pass;
    setUp(target);
    walk(0);
    m_chain.reset();
}

// The chain can be no longer than the target's delay allows with the quickest component, and the
// stack and the chain are sized for that once, so that the search allocates nothing per choice.
void MapChainSearch::setUp(const Target& target) {
    const std::vector<BasicComponent*>& components = m_context.input().components;
    assert(!components.empty());
    std::int32_t minimumDelay = std::numeric_limits<std::int32_t>::max();
    for (const BasicComponent* component : components) {
        minimumDelay = std::min(minimumDelay, component->dt());
    }
    assert(minimumDelay >= 1);
    const auto length =
        static_cast<std::int32_t>((std::int64_t{target.dt} + minimumDelay - 1) / minimumDelay);
    const std::int32_t maxVariants = m_context.input().catalogue.maxVariants();
    m_chain = std::make_unique<CompoundComponent>(length, maxVariants, maxVariants * length,
                                                  target.label);
    const SignalState start = target.startState();
    m_chain->setEnd(start.x, start.y, start.dir);
    m_stack.assign(static_cast<std::size_t>(length) + 1, Frame{});
    m_stack[0].state = m_context.input().automaton.start();
    m_stack[0].timeLeft = target.dt;
    m_depth = 0;
    m_choiceLimit = static_cast<std::int32_t>(components.size());
    m_minimise = m_context.minimise();
}

bool MapChainSearch::walk(std::int32_t floor) {
    push();
    for (;;) {
        switch (tryChoice(floor)) {
            case Step::kPush:
                // The set searches can run long between results: an interruption is seen at
                // the next level.
                if (floor >= kSetDepth && m_pass == SetPass::kSearching && !m_context.running()) {
                    return false;
                }
                push();
                continue;
            case Step::kStop:
                return false;
            case Step::kLevelDone:
                return true;
            case Step::kNext:
                break;
        }
        if (!nextChoice(floor)) {
            return true;
        }
    }
}

void MapChainSearch::push() {
    ++m_depth;
    assert(static_cast<std::size_t>(m_depth) < m_stack.size());
    assert(m_choiceLimit >= 1);
    m_stack[static_cast<std::size_t>(m_depth)].componentIndex = m_choiceLimit - 1;
}

// Every test costs constant time; only a chain whose time is used up goes to the solver.
MapChainSearch::Step MapChainSearch::tryChoice(std::int32_t floor) {
    Frame& frame = m_stack[static_cast<std::size_t>(m_depth)];
    const Frame& previous = m_stack[static_cast<std::size_t>(m_depth - 1)];
    const BasicComponent& component =
        *m_context.input().components[static_cast<std::size_t>(frame.componentIndex)];
    const ACTree::State state = m_context.input().automaton.next(previous.state, component.index());
    if (state == ACTree::kDead || !pairAllowed(component)) {
        return Step::kNext;
    }
    const std::int32_t timeLeft = previous.timeLeft - component.dt();
    if (timeLeft < 0) {
        return Step::kNext;
    }
    // Most choices fail the map: it is asked before the component is put down.
    CompoundComponent& chain = *m_chain;
    const Direction dir = chain.endDir();
    const Offset out = component.outOffset(dir);
    const SignalState end{wrapAdd(chain.endX(), out.x), wrapAdd(chain.endY(), out.y),
                          component.outDir(dir)};
    if (!m_map.contains(timeLeft, end)) {
        return Step::kNext;
    }
    chain.append(component);
    assert(chain.endX() == end.x && chain.endY() == end.y && chain.endDir() == end.dir);
    const Box box = unite(previous.box, chain.place(chain.count() - 1).coreBox());
    const std::int32_t maxCells = m_context.areaBound();
    if (maxCells != 0 && spanArea(box) > maxCells) {
        chain.removeLast();
        return Step::kNext;
    }
    frame.state = state;
    frame.timeLeft = timeLeft;
    frame.box = box;
    if (timeLeft == 0) {
        return completeChain(floor);
    }
    if (m_depth < kSetDepth || floor >= kSetDepth) {
        return Step::kPush;
    }
    return setFound();
}

MapChainSearch::Step MapChainSearch::setFound() {
    assert(m_depth == kSetDepth);
    m_context.nextSet();
    if (m_context.isPastItsSets()) {
        return Step::kStop;
    }
    if (m_pass == SetPass::kSearching && m_context.setIsSearched()) {
        if (!walk(kSetDepth) || !m_context.running()) {
            return Step::kStop;
        }
        assert(m_depth == kSetDepth && m_chain->count() == kSetDepth);
    }
    m_chain->removeLast();
    return Step::kNext;
}

MapChainSearch::Step MapChainSearch::completeChain(std::int32_t floor) {
    CompoundComponent& chain = *m_chain;
    ++m_context.statistics().chainsExamined;
    const bool loop = m_target->isLoop;
    // The map holds states on a wrapping plane, so a chain can look finished at a copy of the end.
    if (!endsAtTheEnd() || (loop && !isKnownLoopPrefix(chain, m_context.input().automaton))) {
        chain.removeLast();
        return Step::kNext;
    }
    chain.setOpenEnd(!loop);
    const std::int32_t failing = chain.compose(m_minimise);
    ++m_context.statistics().composeCalls;
    if (failing == 0 && m_pass == SetPass::kSearching) {
        const std::int32_t maxCells = m_context.areaBound();
        if ((maxCells == 0 || chain.area() <= maxCells) && (!loop || isCanonicalRotation(chain))) {
            m_context.report(chain, m_target->inDir);
        }
    }
    // After the result limit or an interruption nothing more may be recorded.
    if (m_pass == SetPass::kSearching && !m_context.running()) {
        return Step::kStop;
    }
    // No choice of variants reaches past the first count - failing places: every chain that
    // begins with them fails too, so the search goes back to the last of them.
    for (std::int32_t i = 1; i < failing; ++i) {
        chain.removeLast();
        --m_depth;
        if (m_depth == floor) {
            return Step::kLevelDone;
        }
    }
    chain.removeLast();
    return Step::kNext;
}

bool MapChainSearch::nextChoice(std::int32_t floor) {
    while (m_stack[static_cast<std::size_t>(m_depth)].componentIndex == 0) {
        --m_depth;
        if (m_depth == floor) {
            return false;
        }
        m_chain->removeLast();
    }
    --m_stack[static_cast<std::size_t>(m_depth)].componentIndex;
    if (m_target->isLoop && m_depth == 1) {
        --m_choiceLimit;
    }
    return true;
}

// Within a set's search, a pair that no chain can hold ends the choice. The levels of the set
// itself are numbered as the automaton alone allows, so that the sets keep their numbers.
bool MapChainSearch::pairAllowed(const BasicComponent& next) const {
    if (m_depth <= kSetDepth) {
        return true;
    }
    const BasicComponent& last = *m_chain->place(m_chain->count() - 1).component();
    return m_context.input().automaton.allowsPair(last.index(), next.index());
}

bool MapChainSearch::endsAtTheEnd() const {
    const CompoundComponent& chain = *m_chain;
    return chain.endX() == 0 && chain.endY() == 0 && chain.endDir() == kF;
}

}  // namespace trelkan
