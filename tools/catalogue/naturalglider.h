// The first natural glider: the glider that a lone Herschel sends out early in its evolution,
// backwards and to the side. Many conduits leave debris that this glider of their output
// cleans up, so the stand-in for the next conduit lets it go.
#pragma once

#include <cstdint>
#include <vector>

#include "life/lifegrid.h"

namespace trelkan::builder {

struct NaturalGlider {
    // Generations after the Herschel (facing F, reference cell at the origin) at which the
    // glider is first separated for good from the rest of the evolution.
    std::int64_t generation = 0;
    std::vector<LifeCell> cells;
};

// Found by running a lone Herschel from its predecessor: the earliest generation at which a
// glider stands apart and the rest, run on without it, evolves exactly as the whole does.
const NaturalGlider& firstNaturalGlider();

}  // namespace trelkan::builder
