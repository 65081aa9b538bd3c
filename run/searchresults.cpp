// Results: the line printed for each, the pattern drawn for it, the result limit, and the report
// sorted by area.
#include <algorithm>

#include "compound/compoundcomponent.h"
#include "run/output.h"
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

void Search::printResultLine(CompoundComponent& chain, std::int32_t setNumber) {
    writeOutput("*** ");
    chain.print(setNumber);
    writeOutput("\n");
}

void Search::recordResult(CompoundComponent& chain, int inDir) {
    // The chain changes between results; its area must be that of the present places.
    chain.resetArea();
    ++m_statistics.results;
    printResultLine(chain, m_setNumber);
    if (m_sortResults) {
        keepResult(chain.copyAt(inDir));
        if (m_pruneSorted && m_results.size() > 2 * static_cast<std::size_t>(m_resultLimit) + 1) {
            pruneResults();
        }
    } else {
        // Images of runs that seek only loops may come out turned into their wider orientation.
        chain.copyAt(inDir)->writePattern(!m_loopTargetsOnly);
        if (m_resultLimit != 0 && --m_resultLimit == 0) {
            m_keepSearching.store(false);
            writeOutput("Result number limit reached\n");
        }
    }
    flushFiles();
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
    writeOutput(formatMessage("+++ Maximum cells limit set to %d\n", m_maxCells));
}

void Search::reportSortedResults() {
    if (m_results.empty()) {
        return;
    }
    writeOutput("... Sorting ...\n");
    bool writing = true;
    while (!m_results.empty()) {
        const std::unique_ptr<CompoundComponent> result = takeSmallestResult();
        printResultLine(*result, 0);
        if (!writing) {
            continue;
        }
        result->writePattern(!m_loopTargetsOnly);
        if (m_resultLimit != 0 && m_resultLimit-- == 1) {
            writeOutput("\nResult number limit reached\n\n");
            writing = false;
        }
    }
    flushFiles();
}

}  // namespace trelkan
