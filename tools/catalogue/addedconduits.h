// Conduits of the user's own, added to the catalogue beside the collection, each file read on
// its own.
//
// A LifeHistory file is read in the collection's conventions and may draw several conduits. A
// plain two-state file draws one conduit: its catalysts and its input Herschel facing F
// (o$obo$3o$2bo!, travelling towards +x), and nothing else. Its output is found by running it
// from the input's predecessor: of the signals that stand clean within the output search limit
// (Herschels, and predecessors with the tail block ahead, which never form a clean Herschel),
// the latest with which the conduit passes and every catalyst takes part. The conduit's name comes from a "#N name" line, or else from the file name.
#pragma once

#include <optional>
#include <string>

#include "life/rlepattern.h"
#include "tools/catalogue/collection.h"

namespace trelkan::builder {

// The conduits of one file, each marked as added from it (the file name as given). Nothing,
// with the reason in error, when the file draws no conduit that could be proven.
std::optional<Collection> readAddedConduits(const RlePattern& pattern, const std::string& file,
                                            std::string& error);

}  // namespace trelkan::builder
