// A Herschel passing through a chain of proven conduits laid end to end (one conduit, a pair, or
// a pair with the consumer of the second's output), from an input at the origin facing F, and
// taken by the stand-in for the next conduit at the end.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/catalogue/reaction.h"

namespace trelkan::builder {

struct ProvenConduit;

struct Passage {
    // The catalysts of every conduit, and whether together they are still a still life.
    std::vector<LifeCell> catalysts;
    bool catalystsClash = false;
    // The input, then the output of each conduit.
    std::vector<SignalPlace> places;
    // Where the conduits' reactions are known to go.
    Box reach = Box::none();
    // The last conduit's output, as the stand-in takes it, for a Herschel fed in at time 0.
    OutputEvent output;
    // The generation of the last event of a Herschel fed in at time 0.
    std::int64_t lastEvent = 0;
    // The gliders the conduits send out on their own, for a Herschel fed in at time 0.
    std::vector<GliderPath> expectedGliders;
};

// The conduits in the order the signal meets them. Each conduit's own gliders must be known,
// except the first's when `firstGlidersKnown` is false.
Passage makePassage(const std::vector<const ProvenConduit*>& chain, bool firstGlidersKnown = true);

struct PassageRun {
    Outcome outcome = Outcome::kRunning;
    // The run at every generation from -4 to the one at which it was decided, when kept;
    // otherwise only the last.
    std::vector<Reaction> states;
    const Reaction& last() const { return states.back(); }
    // Gliders sent out that no conduit of the chain sends out on its own.
    std::vector<EmittedGlider> strayGliders;
};

PassageRun runPassage(const Passage& passage, bool keepStates, bool trackEverAlive);

// The smallest spacing from which on two Herschels pass and everything recovers, from a run of
// one Herschel whose states were kept. The cells alive in the runs that pass are added to
// everAlive.
std::int64_t measureRecovery(const Passage& passage, const PassageRun& single,
                             std::vector<LifeCell>& everAlive);

}  // namespace trelkan::builder
