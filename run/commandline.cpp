#include "run/commandline.h"

#include <algorithm>
#include <cassert>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

#include "base/format.h"
#include "base/numberparse.h"
#include "run/targetscript.h"

namespace trelkan {

const std::string_view kHelpText =
    "Usage: trelkan [options]    searches chains of Herschel conduits in data/data.ini\n"
    "  -p period          period of the pattern sought (without it, -o draws the catalogue)\n"
    "  -c compression     how closely signals may follow each other (default: the period)\n"
    "  -d dx dy dt dir    target: the output dt generations on, at (dx, dy), facing dir\n"
    "  -e script          target script, a family of targets, e.g. '(a=1..3)F10*a[0,a]'\n"
    "  -t treesizeKB      memory for the tree of forbidden sequences (default 1000)\n"
    "  -m                 search-map mode: map the states that can still meet a target first\n"
    "  -l minlen          smallest delay of the target series (default 1)\n"
    "  -u maxlen          largest delay of any target (default 1500)\n"
    "  -x maxcell         largest bounding-box area of a result, in cells\n"
    "  -n maxresults      stop after this many results; with -s, keep the smallest this many\n"
    "  -f outfile         log file: a copy of standard output\n"
    "  -o rlefile         pattern file: every result drawn as Life cells\n"
    "  -s                 report the results again at the end, smallest area first\n"
    "  -i ignoresets      skip the first ignoresets component sets (resumes a search)\n"
    "  -j threads         worker threads (default: every core the process may use)\n"
    "  -k shard/shards    search only this shard of a search spread over many processes\n"
    "  --merge output...  merge the standard outputs of every shard of one search\n"
    "  --progress         progress on standard error even when it is no terminal\n"
    "  --no-progress      no progress on standard error, not even on a terminal\n"
    "  -h, -?             print the usage on standard error\n"
    "  --help             print this help\n"
    "  --version          print the version\n"
    "More in README.md, beside data/ in the trelkan sources.\n";

namespace {

// The delays of the target series that become targets: the first one and how many there are.
// Delays below 1 never become targets, so the series is taken from max(minLen, 1) on.
struct Series {
    std::int64_t first = 0;
    std::int64_t count = 0;
};

Series targetSeries(const RunSettings& settings) {
    assert(settings.period > 0);
    const std::int64_t period = settings.period;
    const std::int64_t lower = std::max<std::int64_t>(settings.minLen, 1);
    std::int64_t first = settings.dt;
    if (first < lower) {
        const std::int64_t steps = (lower - first + period - 1) / period;
        first += steps * period;
    }
    Series series{first, 0};
    if (first <= settings.maxLen) {
        series.count = (settings.maxLen - first) / period + 1;
    }
    return series;
}

// Whether writing to the path would overwrite the definition file or a map that it names. The maps
// are the component section's tokens that name existing files.
bool isPartOfCatalogue(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code error;
    const auto same = [&](const std::string& other) {
        return fs::equivalent(path, other, error) && !error;
    };
    if (same(kDefinitionFile)) {
        return true;
    }
    std::ifstream definition(kDefinitionFile);
    for (std::string line; std::getline(definition, line) && line.rfind("[Pairs]", 0) != 0;) {
        std::istringstream tokens(line.substr(0, line.find('#')));
        for (std::string token; tokens >> token;) {
            if (fs::is_regular_file(token, error) && same(token)) {
                return true;
            }
        }
    }
    return false;
}

class CommandLineReader {
  public:
    CommandLineReader(std::span<const char* const> words, Console& console)
        : m_words(words), m_console(console) {}

    RunSettings read() {
        m_settings.usageAsked = m_words.empty();
        while (m_position < m_words.size()) {
            readOption(m_words[m_position++]);
        }
        finish();
        return m_settings;
    }

  private:
    std::optional<std::string_view> nextWord() {
        if (m_position >= m_words.size()) {
            return std::nullopt;
        }
        return m_words[m_position++];
    }

    void fail(const std::string& message) {
        m_console.errors().write(message);
        m_settings.showUsage = true;
        m_settings.commandError = true;
    }

