// Proving a drawn conduit in Life and measuring it: which Herschel is its input and which its
// output, the travel time, the recovery time, the gliders it sends out and the cells it uses.
//
// The conduit frame has the input Herschel's reference cell at the origin, facing F.
//
// The next conduit is played by a stand-in. An output Herschel is taken away when it appears,
// and its first natural glider is let go (or swallowed, when only that works). An output with
// the tail block ahead of it never forms cleanly and only a conduit with the same block at its
// input can take it, so such an output is taken by a real conduit of that kind: the first, in
// the collection's order, with which the pair recovers.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tools/catalogue/drawnconduit.h"
#include "tools/catalogue/reaction.h"

namespace trelkan::builder {

// What the conduit needs of the first natural glider of its output.
enum class GliderNeed {
    kEither,  // recovers whether the next conduit lets the glider go or not; the stand-in
              // swallows it, since a glider let go is the next conduit's own

    kRelease,  // recovers only when the glider is let go (it cleans up debris)
    kSwallow,  // recovers only when the next conduit swallows the glider
    kNone,     // the output is a predecessor with the tail block, taken by a real conduit
};

struct ProvenConduit {
    std::int32_t drawnIndex = 0;
    // The input Herschel in the picture.
    SignalPlace drawnInput;
    // In the conduit frame.
    std::vector<LifeCell> catalysts;
    SignalPlace output;
    OutputForm form = OutputForm::kHerschel;
    std::int64_t dt = 0;
    // The output Herschel was its clean predecessor four generations before.
    bool builtFromPredecessor = false;
    // The input has the tail block ahead of it.
    bool inputBlock = false;
    GliderNeed gliderNeed = GliderNeed::kEither;
    // For an output with the tail block: the position, among the proven conduits, of the one
    // that takes it in every test.
    std::int32_t consumer = -1;
    // The generation at which a single Herschel has passed and everything is back.
    std::int64_t settledAt = 0;
    // Every cell alive while a single Herschel passes (the runs that passed, its own catalysts
    // included): all that a Herschel needs once the one before it has passed.
    std::vector<LifeCell> passageAlive;
    // The smallest spacing of two Herschels that works, as does every larger one: the larger of
    // the two below where the stand-in can do both.
    std::int64_t recovery = 0;
    // The same with the stand-in swallowing, or letting go, the output's first natural glider;
    // 0 where the conduit does not pass that way. An output with the tail block counts as
    // swallowing.
    std::int64_t recoverySwallowing = 0;
    std::int64_t recoveryReleasing = 0;
    // Gliders that the conduit itself sends out when one Herschel passes.
    std::vector<EmittedGlider> gliders;
    // Every cell alive at some generation of the runs that passed, its own catalysts included.
    std::vector<LifeCell> everAlive;
    // Where its reaction goes: the drawn envelope, then the box of everAlive too.
    Box reach = Box::none();

    bool releasesGlider() const { return gliderNeed == GliderNeed::kRelease; }
    // The smallest spacing at which the second Herschel meets nothing but the catalysts: its
    // predecessor is put down when the first Herschel has passed.
    std::int64_t quietSpacing() const { return settledAt + kPredecessorLead; }
};

struct ConduitProof {
    std::optional<ProvenConduit> conduit;
    // Why the conduit did not pass.
    std::string failure;
    // The output needs a real consumer, to be found among the other conduits.
    bool needsConsumer = false;
};

// The latest generation at which an output is looked for.
inline constexpr std::int64_t kOutputSearchLimit = 400;

// Proves the conduit up to its consumer: complete for an output Herschel, while an output with
// the tail block comes back with needsConsumer set.
ConduitProof proveConduit(const DrawnConduit& drawn);

// Completes the proof of a conduit whose output needs a real consumer, trying the proven
// conduits (with the tail block at their input and an output Herschel) in order.
ConduitProof proveWithConsumer(ProvenConduit conduit, const std::vector<ProvenConduit>& proven);

// The chain of a conduit followed by the consumer of its output when it needs a real one.
std::vector<const ProvenConduit*> withConsumer(std::vector<const ProvenConduit*> chain,
                                               const std::vector<ProvenConduit>& proven);

}  // namespace trelkan::builder
