// The two cell maps of a variant, in the conduit frame.
//
// The usage map is every cell alive at some generation of the runs that passed (the input's
// predecessor and the catalysts included), widened by one cell: two conduits whose usage maps
// share no cell then keep every live cell of one at least three cells from every live cell of
// the other, so no cell ever has neighbours from both and each runs as if alone. To that come
// the lanes of the gliders the conduit sends out, from where they were taken out of the run,
// as far as the size limit of a map lets the rectangle grow along them.
//
// Two maps are made of each conduit. The full map holds the runs of two Herschels at every
// spacing tried, for compressions below the quiet spacing; the map of one passage holds a single
// Herschel's runs only, for the compressions at which the conduit is quiet again before the next
// Herschel comes. Its lanes reach no farther than the full map's, so that it is a part of it.
//
// The image map is the catalysts, in the same rectangle: the overlap test looks at usage cells
// only inside the image's box.
#pragma once

#include <cstdint>
#include <vector>

#include "base/box.h"
#include "tools/catalogue/conduitproof.h"

namespace trelkan::builder {

struct VariantMaps {
    Box rectangle;
    std::vector<LifeCell> image;
    std::vector<LifeCell> usage;
    // The lanes painted; each ends at the rectangle's edge.
    std::int32_t laneCount = 0;
};

// The largest map, in cells.
inline constexpr std::int64_t kMaxMapCells = 10000;

// The full map.
VariantMaps buildVariantMaps(const ProvenConduit& conduit);
// The map of one passage, within the full map's rectangle.
VariantMaps buildPassageMaps(const ProvenConduit& conduit, const Box& fullRectangle);

}  // namespace trelkan::builder
