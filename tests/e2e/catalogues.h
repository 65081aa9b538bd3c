// Small definition files for the end-to-end tests.
#pragma once

#include <string>

#include "tests/support/tempdir.h"

namespace trelkan::testing {

// A block: the smallest still life, as an image and as its own usage map.
inline constexpr const char* kBlockRle = "x = 2, y = 2, rule = B3/S23\n2o$2o!\n";

// One component with one variant, loading cleanly.
inline constexpr const char* kOneComponent =
    "[Components]\n"
    "turn L 64 12 -33\n"
    " turn1 1 1 0 GS block.rle 0 0 block.rle 0 0\n"
    "[Pairs]\n"
    "[Sequences]\n";

// What a search on kOneComponent prints after its acceptance line: four left turns close a loop,
// so five in a row put the first block on top of the fifth.
inline const std::string kOneComponentRun =
    "Loaded 1 components, 1 variants\n"
    "Prepared 1 components, 1 variants\n"
    "Building Aho/Corasick tree...\n"
    "Tree built: 5 nodes, 1 sequences, complete to depth 10\n"
    "Search complete\n";

inline void writeCatalogue(const TempDir& dir, const std::string& definition) {
    dir.write("data/data.ini", definition);
    dir.write("block.rle", kBlockRle);
}

}  // namespace trelkan::testing
