#include "engine/searchmap.h"

#include <algorithm>
#include <cassert>
#include <iterator>

#include "catalogue/basiccomponent.h"
#include "catalogue/componentvariant.h"
#include "engine/searchcontext.h"
#include "engine/workerthreads.h"

namespace trelkan {
namespace {

SignalState outputOf(const BasicComponent& component, const SignalState& input) {
    const Offset out = component.outOffset(input.dir);
    return {wrapAdd(input.x, out.x), wrapAdd(input.y, out.y), component.outDir(input.dir)};
}

SignalState inputOf(const BasicComponent& component, const SignalState& output) {
    const Offset back = component.backOffset(output.dir);
    return {wrapAdd(output.x, back.x), wrapAdd(output.y, back.y), component.backDir(output.dir)};
}

// The cells common to every box; empty when there is none, or when one of them is empty.
class BoxIntersection {
  public:
    void add(const Box& box) {
        if (box.isEmpty()) {
            m_empty = true;
            return;
        }
        if (m_first) {
            m_box = box;
            m_first = false;
            return;
        }
        m_box.minX = std::max(m_box.minX, box.minX);
        m_box.maxX = std::min(m_box.maxX, box.maxX);
        m_box.minY = std::max(m_box.minY, box.minY);
        m_box.maxY = std::min(m_box.maxY, box.maxY);
    }
    Box result() const { return m_empty || m_first || m_box.isEmpty() ? Box::none() : m_box; }

