// Reading the labels of the collection: the text drawn in a pixel font (state 4) above and
// below each conduit, which gives its name, its recovery time in parentheses and its output
// offset as (x=..,y=..).
#pragma once

#include <vector>

#include "life/lifegrid.h"
#include "tools/catalogue/clusters.h"
#include "tools/catalogue/collection.h"
#include "tools/catalogue/picture.h"

namespace trelkan::builder {

// Fills the label of every conduit from the marking cells that are neither Herschels nor near
// an envelope; text that cannot be read is noted in the collection.
void readLabels(const Picture& picture, const ClusterMap& clusters,
                const std::vector<LifeCell>& herschelCells, Collection& collection);

}  // namespace trelkan::builder
