// The Life engine: generations per second on the kinds of runs the catalogue builder and the
// verifier make (a Herschel among catalysts for a few hundred generations), on a dense soup, and
// on a glider gun whose gliders stretch the universe over a thousand generations.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "base/direction.h"
#include "life/herschel.h"
#include "life/lifegrid.h"
#include "life/rlepattern.h"

namespace trelkan {
namespace {

std::vector<LifeCell> soup(std::int32_t size, double density) {
    std::mt19937 random(17);
    std::bernoulli_distribution alive(density);
    std::vector<LifeCell> cells;
    for (std::int32_t y = 0; y < size; ++y) {
        for (std::int32_t x = 0; x < size; ++x) {
            if (alive(random)) {
                cells.push_back({x, y});
            }
        }
    }
    return cells;
}

// A glider every 30 generations.
std::vector<LifeCell> gliderGun() {
    std::string error;
    const std::optional<RlePattern> gun = parseRle(
        "x = 36, y = 9\n24bo$22bobo$12b2o6b2o12b2o$11bo3bo4b2o12b2o$2o8bo5bo3b2o$"
        "2o8bo3bob2o4bobo$10bo5bo7bo$11bo3bo$12b2o!",
        error);
    return gun ? gun->cellsOfState(1) : std::vector<LifeCell>{};
}

// A predecessor in a 150x150 field of blocks: the shape of a conduit proof, with the Herschel's
// debris running into still lifes.
std::vector<LifeCell> herschelAmongBlocks() {
    std::vector<LifeCell> cells = predecessorCells(0, 0, kF);
    std::mt19937 random(5);
    std::uniform_int_distribution<std::int32_t> place(-75, 75);
    for (int block = 0; block < 25; ++block) {
        const std::int32_t x = place(random);
        const std::int32_t y = place(random);
        if (std::abs(x) > 12 || std::abs(y) > 12) {
            cells.insert(cells.end(), {{x, y}, {x + 1, y}, {x, y + 1}, {x + 1, y + 1}});
        }
    }
    return cells;
}

void runFor(benchmark::State& state, const std::vector<LifeCell>& start) {
    const auto generations = state.range(0);
    const LifeGrid initial(start);
    std::int64_t population = 0;
    for (auto _ : state) {
        LifeGrid grid = initial;
        grid.run(generations);
        population = grid.population();
        benchmark::DoNotOptimize(population);
    }
    state.counters["population"] = static_cast<double>(population);
    state.SetItemsProcessed(state.iterations() * generations);
    state.SetLabel("items = generations");
}

void BM_LifeSoup100(benchmark::State& state) {
    runFor(state, soup(100, 0.35));
}
BENCHMARK(BM_LifeSoup100)->Arg(100)->Arg(1000)->Unit(benchmark::kMicrosecond);

void BM_LifeHerschel(benchmark::State& state) {
    runFor(state, predecessorCells(0, 0, kF));
}
BENCHMARK(BM_LifeHerschel)->Arg(300)->Unit(benchmark::kMicrosecond);

void BM_LifeHerschelAmongBlocks(benchmark::State& state) {
    runFor(state, herschelAmongBlocks());
}
BENCHMARK(BM_LifeHerschelAmongBlocks)->Arg(300)->Unit(benchmark::kMicrosecond);

void BM_LifeGliderGun(benchmark::State& state) {
    runFor(state, gliderGun());
}
BENCHMARK(BM_LifeGliderGun)->Arg(1000)->Unit(benchmark::kMicrosecond);

// What a proof does every generation: looks into a box and deletes what leaves the area.
void BM_LifeCellsInAndClearOutside(benchmark::State& state) {
    const LifeGrid initial(herschelAmongBlocks());
    const Box area{-90, 90, -90, 90};
    const Box probe{-10, 10, -10, 10};
    for (auto _ : state) {
        LifeGrid grid = initial;
        for (int generation = 0; generation < 300; ++generation) {
            grid.step();
            benchmark::DoNotOptimize(grid.cellsIn(probe));
            grid.clearOutside(area);
        }
    }
    state.SetItemsProcessed(state.iterations() * 300);
    state.SetLabel("items = generations");
}
BENCHMARK(BM_LifeCellsInAndClearOutside)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace trelkan
