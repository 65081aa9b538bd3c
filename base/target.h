// What a chain must do to be a result: the output of a chain that starts at the origin facing F
// appears dt generations later at (dx, dy), facing dir.
#pragma once

#include <cstdint>
#include <string>

#include "base/direction.h"

namespace trelkan {

// A signal at a cell, facing a direction.
struct SignalState {
    std::int32_t x = 0;
    std::int32_t y = 0;
    Direction dir = kF;
    friend bool operator==(const SignalState&, const SignalState&) = default;
};

struct Target {
    std::int32_t dx = 0;
    std::int32_t dy = 0;
    std::int32_t dt = 0;
    Direction dir = kF;
    // Direction of the start point of a script target; results are re-expressed from it.
    Direction inDir = kF;
    // No displacement and no turn: the chains of this target are closed loops.
    bool isLoop = false;
    // Appended to every result line of this target; empty for targets of -d.
    std::string label;

    Target(std::int32_t dx, std::int32_t dy, std::int32_t dt, Direction dir, Direction inDir,
           std::string label);

    // The state from which a chain with this displacement and turn ends at (0, 0, F). The chain
    // searches work from here towards the chain's end.
    SignalState startState() const;
};

// Orders targets by dt, then dx, dy and dir; targets equal in these four are the same target.
struct TargetLess {
    bool operator()(const Target& a, const Target& b) const;
};

}  // namespace trelkan
