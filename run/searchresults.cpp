// Results: the line printed for each, the pattern drawn for it, the result limit, and the report
// sorted by area.
#include <algorithm>

#include "base/format.h"
#include "compound/compoundcomponent.h"
#include "run/search.h"

namespace trelkan {
namespace {

// Heap order for the kept results: the smallest area on top. Equal areas leave in whatever
// order the heap gives.
bool largerArea(const std::unique_ptr<CompoundComponent>& a,
                const std::unique_ptr<CompoundComponent>& b) {
    return a->area() > b->area();
}

}  // namespace

void Search::printResultLine(CompoundComponent& chain, std::int64_t setNumber) {
    m_console.write("*** ");
    chain.print(setNumber, m_console);
    m_console.write("\n");
}

// Images of runs that seek only loops may come out turned into their wider orientation. While the
// search runs, a stop cuts a long drawing short; the report after it draws whole.
void Search::drawResult(const CompoundComponent& result, bool whileSearching) {
    if (m_console.patternEnabled()) {
        result.writePattern(m_console.patternWriter(), !m_targets.loopTargetsOnly(),
                            whileSearching ? &m_keepSearching : nullptr);
    }
}

bool Search::foundChain(CompoundComponent& chain, Direction inDir, std::int64_t setNumber) {
    // The chain changes between results; its area must be that of the present places.
    chain.resetArea();
    printResultLine(chain, setNumber);
    ++m_resultsFound;
    if (m_sortResults) {
        keepResult(chain.copyAt(inDir));
        if (m_pruneSorted && m_results.size() > 2 * static_cast<std::size_t>(m_resultLimit) + 1) {
            pruneResults();
        }
    } else {
        drawResult(*chain.copyAt(inDir), true);
        if (m_resultLimit != 0 && --m_resultLimit == 0) {
            m_keepSearching.store(false);
            m_console.write("Result number limit reached\n");
        }
    }
    m_console.flushFiles();
    return m_keepSearching.load();
}

void Search::keepResult(std::unique_ptr<CompoundComponent> result) {
    m_results.push_back(std::move(result));
    std::push_heap(m_results.begin(), m_results.end(), largerArea);
}

std::unique_ptr<CompoundComponent> Search::takeSmallestResult() {
    std::pop_heap(m_results.begin(), m_results.end(), largerArea);
    std::unique_ptr<CompoundComponent> smallest = std::move(m_results.back());
    m_results.pop_back();
    return smallest;
}

// Keeps only the m_resultLimit smallest results, and from now on no larger ones: the cell limit
// becomes the largest area kept.
void Search::pruneResults() {
    std::vector<std::unique_ptr<CompoundComponent>> kept;
    std::int32_t largestKept = 0;
    while (!m_results.empty()) {
        std::unique_ptr<CompoundComponent> result = takeSmallestResult();
        if (kept.size() < m_resultLimit) {
            largestKept = result->area();
            kept.push_back(std::move(result));
        }
    }
    for (std::unique_ptr<CompoundComponent>& result : kept) {
        keepResult(std::move(result));
    }
    m_maxCells = largestKept;
    m_console.write(formatMessage("+++ Maximum cells limit set to %d\n", m_maxCells));
}

void Search::reportSortedResults() {
    if (m_results.empty()) {
        return;
    }
    m_console.write("... Sorting ...\n");
    bool writing = true;
    while (!m_results.empty()) {
        const std::unique_ptr<CompoundComponent> result = takeSmallestResult();
        printResultLine(*result, 0);
        if (!writing) {
            continue;
        }
        drawResult(*result, false);
        if (m_resultLimit != 0 && m_resultLimit-- == 1) {
            m_console.write("\nResult number limit reached\n\n");
            writing = false;
        }
    }
    m_console.flushFiles();
}

}  // namespace trelkan
