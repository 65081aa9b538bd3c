// Small definition files for the end-to-end tests.
#pragma once

#include <filesystem>
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

// What a search on kOneComponent prints after its acceptance line, for targets that no multiple
// of its delay meets: four left turns close a loop, so five in a row put the first block on top
// of the fifth.
inline const std::string kOneComponentRun =
    "Loaded 1 components, 1 variants\n"
    "Prepared 1 components, 1 variants\n"
    "Building Aho/Corasick tree...\n"
    "Tree built: 5 nodes, 1 sequences, complete to depth 10\n"
    "Counting component sets...\n"
    "Found 0 component sets\n"
    "Searching...\n"
    "Search complete\n";

// Four one-cell steps, one per compass direction, each taking one generation: the smallest
// catalogue with loops of every even length.
inline void writeLattice(const TempDir& dir) {
    const std::string variant = " 1 1 0 GS dot.rle 0 0 dot.rle 0 0\n";
    dir.write("data/data.ini", "[Components]\nE F 1 1 0\n e" + variant + "N F 1 0 -1\n n" +
                                   variant + "W F 1 -1 0\n w" + variant + "S F 1 0 1\n s" +
                                   variant + "[Pairs]\n[Sequences]\n");
    dir.write("dot.rle", "o!\n");
}

// What every search on the lattice prints before its component sets.
inline const std::string kLatticeStart =
    "Loaded 4 components, 4 variants\n"
    "Prepared 4 components, 4 variants\n"
    "Building Aho/Corasick tree...\n"
    "Tree built: 1176 nodes, 592 sequences, complete to depth 10\n"
    "Counting component sets...\n";

// A copy of the catalogue that ships with the program, for searches and proofs on real conduits.
inline void copyBundledCatalogue(const TempDir& dir) {
    const std::filesystem::path data = std::filesystem::path(TRELKAN_SOURCE_DIR) / "data";
    std::filesystem::create_directories(dir.path() / "data");
    std::filesystem::copy_file(data / "data.ini", dir.path() / "data" / "data.ini");
    std::filesystem::copy(data / "conduits", dir.path() / "data" / "conduits");
}

inline void writeCatalogue(const TempDir& dir, const std::string& definition) {
    dir.write("data/data.ini", definition);
    dir.write("block.rle", kBlockRle);
}

}  // namespace trelkan::testing
