// The catalysts of a conduit: the still lifes among its live cells (state 1).
#pragma once

#include <vector>

#include "life/lifegrid.h"

namespace trelkan::builder {

struct CatalystSplit {
    // Every cell of the objects kept, sorted.
    std::vector<LifeCell> catalysts;
    // Objects left out because they are not still lifes.
    std::vector<std::vector<LifeCell>> rejected;
};

// Objects are the live cells grouped with reach 2: cells that close can feed the same dead cell,
// while cells of different objects are at least three apart and share no neighbour. So an
// object is a still life in the context of the others exactly when it is one on its own; those
// that are not are left out.
CatalystSplit findCatalysts(const std::vector<LifeCell>& live);

}  // namespace trelkan::builder
