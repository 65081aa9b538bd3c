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
    // The collection's conduits, then those added from other files.
    Collection collection;
    // How many of the conduits the collection itself draws.
    std::size_t collectionSize = 0;
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

// A conduit of the user's own as it went into the catalogue.
struct AddedConduit {
    const DrawnConduit* drawn = nullptr;
    const ComponentPlan* component = nullptr;
    // The variant with the map of one passage.
    const VariantPlan* variant = nullptr;
};

// The conduits added from other files, in the order given.
std::vector<AddedConduit> addedConduits(const Build& build);

std::optional<Build> buildCatalogue(const RlePattern& pattern, unsigned threads,
                                    std::string& error);

// The same with conduits of the user's own added after the collection's (from
// readAddedConduits). Each must pass and go into the catalogue: where one does not, the build
// fails and errorFile names the file it was added from (it stays empty for the collection).
std::optional<Build> buildCatalogue(const RlePattern& pattern, std::vector<Collection> added,
                                    unsigned threads, std::string& error, std::string& errorFile);

}  // namespace trelkan::builder
