// The active-set mode's walk against a bare depth-first walk with the same tests, on the bundled
// catalogue: both order the same component sets of a loop into chains, and each reports its steps
// (components tried in a place) per second. The bare walk is what the ordering would cost with
// nothing but its tests: the sets' neighbour check, the automaton, the pair table and the reach
// bound, recursive, with no solver, no statistics and no stop flag.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "base/textsink.h"
#include "catalogue/actree.h"
#include "catalogue/componentregister.h"
#include "compound/treebuilder.h"
#include "engine/searchcontext.h"
#include "engine/searchinput.h"
#include "engine/searchsink.h"
#include "engine/setordering.h"

namespace trelkan {
namespace {

constexpr std::int32_t kPeriod = 900;
// The sets ordered per iteration: the first ones the enumeration below finds.
constexpr std::size_t kSets = 400;

class QuietSink final : public SearchSink {
  public:
    bool foundChain(CompoundComponent&, Direction, std::int64_t) override { return true; }
    std::int32_t areaBound() const override { return 0; }
    void progress(std::string_view) override {}
    const std::atomic<bool>& running() const override { return m_running; }

  private:
    std::atomic<bool> m_running{true};
};

class NullSink final : public TextSink {
  public:
    void write(std::string_view) override {}
};

std::vector<BasicComponent*> activeComponents(const ComponentRegister& catalogue) {
    std::vector<BasicComponent*> components;
    for (std::int32_t i = 0; i < catalogue.componentCount(); ++i) {
        if (catalogue.component(i).activeCount() > 0) {
            components.push_back(&catalogue.component(i));
        }
    }
    return components;
}

bool turnsOdd(Direction dir, bool mirror) {
    return mirror ? isMirror(dir) : isQuarterTurn(dir);
}

// Multisets of the components whose delays add up to the period with even parities, greedy
// first, as the search finds them; up to kSets of them.
void collectSets(const std::vector<BasicComponent*>& components, std::size_t i, std::int64_t left,
                 std::vector<std::int32_t>& counts, std::vector<std::vector<std::int32_t>>& sets) {
    if (sets.size() == kSets) {
        return;
    }
    if (i == components.size()) {
        int mirrors = 0;
        int quarters = 0;
        for (std::size_t c = 0; c < counts.size(); ++c) {
            mirrors += counts[c] * (turnsOdd(components[c]->outDir(kF), true) ? 1 : 0);
            quarters += counts[c] * (turnsOdd(components[c]->outDir(kF), false) ? 1 : 0);
        }
        if (left == 0 && mirrors % 2 == 0 && quarters % 2 == 0) {
            sets.push_back(counts);
        }
        return;
    }
    const std::int64_t delay = components[i]->dt();
    for (auto n = static_cast<std::int32_t>(left / delay); n >= 0; --n) {
        counts[i] = n;
        collectSets(components, i + 1, left - n * delay, counts, sets);
    }
    counts[i] = 0;
}

struct Fixture {
    Fixture() {
        // The catalogue names its images relative to the source tree.
        [[maybe_unused]] const int changed = chdir(TRELKAN_SOURCE_DIR);
        NullSink quiet;
        LoadError error;
        catalogue = ComponentRegister::load("data/data.ini", quiet, quiet, error);
        catalogue->prepare(kPeriod, kPeriod, false, false);
        buildTree(*catalogue, 1000 * 1024, quiet);
        targets.emplace(0, 0, kPeriod, kF, kF, "");
        components = activeComponents(*catalogue);
        std::vector<std::int32_t> counts(components.size(), 0);
        collectSets(components, 0, kPeriod, counts, sets);
    }

