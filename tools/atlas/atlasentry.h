// One entry of the loop atlas: the smallest loop found for a period, and what the table shows
// of it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace trelkan {

struct AtlasEntry {
    std::int64_t period = 0;
    std::int64_t area = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    // The loop's delay, a multiple of the period.
    std::int64_t delay = 0;
    // The variant names, in chain order.
    std::vector<std::string> names;
    // False when the loop was found with the proofs left out.
    bool proven = true;

    // The signals the loop carries at the period, evenly spaced.
    std::int64_t signals() const { return period > 0 ? delay / period : 0; }
    // The names with one blank between each two, as a result line shows them.
    std::string chain() const;
};

// Of two loops for the same period, the one the atlas keeps: the smaller area, then fewer
// conduits, then the names in order.
bool comesBefore(const AtlasEntry& first, const AtlasEntry& second);

}  // namespace trelkan
