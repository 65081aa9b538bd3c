#include "run/search.h"

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>

#include <thread>

#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

#include "base/format.h"
#include "catalogue/actree.h"
#include "catalogue/basiccomponent.h"
#include "catalogue/componentregister.h"
#include "compound/compoundcomponent.h"

namespace trelkan {
namespace {

// The search the interrupt handler stops; a signal handler has no other way to find it.
Search* g_interruptible = nullptr;

const char* pluralEnding(std::int64_t count) {
    return count == 1 ? "" : "s";
}

// The process's peak resident size, as the system reports it; -1 where it does not.
long long peakMemoryKilobytes() {
    std::FILE* status = std::fopen("/proc/self/status", "r");
    if (status == nullptr) {
        return -1;
    }
    char line[256];
    long long kilobytes = -1;
    while (std::fgets(line, sizeof line, status) != nullptr) {
        if (std::sscanf(line, "VmHWM: %lld kB", &kilobytes) == 1) {
            break;
        }
    }
    std::fclose(status);
    return kilobytes;
}

// The first stop signal stops the search, which then reports and closes its files; a second one
// ends the program at once, as the signal would have without a handler.
extern "C" void handleStop(int signalNumber) {
    if (g_interruptible != nullptr && !g_interruptible->interrupt()) {
        std::signal(signalNumber, SIG_DFL);
        std::raise(signalNumber);
        return;
    }
    std::signal(signalNumber, handleStop);
}

long long megabytes(std::uint64_t bytes) {
    return static_cast<long long>(bytes >> 20);
}

}  // namespace

std::uint64_t memoryLimit() {
    std::uint64_t limit = 0;
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGE_SIZE);
    if (pages > 0 && pageSize > 0) {
        limit = static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(pageSize);
    }
    for (const int resource : {RLIMIT_AS, RLIMIT_DATA}) {
        rlimit bound{};
        if (getrlimit(resource, &bound) == 0 && bound.rlim_cur != RLIM_INFINITY &&
            (limit == 0 || bound.rlim_cur < limit)) {
            limit = bound.rlim_cur;
        }
    }
    return limit;
}

std::int32_t usableCores() {
    cpu_set_t cores;
    CPU_ZERO(&cores);
    if (sched_getaffinity(0, sizeof cores, &cores) == 0) {
        return std::max(1, CPU_COUNT(&cores));
    }
    return static_cast<std::int32_t>(std::max(1u, std::thread::hardware_concurrency()));
}

std::vector<BasicComponent*> activeComponents(const ComponentRegister& catalogue) {
    std::vector<BasicComponent*> components;
    for (std::int32_t i = 0; i < catalogue.componentCount(); ++i) {
        BasicComponent& component = catalogue.component(i);
        if (component.activeCount() > 0) {
            components.push_back(&component);
        }
    }
    return components;
}

std::unique_ptr<ComponentRegister> loadCatalogue(Console& console) {
    LoadError error;
    std::unique_ptr<ComponentRegister> catalogue =
        ComponentRegister::load(kDefinitionFile, console, console.errors(), error);
    if (!catalogue) {
        console.write(error.text());
    }
    return catalogue;
}

int endOutOfMemory(Console& console) {
    console.errors().write("Out of memory before the search began\n");
    console.closeFiles();
    return kFailedRun;
}

Search::Search(Console& console, TargetSet targets)
    : m_console(console), m_targets(std::move(targets)) {}

Search::~Search() = default;

void Search::acceptTargets(std::int32_t maxLen) {
    const TargetSet::Acceptance acceptance = m_targets.dropOver(maxLen);
    const long long kept = acceptance.kept;
    const long long dropped = acceptance.dropped;
    if (dropped == 0) {
        m_console.write(formatMessage("Accepted %lld target%s\n", kept, pluralEnding(kept)));
    } else {
        m_console.write(formatMessage("Accepted %lld target%s; %lld target%s over t=%d ignored\n",
                                      kept, pluralEnding(kept), dropped, pluralEnding(dropped),
                                      maxLen));
    }
}

bool Search::interrupt() {
    m_keepSearching.store(false);
    return !m_interrupted.exchange(true);
}

void Search::takeParameters(const RunParameters& parameters) {
    m_maxCells = parameters.maxCells;
    m_resultLimit = parameters.maxResults;
    m_sortResults = parameters.sortResults;
    // A shard keeps every result: the smallest of the whole search are known only when the
    // shards are merged.
    m_pruneSorted =
        parameters.sortResults && parameters.maxResults != 0 && parameters.shard.count == 1;
}

