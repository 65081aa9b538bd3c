// The command line: options read from left to right into the run settings.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/direction.h"
#include "base/targetset.h"
#include "run/console.h"
#include "run/search.h"

namespace trelkan {

inline constexpr std::string_view kUsageText =
    "Usage:\n    trelkan [-p period] [-c compression] [-d dx dy dt dir] [-e <script>] "
    "[-t treesizeKB] [-m] [-l minlen] [-u maxlen] [-x maxcell] [-n maxresults] [-f outfile] "
    "[-o rlefile] [-s] [-i ignoresets] [-j threads] [-k shard/shards] [--merge shardoutput...]\n";

// The options one to a line, for --help, on standard output.
extern const std::string_view kHelpText;

// The most worker threads -j may ask for; more are taken as this many.
inline constexpr std::int32_t kMaxThreads = 1024;

// The most targets that the -d series may make; a larger series is refused, since searching
// more targets than this is beyond any run.
inline constexpr std::int64_t kMaxSeriesTargets = 1000000;

struct RunSettings {
    std::int32_t period = 0;
    std::int32_t compression = 0;
    std::int32_t maxResults = 0;
    std::int32_t minLen = 1;
    std::int32_t maxLen = 1500;
    std::int64_t ignoreSets = 0;
    std::int32_t treeSizeKB = 1000;
    std::int32_t maxCell = 0;
    // Worker threads; 0 for every core the process may use.
    std::int32_t threads = 0;
    Shard shard;
    // The shard outputs to merge, when --merge is given.
    std::vector<std::string> mergeFiles;
    std::int32_t dx = 0;
    std::int32_t dy = 0;
    std::int32_t dt = 0;
    Direction dir = kF;
    bool sortResults = false;
    bool mapMode = false;
    bool patternOutput = false;
    bool scriptGiven = false;
    bool showUsage = false;
    // --help or --version: their text on standard output, and nothing else done.
    bool showHelp = false;
    bool showVersion = false;
    ProgressChoice progress = ProgressChoice::kOnTerminal;
    // The usage was asked for: -h, -?, or no options at all.
    bool usageAsked = false;
    // Some option could not be read; its message is on standard error.
    bool commandError = false;
    // The targets: those of the scripts, or the series of -d (the loop targets without it).
    TargetSet targets;

    RunParameters runParameters() const;
    // --help or --version was asked for, and the command line holds no fault.
    bool showsInformation() const { return !commandError && (showHelp || showVersion); }
    // The exit status of a run that shows the usage: 0 when it was asked for, 2 when the command
    // line was faulty or gave nothing to do, so that a script sees that nothing was searched.
    int usageStatus() const { return !commandError && usageAsked ? 0 : 2; }
};

// Reads the options (the words after the program name). Each error is written to the console's
// error stream and sets showUsage; reading goes on. -f and -o name the console's files as they are
// read, and target scripts are read at once (a division by zero in one is a console message).
RunSettings readCommandLine(std::span<const char* const> words, Console& console);

// The targets of -d (or the loop targets when it is absent): dt, dt + period, ... up to maxLen,
// those from minLen on.
void addTargetSeries(const RunSettings& settings, TargetSet& targets);

}  // namespace trelkan
