// A conduit as the collection draws it, in picture coordinates.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/box.h"
#include "life/lifegrid.h"
#include "tools/catalogue/signal.h"

namespace trelkan::builder {

// What the label of a conduit says, as far as it could be read.
struct ConduitLabel {
    std::string name;
    std::optional<std::int32_t> recovery;
    // Offsets as printed: x to the right, y upwards; one per output.
    std::vector<Offset> offsets;
};

struct DrawnConduit {
    // Position in reading order of the collection, from 0.
    std::int32_t index = 0;
    // The row of the collection (0 for the top row) and the envelope's box.
    std::int32_t band = 0;
    Box box;
    std::vector<LifeCell> catalysts;
    // Live objects that are not still lifes, left out of the catalysts.
    std::vector<std::vector<LifeCell>> rejectedObjects;
    std::vector<SignalPlace> herschels;
    ConduitLabel label;
    // The file the conduit was added from, beside the collection; empty for the collection's.
    std::string addedFrom;
    // For a conduit added in two states, where the run found its output, for the messages.
    std::string outputFound;

    // The label's name, or a description of the place for a conduit without one.
    std::string displayName() const;
};

}  // namespace trelkan::builder
