// Work for several threads at once: the calling thread and count - 1 others.
#pragma once

#include <cstdint>
#include <functional>

namespace trelkan {

// Runs work(0) in the calling thread and work(1) to work(count - 1) in threads of their own, and
// returns when all are done. A thread that cannot be started is left out: the work must be such
// that the others can do its share. The first exception that a work lets out is thrown again here,
// once every thread has ended.
void runOnThreads(std::int32_t count, const std::function<void(std::int32_t)>& work);

// Items 0 to count - 1 in rising order, over the given number of threads: item k begins only when
// every item up to k - reach is done, since it reads what they made. One item that throws makes
// the items not yet begun be skipped; the exception is thrown again at the end.
void runWavefront(std::int32_t threads, std::int64_t count, std::int64_t reach,
                  const std::function<void(std::int64_t)>& item);

}  // namespace trelkan
