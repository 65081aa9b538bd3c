#include "tools/catalogue/pairtest.h"

#include <algorithm>

#include "tools/catalogue/parallel.h"
#include "tools/catalogue/passage.h"

namespace trelkan::builder {

bool pairWorks(const ProvenConduit& first, const ProvenConduit& second,
               const std::vector<ProvenConduit>& proven, bool& clash) {
    const Passage passage = makePassage(withConsumer({&first, &second}, proven));
    clash = passage.catalystsClash;
    if (clash) {
        return false;
    }
    const PassageRun run = runPassage(passage, false, false);
    return run.outcome == Outcome::kRecovered && run.strayGliders.empty();
}

PairMatrix::PairMatrix(const std::vector<ProvenConduit>& proven, unsigned threads)
    : m_count(proven.size()),
      m_works(proven.size() * proven.size(), 0),
      m_clashes(m_works.size(), 0) {
    forEachIndex(m_works.size(), threads, [&](std::size_t i) {
        bool clash = false;
        m_works[i] = pairWorks(proven[i / m_count], proven[i % m_count], proven, clash) ? 1 : 0;
        m_clashes[i] = clash ? 1 : 0;
    });
}

}  // namespace trelkan::builder
