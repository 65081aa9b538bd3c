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

#include <unistd.h>

#include "base/format.h"
#include "base/numberparse.h"
#include "base/textsink.h"
#include "base/version.h"
#include "catalogue/componentregister.h"
#include "run/search.h"
#include "tools/atlas/atlasstate.h"
#include "tools/atlas/atlaswriter.h"
#include "tools/atlas/periodsearch.h"
#include "tools/verify/chainproof.h"

namespace {

using namespace trelkan;

constexpr const char* kUsage =
    "Usage:\n    trelkan-atlas [-c definition-file] [-l minperiod] [-u maxdelay] [-j threads] [-m] "
    "[-d directory] [--progress] [--no-proof]\n";

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
    "  -h, -?          the usage\n"
    "  --help          this text\n"
    "  --version       the version\n"
    "See README.md, section \"The loop atlas: trelkan-atlas\".\n";

// Exit statuses beside 0: the catalogue could not be loaded; the command line or the state file
// is at fault; the search ran out of memory, a proof failed or a file could not be written.
constexpr int kCatalogueFault = 1;
constexpr int kUsageFault = 2;

constexpr std::int32_t kProofMargin = 16;
constexpr std::int64_t kDefaultMaxDelay = 1500;

struct Options {
    std::string catalogue = "data/data.ini";
    std::int64_t minPeriod = 1;
    // 0: the state file's, else kDefaultMaxDelay.
    std::int64_t maxDelay = 0;
    std::int32_t threads = 0;
    bool mapMode = false;
    std::string directory = "docs";
    bool progress = false;
    bool prove = true;
};

struct Request {
    std::optional<Options> options;
    std::optional<std::string> answer;
};

std::optional<std::string> answerTo(const std::string& word) {
    if (word == "-h" || word == "-?") {
        return kUsage;
    }
    if (word == "--help") {
        return kHelp;
    }
    if (word == "--version") {
        return std::string("trelkan-atlas ") + kVersion + "\n";
    }
    return std::nullopt;
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
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        const bool hasValue = i + 1 < argc;
        if (std::optional<std::string> answer = answerTo(word)) {
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
        } else {
            std::fprintf(stderr, "Invalid parameter: %s\n", word.c_str());
            valid = false;
        }
        if (!valid) {
            return {};
        }
    }
    return {options, std::nullopt};
}

// Loads the catalogue as often as asked, its load messages dropped and its faults on standard
// error. A catalogue keeps writing to the sinks it was loaded with: the loader outlives them all.
class CatalogueLoader {
  public:
    explicit CatalogueLoader(std::string path) : m_path(std::move(path)) {}

    std::unique_ptr<ComponentRegister> load() {
        LoadError error;
        std::unique_ptr<ComponentRegister> catalogue =
            ComponentRegister::load(m_path, m_messages, m_errors, error);
        if (!catalogue) {
            std::fputs(error.text().c_str(), stderr);
        }
        return catalogue;
    }

  private:
    class Discard final : public TextSink {
      public:
        void write(std::string_view) override {}
    };

    std::string m_path;
    Discard m_messages;
    StreamSink m_errors{stderr};
};

class AtlasRun {
  public:
    AtlasRun(const Options& options, CatalogueLoader& loader, const ComponentRegister& catalogue,
             AtlasState& state)
        : m_options(options), m_loader(loader), m_catalogue(catalogue), m_state(state) {}

    // Searches every period not yet searched up to the largest delay; the exit status.
    int searchPeriods() {
        const std::int64_t count = m_options.maxDelay - m_options.minPeriod + 1;
        std::int64_t done = 0;
        for (std::int64_t period = m_options.minPeriod; period <= m_options.maxDelay; ++period) {
            const PeriodRecord* record = m_state.record(period);
            if (record != nullptr && record->searchedUpTo >= m_options.maxDelay) {
                ++done;
                continue;
            }
            std::optional<PeriodRecord> searched = searchPeriod(period, record);
            if (!searched) {
                return kFailedRun;
            }
            m_state.setRecord(period, *searched);
            if (!m_state.write(statePath())) {
                std::fprintf(stderr, "The state file cannot be written: %s\n", statePath().c_str());
                return kFailedRun;
            }
            reportProgress(period, *searched, ++done, count);
        }
        return 0;
    }

