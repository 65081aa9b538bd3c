#include "engine/setdealer.h"

#include <algorithm>
#include <cassert>

namespace trelkan {

SetDealer::SetDealer(Shard shard, std::int64_t setCount)
    : m_shard(shard),
      m_runLength(std::max<std::int64_t>(1, setCount / (shard.count * kRunsPerShard) + 1)) {
    assert(shard.count >= 1 && shard.number >= 1 && shard.number <= shard.count);
    assert(setCount >= 0);
}

// Run j of the search holds sets j * length + 1 to (j + 1) * length, and run 0 also what comes
// before set 1; shard k takes the runs j = k - 1, k - 1 + count, ...
SetRun SetDealer::runAt(std::int64_t index) const {
    const std::int64_t j = index * m_shard.count + (m_shard.number - 1);
    SetRun run;
    run.index = index;
    // Far beyond any search's last set, the numbers stop growing rather than overflow.
    if (j >= SetRun::kEndless / m_runLength - 1) {
        run.first = SetRun::kEndless - 1;
        return run;
    }
    run.first = j == 0 ? 0 : j * m_runLength + 1;
    run.last = (j + 1) * m_runLength;
    return run;
}

}  // namespace trelkan