int Search::run(const ComponentRegister& catalogue, const RunParameters& parameters) {
    takeParameters(parameters);
    const SearchInput input{catalogue,
                            *catalogue.acTree(),
                            m_targets.targets(),
                            activeComponents(catalogue),
                            parameters.ignoreSets,
                            parameters.sortResults,
                            memoryLimit(),
                            parameters.threads > 0 ? parameters.threads : usableCores(),
                            parameters.shard};
    ProgressReporter reporter(m_console, parameters.progress);
    // Forgotten however the run ends, an exception included, before the reporter is gone.
    struct Watching {
        ProgressReporter*& reporter;
        ~Watching() { reporter = nullptr; }
    } watching{m_reporter};
    m_reporter = &reporter;
    return finish(runSearch(input, *this, parameters.mapMode), input.memoryLimit);
}

// As the workers of one search hand on their results: each against the bound as it stands at its
// turn.
int Search::replay(std::string_view header, std::vector<ShardMerge::Result>& results,
                   const RunParameters& parameters) {
    takeParameters(parameters);
    progress(header);
    SearchOutcome outcome;
    for (ShardMerge::Result& result : results) {
        outcome.setNumber = result.setNumber;
        if (m_maxCells != 0 && result.chain->area() > m_maxCells) {
            continue;
        }
        if (!foundChain(*result.chain, result.inDir, result.setNumber)) {
            break;
        }
    }
    return finish(outcome, 0);
}

int Search::finish(const SearchOutcome& outcome, std::uint64_t memoryLimit) {
    if (m_reporter != nullptr) {
        m_reporter->stop();
    }
    if (outcome.outOfMemory) {
        // Ended as an interruption: what was found is reported, and the search can be resumed.
        m_interrupted.store(true);
        m_console.errors().write(
            outcome.setNumber < 1
                ? std::string("Out of memory before the first set: the search stopped there\n")
                : formatMessage("Out of memory in set %lld: the search stopped there\n",
                                static_cast<long long>(outcome.setNumber)));
    }
    reportSortedResults();
    if (outcome.mapBytesRefused != 0) {
        m_console.write("Search not made: the search map does not fit in memory\n");
        m_console.errors().write(
            formatMessage("The search map needs %lld MB or more; this process may take %lld MB\n",
                          megabytes(outcome.mapBytesRefused), megabytes(memoryLimit)));
    } else {
        writeCompletionLine(outcome.setNumber);
    }
    reportStatistics(outcome);
    if (m_reporter != nullptr) {
        m_reporter->writeSummary(m_resultsFound);
    }
    m_console.closeFiles();
    return outcome.outOfMemory || outcome.mapBytesRefused != 0 ? kFailedRun : 0;
}

// Progress goes out at once, so that whoever watches a pipe or a file sees how far it is.
void Search::progress(std::string_view line) {
    m_console.write(line);
    m_console.flushOutput();
}

void Search::writeCompletionLine(std::int64_t setNumber) const {
    if (!m_interrupted.load()) {
        m_console.write("Search complete\n");
        return;
    }
    if (setNumber < 1) {
        m_console.write("Search interrupted\n");
    } else {
        m_console.write(
            formatMessage("Search interrupted at set %lld\n", static_cast<long long>(setNumber)));
    }
    // The set it stopped in may be unfinished: the resumed run searches it again.
    const auto skip = static_cast<long long>(std::max<std::int64_t>(setNumber - 1, 0));
    m_console.errors().write(
        formatMessage("To search the rest, run the same command with -i %lld\n", skip));
}

// One line, so that tools can read it beside the program's own error output.
void Search::reportStatistics(const SearchOutcome& outcome) const {
    if (std::getenv("TRELKAN_STATS") == nullptr) {
        return;
    }
    const SearchStatistics& statistics = outcome.statistics;
    std::string line = formatMessage(
        "statistics: sets %lld, chains %llu, compose %llu, partial checks %llu, results %llu, "
        "peak memory %lld kB",
        static_cast<long long>(outcome.setNumber),
        static_cast<unsigned long long>(statistics.chainsExamined),
        static_cast<unsigned long long>(statistics.composeCalls),
        static_cast<unsigned long long>(statistics.partialChecks),
        static_cast<unsigned long long>(statistics.results), peakMemoryKilobytes());
    if (statistics.mapStates >= 0) {
        line += formatMessage(
            ", map states %lld grown, %lld kept, at most %lld in a generation, %llu kB of blocks",
            static_cast<long long>(statistics.mapGrownStates),
            static_cast<long long>(statistics.mapStates),
            static_cast<long long>(statistics.mapLargestGeneration),
            static_cast<unsigned long long>(statistics.mapStorageBytes / 1024));
    }
    m_console.errors().write(line + "\n");
}

void installInterruptHandler(Search& search) {
    g_interruptible = &search;
    for (const int stop : {SIGINT, SIGTERM, SIGHUP}) {
        std::signal(stop, handleStop);
    }
}

}  // namespace trelkan
