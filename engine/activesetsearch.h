// The active-set mode: each target's delay is split into multisets of components whose delays
// add up to it exactly, and each multiset is ordered into chains.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/componentsets.h"

namespace trelkan {

class ActiveSetSearch final : public ComponentSetSearch {
  public:
    explicit ActiveSetSearch(Search& search);

    void enumerateSets(const Target& target, SetPass pass) override;

  private:
    // Takes back units of the component at position i: its delay returns to the remainder and
    // its parities flip back.
    void takeBack(std::size_t i, std::int32_t units);
    void setFound(const Target& target, SetPass pass);

    Search& m_search;
    // Per component of the search's list: its count in the multiset, whether its own turn is a
    // mirror image, and whether it is a quarter turn.
    std::vector<std::int32_t> m_activeSet;
    std::vector<std::uint8_t> m_swaps;
    std::vector<std::uint8_t> m_turns;
    std::int64_t m_remaining = 0;
    std::int32_t m_mirrorParity = 0;
    std::int32_t m_turnParity = 0;
};

}  // namespace trelkan
