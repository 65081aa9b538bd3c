#include "engine/setordering.h"

#include <algorithm>
#include <cassert>
#include <cmath>

#include "catalogue/actree.h"
#include "catalogue/componentregister.h"
#include "compound/compoundcomponent.h"
#include "engine/looprules.h"
#include "engine/searchcontext.h"

namespace trelkan {
namespace {

// A partial chain goes to the solver only after this many levels without one, and only when the
// latest choice has just failed the distance bound: the call is costly, and its answer prunes
// several levels at once.
constexpr std::int32_t kLevelsBetweenChecks = 8;

std::int64_t reachOf(const BasicComponent& component) {
    const Offset out = component.outOffset(kF);
    const double length =
        std::sqrt(static_cast<double>(out.x) * out.x + static_cast<double>(out.y) * out.y);
    return static_cast<std::int64_t>(length) + 1;
}

}  // namespace

SetOrdering::SetOrdering(SearchContext& context)
    : m_context(context),
      m_chain(std::make_unique<CompoundComponent>(0, context.input().catalogue.maxVariants(), 0,
                                                  std::string())) {}

void SetOrdering::run(const Target& target, const std::vector<std::int32_t>& counts) {
    setUp(target, counts);
    m_steps = 0;
    if (target.isLoop && !everyKindHasNeighbours()) {
        return;
    }
    search();
    m_context.statistics().orderingSteps += m_steps;
}

void SetOrdering::setUp(const Target& target, const std::vector<std::int32_t>& counts) {
    m_target = &target;
    m_records.clear();
    m_rarest = 0;
    m_remainingLength = 0;
    m_remainingReach = 0;
    m_top = 0;
    m_firstLevel = 1;
    std::int64_t slots = 0;
    for (std::size_t i = 0; i < counts.size(); ++i) {
        if (counts[i] <= 0) {
            continue;
        }
        const BasicComponent& component = *m_context.input().components[i];
        m_records.push_back({counts[i], &component, reachOf(component), component.index()});
        m_remainingLength += counts[i];
        m_remainingReach += counts[i] * m_records.back().reach;
        slots += std::int64_t{counts[i]} * component.activeCount();
        if (counts[i] < m_records[static_cast<std::size_t>(m_rarest)].count) {
            m_rarest = static_cast<std::int32_t>(m_records.size() - 1);
        }
    }
    assert(!m_records.empty());
    linkRecords();
    // A level's frame is written whenever the level is entered; only the base starts afresh.
    if (m_stack.size() < static_cast<std::size_t>(m_remainingLength) + 1) {
        m_stack.resize(static_cast<std::size_t>(m_remainingLength) + 1);
    }
    m_stack[0] = Frame{};
    m_chain->reserve(m_remainingLength, static_cast<std::int32_t>(slots));
    if (m_chain->text() != target.label) {
        m_chain->setText(target.label);
    }
    m_minimise = m_context.minimise();
}

SetOrdering::~SetOrdering() = default;

// In a loop every component has a neighbour on either side, of a kind of the same set: one of its
// own kind only when the set holds two. A set where some kind may follow no kind of the set, or
// be followed by none, holds no loop, whatever the order; most sets fail here, at the cost of a
// few pair lookups instead of a walk.
bool SetOrdering::everyKindHasNeighbours() const {
    const ACTree& automaton = m_context.input().automaton;
    if (m_remainingLength < 2) {
        return true;
    }
    for (const SetRecord& kind : m_records) {
        bool follows = false;
        bool followed = false;
        for (const SetRecord& other : m_records) {
            if (&other == &kind && kind.count < 2) {
                continue;
            }
            follows = follows || automaton.allowsPair(other.symbol, kind.symbol);
            followed = followed || automaton.allowsPair(kind.symbol, other.symbol);
        }
        if (!follows || !followed) {
            return false;
        }
    }
    return true;
}

void SetOrdering::linkRecords() {
    const std::size_t end = m_records.size();
    m_nextFree.resize(end + 1);
    m_previousFree.resize(end + 1);
    for (std::size_t i = 0; i <= end; ++i) {
        m_nextFree[i] = static_cast<std::int32_t>(i == end ? 0 : i + 1);
        m_previousFree[i] = static_cast<std::int32_t>(i == 0 ? end : i - 1);
    }
}

void SetOrdering::placeAt(Frame& frame, const Frame& previous,
                          const BasicComponent& component) const {
    const Offset out = component.outOffset(previous.dir);
    frame.component = &component;
    frame.x = wrapAdd(previous.x, out.x);
    frame.y = wrapAdd(previous.y, out.y);
    frame.dir = component.outDir(previous.dir);
}

// Squared integers against the squared remaining reach: no square root per step.
bool SetOrdering::canStillReachTheEnd(const Frame& frame) const {
    const auto x = static_cast<std::uint64_t>(std::abs(std::int64_t{frame.x}));
    const auto y = static_cast<std::uint64_t>(std::abs(std::int64_t{frame.y}));
    const auto reach =
        static_cast<std::uint64_t>(std::min<std::int64_t>(m_remainingReach, std::int64_t{1} << 31));
    return x * x + y * y <= reach * reach;
}

void SetOrdering::search() {
    Frame& base = m_stack[0];
    const SignalState start = m_target->startState();
    base.state = m_context.input().automaton.start();
    base.x = start.x;
    base.y = start.y;
    base.dir = start.dir;
    const auto recordCount = static_cast<std::int32_t>(m_records.size());
    const ACTree& automaton = m_context.input().automaton;
    base.record = recordCount;
    if (m_target->isLoop) {
        // Every rotation of a loop is the same loop: its rarest component goes first, always.
        const BasicComponent& first = *m_records[static_cast<std::size_t>(m_rarest)].component;
        const ACTree::State state = m_context.input().automaton.next(base.state, first.index());
        if (state == ACTree::kDead) {
            return;
        }
        takeUse(m_rarest);
        base.state = state;
        base.symbol = first.index();
        placeAt(base, Frame(base), first);
        base.record = m_rarest;
        m_firstLevel = 0;
        if (m_remainingLength == 0) {
            // A loop of one component: it is complete before any level is pushed.
            if (base.x == 0 && base.y == 0 && base.dir == kF) {
                completeChain();
            }
            return;
        }
    }
    m_levelsSinceCheck = 0;

    bool push = true;
    for (;;) {
        if (push) {
            if (!m_context.running()) {
                return;
            }
            m_stack[static_cast<std::size_t>(++m_top)].record = nextFree(recordCount);
            ++m_levelsSinceCheck;
            push = false;
        }
        Frame& frame = m_stack[static_cast<std::size_t>(m_top)];
        assert(frame.record == recordCount ||
               m_records[static_cast<std::size_t>(frame.record)].count > 0);
        if (frame.record == recordCount) {
            // This level is done.
            if (m_top == 1) {
                return;
            }
            --m_top;
            m_levelsSinceCheck = std::max(m_levelsSinceCheck - 1, 0);
        } else {
            const Frame& previous = m_stack[static_cast<std::size_t>(m_top - 1)];
            const SetRecord& record = m_records[static_cast<std::size_t>(frame.record)];
            ++m_steps;
            const ACTree::State state = automaton.next(previous.state, record.symbol);
            // The first level of an open chain has no component before it.
            if (state == ACTree::kDead ||
                (previous.symbol >= 0 && !automaton.allowsPair(previous.symbol, record.symbol))) {
                frame.record = nextFree(frame.record);
                continue;
            }
            takeUse(frame.record);
            frame.state = state;
            frame.symbol = record.symbol;
            placeAt(frame, previous, *record.component);
            if (m_remainingLength > 0) {
                if (canStillReachTheEnd(frame)) {
                    push = true;
                    continue;
                }
                if (m_levelsSinceCheck > kLevelsBetweenChecks &&
                    checkPartialChain() == Outcome::kEndSet) {
                    return;
                }
            } else if (frame.x == 0 && frame.y == 0 && frame.dir == kF) {
                if (completeChain() == Outcome::kEndSet) {
                    return;
                }
            }
        }
        // Give the top level's use back and try its next record.
        Frame& top = m_stack[static_cast<std::size_t>(m_top)];
        giveUse(top.record);
        top.record = nextFree(top.record);
    }
}

void SetOrdering::fillChain() {
    CompoundComponent& chain = *m_chain;
    chain.clear();
    for (std::int32_t level = m_firstLevel; level <= m_top; ++level) {
        chain.append(*m_stack[static_cast<std::size_t>(level)].component);
    }
}

SetOrdering::Outcome SetOrdering::popLevels(std::int32_t levels, bool countDown) {
    assert(levels >= 0);
    if (m_top - levels < 1) {
        // Only a loop's fixed first component lies below: the set holds no more chains.
        return Outcome::kEndSet;
    }
    for (std::int32_t i = 0; i < levels; ++i) {
        giveUse(m_stack[static_cast<std::size_t>(m_top)].record);
        --m_top;
        if (countDown) {
            m_levelsSinceCheck = std::max(m_levelsSinceCheck - 1, 0);
        }
    }
    return Outcome::kGoOn;
}

SetOrdering::Outcome SetOrdering::checkPartialChain() {
    fillChain();
    m_chain->setOpenEnd(false);
    const std::int32_t failing = m_chain->compose(false);
    ++m_context.statistics().partialChecks;
    m_levelsSinceCheck = 0;
    return failing >= 2 ? popLevels(failing - 1, false) : Outcome::kGoOn;
}

SetOrdering::Outcome SetOrdering::completeChain() {
    fillChain();
    CompoundComponent& chain = *m_chain;
    ++m_context.statistics().chainsExamined;
    if (m_target->isLoop && !isKnownLoopPrefix()) {
        return Outcome::kGoOn;
    }
    std::int32_t failing = 0;
    const std::int32_t maxCells = m_context.areaBound();
    const std::int32_t excess = maxCells != 0 ? chain.excessFrom(maxCells) : 0;
    if (excess == 0) {
        chain.setOpenEnd(!m_target->isLoop);
        failing = chain.compose(m_minimise);
        ++m_context.statistics().composeCalls;
        m_levelsSinceCheck = 0;
    } else if (excess == chain.count() && m_target->isLoop) {
        // The fixed first component alone breaks the cell limit.
        return Outcome::kEndSet;
    } else {
        failing = excess;
    }
    if (failing >= 1) {
        return popLevels(failing - 1, true);
    }
    if (maxCells != 0 && chain.area() > maxCells) {
        return Outcome::kGoOn;
    }
    m_context.report(chain, m_target->inDir);
    return Outcome::kGoOn;
}

bool SetOrdering::isKnownLoopPrefix() const {
    return trelkan::isKnownLoopPrefix(*m_chain, m_context.input().automaton);
}

}  // namespace trelkan
