#include "engine/resultorder.h"

#include <algorithm>
#include <utility>

#include "compound/compoundcomponent.h"
#include "engine/searchsink.h"

namespace trelkan {

ResultOrder::ResultOrder(SearchSink& sink, const SetDealer& dealer, std::atomic<bool>& stop)
    : m_sink(sink), m_dealer(dealer), m_stop(stop), m_areaBound(sink.areaBound()) {}

ResultOrder::~ResultOrder() = default;

void ResultOrder::hand(Handed handed) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    const std::int64_t index = handed.run.index;
    m_waiting.emplace(index, std::move(handed));
    deliverReady();
}

void ResultOrder::deliverReady() {
    while (m_stoppedAt < 0) {
        const auto turn = m_waiting.find(m_next);
        if (turn == m_waiting.end() || !turn->second.finished) {
            return;
        }
        deliver(turn->second);
        m_waiting.erase(turn);
        ++m_next;
    }
}

// A worker kept what its own bound let through; the bound that holds is the sink's at this
// result's turn, which may have fallen since (the sorted report's pruning).
bool ResultOrder::deliver(Handed& handed) {
    for (Found& found : handed.results) {
        const std::int32_t bound = m_sink.areaBound();
        if (bound != 0 && found.chain->area() > bound) {
            continue;
        }
        const bool goOn = m_sink.foundChain(*found.chain, found.inDir, found.setNumber);
        m_areaBound.store(m_sink.areaBound(), std::memory_order_relaxed);
        if (!goOn) {
            m_stoppedAt = found.setNumber;
            m_stop.store(true);
            return false;
        }
    }
    return true;
}

// Every set before the one returned is searched and its results handed on, so that a search
// resumed after it loses nothing.
std::int64_t ResultOrder::finish(std::int64_t setCount) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    deliverReady();
    if (m_stoppedAt >= 0) {
        return m_stoppedAt;
    }
    const auto turn = m_waiting.find(m_next);
    if (turn != m_waiting.end()) {
        Handed& stopped = turn->second;
        if (!deliver(stopped)) {
            return m_stoppedAt;
        }
        return std::min(stopped.reached, setCount);
    }
    const SetRun undealt = m_dealer.runAt(m_next);
    return std::min(undealt.first, setCount);
}

}  // namespace trelkan
