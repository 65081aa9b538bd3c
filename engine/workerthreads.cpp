#include "engine/workerthreads.h"

#include <atomic>
#include <cassert>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace trelkan {

void runOnThreads(std::int32_t count, const std::function<void(std::int32_t)>& work) {
    std::mutex mutex;
    std::exception_ptr failure;
    const auto guarded = [&](std::int32_t index) {
        try {
            work(index);
        } catch (...) {
            const std::lock_guard<std::mutex> lock(mutex);
            if (!failure) {
                failure = std::current_exception();
            }
        }
    };
    std::vector<std::thread> threads;
    for (std::int32_t i = 1; i < count; ++i) {
        try {
            threads.emplace_back(guarded, i);
        } catch (const std::system_error&) {
            break;
        }
    }
    guarded(0);
    for (std::thread& thread : threads) {
        thread.join();
    }
    if (failure) {
        std::rethrow_exception(failure);
    }
}

namespace {

// Hands out the items in order and keeps count of those done: every item below m_donePrefix is.
class Wavefront {
  public:
    Wavefront(std::int64_t count, std::int64_t reach)
        : m_count(count), m_reach(reach), m_done(static_cast<std::size_t>(count), 0) {}

    // The next item once it may begin; -1 when none is left.
    std::int64_t take() {
        std::unique_lock<std::mutex> lock(m_mutex);
        if (m_next >= m_count) {
            return -1;
        }
        const std::int64_t item = m_next++;
        m_ready.wait(lock, [&] { return m_donePrefix > item - m_reach; });
        return item;
    }

    void finish(std::int64_t item) {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_done[static_cast<std::size_t>(item)] = 1;
        while (m_donePrefix < m_count && m_done[static_cast<std::size_t>(m_donePrefix)] != 0) {
            ++m_donePrefix;
        }
        m_ready.notify_all();
    }

  private:
    std::mutex m_mutex;
    std::condition_variable m_ready;
    std::int64_t m_count;
    std::int64_t m_reach;
    std::int64_t m_next = 0;
    std::int64_t m_donePrefix = 0;
    std::vector<char> m_done;
};

}  // namespace

void runWavefront(std::int32_t threads, std::int64_t count, std::int64_t reach,
                  const std::function<void(std::int64_t)>& item) {
    assert(reach >= 1);
    Wavefront wavefront(count, reach);
    std::atomic<bool> failed{false};
    runOnThreads(threads, [&](std::int32_t) {
        for (std::int64_t k = wavefront.take(); k >= 0; k = wavefront.take()) {
            // An item that fails still counts as done, so that no thread waits for it forever.
            try {
                if (!failed.load()) {
                    item(k);
                }
            } catch (...) {
                failed.store(true);
                wavefront.finish(k);
                throw;
            }
            wavefront.finish(k);
        }
    });
}

}  // namespace trelkan
