// The results of a search with several workers, handed to the sink in the order in which one
// worker alone would find them: run after run, in the order the runs were dealt. Each worker hands
// over a run when it has gone past it; a run whose turn has not come waits with its results.
#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "base/direction.h"
#include "engine/setdealer.h"

namespace trelkan {

class CompoundComponent;
class SearchSink;

class ResultOrder {
  public:
    struct Found {
        std::int64_t setNumber = 0;
        Direction inDir = kF;
        // A copy of the chain as found, at the target's start direction.
        std::unique_ptr<CompoundComponent> chain;
    };

    // A worker's run and its results in order: finished, or stopped in set reached.
    struct Handed {
        SetRun run;
        std::vector<Found> results;
        bool finished = false;
        std::int64_t reached = 0;
    };

    // stop is set when the sink ends the search (the result limit, an interruption).
    ResultOrder(SearchSink& sink, const SetDealer& dealer, std::atomic<bool>& stop);
    ~ResultOrder();
    ResultOrder(const ResultOrder&) = delete;
    ResultOrder& operator=(const ResultOrder&) = delete;

    // Takes a run, and hands on every run whose turn has come. Any thread.
    void hand(Handed handed);

    // When the workers are done: hands on the finished runs in turn and then what the first
    // unfinished one holds. The set where the search stopped, or setCount when it went through.
    std::int64_t finish(std::int64_t setCount);

    // The sink's area bound as it stands, for the workers: at most the one they began with.
    std::int32_t areaBound() const { return m_areaBound.load(std::memory_order_relaxed); }

  private:
    void deliverReady();
    // False when the sink stopped the search.
    bool deliver(Handed& handed);

    std::mutex m_mutex;
    SearchSink& m_sink;
    const SetDealer& m_dealer;
    std::atomic<bool>& m_stop;
    std::map<std::int64_t, Handed> m_waiting;
    // The index of the run whose turn it is.
    std::int64_t m_next = 0;
    // The set of the result after which the sink stopped the search; -1 while it has not.
    std::int64_t m_stoppedAt = -1;
    std::atomic<std::int32_t> m_areaBound;
};

}  // namespace trelkan
