// The command line: options read from left to right into the run settings.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "base/direction.h"
#include "run/search.h"

namespace trelkan {

inline constexpr std::string_view kUsageText =
    "Usage:\n    trelkan [-p period] [-c compression] [-d dx dy dt dir] [-e <script>] "
    "[-t treesizeKB] [-m] [-l minlen] [-u maxlen] [-x maxcell] [-n maxresults] [-f outfile] "
    "[-o rlefile] [-s] [-i ignoresets]\n";

// The most targets that the -d series may make; a larger series is refused, since searching
// more targets than this is beyond any run.
inline constexpr std::int64_t kMaxSeriesTargets = 1000000;

struct RunSettings {
    std::int32_t period = 0;
    std::int32_t compression = 0;
    std::int32_t maxResults = 0;
    std::int32_t minLen = 1;
    std::int32_t maxLen = 1500;
    std::int32_t ignoreSets = 0;
    std::int32_t treeSizeKB = 1000;
    std::int32_t maxCell = 0;
    std::int32_t dx = 0;
    std::int32_t dy = 0;
    std::int32_t dt = 0;
    int dir = kF;
    bool sortResults = false;
    bool mapMode = false;
    bool patternOutput = false;
    bool scriptGiven = false;
    bool showUsage = false;

    RunParameters runParameters() const;
};

// Reads the options (the words after the program name). Each error is written to standard error
// and sets showUsage; reading goes on. Target scripts add their targets to search at once, and -f
// and -o name the output files.
RunSettings readCommandLine(std::span<const char* const> words, Search& search);

// The targets of -d (or the loop targets when it is absent): dt, dt + period, ... up to maxLen,
// those from minLen on.
void addTargetSeries(const RunSettings& settings, Search& search);

}  // namespace trelkan