    std::string statePath() const {
        return (std::filesystem::path(m_options.directory) / "atlas.state").string();
    }

  private:
    // The period searched beyond what the record holds, and its loop proven; nothing (reported)
    // on a failure.
    std::optional<PeriodRecord> searchPeriod(std::int64_t period, const PeriodRecord* record) {
        PeriodQuery query;
        query.period = period;
        query.maxDelay = m_options.maxDelay;
        query.threads = m_options.threads > 0 ? m_options.threads : usableCores();
        query.mapMode = m_options.mapMode;
        PeriodRecord result;
        if (record != nullptr) {
            query.minDelay = record->searchedUpTo + 1;
            query.areaBound = record->entry ? record->entry->area : 0;
            result = *record;
        }
        result.searchedUpTo = m_options.maxDelay;
        // The search prepares the catalogue for its period: each gets one of its own.
        const std::unique_ptr<ComponentRegister> catalogue = m_loader.load();
        if (!catalogue) {
            return std::nullopt;
        }
        std::string error;
        std::optional<AtlasEntry> found = PeriodSearch::find(*catalogue, query, error);
        if (!error.empty()) {
            std::fprintf(stderr, "The search of period %lld failed: %s\n",
                         static_cast<long long>(period), error.c_str());
            return std::nullopt;
        }
        if (found && !prove(*found)) {
            return std::nullopt;
        }
        if (found && (!result.entry || comesBefore(*found, *result.entry))) {
            result.entry = std::move(found);
        }
        return result;
    }

    // Sets the loop's delay, and proves that it works with its signals at the period. A loop
    // that fails is a fault of the search: the run ends.
    bool prove(AtlasEntry& entry) const {
        std::string error;
        const std::optional<ChainProof> proof = ChainProof::build(m_catalogue, entry.names, error);
        std::optional<std::string> failure;
        if (!proof) {
            failure = error;
        } else if (!proof->isLoop() || proof->delay() % entry.period != 0 ||
                   proof->delay() > m_options.maxDelay) {
            failure = formatMessage(
                "no loop with a delay that is a multiple of the period up "
                "to %lld",
                static_cast<long long>(m_options.maxDelay));
        } else if (proof->area() != entry.area) {
            failure =
                formatMessage("area %lld found, %lld computed", static_cast<long long>(entry.area),
                              static_cast<long long>(proof->area()));
        } else if (m_options.prove) {
            failure = proof->check(kProofMargin, entry.period);
        }
        if (failure) {
            std::fprintf(stderr, "The loop of period %lld failed its proof: %s: %s\n",
                         static_cast<long long>(entry.period), failure->c_str(),
                         entry.chain().c_str());
            return false;
        }
        entry.delay = proof->delay();
        return true;
    }

    void reportProgress(std::int64_t period, const PeriodRecord& record, std::int64_t done,
                        std::int64_t count) const {
        if (!m_options.progress && isatty(STDERR_FILENO) == 0) {
            return;
        }
        const std::string found =
            record.entry ? formatMessage("area %lld (%lld signal%s)",
                                         static_cast<long long>(record.entry->area),
                                         static_cast<long long>(record.entry->signals()),
                                         record.entry->signals() == 1 ? "" : "s")
                         : std::string("no loop");
        std::fprintf(stderr, "period %lld: %s, %lld of %lld periods done\n",
                     static_cast<long long>(period), found.c_str(), static_cast<long long>(done),
                     static_cast<long long>(count));
        std::fflush(stderr);
    }

    const Options& m_options;
    CatalogueLoader& m_loader;
    const ComponentRegister& m_catalogue;
    AtlasState& m_state;
};

// The state of the directory, checked against the range; nothing (reported) when it is unusable.
std::optional<AtlasState> readState(Options& options) {
    std::error_code ignored;
    std::filesystem::create_directories(options.directory, ignored);
    const std::string path = (std::filesystem::path(options.directory) / "atlas.state").string();
    std::string error;
    std::optional<AtlasState> state = AtlasState::read(path, options.catalogue, error);
    if (!state) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return std::nullopt;
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
    return state;
}

int makeAtlas(Options options) {
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
    if (const int status = run.searchPeriods(); status != 0) {
        return status;
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
