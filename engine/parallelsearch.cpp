#include "engine/parallelsearch.h"

#include <algorithm>
#include <memory>
#include <new>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "compound/compoundcomponent.h"
#include "engine/resultorder.h"
#include "engine/searchcontext.h"

namespace trelkan {
namespace {

// The sets of the run that are searched: those after the ones to skip, up to the last.
std::int64_t setsToSearch(const SetRun& run, const SearchInput& input, std::int64_t setCount) {
    const std::int64_t first = std::max(run.first, input.ignoreSets + 1);
    return std::max<std::int64_t>(std::min(run.last, setCount) - first + 1, 0);
}

// The sets that the shard's runs hold, of those searched.
std::int64_t shardSetsToSearch(const SetDealer& dealer, const SearchInput& input,
                               std::int64_t setCount) {
    std::int64_t sets = 0;
    for (std::int64_t index = 0;; ++index) {
        const SetRun run = dealer.runAt(index);
        if (run.first > setCount) {
            return sets;
        }
        sets += setsToSearch(run, input, setCount);
    }
}

// A worker's results, kept until its run is handed over; the bound and the stop flag are the
// search's.
class WorkerSink final : public SearchSink {
  public:
    WorkerSink(SearchSink& sink, const ResultOrder& order)
        : m_running(sink.running()), m_order(order) {}

    bool foundChain(CompoundComponent& chain, Direction inDir, std::int64_t setNumber) override {
        m_found.push_back({setNumber, inDir, chain.copyAt(inDir)});
        return true;
    }
    std::int32_t areaBound() const override { return m_order.areaBound(); }
    // The search's progress is told once, by the search itself.
    void progress(std::string_view) override {}
    const std::atomic<bool>& running() const override { return m_running; }

    std::vector<ResultOrder::Found> takeFound() { return std::exchange(m_found, {}); }

  private:
    const std::atomic<bool>& m_running;
    const ResultOrder& m_order;
    std::vector<ResultOrder::Found> m_found;
};

class alignas(kCacheLineBytes) Worker final : public SetRuns {
  public:
    Worker(SearchContext& search, const ModeMaker& makeMode, SetDealer& dealer, ResultOrder& order,
           std::atomic<bool>& stop, std::int64_t setCount)
        : m_sink(search.sink(), order),
          m_context(search.input(), m_sink, &stop),
          m_mode(makeMode(m_context)),
          m_dealer(dealer),
          m_order(order),
          m_counts(search.progressCounts()),
          m_stop(stop),
          m_setCount(setCount) {}

    // Searches runs until they are all dealt or the search stops. Memory running out stops the
    // whole search, in the run where it happened.
    void run() {
        try {
            m_context.takeRuns(*this, m_setCount);
            searchTargets(m_context, *m_mode, m_setCount);
            handOverLast(m_context.running());
        } catch (const std::bad_alloc&) {
            m_outOfMemory = true;
            m_stop.store(true);
            try {
                handOverLast(false);
            } catch (const std::bad_alloc&) {
                // Its results are lost with the run, which the search then reports as unfinished.
            }
        }
    }

    SetRun firstRun() override { return m_dealer.deal(); }
    SetRun nextRun(const SetRun& finished) override {
        m_counts.addDone(setsToSearch(finished, m_context.input(), m_setCount));
        m_order.hand({finished, m_sink.takeFound(), true, finished.last});
        return m_dealer.deal();
    }

    bool outOfMemory() const { return m_outOfMemory; }
    const SearchStatistics& statistics() const { return m_context.statistics(); }

  private:
    // The run the worker stood in when its walk ended: finished when the walk went through.
    void handOverLast(bool finished) {
        const SetRun& run = m_context.run();
        if (run.first > m_setCount) {
            return;
        }
        const std::int64_t reached = std::max(m_context.setNumber(), run.first);
        if (finished) {
            m_counts.addDone(setsToSearch(run, m_context.input(), m_setCount));
        }
        m_order.hand({run, m_sink.takeFound(), finished, reached});
    }

    WorkerSink m_sink;
    SearchContext m_context;
    std::unique_ptr<ComponentSetSearch> m_mode;
    SetDealer& m_dealer;
    ResultOrder& m_order;
    SearchProgress& m_counts;
    std::atomic<bool>& m_stop;
    std::int64_t m_setCount;
    bool m_outOfMemory = false;
};

}  // namespace

void searchInParallel(SearchContext& context, const ModeMaker& makeMode, std::int64_t setCount) {
    SetDealer dealer(context.input().shard, setCount);
    context.beginStage(SearchStage::kSearching,
                       shardSetsToSearch(dealer, context.input(), setCount));
    std::atomic<bool> stop{false};
    ResultOrder order(context.sink(), dealer, stop);
    std::vector<std::unique_ptr<Worker>> workers;
    const std::int32_t count = std::max(context.input().threads, 1);
    for (std::int32_t i = 0; i < count; ++i) {
        workers.push_back(
            std::make_unique<Worker>(context, makeMode, dealer, order, stop, setCount));
    }
    // The calling thread is the first worker. A thread that cannot be started leaves its share
    // to the others.
    std::vector<std::thread> threads;
    for (std::size_t i = 1; i < workers.size(); ++i) {
        try {
            threads.emplace_back([worker = workers[i].get()] { worker->run(); });
        } catch (const std::system_error&) {
            break;
        }
    }
    workers[0]->run();
    for (std::thread& thread : threads) {
        thread.join();
    }
    const std::int64_t stoppedAt = order.finish(setCount);
    bool outOfMemory = false;
    for (const std::unique_ptr<Worker>& worker : workers) {
        context.statistics().addSearch(worker->statistics());
        outOfMemory = outOfMemory || worker->outOfMemory();
    }
    context.standAt(stoppedAt);
    if (outOfMemory) {
        throw std::bad_alloc();
    }
}

}  // namespace trelkan