    void readOption(std::string_view option) {
        RunSettings& s = m_settings;
        if (option == "-p") {
            readUnsigned(option, s.period);
        } else if (option == "-c") {
            readUnsigned(option, s.compression);
        } else if (option == "-n") {
            readUnsigned(option, s.maxResults);
        } else if (option == "-l") {
            if (readUnsigned(option, s.minLen)) {
                s.maxLen = std::max(s.maxLen, s.minLen);
                s.minLen = std::max(s.minLen, 1);
            }
        } else if (option == "-i") {
            readCount(option, s.ignoreSets);
        } else if (option == "-u") {
            if (readUnsigned(option, s.maxLen)) {
                s.minLen = std::min(s.minLen, s.maxLen);
            }
        } else if (option == "-t") {
            if (readUnsigned(option, s.treeSizeKB)) {
                s.treeSizeKB = std::clamp(s.treeSizeKB, 0, 100000);
            }
        } else if (option == "-x") {
            readUnsigned(option, s.maxCell);
        } else if (option == "-f") {
            if (const auto name = outputFile(option, "log file")) {
                m_console.setLogFile(*name);
            }
        } else if (option == "-o") {
            if (const auto name = outputFile(option, "pattern file")) {
                m_console.setPatternFile(*name);
                s.patternOutput = true;
            }
        } else if (option == "-s") {
            s.sortResults = true;
        } else if (option == "-m") {
            s.mapMode = true;
        } else if (option == "-j") {
            readThreads(option);
        } else if (option == "-k") {
            readShard(option);
        } else if (option == "--merge") {
            readMergeFiles(option);
        } else if (option == "--progress") {
            s.progress = ProgressChoice::kAlways;
        } else if (option == "--no-progress") {
            s.progress = ProgressChoice::kNever;
        } else if (option == "--help") {
            s.showHelp = true;
        } else if (option == "--version") {
            s.showVersion = true;
        } else if (option == "-h" || option == "-?") {
            s.showUsage = true;
            s.usageAsked = true;
        } else if (option == "-d") {
            readDisplacement();
        } else if (option == "-e") {
            readScript(option);
        } else {
            fail(formatMessage("Invalid parameter: %s\n", std::string(option).c_str()));
        }
    }

    std::optional<std::string_view> requireWord(std::string_view option) {
        const std::optional<std::string_view> word = nextWord();
        if (!word) {
            fail(formatMessage("Missing argument for %s switch\n", std::string(option).c_str()));
        }
        return word;
    }

    // The name of a file to write, unless it would overwrite the catalogue.
    std::optional<std::string> outputFile(std::string_view option, const char* what) {
        const std::optional<std::string_view> word = requireWord(option);
        if (!word) {
            return std::nullopt;
        }
        const std::string name(*word);
        if (isPartOfCatalogue(name)) {
            fail(formatMessage("The %s may not overwrite the catalogue: %s\n", what, name.c_str()));
            return std::nullopt;
        }
        return name;
    }

    // Stores the number even when characters follow it; false only when the argument is
    // missing, so that the side rules of the option still apply to what was read.
    bool readUnsigned(std::string_view option, std::int32_t& target) {
        const std::optional<std::string_view> word = requireWord(option);
        if (!word) {
            return false;
        }
        const NumberReading reading = readUnsignedNumber(*word);
        target = reading.value;
        // A negative period would make the target series run away from maxlen.
        const bool negativePeriod = option == "-p" && reading.value < 0;
        if (!reading.valid || negativePeriod) {
            fail(formatMessage("Invalid argument for %s switch\n", std::string(option).c_str()));
        }
        return true;
    }

    // A count that may pass 2^31, as the sets to skip in a long search may.
    void readCount(std::string_view option, std::int64_t& target) {
        const std::optional<std::string_view> word = requireWord(option);
        if (!word) {
            return;
        }
        const CountReading reading = readUnsignedCount(*word);
        target = reading.value;
        if (!reading.valid) {
            fail(formatMessage("Invalid argument for %s switch\n", std::string(option).c_str()));
        }
    }

    void readThreads(std::string_view option) {
        std::int32_t threads = 0;
        if (readUnsigned(option, threads) && threads < 1) {
            fail(formatMessage("Invalid argument for %s switch\n", std::string(option).c_str()));
        }
        m_settings.threads = std::clamp(threads, 1, kMaxThreads);
    }

