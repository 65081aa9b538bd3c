// A chain of conduits as a Life pattern: the catalysts of every chosen variant, placed as the
// catalogue places them, and Herschels fed in at the chain's start. Running it proves the chain.
//
// An open chain must give out its Herschel at its end at the chain's delay, and once the next
// conduit (a stand-in that takes the Herschel away, and swallows or lets go the first glider it
// would send out) has taken it, every catalyst must be back, exactly. A loop of delay D at
// period P, D = kP, carries k signals P apart and must repeat with period P.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/box.h"
#include "catalogue/componentregister.h"
#include "life/lifegrid.h"

namespace trelkan {

class ChainProof {
  public:
    // Generations after the output within which the catalysts must be back.
    static constexpr std::int64_t kSettleLimit = 1000;

    // The chain of the named variants, started at the origin facing F. Nothing when a name is no
    // variant of the catalogue; error names it.
    static std::optional<ChainProof> build(const ComponentRegister& catalogue,
                                           const std::vector<std::string>& names,
                                           std::string& error);

    // The catalysts and the predecessor of the input Herschel, which becomes the Herschel four
    // generations later: a bare Herschel would not work in conduits with a block behind its tail.
    std::vector<LifeCell> startPattern() const;

    // The pattern that runs as the result: the start pattern, or for a loop that carries several
    // signals at the period, the pattern once the last of them has been fed in.
    std::vector<LifeCell> runningPattern(std::int64_t period) const;

    // Runs the pattern; period 0 stands for the chain's delay. Nothing when the chain works,
    // else what failed.
    std::optional<std::string> check(std::int32_t margin, std::int64_t period) const;

    std::int64_t delay() const { return m_delay; }
    bool isLoop() const { return m_endX == 0 && m_endY == 0 && m_endDir == 0; }
    // The number of signals a loop carries at the period (0 stands for the delay).
    std::int64_t signalsAt(std::int64_t period) const;
    std::string describe(std::int64_t period) const;

  private:
    // A grid at the chain's generation -4 with the first signal's predecessor, and one more fed
    // in at every period up to the signal count.
    LifeGrid fedGrid(std::int64_t period, std::int64_t signals) const;
    std::optional<std::string> checkOpenChain(std::int32_t margin) const;
    std::optional<std::string> checkLoop(std::int32_t margin, std::int64_t period) const;
    std::string missingOutput() const;
    // After the output: the catalysts, and nothing else, inside the area at some generation.
    bool catalystsComeBack(LifeGrid grid, const Box& area, bool releaseGlider) const;

    std::vector<LifeCell> m_catalysts;
    std::int64_t m_delay = 0;
    std::int32_t m_endX = 0;
    std::int32_t m_endY = 0;
    Direction m_endDir = kF;
    Box m_box;
};

}  // namespace trelkan
