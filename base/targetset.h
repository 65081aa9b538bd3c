// The targets of a run, kept in order of delay: each at most once, however often it is given.
#pragma once

#include <cstdint>
#include <set>
#include <string>

#include "base/target.h"

namespace trelkan {

class TargetSet {
  public:
    // A target of -d: the output dt generations after the input, at (dx, dy), facing dir. A
    // target with dt below 1 is dropped silently; one equal in dt, dx, dy and dir to a target
    // already held is discarded.
    void add(std::int32_t dx, std::int32_t dy, std::int32_t dt, Direction dir);
    // A target of a script: from the start point (x1, y1, t1, d1) to the end point; its delay
    // and displacement wrap as the script's values do.
    void addExtended(std::int32_t x1, std::int32_t y1, std::int32_t t1, Direction d1,
                     std::int32_t x2, std::int32_t y2, std::int32_t t2, Direction d2,
                     std::string label);

    struct Acceptance {
        std::int64_t kept = 0;
        std::int64_t dropped = 0;
    };
    // Drops the targets whose delay is above maxLen.
    Acceptance dropOver(std::int32_t maxLen);

    const std::set<Target, TargetLess>& targets() const { return m_targets; }
    bool empty() const { return m_targets.empty(); }
    // True while every target added, dropped ones included, is a loop target.
    bool loopTargetsOnly() const { return m_loopTargetsOnly; }

  private:
    void insert(Target target);

    std::set<Target, TargetLess> m_targets;
    bool m_loopTargetsOnly = true;
};

}  // namespace trelkan
