// trelkan-atlas: the smallest Herschel loop of every period. For each period P of the range it
// searches the loops whose delay is a multiple of P, at compression P, as `trelkan -p P -u D -s`
// does, keeps the one of least area, proves it in Life with its D/P signals, and writes the atlas
// as a table and as patterns. What is done is kept in a state file after every period, so a
// stopped run resumes and a finished atlas extends to a larger delay.

#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "base/numberparse.h"
#include "catalogue/componentregister.h"
#include "run/search.h"
#include "tools/atlas/atlasrun.h"
#include "tools/atlas/atlasstate.h"
#include "tools/atlas/atlaswriter.h"
#include "tools/atlas/catalogueloader.h"
#include "tools/common/informationoption.h"

namespace {

using namespace trelkan;

constexpr const char* kUsage =
    "Usage:\n    trelkan-atlas [-c definition-file] [-l minperiod] [-u maxdelay] [-j threads] [-m] "
    "[-d directory] [--progress] [--no-proof] [-k K/N] [--merge directory...]\n";

constexpr const char* kHelp =
    "Usage: trelkan-atlas [options]\n"
    "Finds the Herschel loop of least area for every period up to the largest delay, proves\n"
    "each in Life and writes atlas.md and atlas.rle. A stopped run resumes where it stopped; a\n"
    "larger -u extends a finished atlas.\n"
    "  -c file         the definition file (default data/data.ini)\n"
    "  -l minperiod    the smallest period (default 1)\n"
    "  -u maxdelay     the largest loop delay, and so period (default: that of the state file, "
    "else 1500)\n"
    "  -j threads      worker threads (default: every core)\n"
    "  -m              searches with a search map, as trelkan -m\n"
    "  -d directory    where the atlas and its state file atlas.state go (default docs)\n"
    "  --progress      a line per period on standard error (default: when it is a terminal)\n"
    "  --no-proof      leaves out the proofs in Life, for catalogues that are not Life\n"
    "  -k K/N          shard K of N: searches every N-th period from the K-th, keeps only the\n"
    "                  state; --merge puts the shards together\n"
    "  --merge dir...  takes in the states of these atlas directories (last on the line), then\n"
    "                  searches what none of them has and writes the atlas\n"
    "  -h, -?          the usage\n"
    "  --help          this text\n"
    "  --version       the version\n"
    "See README.md, section \"The loop atlas: trelkan-atlas\".\n";

// Exit statuses beside 0: the catalogue could not be loaded; the command line or the state file
// is at fault; the search ran out of memory, a proof failed or a file could not be written.
constexpr int kCatalogueFault = 1;
constexpr int kUsageFault = 2;

constexpr std::int64_t kDefaultMaxDelay = 1500;

struct Request {
    std::optional<AtlasOptions> options;
    std::optional<std::string> answer;
};

// Reads "K/N" of -k: 1 <= K <= N; false (reported) otherwise.
bool readShardOption(const char* text, AtlasOptions& options) {
    const std::string value = text;
    const std::size_t slash = value.find('/');
    if (slash != std::string::npos) {
        const NumberReading shard = readUnsignedNumber(value.substr(0, slash).c_str());
        const NumberReading shards = readUnsignedNumber(value.substr(slash + 1).c_str());
        if (shard.valid && shards.valid && shard.value >= 1 && shard.value <= shards.value) {
            options.shard = static_cast<std::int64_t>(shard.value);
            options.shards = static_cast<std::int64_t>(shards.value);
            return true;
        }
    }
    std::fprintf(stderr, "Invalid shard: %s\n", text);
    return false;
}

// Reads the value of a numeric option into target; false (reported) when it is no positive
// number.
template <typename Number>
bool readNumberOption(const char* text, const char* what, Number& target) {
    const NumberReading number = readUnsignedNumber(text);
    const bool valid = number.valid && number.value >= 1;
    if (valid) {
        target = static_cast<Number>(number.value);
    } else {
        std::fprintf(stderr, "Invalid %s: %s\n", what, text);
    }
    return valid;
}

Request readOptions(int argc, char** argv) {
    AtlasOptions options;
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        const bool hasValue = i + 1 < argc;
        if (std::optional<std::string> answer =
                informationFor(word, "trelkan-atlas", kUsage, kHelp)) {
            return {std::nullopt, std::move(answer)};
        }
        bool valid = true;
        if (word == "-c" && hasValue) {
            options.catalogue = argv[++i];
        } else if (word == "-d" && hasValue) {
            options.directory = argv[++i];
        } else if (word == "-l" && hasValue) {
            valid = readNumberOption(argv[++i], "smallest period", options.minPeriod);
        } else if (word == "-u" && hasValue) {
            valid = readNumberOption(argv[++i], "largest delay", options.maxDelay);
        } else if (word == "-j" && hasValue) {
            valid = readNumberOption(argv[++i], "number of threads", options.threads);
        } else if (word == "-m") {
            options.mapMode = true;
        } else if (word == "--progress") {
            options.progress = true;
        } else if (word == "--no-proof") {
            options.prove = false;
        } else if (word == "-k" && hasValue) {
            valid = readShardOption(argv[++i], options);
        } else if (word == "--merge" && hasValue) {
            options.mergeFrom.assign(argv + i + 1, argv + argc);
            break;
        } else {
            std::fprintf(stderr, "Invalid parameter: %s\n", word.c_str());
            valid = false;
        }
        if (!valid) {
            return {};
        }
    }
    if (options.isShard() && !options.mergeFrom.empty()) {
        std::fputs("A shard (-k) cannot merge (--merge)\n", stderr);
        return {};
    }
    return {options, std::nullopt};
}

