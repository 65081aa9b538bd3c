// Running independent jobs on a few threads. Each job writes only its own result, so the
// results do not depend on the number of threads or on scheduling.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <thread>
#include <vector>

namespace trelkan::builder {

template <typename Job>
void forEachIndex(std::size_t count, unsigned threads, Job job) {
    std::atomic<std::size_t> next{0};
    const auto work = [&]() {
        for (std::size_t i = next++; i < count; i = next++) {
            job(i);
        }
    };
    std::vector<std::thread> pool;
    for (unsigned t = 1; t < std::max(threads, 1u); ++t) {
        pool.emplace_back(work);
    }
    work();
    for (std::thread& thread : pool) {
        thread.join();
    }
}

}  // namespace trelkan::builder
