// A Herschel passing through a chain of proven conduits laid end to end (one conduit, a pair, or
// a pair with the consumer of the second's output), from an input at the origin facing F, and
// taken by the stand-in for the next conduit at the end.
#pragma once

#include <cstdint>
#include <optional>
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

// A second Herschel `spacing` generations after the first, put down once the first has passed
// (the single run has recovered by spacing - 4): the run from there on, its states kept. It
// passes when it recovers and sends out nothing but what one Herschel sends out, twice.
PassageRun runAfterPassing(const Passage& passage, const PassageRun& single, std::int64_t spacing);

// The cells alive at some generation of a run whose states were kept, for Herschels fed in at
// the given times, but the first natural glider of each output that the stand-in let go, while
// it flies alone: that glider is the next conduit's, whose own run makes it.
std::vector<LifeCell> cellsOfThePassage(const Passage& passage, const PassageRun& run,
                                        const std::vector<std::int64_t>& inputTimes);

// The smallest spacing from which on two Herschels pass and everything recovers, from a run of
// one Herschel whose states were kept. The cells alive in the runs that pass are added to
// everAlive.
std::int64_t measureRecovery(const Passage& passage, const PassageRun& single,
                             std::vector<LifeCell>& everAlive);

}  // namespace trelkan::builder
