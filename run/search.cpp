#include "run/search.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>

#include "base/direction.h"
#include "catalogue/basiccomponent.h"
#include "catalogue/componentregister.h"
#include "compound/compoundcomponent.h"
#include "compound/treebuilder.h"
#include "engine/activesetsearch.h"
#include "engine/mapchainsearch.h"
#include "engine/searchmap.h"
#include "run/output.h"

namespace trelkan {
namespace {

Search* g_currentSearch = nullptr;

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

extern "C" void handleInterrupt(int signalNumber) {
    if (g_currentSearch != nullptr) {
        g_currentSearch->interrupt();
    }
    std::signal(signalNumber, handleInterrupt);
}

}  // namespace

Search::Search() = default;
Search::~Search() = default;

void Search::addTarget(std::int32_t dx, std::int32_t dy, std::int32_t dt, int dir) {
    if (dt < 1) {
        return;
    }
    insertTarget(Target(dx, dy, dt, dir, kF, std::string()));
}

void Search::addExtendedTarget(std::int32_t x1, std::int32_t y1, std::int32_t t1, int d1,
                               std::int32_t x2, std::int32_t y2, std::int32_t t2, int d2,
                               std::string label) {
    // Script values wrap, so the delay and the displacement wrap as well.
    const std::int32_t dt = wrapSub(t2, t1);
    if (dt < 1) {
        return;
    }
    // The end point seen from the start point: undo the start direction.
    const Offset local = turnOffset(inverseDir(d1), wrapSub(x2, x1), wrapSub(y2, y1));
    insertTarget(Target(local.x, local.y, dt, inverseCompose(d1, d2), d1, std::move(label)));
}

void Search::insertTarget(Target target) {
    if (!target.isLoop) {
        m_loopTargetsOnly = false;
    }
    m_targets.insert(std::move(target));
}

void Search::acceptTargets(std::int32_t maxLen) {
    std::int64_t kept = 0;
    std::int64_t removed = 0;
    for (auto it = m_targets.begin(); it != m_targets.end();) {
        if (it->dt <= maxLen) {
            ++kept;
            ++it;
        } else {
            it = m_targets.erase(it);
            ++removed;
        }
    }
    if (removed == 0) {
        writeOutput(formatMessage("Accepted %lld target%s\n", static_cast<long long>(kept),
                                  pluralEnding(kept)));
    } else {
        writeOutput(formatMessage("Accepted %lld target%s; %lld target%s over t=%d ignored\n",
                                  static_cast<long long>(kept), pluralEnding(kept),
                                  static_cast<long long>(removed), pluralEnding(removed), maxLen));
    }
}

void Search::interrupt() {
    m_keepSearching.store(false);
    m_interrupted.store(true);
}

void Search::run(const RunParameters& parameters) {
    m_maxCells = parameters.maxCells;
    m_resultLimit = parameters.maxResults;
    m_sortResults = parameters.sortResults;
    m_keepSearching.store(true);
    m_interrupted.store(false);
    m_ignoreSets = parameters.ignoreSets;
    m_pruneSorted = parameters.sortResults && parameters.maxResults != 0;

    m_register = std::make_unique<ComponentRegister>(kDefinitionFile);
    m_register->prepare(parameters.period, parameters.compression, m_loopTargetsOnly,
                        parameters.mapMode);
    buildTree(*m_register, static_cast<std::uint32_t>(parameters.treeSizeKB) * 1024u,
              consoleOutput());
    collectActiveComponents();
    m_setNumber = 0;
    if (m_componentCount > 0) {
        if (parameters.mapMode) {
            runMapMode();
        } else {
            ActiveSetSearch mode(*this);
            runComponentSets(*this, mode);
        }
    }
    reportSortedResults();
    writeCompletionLine();
    reportStatistics();
    m_componentList.clear();
    m_componentCount = 0;
    closeFiles();
}

// Without targets the mode ends before its first message.
void Search::runMapMode() {
    if (m_targets.empty()) {
        return;
    }
    const SearchMap map(*this);
    m_statistics.mapGrownStates = map.grownStates();
    m_statistics.mapStates = map.totalStates();
    m_statistics.mapLargestGeneration = map.largestGeneration();
    m_statistics.mapStorageBytes = map.storageBytes();
    MapChainSearch mode(*this, map);
    runComponentSets(*this, mode);
}

void Search::collectActiveComponents() {
    m_componentList.clear();
    for (std::int32_t i = 0; i < m_register->componentCount(); ++i) {
        BasicComponent& component = m_register->component(i);
        if (component.activeCount() > 0) {
            m_componentList.push_back(&component);
        }
    }
    m_componentCount = static_cast<std::int32_t>(m_componentList.size());
}

void Search::writeCompletionLine() const {
    if (!m_interrupted.load()) {
        writeOutput("Search complete\n");
    } else if (m_setNumber < 1) {
        writeOutput("Search interrupted\n");
    } else {
        writeOutput(formatMessage("Search interrupted at set %d\n", m_setNumber));
    }
}

// One line, so that tools can read it beside the program's own error output.
void Search::reportStatistics() const {
    if (std::getenv("TRELKAN_STATS") == nullptr) {
        return;
    }
    std::string line = formatMessage(
        "statistics: sets %d, chains %llu, compose %llu, partial checks %llu, results %llu, "
        "peak memory %lld kB",
        m_setNumber, static_cast<unsigned long long>(m_statistics.chainsExamined),
        static_cast<unsigned long long>(m_statistics.composeCalls),
        static_cast<unsigned long long>(m_statistics.partialChecks),
        static_cast<unsigned long long>(m_statistics.results), peakMemoryKilobytes());
    if (m_statistics.mapStates >= 0) {
        line += formatMessage(
            ", map states %lld grown, %lld kept, at most %lld in a generation, %llu kB of blocks",
            static_cast<long long>(m_statistics.mapGrownStates),
            static_cast<long long>(m_statistics.mapStates),
            static_cast<long long>(m_statistics.mapLargestGeneration),
            static_cast<unsigned long long>(m_statistics.mapStorageBytes / 1024));
    }
    std::fprintf(stderr, "%s\n", line.c_str());
}

void setCurrentSearch(Search* search) {
    g_currentSearch = search;
}

void installInterruptHandler() {
    std::signal(SIGINT, handleInterrupt);
}

}  // namespace trelkan
