// The work of each component set of a search, and what its spread predicts for the parallel
// search: runs the search in one thread, timing every set (with the enumeration that leads to the
// next), then plays the parallel search's dealing over the times: runs of consecutive sets, each
// taken by the first worker free, in order.
//
//     trelkan_setwork <trelkan options>      (in the directory that holds data/)
#include <algorithm>
#include <cstdio>
#include <functional>
#include <numeric>
#include <queue>
#include <span>
#include <vector>

#include <time.h>

#include "catalogue/componentregister.h"
#include "compound/treebuilder.h"
#include "engine/activesetsearch.h"
#include "engine/mapchainsearch.h"
#include "engine/searchcontext.h"
#include "engine/searchmap.h"
#include "engine/setcompletions.h"
#include "run/commandline.h"
#include "run/search.h"

namespace trelkan {
namespace {

class QuietSink final : public SearchSink {
  public:
    bool foundChain(CompoundComponent&, Direction, std::int64_t) override { return true; }
    std::int32_t areaBound() const override { return m_bound; }
    void progress(std::string_view) override {}
    const std::atomic<bool>& running() const override { return m_running; }
    std::int32_t m_bound = 0;

  private:
    std::atomic<bool> m_running{true};
};

// Runs of one set each, timed as the search passes from one to the next: in the thread's CPU
// time, which a busy machine does not inflate.
class TimedSets final : public SetRuns {
  public:
    SetRun firstRun() override {
        m_start = cpuSeconds();
        return {0, 0, 0};
    }
    SetRun nextRun(const SetRun& finished) override {
        lap();
        return {finished.index + 1, finished.last + 1, finished.last + 1};
    }
    void lap() {
        const double now = cpuSeconds();
        seconds.push_back(now - m_start);
        m_start = now;
    }

    std::vector<double> seconds;

  private:
    static double cpuSeconds() {
        timespec now{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
        return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
    }

    double m_start = 0;
};

// The time the workers take over the runs of the given length, each run to the first worker free.
double makespan(const std::vector<double>& sets, std::int64_t runLength, int workers) {
    std::priority_queue<double, std::vector<double>, std::greater<>> free;
    for (int i = 0; i < workers; ++i) {
        free.push(0.0);
    }
    for (std::size_t first = 0; first < sets.size(); first += static_cast<std::size_t>(runLength)) {
        const std::size_t last = std::min(sets.size(), first + static_cast<std::size_t>(runLength));
        const double run = std::accumulate(sets.begin() + static_cast<std::ptrdiff_t>(first),
                                           sets.begin() + static_cast<std::ptrdiff_t>(last), 0.0);
        const double start = free.top();
        free.pop();
        free.push(start + run);
    }
    double end = 0;
    while (!free.empty()) {
        end = free.top();
        free.pop();
    }
    return end;
}

void report(const std::vector<double>& sets) {
    const double total = std::accumulate(sets.begin(), sets.end(), 0.0);
    std::vector<double> sorted = sets;
    std::sort(sorted.begin(), sorted.end(), std::greater<>());
    const std::size_t top = std::max<std::size_t>(1, sorted.size() / 100);
    const double topShare =
        std::accumulate(sorted.begin(), sorted.begin() + static_cast<std::ptrdiff_t>(top), 0.0);
    const double firstHalf = std::accumulate(
        sets.begin(), sets.begin() + static_cast<std::ptrdiff_t>(sets.size() / 2), 0.0);
    std::printf("sets %zu, %.2f s in all\n", sets.size() - 1, total);
    std::printf(
        "largest set %.3f%% of the work; largest 1%% of sets %.1f%%; first half of sets "
        "%.1f%%\n",
        100 * sorted.front() / total, 100 * topShare / total, 100 * firstHalf / total);
    const std::int64_t runLength =
        SetDealer(Shard{}, static_cast<std::int64_t>(sets.size()) - 1).runLength();
    std::printf(
        "predicted speedup of the set search (runs of %lld sets; in brackets, sets dealt "
        "one by one):\n",
        static_cast<long long>(runLength));
    for (const int workers : {2, 4, 16, 64}) {
        std::printf("  %2d workers: %.2fx (%.2fx)\n", workers,
                    total / makespan(sets, runLength, workers), total / makespan(sets, 1, workers));
    }
}

int measure(std::span<const char* const> words) {
    Console console;
    RunSettings settings = readCommandLine(words, console);
    if (settings.showUsage || settings.period == 0) {
        std::fprintf(stderr, "usage: trelkan_setwork <trelkan search options>\n");
        return 2;
    }
    settings.targets.dropOver(settings.maxLen);
    StringSink quiet;
    LoadError error;
    const std::unique_ptr<ComponentRegister> catalogue =
        ComponentRegister::load(kDefinitionFile, quiet, quiet, error);
    if (!catalogue) {
        std::fprintf(stderr, "%s", error.text().c_str());
        return 1;
    }
    catalogue->prepare(settings.period, settings.compression, settings.targets.loopTargetsOnly(),
                       settings.mapMode);
    buildTree(*catalogue, static_cast<std::uint32_t>(settings.treeSizeKB) * 1024u, quiet);
    const SearchInput input{
        *catalogue, *catalogue->acTree(), settings.targets.targets(), activeComponents(*catalogue),
        0,          settings.sortResults};
    QuietSink sink;
    sink.m_bound = settings.maxCell;
    SearchContext context(input, sink);
    std::unique_ptr<SearchMap> map;
    std::unique_ptr<ComponentSetSearch> mode;
    if (settings.mapMode) {
        map = std::make_unique<SearchMap>(context);
        mode = std::make_unique<MapChainSearch>(context, *map);
    } else {
        mode = std::make_unique<ActiveSetSearch>(context,
                                                 std::make_shared<const SetCompletions>(input));
    }
    for (const Target& target : input.targets) {
        mode->enumerateSets(target, SetPass::kCounting);
    }
    const std::int64_t setCount = context.setNumber();
    context.restartSets();
    TimedSets timed;
    context.takeRuns(timed, setCount);
    searchTargets(context, *mode, setCount);
    timed.lap();
    report(timed.seconds);
    return 0;
}

}  // namespace
}  // namespace trelkan

int main(int argc, char** argv) {
    return trelkan::measure(
        std::span<const char* const>(argv + 1, static_cast<std::size_t>(argc - 1)));
}