    // K/N: shard K of N, from 1 to N.
    void readShard(std::string_view option) {
        const std::optional<std::string_view> word = requireWord(option);
        if (!word) {
            return;
        }
        const std::size_t slash = word->find('/');
        const NumberReading number = readUnsignedNumber(word->substr(0, slash));
        const NumberReading count = slash == std::string_view::npos
                                        ? NumberReading{0, false}
                                        : readUnsignedNumber(word->substr(slash + 1));
        if (!number.valid || !count.valid || number.value < 1 || count.value < number.value) {
            fail(formatMessage("Invalid argument for %s switch\n", std::string(option).c_str()));
            return;
        }
        m_settings.shard = {number.value, count.value};
    }

    // Every word after --merge names a shard output.
    void readMergeFiles(std::string_view option) {
        while (const std::optional<std::string_view> word = nextWord()) {
            m_settings.mergeFiles.emplace_back(*word);
        }
        if (m_settings.mergeFiles.empty()) {
            fail(formatMessage("Missing argument for %s switch\n", std::string(option).c_str()));
        }
    }

    void readDisplacement() {
        RunSettings& s = m_settings;
        static constexpr const char* kNames[] = {"DX", "DY", "DT"};
        std::int32_t* const targets[] = {&s.dx, &s.dy, &s.dt};
        for (int i = 0; i < 3; ++i) {
            const std::optional<std::string_view> word = nextWord();
            if (!word) {
                fail(formatMessage("Missing %s argument for -d switch\n", kNames[i]));
                return;
            }
            const NumberReading reading = readSignedNumber(*word);
            *targets[i] = reading.value;
            if (!reading.valid) {
                fail(formatMessage("Invalid %s argument for -d switch\n", kNames[i]));
            }
        }
        const std::optional<std::string_view> word = nextWord();
        if (!word) {
            fail("Missing DIR argument for -d switch\n");
            return;
        }
        if (const std::optional<Direction> dir = parseDirectionWord(*word)) {
            s.dir = *dir;
        } else {
            fail("Invalid DIR argument for -d switch\n");
        }
    }

    void readScript(std::string_view option) {
        const std::optional<std::string_view> script = requireWord(option);
        if (!script) {
            return;
        }
        RunSettings& s = m_settings;
        s.scriptGiven = true;
        const ScriptPresets presets{s.period, s.compression, s.maxLen, s.minLen, s.dx, s.dy, s.dt};
        if (!parseTargetScript(s.targets, *script, presets, m_console)) {
            fail("Invalid argument for -e switch\n");
        }
    }

    void finish() {
        RunSettings& s = m_settings;
        if (s.period == 0 && !s.patternOutput) {
            s.showUsage = true;
        }
        if (s.compression == 0) {
            s.compression = s.period;
        }
        if (!s.showUsage && s.period > 0 && !s.scriptGiven) {
            const Series series = targetSeries(s);
            if (series.count > kMaxSeriesTargets) {
                fail(formatMessage("Too many targets: %lld up to t=%d (at most %lld)\n",
                                   static_cast<long long>(series.count), s.maxLen,
                                   static_cast<long long>(kMaxSeriesTargets)));
            } else {
                addTargetSeries(s, s.targets);
            }
        }
    }

    std::span<const char* const> m_words;
    std::size_t m_position = 0;
    Console& m_console;
    RunSettings m_settings;
};

}  // namespace

RunParameters RunSettings::runParameters() const {
    RunParameters parameters;
    parameters.period = period;
    parameters.compression = compression;
    parameters.maxCells = maxCell;
    parameters.maxResults = static_cast<std::uint32_t>(maxResults);
    parameters.sortResults = sortResults;
    parameters.treeSizeKB = treeSizeKB;
    parameters.ignoreSets = ignoreSets;
    parameters.mapMode = mapMode;
    parameters.threads = threads;
    parameters.shard = shard;
    parameters.progress = progress;
    return parameters;
}

RunSettings readCommandLine(std::span<const char* const> words, Console& console) {
    return CommandLineReader(words, console).read();
}

void addTargetSeries(const RunSettings& settings, TargetSet& targets) {
    const Series series = targetSeries(settings);
    for (std::int64_t i = 0; i < series.count; ++i) {
        const std::int64_t t = series.first + i * settings.period;
        targets.add(settings.dx, settings.dy, static_cast<std::int32_t>(t), settings.dir);
    }
}

}  // namespace trelkan
