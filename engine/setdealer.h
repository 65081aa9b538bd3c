// Which component sets a search takes, when its sets are shared out. The sets are cut into runs of
// consecutive numbers; the runs are dealt round-robin to the shards of a search spread over many
// processes, and within one process handed to its workers one at a time, in rising order.
#pragma once

#include <atomic>
#include <cstdint>
#include <limits>

namespace trelkan {

// One shard of a search over many processes: number from 1 to count.
struct Shard {
    std::int64_t number = 1;
    std::int64_t count = 1;
};

// A run of sets, first to last. The first run of a search also holds what comes before set 1 (the
// chains of the search-map mode that are too short to make a set), as each run holds what comes
// after its last set.
struct SetRun {
    static constexpr std::int64_t kEndless = std::numeric_limits<std::int64_t>::max();

    // The run's place among those its shard deals, from 0; -1 for a run that was not dealt.
    std::int64_t index = -1;
    std::int64_t first = 0;
    std::int64_t last = kEndless;
};

class SetDealer {
  public:
    // Runs per shard, so that the slowest run keeps the others waiting only briefly while the
    // start of each costs nothing worth counting.
    static constexpr std::int64_t kRunsPerShard = 4096;

    // For a search of setCount sets; the run length depends on the sets and the shards only, so
    // that every process of a search deals the same runs whatever its number of workers.
    SetDealer(Shard shard, std::int64_t setCount);
    SetDealer(const SetDealer&) = delete;
    SetDealer& operator=(const SetDealer&) = delete;

    // The shard's next run, for any worker; once the sets are dealt, runs that begin after the
    // last set.
    SetRun deal() { return runAt(m_next.fetch_add(1, std::memory_order_relaxed)); }
    // The shard's run of the index.
    SetRun runAt(std::int64_t index) const;
    std::int64_t runLength() const { return m_runLength; }

  private:
    Shard m_shard;
    std::int64_t m_runLength;
    std::atomic<std::int64_t> m_next{0};
};

}  // namespace trelkan
