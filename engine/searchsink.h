// Where a search reports: the engine hands every chain that meets a target to a sink that the
// program's top layer implements, and learns from it whether to go on and how large a result may
// still be.
#pragma once

#include <atomic>
#include <cstdint>
#include <string_view>

namespace trelkan {

class CompoundComponent;
class SearchProgress;

class SearchSink {
  public:
    virtual ~SearchSink() = default;

    // A chain that meets a target, its variants chosen; inDir is the target's start direction and
    // setNumber the set being searched. False when the search must stop.
    virtual bool foundChain(CompoundComponent& chain, Direction inDir, std::int64_t setNumber) = 0;

    // The largest area of a result still wanted, 0 for any. It may shrink, but only while a chain
    // is being handed over: the engine asks again after each one.
    virtual std::int32_t areaBound() const = 0;

    // A line of the search's progress ("Counting component sets...\n" and the like).
    virtual void progress(std::string_view line) = 0;

    // True while the search may go on; cleared when a stop is asked for (an interruption, the
    // result limit). A flag rather than a call, since the searches read it at every step.
    virtual const std::atomic<bool>& running() const = 0;

    // Where the search keeps count of its work for a reporter in another thread, or nothing when
    // no one watches. Asked once, when the search begins.
    virtual SearchProgress* progressCounts() { return nullptr; }
};

}  // namespace trelkan
