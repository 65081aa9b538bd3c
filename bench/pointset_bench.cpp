// The point set: insertion of random states in a 200 by 200 area of every direction, membership
// tests that hit and that miss, and a full walk. The argument is the number of states inserted:
// 16000 leaves the tiles sorted, a million turns them into bitmaps.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "engine/pointset.h"

namespace trelkan {
namespace {

// Even x only, so that the odd columns of the same tiles make misses.
std::vector<SignalState> randomStates(std::size_t count, unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<std::int32_t> half(-50, 49);
    std::uniform_int_distribution<std::int32_t> y(-100, 99);
    std::uniform_int_distribution<int> dir(0, 7);
    std::vector<SignalState> states(count);
    for (SignalState& s : states) {
        s = {2 * half(random), y(random), directionOf(dir(random))};
    }
    return states;
}

void insertAll(PointSet& set, const std::vector<SignalState>& states) {
    for (const SignalState& s : states) {
        set.insert(s);
    }
}

void BM_PointSetInsert(benchmark::State& state) {
    const auto states = randomStates(static_cast<std::size_t>(state.range(0)), 1);
    for (auto _ : state) {
        BlockAllocator allocator;
        PointSet set(allocator);
        insertAll(set, states);
        benchmark::DoNotOptimize(set.size());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_PointSetInsert)->Arg(16000)->Arg(1000000)->Unit(benchmark::kMillisecond);

// Probes drawn from the inserted states, moved right by xShift: by one they fall on odd columns
// of the same tiles and all miss.
void containsBenchmark(benchmark::State& state, std::int32_t xShift) {
    const auto states = randomStates(static_cast<std::size_t>(state.range(0)), 1);
    BlockAllocator allocator;
    PointSet set(allocator);
    insertAll(set, states);
    std::mt19937 random(2);
    std::uniform_int_distribution<std::size_t> pick(0, states.size() - 1);
    std::vector<SignalState> probes(100000);
    for (SignalState& s : probes) {
        s = states[pick(random)];
        s.x += xShift;
    }
    std::int64_t hits = 0;
    for (auto _ : state) {
        hits = 0;
        for (const SignalState& s : probes) {
            hits += set.contains(s) ? 1 : 0;
        }
        benchmark::DoNotOptimize(hits);
    }
    state.counters["hitRate"] = static_cast<double>(hits) / static_cast<double>(probes.size());
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(probes.size()));
}

void BM_PointSetContainsHit(benchmark::State& state) {
    containsBenchmark(state, 0);
}
BENCHMARK(BM_PointSetContainsHit)->Arg(16000)->Arg(1000000)->Unit(benchmark::kMicrosecond);

void BM_PointSetContainsMiss(benchmark::State& state) {
    containsBenchmark(state, 1);
}
BENCHMARK(BM_PointSetContainsMiss)->Arg(16000)->Arg(1000000)->Unit(benchmark::kMicrosecond);

void BM_PointSetWalk(benchmark::State& state) {
    BlockAllocator allocator;
    PointSet set(allocator);
    insertAll(set, randomStates(static_cast<std::size_t>(state.range(0)), 1));
    for (auto _ : state) {
        SignalState s;
        std::int64_t sum = 0;
        for (bool more = set.first(s); more; more = set.next(s)) {
            sum += s.x;
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * set.size());
}
BENCHMARK(BM_PointSetWalk)->Arg(16000)->Arg(1000000)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace trelkan
