#include "tools/catalogue/naturalglider.h"

#include <algorithm>
#include <cassert>
#include <optional>

#include "life/herschel.h"
#include "tools/catalogue/cellgroups.h"
#include "tools/catalogue/field.h"
#include "tools/catalogue/glider.h"

namespace trelkan::builder {
namespace {

// Room for the lone Herschel's first few hundred generations.
constexpr Box kRoom{-160, 160, -160, 160};
// How long the whole and its parts must agree before the glider counts as separated.
constexpr std::int64_t kProofGenerations = 96;
constexpr std::int64_t kSearchLimit = 120;

std::vector<LifeCell> unionOf(std::vector<LifeCell> a, const std::vector<LifeCell>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return normalisedCells(std::move(a));
}

// The rest of the pattern, run without the glider, together with the glider running alone,
// stays equal to the whole.
bool separatesForGood(const Field& whole, const std::vector<LifeCell>& glider,
                      const GliderPath& path) {
    Field together = whole;
    Field rest = whole;
    rest.erase(glider);
    for (std::int64_t i = 0; i < kProofGenerations; ++i) {
        together.step();
        rest.step();
        if (together.cells() != unionOf(rest.cells(), gliderCells(path, together.generation()))) {
            return false;
        }
    }
    return true;
}

NaturalGlider findFirstNaturalGlider() {
    Field field(kRoom);
    field.add(predecessorCells(0, 0, kF));
    field.setGeneration(-kPredecessorLead);
    while (field.generation() < kSearchLimit) {
        field.step();
        for (const std::vector<LifeCell>& group : groupCells(field.cells(), 3)) {
            const std::optional<GliderPath> path = gliderPath(group, field.generation());
            if (path && separatesForGood(field, group, *path)) {
                return {field.generation(), group};
            }
        }
    }
    assert(false && "a lone Herschel sends out a glider");
    return {};
}

}  // namespace

const NaturalGlider& firstNaturalGlider() {
    static const NaturalGlider glider = findFirstNaturalGlider();
    return glider;
}

}  // namespace trelkan::builder
