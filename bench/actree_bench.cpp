// The automaton of forbidden sequences: building it from random sequences, stepping through it,
// and the whole tree build of a catalogue, which enumerates short chains through the solver.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <random>
#include <span>
#include <vector>

#include "bench/quietstdout.h"
#include "catalogue/actree.h"
#include "catalogue/componentregister.h"
#include "compound/treebuilder.h"

namespace trelkan {
namespace {

constexpr std::int32_t kComponents = 30;

// Random sequences of 2 to 10 components, drawn once so that only the tree is timed.
std::vector<std::vector<std::int32_t>> randomSequences(std::size_t count) {
    std::mt19937 random(7);
    std::uniform_int_distribution<std::int32_t> symbol(0, kComponents - 1);
    std::uniform_int_distribution<std::size_t> length(2, 10);
    std::vector<std::vector<std::int32_t>> sequences(count);
    for (auto& sequence : sequences) {
        sequence.resize(length(random));
        for (std::int32_t& s : sequence) {
            s = symbol(random);
        }
    }
    return sequences;
}

std::unique_ptr<ACTree> buildAutomaton(const std::vector<std::vector<std::int32_t>>& sequences) {
    auto tree = std::make_unique<ACTree>(kComponents);
    for (const auto& sequence : sequences) {
        tree->insert(std::span<const std::int32_t>(sequence));
    }
    tree->finalize();
    return tree;
}

void BM_ACTreeInsertAndFinalize(benchmark::State& state) {
    const auto sequences = randomSequences(static_cast<std::size_t>(state.range(0)));
    std::int32_t nodes = 0;
    for (auto _ : state) {
        const auto tree = buildAutomaton(sequences);
        nodes = tree->nodeCount();
        benchmark::DoNotOptimize(tree->start());
    }
    state.counters["nodes"] = nodes;
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ACTreeInsertAndFinalize)->Arg(1000)->Arg(4000)->Unit(benchmark::kMicrosecond);

// The search's step: one transition per appended component, back to the root after a null one.
void BM_ACTreeStep(benchmark::State& state) {
    const auto tree = buildAutomaton(randomSequences(4000));
    std::mt19937 random(11);
    std::uniform_int_distribution<std::int32_t> symbol(0, kComponents - 1);
    std::vector<std::int32_t> input(1 << 16);
    for (std::int32_t& s : input) {
        s = symbol(random);
    }
    for (auto _ : state) {
        ACTree::State at = tree->start();
        for (const std::int32_t s : input) {
            at = tree->next(at, s);
            if (at == ACTree::kDead) {
                at = tree->start();
            }
        }
        benchmark::DoNotOptimize(at);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(input.size()));
}
BENCHMARK(BM_ACTreeStep);

// Twelve components of two variants each on a straight line, so that cells never collide and
// the pair matrix alone decides; about half of the variant pairs may not follow each other.
std::unique_ptr<ComponentRegister> pairRestrictedCatalogue() {
    auto catalogue = std::make_unique<ComponentRegister>();
    const auto block = std::make_shared<const CellMap>(0, 0, "2o$2o!");
    for (int c = 0; c < 12; ++c) {
        BasicComponent& component = catalogue->addComponent("c" + std::to_string(c), kF, 10, 0, 1);
        for (int v = 0; v < 2; ++v) {
            catalogue->addVariant(component, "c" + std::to_string(c) + "v" + std::to_string(v), 1,
                                  1, 0, VariantType{}, block, block);
        }
    }
    catalogue->finishComponents();
    std::mt19937 random(5);
    for (std::int32_t i = 0; i < catalogue->variantCount(); ++i) {
        for (std::int32_t j = 0; j < catalogue->variantCount(); ++j) {
            catalogue->setFollow(catalogue->variant(i), catalogue->variant(j), random() % 2 == 0);
        }
    }
    const QuietStdout quiet;
    catalogue->prepare(1, 0, false, false);
    return catalogue;
}

// Tree size in KiB as the argument; the default of 1000 takes seconds per build.
void BM_BuildTree(benchmark::State& state) {
    const auto catalogue = pairRestrictedCatalogue();
    const auto bytes = static_cast<std::uint32_t>(state.range(0)) * 1024u;
    for (auto _ : state) {
        StringSink messages;
        buildTree(*catalogue, bytes, messages);
    }
    state.counters["nodes"] = catalogue->acTree()->nodeCount();
    state.counters["sequences"] = catalogue->acTree()->sequenceCount();
    state.counters["depth"] = catalogue->completeDepth();
}
BENCHMARK(BM_BuildTree)->Arg(16)->Arg(100)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace trelkan
