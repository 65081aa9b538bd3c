// Comparing what a conduit's label says (turn, travel time, offset) with what the proof found.
#pragma once

#include <string>
#include <vector>

#include "tools/catalogue/conduitproof.h"
#include "tools/catalogue/drawnconduit.h"

namespace trelkan::builder {

// One sentence per disagreement; empty when the label agrees or says nothing.
std::vector<std::string> labelDisagreements(const ConduitLabel& label,
                                            const ProvenConduit& conduit);

}  // namespace trelkan::builder