  private:
    Box m_box;
    bool m_first = true;
    bool m_empty = false;
};

}  // namespace

Box commonBoxAt(const BasicComponent& component, const SignalState& state) {
    const Box box = component.bounds(state.dir);
    return box.isEmpty() ? Box::none() : transformBox(state.x, state.y, kF, box);
}

std::int64_t spanArea(const Box& box) {
    if (box.isEmpty()) {
        return 0;
    }
    return (std::int64_t{box.maxX} - box.minX) * (std::int64_t{box.maxY} - box.minY);
}

SearchMap::SearchMap(SearchContext& context)
    : m_input(context.input()),
      m_context(context),
      m_counts(context.progressCounts()),
      m_maxCells(context.areaBound()) {
    assert(!m_input.targets.empty());
    const std::int32_t largestDelay = std::prev(m_input.targets.end())->dt;
    assert(largestDelay >= 1);
    m_half = (largestDelay + 1) / 2;
    context.progress("Creating search map...\n");
    for (std::int32_t t = 0; t <= largestDelay; ++t) {
        m_sets.emplace_back(m_allocator);
    }
    m_sets[0].insert({0, 0, kF});
    if (m_maxCells != 0) {
        computeBaseBox();
    }
    // Every generation but the end's and the last is grown, and every one pruned.
    m_counts.begin(SearchStage::kGrowingMap, std::max(generations() - 2, 0));
    growFromEnd();
    for (const Target& target : m_input.targets) {
        if (target.dt >= m_half) {
            m_sets[static_cast<std::size_t>(target.dt)].insert(target.startState());
        }
    }
    growFromStarts();
    m_grownStates = totalStates();
    m_counts.begin(SearchStage::kPruningMap, generations());
    pruneUpperHalf();
    pruneLowerHalf();
    // A stop asked for while the map grew leaves it unfinished, and the search is not made.
    m_complete = context.running();
    if (m_complete) {
        context.progress("Search map created\n");
    }
}

// Every pass over the components of a generation looks whether the search was stopped; the
// rest of the map is then left as it is.
bool SearchMap::stopped() const {
    return !m_context.running();
}

// Every chain ends with some component whose output is (0, 0, F); a loop also starts with one
// whose input is (0, 0, F).
void SearchMap::computeBaseBox() {
    BoxIntersection startBox;
    BoxIntersection endBox;
    bool allLoops = true;
    for (const Target& target : m_input.targets) {
        allLoops = allLoops && target.isLoop;
    }
    for (const BasicComponent* component : m_input.components) {
        startBox.add(commonBoxAt(*component, {0, 0, kF}));
        endBox.add(commonBoxAt(*component, inputOf(*component, {0, 0, kF})));
    }
    m_baseBox = endBox.result();
    if (allLoops) {
        m_baseBox.include(startBox.result());
    }
}

bool SearchMap::fitsCellLimit(const BasicComponent& component, const SignalState& state) const {
    if (m_maxCells == 0) {
        return true;
    }
    return spanArea(unite(m_baseBox, commonBoxAt(component, state))) <= m_maxCells;
}

std::int32_t SearchMap::minimumDelay() const {
    std::int32_t least = generations();
    for (const BasicComponent* component : m_input.components) {
        least = std::min(least, component->dt());
    }
    return std::max(least, 1);
}

// Generation by generation, each from the generations it reads, which lie at least the least
// delay away: the generations within that distance are made at once, each by one thread.
void SearchMap::eachGeneration(std::int32_t first, std::int32_t step, std::int32_t count,
                               const std::function<void(std::int32_t)>& make) {
    if (count <= 0) {
        return;
    }
    runWavefront(m_input.threads, count, minimumDelay(), [&](std::int64_t k) {
        if (!stopped()) {
            make(first + step * static_cast<std::int32_t>(k));
            m_counts.addDone(1);
        }
    });
}

// Sets below the half hold the states that reach the end in exactly their time: those that some
// component takes to a state of an earlier generation.
void SearchMap::growFromEnd() {
    eachGeneration(1, 1, m_half - 1, [&](std::int32_t t) {
        PointSet& to = m_sets[static_cast<std::size_t>(t)];
        for (const BasicComponent* component : m_input.components) {
            const std::int32_t earlier = t - component->dt();
            if (earlier < 0) {
                continue;
            }
            m_sets[static_cast<std::size_t>(earlier)].forEach([&](const SignalState& state) {
                const SignalState input = inputOf(*component, state);
                if (fitsCellLimit(*component, input)) {
                    to.insert(input);
                }
            });
        }
    });
}

// Sets from the half on hold the states that some target's start reaches in the time between:
// those that some component makes of a state of a later generation.
void SearchMap::growFromStarts() {
    const std::int32_t last = generations() - 1;
    eachGeneration(last - 1, -1, last - m_half, [&](std::int32_t t) {
        PointSet& to = m_sets[static_cast<std::size_t>(t)];
        for (const BasicComponent* component : m_input.components) {
            const std::int64_t later = std::int64_t{t} + component->dt();
            if (later > last) {
                continue;
            }
            m_sets[static_cast<std::size_t>(later)].forEach([&](const SignalState& state) {
                if (fitsCellLimit(*component, state)) {
                    to.insert(outputOf(*component, state));
                }
            });
        }
    });
}

namespace {

// Whether some link holds for the state, the links taken in batches of eight. Within a batch every
// lookup runs, without a branch between them, so that the lookups in eight sets are under way at
// once instead of one after the other; a state that is kept still stops after the batch that
// keeps it.
bool anyLinkHolds(const std::vector<SearchMap::Link>& links, const SignalState& state) {
    constexpr std::size_t kBatch = 8;
    std::size_t i = 0;
    bool any = false;
    while (i < links.size() && !any) {
        const std::size_t end = std::min(links.size(), i + kBatch);
        for (; i < end; ++i) {
            const SearchMap::Link& link = links[i];
            any |= link.set->contains(
                {wrapAdd(state.x, link.offset.x), wrapAdd(state.y, link.offset.y), link.dir});
        }
    }
    return any;
}

}  // namespace

// The walk comes to the states of each direction in turn; their links are worked out then, once,
// so that a state's lookups need nothing but its coordinates.
template <typename LinksFor>
void SearchMap::keepLinkedStates(std::int32_t t, LinksFor linksFor) {
    // Each generation is pruned by one thread, with links of its own.
    std::vector<Link> links;
    links.reserve(m_input.components.size());
    PointSet& set = m_sets[static_cast<std::size_t>(t)];
    SignalState state;
    bool more = set.first(state);
    bool linked = false;
    Direction linkedDir = kF;
    while (more) {
        if (!linked || state.dir != linkedDir) {
            links.clear();
            linksFor(state.dir, links);
            linked = true;
            linkedDir = state.dir;
        }
        more = anyLinkHolds(links, state) ? set.next(state) : set.eraseAndNext(state);
    }
}

// Upwards, so that each set is judged against the sets below it that are already pruned (or,
// below the half, grown from the end).
void SearchMap::pruneUpperHalf() {
    const std::vector<BasicComponent*>& components = m_input.components;
    eachGeneration(m_half, 1, generations() - m_half, [&](std::int32_t t) {
        keepLinkedStates(t, [&](Direction dir, std::vector<Link>& links) {
            for (auto component = components.rbegin(); component != components.rend();
                 ++component) {
                const std::int32_t earlier = t - (*component)->dt();
                if (earlier >= 0) {
                    links.push_back({&m_sets[static_cast<std::size_t>(earlier)],
                                     (*component)->outOffset(dir), (*component)->outDir(dir)});
                }
            }
        });
    });
}

// Downwards, against the sets above that are already pruned; a target whose delay lies below the
// half gets its start only now, so that nothing prunes it away.
void SearchMap::pruneLowerHalf() {
    const std::vector<BasicComponent*>& components = m_input.components;
    eachGeneration(m_half - 1, -1, m_half, [&](std::int32_t t) {
        keepLinkedStates(t, [&](Direction dir, std::vector<Link>& links) {
            for (auto component = components.rbegin(); component != components.rend();
                 ++component) {
                const std::int64_t later = std::int64_t{t} + (*component)->dt();
                if (later < generations()) {
                    links.push_back({&m_sets[static_cast<std::size_t>(later)],
                                     (*component)->backOffset(dir), (*component)->backDir(dir)});
                }
            }
        });
        insertTargetStarts(t);
    });
}

void SearchMap::insertTargetStarts(std::int32_t delay) {
    for (const Target& target : m_input.targets) {
        if (target.dt == delay) {
            m_sets[static_cast<std::size_t>(delay)].insert(target.startState());
        }
    }
}

std::int64_t SearchMap::totalStates() const {
    std::int64_t total = 0;
    for (const PointSet& set : m_sets) {
        total += set.size();
    }
    return total;
}

std::int64_t SearchMap::largestGeneration() const {
    std::int64_t largest = 0;
    for (const PointSet& set : m_sets) {
        largest = std::max(largest, set.size());
    }
    return largest;
}

std::size_t SearchMap::storageBytes() const {
    std::size_t bytes = 0;
    for (const PointSet& set : m_sets) {
        bytes += set.storageBytes();
    }
    return bytes;
}

}  // namespace trelkan
