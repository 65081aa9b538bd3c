// A chain of conduits as a Life pattern: the catalysts of every chosen variant, placed as the
// catalogue places them, and Herschels fed in at the chain's start. Running it proves the chain.
//
// An open chain must give out its Herschel at its end at the chain's delay, and once the next
// conduit (a stand-in that takes the Herschel away, and swallows or lets go the first glider it
// would send out) has taken it, every catalyst must be back, exactly. A loop of delay D at
// period P, D = kP, carries k signals P apart and must repeat with period P.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/box.h"
#include "base/target.h"
#include "catalogue/componentregister.h"
#include "life/lifegrid.h"

namespace trelkan {

// What a working loop sends out: the gliders that leave it in one period, by direction.
struct GliderEmission {
    // The order of the counts: north-east, north-west, south-east, south-west.
    static constexpr std::array<const char*, 4> kDirectionNames = {"NE", "NW", "SE", "SW"};
    std::int64_t period = 0;
    std::array<std::int64_t, 4> gliders{};

    bool isGun() const { return gliders != std::array<std::int64_t, 4>{}; }
    // "oscillator", or "gun, every 1000 generations 1 glider towards NE, 1 towards NW and 2
    // towards SE".
    std::string describe() const;
};

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
    // The input is the chain's, or for a loop that check has proven, that of its fed conduit.
    std::vector<LifeCell> startPattern() const;

    // The pattern that runs as the result: the start pattern, or for a loop that carries several
    // signals at the period, the pattern once the last of them has been fed in.
    std::vector<LifeCell> runningPattern(std::int64_t period) const;

    // A loop that check has proven as it runs from then on: the cells inside its box widened by
    // margin once it is steady, which repeat with the period from the first generation on.
    std::vector<LifeCell> steadyPattern(std::int32_t margin, std::int64_t period) const;

    // Runs the pattern; period 0 stands for the chain's delay. Nothing when the chain works,
    // else what failed. A loop is fed in at the first conduit's input from which it works, and
    // the running pattern and the emission start there from then on.
    std::optional<std::string> check(std::int32_t margin, std::int64_t period);

    // What a loop that passes check sends out, seen from its repeating state on: gliders are
    // counted and taken away once they are clear of the chain's box widened by margin.
    GliderEmission emission(std::int32_t margin, std::int64_t period) const;

    // The generations after which the running pattern has shown what it does: four periods of a
    // loop, or an open chain's delay and the time its catalysts may take to come back.
    std::int64_t showingTime(std::int64_t period) const;

    std::int64_t delay() const { return m_delay; }
    // The area of the chain's box, as trelkan prints it in the result line.
    std::int64_t area() const { return m_box.area(); }
    bool isLoop() const { return m_endX == 0 && m_endY == 0 && m_endDir == 0; }
    // The number of signals a loop carries at the period (0 stands for the delay).
    std::int64_t signalsAt(std::int64_t period) const;
    std::string describe(std::int64_t period) const;

  private:
    // A grid at the chain's generation -4 with the first signal's predecessor, and one more fed
    // in at every period up to the signal count.
    LifeGrid fedGrid(std::int64_t period, std::int64_t signals) const;
    std::optional<std::string> checkOpenChain(std::int32_t margin) const;
    std::optional<std::string> checkLoop(std::int32_t margin, std::int64_t period);
    std::optional<std::string> checkLoopFrom(std::int32_t margin, std::int64_t period) const;
    // The period at which a loop repeats: its delay over the signals it carries.
    std::int64_t loopStep(std::int64_t period) const { return m_delay / signalsAt(period); }
    // Whether a signal is back at the start: as its predecessor at the grid's generation, as a
    // Herschel once the grid has run on to the Herschel's generation, as it does.
    bool signalArrives(LifeGrid& grid) const;
    // A generation of the fed grid, at which a signal's predecessor is due at the start, from
    // which on the loop runs as it always will.
    std::int64_t steadyGeneration(std::int64_t step, std::int32_t margin) const;
    std::string missingOutput(std::int64_t generation) const;
    // After the output: the catalysts, and nothing else, inside the area at some generation.
    bool catalystsComeBack(LifeGrid grid, const Box& area, bool releaseGlider) const;

    std::vector<LifeCell> m_catalysts;
    // Each conduit's input, in chain order, and the one at which the signals are fed in.
    std::vector<SignalState> m_inputs;
    std::size_t m_start = 0;
    std::int64_t m_delay = 0;
    std::int32_t m_endX = 0;
    std::int32_t m_endY = 0;
    Direction m_endDir = kF;
    Box m_box;
};

}  // namespace trelkan
