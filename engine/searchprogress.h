// How far a search has come, for a reporter in another thread: the stage it is in, and the work of
// that stage done and in all. The engine writes it outside its inner loops, a set or a map
// generation at a time; the counts are read while they change, so a reading is only ever a
// glimpse.
#pragma once

#include <atomic>
#include <cstdint>

namespace trelkan {

enum class SearchStage : std::int32_t {
    kPreparing,
    // The search map: its generations grown, then pruned.
    kGrowingMap,
    kPruningMap,
    // Component sets counted so far; the total is not known yet.
    kCounting,
    // Sets searched to their end, of those this process searches.
    kSearching,
};

class SearchProgress {
  public:
    struct Reading {
        SearchStage stage = SearchStage::kPreparing;
        std::int64_t done = 0;
        std::int64_t total = 0;
    };

    // The stage begins with nothing done.
    void begin(SearchStage stage, std::int64_t total) {
        m_done.store(0, std::memory_order_relaxed);
        m_total.store(total, std::memory_order_relaxed);
        m_stage.store(stage, std::memory_order_release);
    }
    void setDone(std::int64_t done) { m_done.store(done, std::memory_order_relaxed); }
    void addDone(std::int64_t count) { m_done.fetch_add(count, std::memory_order_relaxed); }

    Reading read() const {
        Reading reading;
        reading.stage = m_stage.load(std::memory_order_acquire);
        reading.done = m_done.load(std::memory_order_relaxed);
        reading.total = m_total.load(std::memory_order_relaxed);
        return reading;
    }

  private:
    std::atomic<SearchStage> m_stage{SearchStage::kPreparing};
    std::atomic<std::int64_t> m_done{0};
    std::atomic<std::int64_t> m_total{0};
};

}  // namespace trelkan
