// The tests that keep a loop target's chains honest and single: a closed chain must contain no
// forbidden sequence as it goes round, and each cycle is reported in one rotation only.
#pragma once

namespace trelkan {

class ACTree;
class CompoundComponent;

// The loop test of a chain found for a loop target: read round and round, the loop must contain
// no forbidden sequence that is no longer than the loop itself.
bool isKnownLoopPrefix(const CompoundComponent& chain, const ACTree& automaton);

// Among the rotations of the chain that start with its own first component, the chain is the
// least, comparing component indices place by place. With the first component chosen as the one
// of the greatest index, this keeps one rotation of every cycle.
bool isCanonicalRotation(const CompoundComponent& chain);

}  // namespace trelkan
