// Reading the conduit collection: the picture split into conduits, each with its catalysts,
// Herschels and label.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "life/rlepattern.h"
#include "tools/catalogue/drawnconduit.h"

namespace trelkan::builder {

struct Collection {
    std::vector<DrawnConduit> conduits;
    std::int32_t herschelCount = 0;
    // Drawn things that belong to no conduit, or that could not be read.
    std::vector<std::string> notes;
};

// Nothing, with the reason in error, when the pattern cannot be taken as a collection.
std::optional<Collection> readCollection(const RlePattern& pattern, std::string& error);

}  // namespace trelkan::builder