// The state of the directory, checked against the range; nothing (reported) when it is unusable.
std::optional<AtlasState> readState(AtlasOptions& options) {
    std::error_code ignored;
    std::filesystem::create_directories(options.directory, ignored);
    const std::string path = (std::filesystem::path(options.directory) / "atlas.state").string();
    std::string error;
    std::optional<AtlasState> state = AtlasState::read(path, options.catalogue, error);
    if (!state) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return std::nullopt;
    }
    for (const std::string& directory : options.mergeFrom) {
        const std::filesystem::path shardPath = std::filesystem::path(directory) / "atlas.state";
        if (!std::filesystem::is_regular_file(shardPath)) {
            std::fprintf(stderr, "No atlas state to merge in %s\n", directory.c_str());
            return std::nullopt;
        }
        const std::optional<AtlasState> shard =
            AtlasState::read(shardPath.string(), options.catalogue, error);
        if (!shard) {
            std::fprintf(stderr, "%s\n", error.c_str());
            return std::nullopt;
        }
        state->absorb(*shard);
    }
    const std::int64_t stateDelay = state->largestDelay();
    if (options.maxDelay == 0) {
        options.maxDelay = stateDelay > 0 ? stateDelay : kDefaultMaxDelay;
    }
    if (options.maxDelay < stateDelay) {
        std::fprintf(stderr,
                     "The atlas in %s reaches delay %lld: -u may not be smaller (it is %lld)\n",
                     options.directory.c_str(), static_cast<long long>(stateDelay),
                     static_cast<long long>(options.maxDelay));
        return std::nullopt;
    }
    if (options.minPeriod > options.maxDelay) {
        std::fprintf(stderr, "No period in the range: -l %lld is above the largest delay %lld\n",
                     static_cast<long long>(options.minPeriod),
                     static_cast<long long>(options.maxDelay));
        return std::nullopt;
    }
    return state;
}

int makeAtlas(AtlasOptions options) {
    CatalogueLoader loader(options.catalogue);
    const std::unique_ptr<ComponentRegister> catalogue = loader.load();
    if (!catalogue) {
        return kCatalogueFault;
    }
    std::optional<AtlasState> state = readState(options);
    if (!state) {
        return kUsageFault;
    }
    AtlasRun run(options, loader, *catalogue, *state);
    // What was merged is kept even when nothing is left to search.
    if (!options.mergeFrom.empty() && !state->write(run.statePath())) {
        std::fprintf(stderr, "The state file cannot be written: %s\n", run.statePath().c_str());
        return kFailedRun;
    }
    if (const int status = run.searchPeriods(); status != 0) {
        return status;
    }
    if (options.isShard()) {
        // A shard's atlas would be full of holes: its state waits for --merge.
        std::printf("Shard %lld of %lld of the periods %lld to %lld searched into %s\n",
                    static_cast<long long>(options.shard), static_cast<long long>(options.shards),
                    static_cast<long long>(options.minPeriod),
                    static_cast<long long>(options.maxDelay), options.directory.c_str());
        return 0;
    }
    const AtlasWriter writer(
        *catalogue, {options.catalogue, options.minPeriod, options.maxDelay, options.prove});
    std::string error;
    if (!writer.write(options.directory, *state, error)) {
        std::fprintf(stderr, "The atlas cannot be written: %s\n", error.c_str());
        return kFailedRun;
    }
    std::printf("Atlas of periods %lld to %lld written to %s\n",
                static_cast<long long>(options.minPeriod), static_cast<long long>(options.maxDelay),
                options.directory.c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const Request request = readOptions(argc, argv);
    if (request.answer) {
        std::fputs(request.answer->c_str(), stdout);
        return 0;
    }
    if (!request.options) {
        std::fputs(kUsage, stderr);
        return kUsageFault;
    }
    try {
        return makeAtlas(*request.options);
    } catch (const std::bad_alloc&) {
        std::fputs("Out of memory\n", stderr);
        return kFailedRun;
    }
}
