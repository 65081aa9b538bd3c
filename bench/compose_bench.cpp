// The variant solver on random chains of 4, 8 and 16 places over a catalogue of eight components
// with four to six variants each, whose usage maps cover 10x10 to 30x30 cells around the path
// from input to output. Each benchmark cycles through a fixed pool of chains: random ones,
// feasible or not as they come, or only those that can be realised.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "bench/quietstdout.h"
#include "catalogue/componentregister.h"
#include "compound/compoundcomponent.h"

namespace trelkan {
namespace {

// Cells at a density of about a third in a rectangle that holds the input and the output with
// a margin of 0 to 6 cells on each side, at most 30 cells across: variants of one component
// differ in their margins, so that the minimiser has a choice.
std::shared_ptr<const CellMap> usageAround(std::mt19937& random, std::int32_t dx, std::int32_t dy) {
    std::uniform_int_distribution<std::int32_t> margin(0, 6);
    std::bernoulli_distribution live(0.33);
    const std::int32_t left = std::max(std::min(0, dx) - margin(random), -15);
    const std::int32_t right = std::min(std::max(0, dx) + margin(random), left + 29);
    const std::int32_t top = std::max(std::min(0, dy) - margin(random), -15);
    const std::int32_t bottom = std::min(std::max(0, dy) + margin(random), top + 29);
    std::string rle;
    for (std::int32_t y = top; y <= bottom; ++y) {
        for (std::int32_t x = left; x <= right; ++x) {
            rle += live(random) ? 'o' : 'b';
        }
        rle += y < bottom ? '$' : '!';
    }
    // The origin is the input cell: column -left, and bottom rows above the bottom row.
    return std::make_shared<const CellMap>(-left, bottom, rle);
}

std::unique_ptr<ComponentRegister> conduitCatalogue(bool buildCaches) {
    struct Shape {
        Direction dir;
        std::int32_t dx;
        std::int32_t dy;
    };
    const Shape shapes[] = {{kF, 0, -22},   {kL, -12, -18}, {kR, 14, -20}, {kFx, 3, -25},
                            {kLx, -9, -16}, {kRx, 10, -14}, {kF, -6, -24}, {kR, 18, -11}};
    std::mt19937 random(3);
    auto catalogue = std::make_unique<ComponentRegister>();
    int index = 0;
    for (const Shape& shape : shapes) {
        const std::string name = "c" + std::to_string(index++);
        BasicComponent& component =
            catalogue->addComponent(name, shape.dir, shape.dx, shape.dy, 10);
        const int variants = std::uniform_int_distribution<int>(4, 6)(random);
        for (int v = 0; v < variants; ++v) {
            const auto cells = usageAround(random, shape.dx, shape.dy);
            catalogue->addVariant(component, name + "v" + std::to_string(v), 1, 1, 0, VariantType{},
                                  cells, cells);
        }
    }
    catalogue->finishComponents();
    // Joined variants answer to the pair matrix alone; a [Pairs] section forbids some of them.
    std::bernoulli_distribution allowed(0.85);
    for (std::int32_t i = 0; i < catalogue->variantCount(); ++i) {
        for (std::int32_t j = 0; j < catalogue->variantCount(); ++j) {
            catalogue->setFollow(catalogue->variant(i), catalogue->variant(j), allowed(random));
        }
    }
    const QuietStdout quiet;
    catalogue->prepare(0, 0, false, buildCaches);
    return catalogue;
}

const ComponentRegister& catalogue(bool buildCaches) {
    static const auto plain = conduitCatalogue(false);
    static const auto cached = conduitCatalogue(true);
    return buildCaches ? *cached : *plain;
}

constexpr std::size_t kPool = 64;

// Random chains from the origin; with onlyFeasible, those that cannot be realised are skipped.
std::vector<std::unique_ptr<CompoundComponent>> chainPool(const ComponentRegister& catalogue,
                                                          std::int32_t length, bool onlyFeasible) {
    std::mt19937 random(static_cast<std::uint32_t>(length));
    std::uniform_int_distribution<std::int32_t> pick(0, catalogue.componentCount() - 1);
    const std::int32_t variants = catalogue.maxVariants();
    std::vector<std::unique_ptr<CompoundComponent>> pool;
    while (pool.size() < kPool) {
        auto chain =
            std::make_unique<CompoundComponent>(length, variants, length * variants, "bench");
        for (std::int32_t k = 0; k < length; ++k) {
            chain->append(catalogue.component(pick(random)));
        }
        // Also opens the cache windows that the chain needs.
        if (chain->compose(false) == 0 || !onlyFeasible) {
            pool.push_back(std::move(chain));
        }
    }
    return pool;
}

// Arguments: places, minimise, check cache, feasible chains only.
void BM_Compose(benchmark::State& state) {
    const auto length = static_cast<std::int32_t>(state.range(0));
    const bool minimise = state.range(1) != 0;
    const auto pool = chainPool(catalogue(state.range(2) != 0), length, state.range(3) != 0);
    int feasible = 0;
    for (const auto& chain : pool) {
        feasible += chain->compose(minimise) == 0 ? 1 : 0;
    }
    std::size_t next = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(pool[next]->compose(minimise));
        next = (next + 1) % pool.size();
    }
    state.counters["feasible%"] = 100.0 * feasible / static_cast<double>(pool.size());
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Compose)
    ->ArgNames({"places", "minimise", "cache", "feasible"})
    ->ArgsProduct({{4, 8, 16}, {0, 1}, {0, 1}, {0, 1}})
    ->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace trelkan
