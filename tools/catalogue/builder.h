// The whole build: the collection read, every conduit proven, the pairs tried, and the
// catalogue planned; what the report and the files are made from.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "life/rlepattern.h"
#include "tools/catalogue/catalogueplan.h"
#include "tools/catalogue/collection.h"
#include "tools/catalogue/conduitproof.h"
#include "tools/catalogue/pairsection.h"
#include "tools/catalogue/pairtest.h"

namespace trelkan::builder {

struct LeftOut {
    std::int32_t drawnIndex = 0;
    std::string reason;
};

struct Build {
    Collection collection;
    std::vector<ProvenConduit> proven;
    // Positions in proven of the conduits that go into the catalogue.
    std::vector<std::size_t> kept;
    // In the collection's order.
    std::vector<LeftOut> leftOut;
    std::optional<PairMatrix> pairs;
    CataloguePlan plan;
    PairSection pairSection;
    double provingSeconds = 0;
    double pairSeconds = 0;
};

std::optional<Build> buildCatalogue(const RlePattern& pattern, unsigned threads,
                                    std::string& error);

}  // namespace trelkan::builder
