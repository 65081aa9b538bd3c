// One run of Life around a conduit (or a few conduits end to end): catalysts, Herschels fed in
// at chosen generations, and the stand-in for the next conduit, which takes each output away
// when it appears. The run ends when it is decided: every catalyst is back and nothing is left
// but them, or some failure.
//
// Generations count from the input Herschel: a Herschel fed in at time t is put down as its
// predecessor at t - 4. Gliders that leave the conduit's area for good are taken out and
// recorded; anything else that reaches the edge of the field is a failure.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <string_view>
#include <vector>

#include "tools/catalogue/field.h"
#include "tools/catalogue/glider.h"
#include "tools/catalogue/signal.h"

namespace trelkan::builder {

// How an output is recognised and taken. A Herschel with the tail block ahead never forms
// cleanly, so its predecessor, four generations earlier, stands for it.
enum class OutputForm { kHerschel, kPredecessor };

struct InputEvent {
    SignalPlace place;
    std::int64_t time = 0;
};

struct OutputEvent {
    SignalPlace place;
    OutputForm form = OutputForm::kHerschel;
    std::int64_t time = 0;
    // The stand-in lets the output's first natural glider go: it puts the glider down in the
    // output's frame at the generation a lone Herschel would have separated it.
    bool releaseGlider = true;
};

enum class Outcome {
    kRunning,
    kRecovered,
    kOutputMissing,
    kEscaped,
    kDebris,
    kUnsettled,
};
std::string_view outcomeText(Outcome outcome);

struct EmittedGlider {
    GliderPath path;
    // The generation at which it was taken out, and its cells then.
    std::int64_t generation = 0;
    std::vector<LifeCell> cells;
};

struct OutputWatch {
    SignalPlace place;
    OutputForm form = OutputForm::kHerschel;
};

struct Sighting {
    std::size_t watch = 0;
    // The Herschel's generation (for the predecessor form, four after it was seen).
    std::int64_t time = 0;
    // The Herschel form was preceded by its clean predecessor four generations before.
    bool builtFromPredecessor = false;
};

class Reaction {
  public:
    // Generations after the last event within which the run must settle.
    static constexpr std::int64_t kSettleLimit = 1000;

    // places: every signal place the run will feed or watch; reach: where the reactions are
    // known to go (a drawn envelope, or cells seen alive before). The area covers them all.
    Reaction(const std::vector<LifeCell>& catalysts, const std::vector<SignalPlace>& places,
             const Box& reach, std::int64_t startGeneration, bool trackEverAlive);

    // Events at or after the current generation. A run that had recovered runs on.
    void addInput(const InputEvent& input);
    void addOutput(const OutputEvent& output);

    // Whether both runs hold the same cells now (they must share the area).
    bool sameCellsAs(const Reaction& other) const { return m_field.sameCells(other.m_field); }

    // Runs until the generation, or until decided.
    void runTo(std::int64_t generation);
    // Runs until decided.
    Outcome finish();

    // Runs up to the limit and reports every watched output that appears, taking each away
    // when it does (without its glider). Stops early when nothing can happen any more.
    std::vector<Sighting> search(const std::vector<OutputWatch>& watches, std::int64_t limit);

    Outcome outcome() const { return m_outcome; }
    std::int64_t generation() const { return m_field.generation(); }
    const std::vector<EmittedGlider>& emittedGliders() const { return m_emitted; }
    std::vector<LifeCell> everAlive() const { return m_field.everAlive(); }
    std::vector<LifeCell> cells() const { return m_field.cells(); }

  private:
    struct GliderDrop {
        std::int64_t time = 0;
        std::vector<LifeCell> cells;
        GliderPath path;
    };

    void resume();
    void stepOnce();
    void handleEvents();
    bool takeOutput(const OutputEvent& output);
    void releaseDepartedGliders();
    void decideIfSettled();
    bool eventsPending() const;
    std::int64_t lastEventTime() const;

    Field m_field;
    // The catalysts alone: what the field must come back to. Shared by copies of the run.
    std::shared_ptr<const Field> m_catalysts;
    Box m_area;
    std::vector<InputEvent> m_inputs;
    std::vector<OutputEvent> m_outputs;
    std::vector<GliderDrop> m_drops;
    // Paths of the gliders the stand-in released: they are not the conduit's own.
    std::set<GliderPath> m_released;
    std::vector<EmittedGlider> m_emitted;
    std::int64_t m_lastEvent = 0;
    std::optional<Field> m_snapshot;
    Outcome m_outcome = Outcome::kRunning;
};

}  // namespace trelkan::builder
