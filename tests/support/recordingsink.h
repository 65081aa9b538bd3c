// A search sink for the engine's tests: it keeps the progress lines and the chains it is handed,
// and holds whatever area bound and running flag the test sets.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "base/textsink.h"
#include "compound/compoundcomponent.h"
#include "engine/searchsink.h"

namespace trelkan::testing {

class RecordingSink final : public SearchSink {
  public:
    bool foundChain(CompoundComponent& chain, Direction /*inDir*/,
                    std::int64_t setNumber) override {
        StringSink line;
        chain.print(setNumber, line);
        chains.push_back(line.take());
        if (limit != 0 && chains.size() >= limit) {
            stop();
        }
        return m_running.load();
    }
    std::int32_t areaBound() const override { return bound; }
    void progress(std::string_view line) override { lines += line; }
    const std::atomic<bool>& running() const override { return m_running; }
    // As an interruption does.
    void stop() { m_running.store(false); }

    std::int32_t bound = 0;
    // The search stops after this many chains, as at the result limit; 0 for none.
    std::size_t limit = 0;
    std::string lines;
    std::vector<std::string> chains;

  private:
    std::atomic<bool> m_running{true};
};

}  // namespace trelkan::testing
