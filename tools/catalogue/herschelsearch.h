// Finding the Herschels drawn among the marking cells (state 4) of the collection, which also
// hold the label text.
#pragma once

#include <vector>

#include "tools/catalogue/picture.h"
#include "tools/catalogue/signal.h"

namespace trelkan::builder {

// Every placement of the Herschel, in any direction, whose 7 cells are marked while none of the
// 19 cells around them is: the glyphs of the labels never make one. In reading order of the
// reference cell.
std::vector<SignalPlace> findHerschels(const Picture& picture);

// Herschels facing F among the given marking cells whose surroundings hold other marks (a
// drawing of an intermediate signal touching the input), with every cell within two cells of the
// envelope, which label glyphs never are.
std::vector<SignalPlace> findMarkedInputs(const Picture& picture,
                                          const std::vector<LifeCell>& marks);

}  // namespace trelkan::builder
