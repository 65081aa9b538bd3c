// The writer of the pattern file: runs of one and two cells spelled out, lines of at most 77
// characters.
#pragma once

#include "base/rle.h"

namespace trelkan {

inline constexpr RleStyle kPatternFileStyle{77, true};

// The one writer of the pattern file.
RleWriter& patternWriter();

}  // namespace trelkan
