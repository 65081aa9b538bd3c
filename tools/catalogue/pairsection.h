// The [Pairs] section: the lines that turn the variant matrix the loader seeds (from the type
// letters and the overlap of usage maps) into exactly the matrix found by simulation.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/catalogue/catalogueplan.h"
#include "tools/catalogue/pairtest.h"

namespace trelkan::builder {

struct PairSection {
    // "A-B" and "A+B" lines, in file order of A, then of B.
    std::vector<std::string> lines;
    std::size_t allowed = 0;
    std::size_t clashing = 0;
    std::size_t seededAllowed = 0;
    std::size_t forbidden = 0;  // "-" lines
    std::size_t permitted = 0;  // "+" lines
    // Pairs that work although the type letters rule them out: X before R, U before non-R.
    std::size_t workingXBeforeR = 0;
    std::size_t workingUBeforeNonR = 0;
};

PairSection makePairSection(const CataloguePlan& plan, const PairMatrix& matrix);

// The text that the loader hands to a cell map when it reads this RLE file: comments and the
// header line dropped, lines joined, up to the "!".
std::string loadedMapText(const std::string& rle);

}  // namespace trelkan::builder
