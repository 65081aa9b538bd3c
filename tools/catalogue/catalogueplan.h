// The catalogue to be written: the proven conduits grouped into components by their
// displacement, named, given their type letters, recovery times and maps.
//
// Each conduit gives up to two variants, for bands of compression. The one named as its label
// (L112a) has the map of one passage and works from the quiet spacing on (or from the recovery,
// when that is larger), where the next Herschel comes only once the conduit is quiet again. The
// one with ".c" after the name (L112a.c) has the full map, for the compressions from the recovery
// to one below the quiet spacing; a conduit that is quiet by its recovery time has none.
//
// Type letters: R when the input has the tail block ahead of it (the conduit needs its input
// built from the predecessor, with the block in front); U when the output has that block (it
// never forms a clean Herschel, and only an R conduit can take it); X when the output Herschel
// is not built from the standard predecessor (so it cannot feed an R conduit).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/componentregister.h"
#include "tools/catalogue/collection.h"
#include "tools/catalogue/conduitproof.h"
#include "tools/catalogue/variantmaps.h"

namespace trelkan::builder {

struct VariantPlan {
    std::string name;
    // Position in the list of proven conduits.
    std::size_t proven = 0;
    std::string drawnName;
    std::optional<std::int32_t> printedRecovery;
    // The larger of the recovery measured and the one printed.
    std::int64_t recovery = 0;
    // The compressions at which it works, as the definition file gives them: the smallest
    // (the maximum compression value) and the largest (the minimum value; 0 for no bound).
    std::int64_t maxCompression = 0;
    std::int64_t minCompression = 0;
    // The map of one passage, rather than the full map.
    bool onePassage = true;
    VariantType type;
    VariantMaps maps;

    std::string typeText() const;
    std::string imagePath() const { return "data/conduits/" + name + "-image.rle"; }
    std::string usagePath() const { return "data/conduits/" + name + "-usage.rle"; }
};

struct ComponentPlan {
    std::string name;
    Direction dir = kF;
    std::int64_t dt = 0;
    std::int32_t dx = 0;
    std::int32_t dy = 0;
    // Positions in CataloguePlan::variants.
    std::vector<std::size_t> variants;
};

struct CataloguePlan {
    // In file order, and the variants in file order (each component's in turn).
    std::vector<ComponentPlan> components;
    std::vector<VariantPlan> variants;
};

// kept: positions of the proven conduits that go into the catalogue.
CataloguePlan planCatalogue(const std::vector<ProvenConduit>& proven,
                            const std::vector<std::size_t>& kept, const Collection& collection);

// The names of variants of one component: a, b, ..., z, then aa, ab, ...
std::string variantSuffix(std::size_t position);

// Appended to the name of the variant with the full map.
inline constexpr const char* kFullMapSuffix = ".c";

}  // namespace trelkan::builder
