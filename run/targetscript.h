// Target scripts: one command-line word that describes a family of targets by a start point and
// an end point, with integer expressions over 26 one-letter variables, some running over ranges.
#pragma once

#include <cstdint>
#include <string_view>

#include "base/targetset.h"
#include "run/console.h"

namespace trelkan {

// The option values that the script's preset variables take.
struct ScriptPresets {
    std::int32_t period = 0;       // p
    std::int32_t compression = 0;  // c
    std::int32_t maxLen = 0;       // u
    std::int32_t minLen = 0;       // l
    std::int32_t dx = 0;           // x
    std::int32_t dy = 0;           // y
    std::int32_t dt = 0;           // t
};

// Parses the script and adds one extended target for every combination of the variables' values.
// Parse errors are reported on the console's error stream with a caret under the place where
// parsing stopped, and a division by zero through the console first; both return false. Targets
// added before an error stay added.
bool parseTargetScript(TargetSet& targets, std::string_view text, const ScriptPresets& presets,
                       Console& console);

}  // namespace trelkan
