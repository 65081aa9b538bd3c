// The collection as a picture of LifeHistory states, addressed like the RLE file: x to the
// right and y downwards from the top left corner.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "life/lifegrid.h"
#include "life/rlepattern.h"

namespace trelkan::builder {

// What the collection draws in each state.
enum PictureState : std::uint8_t {
    kEmpty = 0,
    kCatalyst = 1,
    kEnvelope = 2,
    kMarking = 4,  // Herschels and the label text
    kRule = 6,     // the lines between the rows of conduits
};

class Picture {
  public:
    // The largest picture accepted, in cells: far beyond the collection, and a bound on memory.
    static constexpr std::int64_t kMaxArea = std::int64_t{1} << 26;

    // Nothing, with the reason in error, when the pattern is too big to hold.
    static std::optional<Picture> fromPattern(const RlePattern& pattern, std::string& error);

    std::int32_t width() const { return m_width; }
    std::int32_t height() const { return m_height; }
    std::uint8_t state(std::int32_t x, std::int32_t y) const {
        if (x < 0 || y < 0 || x >= m_width || y >= m_height) {
            return kEmpty;
        }
        return m_states[static_cast<std::size_t>(y) * static_cast<std::size_t>(m_width) +
                        static_cast<std::size_t>(x)];
    }
    // The cells of a state, row by row.
    std::vector<LifeCell> cellsOfState(std::uint8_t state) const;

  private:
    std::int32_t m_width = 0;
    std::int32_t m_height = 0;
    std::vector<std::uint8_t> m_states;
};

}  // namespace trelkan::builder
