// A Herschel signal's place (reference cell and direction), and the shapes the builder looks
// for around it.
#pragma once

#include <compare>
#include <cstdint>
#include <vector>

#include "base/box.h"
#include "base/direction.h"
#include "life/herschel.h"

namespace trelkan::builder {

struct SignalPlace {
    std::int32_t x = 0;
    std::int32_t y = 0;
    Direction dir = kF;
    friend auto operator<=>(const SignalPlace&, const SignalPlace&) = default;
};

inline std::vector<LifeCell> herschelAt(const SignalPlace& place) {
    return herschelCells(place.x, place.y, place.dir);
}

inline std::vector<LifeCell> predecessorAt(const SignalPlace& place) {
    return predecessorCells(place.x, place.y, place.dir);
}

// The block that many conduits keep two cells ahead of a Herschel's tail, at (3, 0) to (4, 1)
// in the Herschel's own frame. With it the Herschel never forms cleanly: the predecessor, four
// generations before, is the last clean sight of the signal.
std::vector<LifeCell> tailBlockAt(const SignalPlace& place);

// Maps a place given in a frame placed at `frame` into the frame's surroundings.
SignalPlace placeInFrame(const SignalPlace& frame, const SignalPlace& local);
LifeCell cellInFrame(const SignalPlace& frame, const LifeCell& local);
std::vector<LifeCell> cellsInFrame(const SignalPlace& frame, const std::vector<LifeCell>& local);
Box boxInFrame(const SignalPlace& frame, const Box& local);

}  // namespace trelkan::builder