    std::unique_ptr<ComponentRegister> catalogue;
    std::set<Target, TargetLess> targets;
    std::vector<BasicComponent*> components;
    std::vector<std::vector<std::int32_t>> sets;
};

const Fixture& fixture() {
    static const Fixture made;
    return made;
}

void BM_SetOrderingWalk(benchmark::State& state) {
    const Fixture& f = fixture();
    SearchInput input{*f.catalogue, *f.catalogue->acTree(), f.targets, f.components};
    QuietSink sink;
    SearchContext context(input, sink);
    SetOrdering ordering(context);
    for (auto _ : state) {
        for (const auto& counts : f.sets) {
            ordering.run(*f.targets.begin(), counts);
        }
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(context.statistics().orderingSteps));
    state.counters["sets"] = static_cast<double>(f.sets.size());
}
BENCHMARK(BM_SetOrderingWalk)->Unit(benchmark::kMillisecond);

// The ordering's walk with its tests alone: the loop's rarest component first, then every
// record with uses left at every level.
class BareWalk {
  public:
    BareWalk(const ACTree& automaton, const std::vector<BasicComponent*>& components,
             const std::vector<std::int32_t>& counts)
        : m_automaton(automaton) {
        for (std::size_t i = 0; i < counts.size(); ++i) {
            if (counts[i] > 0) {
                const Offset out = components[i]->outOffset(kF);
                const auto reach = static_cast<std::int64_t>(std::sqrt(
                                       static_cast<double>(out.x) * out.x + 1.0 * out.y * out.y)) +
                                   1;
                m_records.push_back({counts[i], components[i], reach});
                m_length += counts[i];
                m_reach += counts[i] * reach;
            }
        }
    }

    std::uint64_t run() {
        if (!everyKindHasNeighbours()) {
            return 0;
        }
        auto rarest =
            std::min_element(m_records.begin(), m_records.end(),
                             [](const Record& a, const Record& b) { return a.count < b.count; });
        const ACTree::State state =
            m_automaton.next(m_automaton.start(), rarest->component->index());
        if (state != ACTree::kDead) {
            take(*rarest);
            const Offset out = rarest->component->outOffset(kF);
            walk(state, rarest->component, out.x, out.y, rarest->component->outDir(kF));
        }
        return m_steps;
    }

  private:
    struct Record {
        std::int32_t count;
        const BasicComponent* component;
        std::int64_t reach;
    };

    bool everyKindHasNeighbours() const {
        for (const Record& kind : m_records) {
            bool follows = false;
            bool followed = false;
            for (const Record& other : m_records) {
                if (&other != &kind || kind.count >= 2) {
                    follows = follows || m_automaton.allowsPair(other.component->index(),
                                                                kind.component->index());
                    followed = followed || m_automaton.allowsPair(kind.component->index(),
                                                                  other.component->index());
                }
            }
            if (!follows || !followed) {
                return false;
            }
        }
        return true;
    }

    void take(Record& r) {
        --r.count;
        --m_length;
        m_reach -= r.reach;
    }
    void give(Record& r) {
        ++r.count;
        ++m_length;
        m_reach += r.reach;
    }

    void walk(ACTree::State state, const BasicComponent* last, std::int32_t x, std::int32_t y,
              Direction dir) {
        for (Record& r : m_records) {
            if (r.count == 0) {
                continue;
            }
            ++m_steps;
            const ACTree::State next = m_automaton.next(state, r.component->index());
            if (next == ACTree::kDead ||
                !m_automaton.allowsPair(last->index(), r.component->index())) {
                continue;
            }
            const Offset out = r.component->outOffset(dir);
            const std::int32_t nx = wrapAdd(x, out.x);
            const std::int32_t ny = wrapAdd(y, out.y);
            take(r);
            const auto reach = static_cast<double>(m_reach);
            if (m_length > 0 && 1.0 * nx * nx + 1.0 * ny * ny <= reach * reach) {
                walk(next, r.component, nx, ny, r.component->outDir(dir));
            }
            give(r);
        }
    }

    const ACTree& m_automaton;
    std::vector<Record> m_records;
    std::int32_t m_length = 0;
    std::int64_t m_reach = 0;
    std::uint64_t m_steps = 0;
};

void BM_BareWalk(benchmark::State& state) {
    const Fixture& f = fixture();
    std::uint64_t steps = 0;
    for (auto _ : state) {
        for (const auto& counts : f.sets) {
            steps += BareWalk(*f.catalogue->acTree(), f.components, counts).run();
        }
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(steps));
    state.counters["sets"] = static_cast<double>(f.sets.size());
}
BENCHMARK(BM_BareWalk)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace trelkan
