// A chain of conduits as a Life pattern: the catalysts of every chosen variant, placed as the
// catalogue places them, and one Herschel fed in at the chain's start. Running it proves the
// chain: the signal must come out at the chain's end at the chain's delay, and a loop must repeat.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/box.h"
#include "catalogue/componentregister.h"
#include "life/lifegrid.h"

namespace trelkan {

class ChainProof {
  public:
    // The chain of the named variants, started at the origin facing F. Nothing when a name is no
    // variant of the catalogue; error names it.
    static std::optional<ChainProof> build(const ComponentRegister& catalogue,
                                           const std::vector<std::string>& names,
                                           std::string& error);

    // The catalysts and the predecessor of the input Herschel, which becomes the Herschel four
    // generations later: a bare Herschel would not work in conduits with a block behind its tail.
    std::vector<LifeCell> startPattern() const;

    // Runs the pattern. Nothing when the chain works, else what failed.
    std::optional<std::string> check(std::int32_t margin) const;

    std::int64_t delay() const { return m_delay; }
    bool isLoop() const { return m_endX == 0 && m_endY == 0 && m_endDir == 0; }
    std::string describe() const;

  private:
    std::vector<LifeCell> m_catalysts;
    std::int64_t m_delay = 0;
    std::int32_t m_endX = 0;
    std::int32_t m_endY = 0;
    int m_endDir = 0;
    Box m_box;
};

}  // namespace trelkan
