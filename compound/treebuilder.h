// The automaton of forbidden sequences of a prepared catalogue: its inactive components, the
// sequences of its definition file, and as many short chains that the variant solver cannot
// realise as the memory budget allows. It is built here, beside the solver it needs, and handed
// to the catalogue, which keeps it for the search.
#pragma once

#include <cstdint>

#include "base/textsink.h"

namespace trelkan {

class ComponentRegister;

// Takes the catalogue's sequences out of it; writes the two progress lines to out.
void buildTree(ComponentRegister& catalogue, std::uint32_t bytes, TextSink& out);

}  // namespace trelkan
