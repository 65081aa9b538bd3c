// Which proven conduit may directly follow which: the first's output Herschel runs through the
// second, put down at that output, the second's output appears when it should, every catalyst
// of both comes back, and no glider is sent out that neither sends out alone.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/catalogue/conduitproof.h"

namespace trelkan::builder {

// Row a, column b: conduit b may follow conduit a. Pairs are shared out among threads; the
// result does not depend on how.
class PairMatrix {
  public:
    PairMatrix(const std::vector<ProvenConduit>& proven, unsigned threads);

    bool works(std::size_t first, std::size_t second) const {
        return m_works[first * m_count + second] != 0;
    }
    // The catalysts of the pair overlap or touch so that together they are no still life.
    bool clashes(std::size_t first, std::size_t second) const {
        return m_clashes[first * m_count + second] != 0;
    }
    std::size_t count() const { return m_count; }

  private:
    std::size_t m_count = 0;
    std::vector<std::uint8_t> m_works;
    std::vector<std::uint8_t> m_clashes;
};

// One pair: false when the catalysts clash (and clash is set) or the run fails.
bool pairWorks(const ProvenConduit& first, const ProvenConduit& second,
               const std::vector<ProvenConduit>& proven, bool& clash);

}  // namespace trelkan::builder
