// The variant solver, checked against a brute-force search over small random catalogues, and on
// the hand-made cases whose answers follow from their geometry.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <memory>
#include <new>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "catalogue/componentregister.h"
#include "compound/compoundcomponent.h"
#include "tests/support/catalogue.h"

// Counts the allocations made while counting is on, to show that solving allocates nothing.
namespace {
bool g_countAllocations = false;
std::size_t g_allocations = 0;
}  // namespace

void* operator new(std::size_t size) {
    if (g_countAllocations) {
        ++g_allocations;
    }
    if (void* memory = std::malloc(size == 0 ? 1 : size)) {
        return memory;
    }
    throw std::bad_alloc();
}
// The standard library's temporary buffers come from here; they go back through the deletes below.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    if (g_countAllocations) {
        ++g_allocations;
    }
    return std::malloc(size == 0 ? 1 : size);
}
// Not inlined: GCC would take the free, inlined into a delete expression, for a mismatch.
[[gnu::noinline]] void operator delete(void* memory) noexcept {
    std::free(memory);
}
[[gnu::noinline]] void operator delete(void* memory, std::size_t) noexcept {
    std::free(memory);
}

namespace trelkan {
namespace {

using testing::addSimpleVariant;
using testing::map;

constexpr std::int32_t kInt32Max = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kInt32Min = std::numeric_limits<std::int32_t>::min();

void prepareQuietly(ComponentRegister& catalogue, std::int32_t period, bool loopsOnly,
                    bool buildCaches) {
    catalogue.prepare(period, 0, loopsOnly, buildCaches);
}

bool leadsInto(const ShiftedComponent& from, const ShiftedComponent& to) {
    return to.x() == from.outX() && to.y() == from.outY() && to.dir() == from.outDir();
}

// The rules a solution must keep, applied directly to every assignment of active variants.
class BruteForce {
  public:
    explicit BruteForce(const CompoundComponent& chain) {
        const ComponentRegister& catalogue = chain.place(0).component()->owner();
        for (std::int32_t i = 0; i < chain.count(); ++i) {
            m_places.push_back(chain.place(i));
            const BasicComponent& component = *m_places.back().component();
            m_options.emplace_back();
            for (std::int32_t k = 0; k < component.activeCount(); ++k) {
                m_options.back().push_back(&component.activeVariant(k));
            }
        }
        for (std::size_t i = 0; i < m_places.size(); ++i) {
            m_first.push_back(m_total);
            m_total += m_options[i].size();
            for (ComponentVariant* variant : m_options[i]) {
                m_places[i].setVariant(variant);
                m_boxes.push_back(m_places[i].placedBox());
                m_alone.push_back(!leadsInto(m_places[i], m_places[i]) ||
                                  catalogue.canFollow(*variant, *variant));
            }
        }
        m_together.assign(m_total * m_total, false);
        for (std::size_t i = 0; i < m_places.size(); ++i) {
            for (std::size_t j = i + 1; j < m_places.size(); ++j) {
                fillPair(catalogue, i, j);
            }
        }
    }

    std::size_t count() const { return m_places.size(); }

    // The longest leading part of the chain that some assignment realises.
    std::size_t longestRealisablePrefix() const {
        std::size_t longest = 0;
        std::vector<std::size_t> picks;
        walk(picks, [&](const std::vector<std::size_t>& partial) {
            longest = std::max(longest, partial.size());
            return longest < count();
        });
        return longest;
    }

    std::optional<std::int32_t> smallestArea() const {
        std::optional<std::int32_t> smallest;
        std::vector<std::size_t> picks;
        walk(picks, [&](const std::vector<std::size_t>& partial) {
            if (partial.size() == count()) {
                const std::int32_t area = areaOf(partial);
                smallest = std::min(smallest.value_or(area), area);
            }
            return true;
        });
        return smallest;
    }

    // The variants the chain's places hold now are active and keep every rule.
    bool accepts(const CompoundComponent& chain) const {
        std::vector<std::size_t> picks;
        for (std::size_t i = 0; i < count(); ++i) {
            const auto& options = m_options[i];
            const auto found = std::find(options.begin(), options.end(),
                                         chain.place(static_cast<std::int32_t>(i)).variant());
            if (found == options.end() ||
                !fits(picks, i, static_cast<std::size_t>(found - options.begin()))) {
                return false;
            }
            picks.push_back(static_cast<std::size_t>(found - options.begin()));
        }
        return true;
    }

  private:
    // Joined places answer to the pair matrix in the direction of each join; others must not
    // share a cell of their usage.
    void fillPair(const ComponentRegister& catalogue, std::size_t i, std::size_t j) {
        const bool forward = leadsInto(m_places[i], m_places[j]);
        const bool backward = leadsInto(m_places[j], m_places[i]);
        for (std::size_t a = 0; a < m_options[i].size(); ++a) {
            for (std::size_t b = 0; b < m_options[j].size(); ++b) {
                ComponentVariant& first = *m_options[i][a];
                ComponentVariant& second = *m_options[j][b];
                bool allowed = true;
                if (forward || backward) {
                    allowed = (!forward || catalogue.canFollow(first, second)) &&
                              (!backward || catalogue.canFollow(second, first));
                } else {
                    m_places[i].setVariant(&first);
                    m_places[j].setVariant(&second);
                    allowed = m_places[i].isCompatibleWith(m_places[j]);
                }
                const std::size_t x = m_first[i] + a;
                const std::size_t y = m_first[j] + b;
                m_together[x * m_total + y] = allowed;
                m_together[y * m_total + x] = allowed;
            }
        }
    }

    bool fits(const std::vector<std::size_t>& picks, std::size_t i, std::size_t a) const {
        const std::size_t x = m_first[i] + a;
        if (!m_alone[x]) {
            return false;
        }
        for (std::size_t j = 0; j < picks.size(); ++j) {
            if (!m_together[(m_first[j] + picks[j]) * m_total + x]) {
                return false;
            }
        }
        return true;
    }

    // Visits every assignment of a leading part of the chain that keeps the rules, depth first,
    // until visit returns false.
    template <typename Visit>
    bool walk(std::vector<std::size_t>& picks, Visit&& visit) const {
        if (!visit(picks)) {
            return false;
        }
        const std::size_t i = picks.size();
        if (i == count()) {
            return true;
        }
        for (std::size_t a = 0; a < m_options[i].size(); ++a) {
            if (!fits(picks, i, a)) {
                continue;
            }
            picks.push_back(a);
            const bool go = walk(picks, visit);
            picks.pop_back();
            if (!go) {
                return false;
            }
        }
        return true;
    }

    // As the chain measures itself: boxes that hold nothing are skipped, and a chain of such
    // boxes only is the origin cell.
    std::int32_t areaOf(const std::vector<std::size_t>& picks) const {
        Box box = Box::none();
        for (std::size_t i = 0; i < picks.size(); ++i) {
            box.include(m_boxes[m_first[i] + picks[i]]);
        }
        return box.isEmpty() ? Box{}.area() : box.area();
    }

    std::vector<ShiftedComponent> m_places;
    std::vector<std::vector<ComponentVariant*>> m_options;
    std::vector<std::size_t> m_first;
    std::size_t m_total = 0;
    std::vector<Box> m_boxes;
    std::vector<bool> m_alone;
    std::vector<bool> m_together;
};

// What the random catalogues contained, so that the tests know they met the awkward cases.
struct Coverage {
    int cases = 0;
    int closed = 0;
    int feasible = 0;
    int disjointVariants = 0;
    int inputOutsideImage = 0;
    int unreadableImage = 0;
    int improvedByMinimising = 0;
};

struct SignalState {
    std::int32_t x = 0;
    std::int32_t y = 0;
    Direction dir = kF;
};

SignalState after(const BasicComponent& component, SignalState state) {
    const Offset out = component.outOffset(state.dir);
    return {wrapAdd(state.x, out.x), wrapAdd(state.y, out.y), component.outDir(state.dir)};
}

// A small catalogue and one chain over it, both random. Chains are open, closed (a component
// that leaves its input as it is, or a last component made to lead back to the first input), or
// begun anew part of the way along.
class RandomCase {
  public:
    explicit RandomCase(std::uint32_t seed) : m_rng(seed) {
        const int bases = pick(2, 4);
        for (int i = 0; i < bases; ++i) {
            const bool still = chance(0.2);
            addComponent(still ? kF : directionOf(pick(0, 7)), still ? 0 : pick(-5, 5),
                         still ? 0 : pick(-5, 5));
        }
        planChain();
        for (BasicComponent* component : m_components) {
            const int variants = pick(1, 4);
            for (int v = 0; v < variants; ++v) {
                addVariant(*component);
            }
        }
        m_catalogue.finishComponents();
        overridePairs();
        const std::int32_t periods[] = {0, 0, 0, 2, 3, 6};
        prepareQuietly(m_catalogue, periods[pick(0, 5)], chance(0.2), chance(0.5));
        buildChain();
    }

    CompoundComponent& chain() { return *m_chain; }

    void record(Coverage& coverage) const {
        ++coverage.cases;
        coverage.closed += m_closed ? 1 : 0;
        bool disjoint = false;
        bool outside = false;
        for (std::int32_t v = 0; v < m_catalogue.variantCount(); ++v) {
            const ComponentVariant& variant = m_catalogue.variant(v);
            // An image that could not be read never takes part.
            EXPECT_FALSE(!variant.isUsable() && variant.isActive()) << variant.name();
        }
        const bool unreadable = std::any_of(
            m_components.begin(), m_components.end(), [](const BasicComponent* component) {
                for (std::int32_t v = 0; v < component->variantCount(); ++v) {
                    if (!component->variant(v).isUsable()) {
                        return true;
                    }
                }
                return false;
            });
        for (std::int32_t i = 0; i < m_chain->count(); ++i) {
            const BasicComponent& component = *m_chain->place(i).component();
            Box common{kInt32Min, kInt32Max, kInt32Min, kInt32Max};
            for (std::int32_t k = 0; k < component.activeCount(); ++k) {
                const Box box = component.activeVariant(k).box(kF);
                outside = outside || (!box.isEmpty() && !box.contains(0, 0));
                common = {std::max(common.minX, box.minX), std::min(common.maxX, box.maxX),
                          std::max(common.minY, box.minY), std::min(common.maxY, box.maxY)};
            }
            disjoint = disjoint || (component.activeCount() > 1 && common.isEmpty());
        }
        coverage.disjointVariants += disjoint ? 1 : 0;
        coverage.inputOutsideImage += outside ? 1 : 0;
        coverage.unreadableImage += unreadable ? 1 : 0;
    }

  private:
    int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(m_rng); }
    bool chance(double p) { return std::bernoulli_distribution(p)(m_rng); }

    BasicComponent& addComponent(Direction dir, std::int32_t dx, std::int32_t dy) {
        const std::string name = "c" + std::to_string(m_components.size());
        m_components.push_back(&m_catalogue.addComponent(name, dir, dx, dy, 1));
        return *m_components.back();
    }

    // A rectangle of up to five by five cells with its origin anywhere near it, so that the
    // input cell may lie outside; the usage map shares the image's rectangle.
    struct Frame {
        int width = 0;
        int height = 0;
        std::int32_t dx = 0;
        std::int32_t dy = 0;
    };

    Frame randomFrame() {
        Frame frame{pick(1, 5), pick(1, 5), 0, 0};
        frame.dx = pick(-3, frame.width + 2);
        frame.dy = pick(-3, frame.height + 2);
        return frame;
    }

    std::shared_ptr<const CellMap> randomMap(const Frame& frame, double density) {
        std::string rle;
        for (int row = 0; row < frame.height; ++row) {
            for (int column = 0; column < frame.width; ++column) {
                rle += chance(density) ? 'o' : 'b';
            }
            rle += row + 1 < frame.height ? '$' : '!';
        }
        return map(frame.dx, frame.dy, rle.c_str());
    }

    void addVariant(BasicComponent& component) {
        const std::string name = component.name() + "v" + std::to_string(component.variantCount());
        const Frame frame = randomFrame();
        // Text that cannot be read leaves the variant out of every chain.
        const auto image = chance(0.08) ? map(0, 0, "3q!") : randomMap(frame, 0.5);
        const auto usage = randomMap(frame, 0.5);
        m_catalogue.addVariant(component, name, pick(1, 3), 1, 0, VariantType{}, image, usage);
    }

    // Random edits of the seeded pair matrix, so that joined variants that share cells may
    // follow each other and others may not.
    void overridePairs() {
        for (std::int32_t a = 0; a < m_catalogue.variantCount(); ++a) {
            for (std::int32_t b = 0; b < m_catalogue.variantCount(); ++b) {
                if (chance(0.3)) {
                    m_catalogue.setFollow(m_catalogue.variant(a), m_catalogue.variant(b),
                                          chance(0.5));
                }
            }
        }
    }

    void planChain() {
        const int length = pick(1, 8);
        if (chance(0.08)) {
            m_start = {kInt32Max - pick(0, 12), kInt32Min + pick(0, 12), directionOf(pick(0, 7))};
        } else if (chance(0.3)) {
            m_start = {pick(-1000000000, 1000000000), pick(-1000000000, 1000000000),
                       directionOf(pick(0, 7))};
        }
        const int bases = static_cast<int>(m_components.size());
        m_closed = chance(0.5);
        if (m_closed && length == 1) {
            m_plan.push_back(&addComponent(kF, 0, 0));
            return;
        }
        SignalState state = m_start;
        for (int i = 0; i < (m_closed ? length - 1 : length); ++i) {
            m_plan.push_back(m_components[static_cast<std::size_t>(pick(0, bases - 1))]);
            state = after(*m_plan.back(), state);
        }
        if (m_closed) {
            // The last component turns the signal back into the first input.
            const Direction dir = inverseCompose(state.dir, m_start.dir);
            const Offset back = turnOffset(inverseDir(state.dir), wrapSub(m_start.x, state.x),
                                           wrapSub(m_start.y, state.y));
            m_plan.push_back(&addComponent(dir, back.x, back.y));
        } else if (length > 1 && chance(0.15)) {
            m_restartAt = pick(1, length - 1);
        }
    }

    void buildChain() {
        const std::int32_t variants = m_catalogue.maxVariants();
        m_chain = std::make_unique<CompoundComponent>(8, variants, 8 * variants, "???");
        m_chain->setEnd(m_start.x, m_start.y, m_start.dir);
        for (std::size_t i = 0; i < m_plan.size(); ++i) {
            if (static_cast<int>(i) == m_restartAt) {
                m_chain->setEnd(wrapAdd(m_chain->endX(), pick(-4, 4)),
                                wrapAdd(m_chain->endY(), pick(-4, 4)), directionOf(pick(0, 7)));
            }
            m_chain->append(*m_plan[i]);
        }
        if (m_closed) {
            EXPECT_EQ(m_chain->endX(), m_start.x);
            EXPECT_EQ(m_chain->endY(), m_start.y);
            EXPECT_EQ(m_chain->endDir(), m_start.dir);
        }
    }

    std::mt19937 m_rng;
    ComponentRegister m_catalogue;
    std::vector<BasicComponent*> m_components;
    std::vector<BasicComponent*> m_plan;
    SignalState m_start;
    bool m_closed = false;
    int m_restartAt = -1;
    std::unique_ptr<CompoundComponent> m_chain;
};

constexpr std::uint32_t kCases = 2500;

void expectAwkwardCasesMet(const Coverage& coverage) {
    EXPECT_GT(coverage.closed, coverage.cases / 4);
    EXPECT_GT(coverage.feasible, coverage.cases / 5);
    EXPECT_LT(coverage.feasible, coverage.cases * 4 / 5);
    EXPECT_GT(coverage.disjointVariants, coverage.cases / 10);
    EXPECT_GT(coverage.inputOutsideImage, coverage.cases / 10);
    EXPECT_GT(coverage.unreadableImage, coverage.cases / 20);
}

TEST(ComposeAgainstBruteForce, SucceedsExactlyWhenSomeAssignmentKeepsTheRules) {
    Coverage coverage;
    for (std::uint32_t seed = 1; seed <= kCases && !::testing::Test::HasFailure(); ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        RandomCase random(seed);
        random.record(coverage);
        CompoundComponent& chain = random.chain();
        const BruteForce brute(chain);
        const auto longest = static_cast<std::int32_t>(brute.longestRealisablePrefix());

        const std::int32_t result = chain.compose(false);
        if (longest == chain.count()) {
            ++coverage.feasible;
            EXPECT_EQ(result, 0);
            EXPECT_TRUE(brute.accepts(chain));
        } else {
            // The first count - result places can be realised and one more cannot.
            EXPECT_EQ(result, chain.count() - longest);
        }
    }
    expectAwkwardCasesMet(coverage);
}

TEST(ComposeAgainstBruteForce, MinimisingLeavesTheSmallestArea) {
    Coverage coverage;
    for (std::uint32_t seed = 100001; seed < 100001 + kCases && !::testing::Test::HasFailure();
         ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        RandomCase random(seed);
        random.record(coverage);
        CompoundComponent& chain = random.chain();
        const BruteForce brute(chain);
        const std::optional<std::int32_t> smallest = brute.smallestArea();

        const std::int32_t plain = chain.compose(false);
        const std::int32_t firstArea = chain.area();  // Cached until the next minimising solve.
        const std::int32_t result = chain.compose(true);
        EXPECT_EQ(result, plain);
        if (!smallest) {
            EXPECT_NE(result, 0);
            continue;
        }
        ++coverage.feasible;
        ASSERT_EQ(result, 0);
        EXPECT_TRUE(brute.accepts(chain));
        EXPECT_EQ(chain.area(), *smallest);
        EXPECT_EQ(chain.area(), chain.bounds().area());
        EXPECT_LE(chain.area(), firstArea);
        coverage.improvedByMinimising += chain.area() < firstArea ? 1 : 0;
    }
    expectAwkwardCasesMet(coverage);
    EXPECT_GT(coverage.improvedByMinimising, coverage.feasible / 10);
}

TEST(ComposeAgainstBruteForce, SolvingAllocatesNothing) {
    for (std::uint32_t seed = 1; seed <= 200; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        RandomCase random(seed);
        CompoundComponent& chain = random.chain();
        chain.compose(true);  // Opens the windows of the verdict caches that it needs.
        g_allocations = 0;
        g_countAllocations = true;
        chain.compose(false);
        chain.compose(true);
        g_countAllocations = false;
        EXPECT_EQ(g_allocations, 0u);
    }
}

// Hand-made catalogues: components that step along x unless said otherwise, variants whose image
// is also their usage.
class ComposeCases : public ::testing::Test {
  protected:
    BasicComponent& component(const char* name, Direction dir, std::int32_t dx, std::int32_t dy) {
        return m_catalogue.addComponent(name, dir, dx, dy, 1);
    }
    ComponentVariant& variant(BasicComponent& owner, const char* name, const char* rle,
                              std::int32_t dx = 0, std::int32_t dy = 0) {
        return addSimpleVariant(m_catalogue, owner, name, rle, dx, dy);
    }
    // A variant of a single cell at (x, y) of its component's frame.
    ComponentVariant& cell(BasicComponent& owner, const char* name, std::int32_t x,
                           std::int32_t y) {
        return variant(owner, name, "o!", -x, y);
    }
    // Every variant may follow every other one, so that preparation keeps them all; the tests
    // forbid what they need afterwards.
    void finish() {
        m_catalogue.finishComponents();
        for (std::int32_t a = 0; a < m_catalogue.variantCount(); ++a) {
            for (std::int32_t b = 0; b < m_catalogue.variantCount(); ++b) {
                follow(m_catalogue.variant(a), m_catalogue.variant(b), true);
            }
        }
        prepareQuietly(m_catalogue, 0, false, false);
    }
    void follow(const ComponentVariant& a, const ComponentVariant& b, bool allowed) {
        m_catalogue.setFollow(a, b, allowed);
    }
    CompoundComponent& chainOf(std::initializer_list<const BasicComponent*> components,
                               std::int32_t x = 0, std::int32_t y = 0) {
        const std::int32_t variants = m_catalogue.maxVariants();
        m_chain = std::make_unique<CompoundComponent>(8, variants, 8 * variants, "???");
        m_chain->setEnd(x, y, kF);
        for (const BasicComponent* c : components) {
            m_chain->append(*c);
        }
        return *m_chain;
    }
    std::vector<const ComponentVariant*> chosen() const {
        std::vector<const ComponentVariant*> variants;
        for (std::int32_t i = 0; i < m_chain->count(); ++i) {
            variants.push_back(m_chain->place(i).variant());
        }
        return variants;
    }

    ComponentRegister m_catalogue;
    std::unique_ptr<CompoundComponent> m_chain;
};

TEST_F(ComposeCases, EmptyChainSucceedsAndChainWithoutSlotsFails) {
    BasicComponent& hop = component("hop", kF, 3, 0);
    variant(hop, "h", "o!");
    finish();
    CompoundComponent empty(4, 1, 4, "???");
    EXPECT_EQ(empty.compose(false), 0);
    EXPECT_EQ(empty.compose(true), 0);
    CompoundComponent slotless(4, 1, 0, "???");
    for (int i = 0; i < 3; ++i) {
        slotless.append(hop);
    }
    EXPECT_EQ(slotless.compose(false), 3);
    EXPECT_EQ(slotless.compose(true), 3);
}

TEST_F(ComposeCases, PlaceThatCannotFollowItsPredecessorFailsThere) {
    BasicComponent& first = component("first", kF, 3, 0);
    BasicComponent& second = component("second", kF, 3, 0);
    const ComponentVariant* firsts[] = {&variant(first, "a1", "o!"), &variant(first, "a2", "o!")};
    const ComponentVariant* seconds[] = {&variant(second, "b1", "o!"),
                                         &variant(second, "b2", "o!")};
    finish();
    for (const ComponentVariant* a : firsts) {
        for (const ComponentVariant* b : seconds) {
            follow(*a, *b, false);
        }
    }
    EXPECT_EQ(chainOf({&first, &second}).compose(false), 1);
    EXPECT_EQ(chainOf({&first, &second}).compose(true), 1);
    EXPECT_EQ(chainOf({&second, &first}).compose(false), 0);
    EXPECT_EQ(chainOf({&first, &second, &first, &first}).compose(false), 3);
}

TEST_F(ComposeCases, JoinedPlacesAnswerToThePairMatrixOthersToTheirCells) {
    // Three cells wide and one step long: each place covers the next one's cells.
    BasicComponent& wide = component("wide", kF, 1, 0);
    const ComponentVariant& w = variant(wide, "w", "3o!");
    BasicComponent& hop = component("hop", kF, 10, 0);
    const ComponentVariant& h = variant(hop, "h", "o!");
    finish();
    follow(w, w, false);
    EXPECT_EQ(chainOf({&wide, &wide}).compose(false), 1);
    follow(w, w, true);
    EXPECT_EQ(chainOf({&wide, &wide}).compose(false), 0);
    // Places 0 and 2 are not joined, and share the cell x = 2.
    EXPECT_EQ(chainOf({&wide, &wide, &wide}).compose(false), 1);

    // Places that are not joined never ask the pair matrix.
    follow(h, w, true);
    follow(w, h, true);
    follow(h, h, false);
    EXPECT_EQ(chainOf({&hop, &wide, &hop}).compose(false), 0);
}

TEST_F(ComposeCases, LoopOfTwoPlacesNeedsBothJoinsAllowed) {
    BasicComponent& out = component("out", kF, 4, 0);
    BasicComponent& back = component("back", kF, -4, 0);
    // The two cover the same cells, which joined places may.
    const ComponentVariant& o = variant(out, "o", "5o!");
    const ComponentVariant& b = variant(back, "b", "5o!", 4, 0);
    finish();
    for (const auto& [there, home] : {std::pair{true, false}, {false, true}, {true, true}}) {
        SCOPED_TRACE(std::to_string(there) + std::to_string(home));
        follow(o, b, there);
        follow(b, o, home);
        EXPECT_EQ(chainOf({&out, &back}).compose(false), there && home ? 0 : 1);
        EXPECT_EQ(chainOf({&back, &out}, 4, 0).compose(true), there && home ? 0 : 1);
    }
}

TEST_F(ComposeCases, LoopOfOnePlaceNeedsAVariantThatFollowsItself) {
    BasicComponent& still = component("still", kF, 0, 0);
    const ComponentVariant& s0 = variant(still, "s0", "o!");
    const ComponentVariant& s1 = variant(still, "s1", "2o!");
    finish();
    follow(s0, s0, false);
    follow(s1, s1, true);
    follow(s0, s1, true);
    follow(s1, s0, true);
    ASSERT_EQ(chainOf({&still}).compose(false), 0);
    EXPECT_EQ(chosen(), std::vector<const ComponentVariant*>{&s1});
    follow(s1, s1, false);
    EXPECT_EQ(chainOf({&still}).compose(false), 1);
}

TEST_F(ComposeCases, PlaceLeftWithoutCandidatesFailsAtTheDepthFirstReached) {
    // Place 0 covers x = 0 to 8; place 2, at x = 6, meets it whatever its variant.
    BasicComponent& longOne = component("long", kF, 3, 0);
    BasicComponent& shortOne = component("short", kF, 3, 0);
    variant(longOne, "l", "9o!");
    variant(shortOne, "s1", "2o!");
    variant(shortOne, "s2", "o!");
    finish();
    EXPECT_EQ(chainOf({&longOne, &shortOne, &shortOne, &shortOne}).compose(false), 4 - 2);
    EXPECT_EQ(chainOf({&longOne, &shortOne, &shortOne, &shortOne}).compose(true), 4 - 2);
    EXPECT_EQ(chainOf({&shortOne, &shortOne, &longOne, &shortOne}).compose(false), 0);
}

TEST_F(ComposeCases, WithoutMinimisingVariantsAreTriedInListOrder) {
    BasicComponent& hop = component("hop", kF, 10, 0);
    const ComponentVariant& h0 = variant(hop, "h0", "3o$3o$3o!");
    const ComponentVariant& h1 = variant(hop, "h1", "o!");
    variant(hop, "h2", "2o!");
    finish();
    ASSERT_EQ(chainOf({&hop, &hop, &hop}).compose(false), 0);
    EXPECT_EQ(chosen(), (std::vector<const ComponentVariant*>{&h0, &h0, &h0}));
    // h0 may not follow h0: the second place takes the next variant, the third h0 again.
    follow(h0, h0, false);
    ASSERT_EQ(chainOf({&hop, &hop, &hop}).compose(false), 0);
    EXPECT_EQ(chosen(), (std::vector<const ComponentVariant*>{&h0, &h1, &h0}));
    // Minimising prefers the single cells of h1.
    ASSERT_EQ(chainOf({&hop, &hop, &hop}).compose(true), 0);
    EXPECT_EQ(chosen(), (std::vector<const ComponentVariant*>{&h1, &h1, &h1}));
    EXPECT_EQ(m_chain->area(), 21);
}

// Two places of single cells, every candidate alive, and only p then p2 forbidden: the first
// assignment found is p then q2, which the cells make larger than the smallest.
class ComposeMinimising : public ComposeCases {
  protected:
    struct Cells {
        Offset p, q, p2, q2;
    };
    std::int32_t smallestFound(const Cells& cells, std::int32_t x, std::int32_t y) {
        BasicComponent& first = component("first", kF, 1, 0);
        BasicComponent& second = component("second", kF, 1, 0);
        const ComponentVariant& p = cell(first, "p", cells.p.x, cells.p.y);
        cell(first, "q", cells.q.x, cells.q.y);
        const ComponentVariant& p2 = cell(second, "p2", cells.p2.x - 1, cells.p2.y);
        const ComponentVariant& q2 = cell(second, "q2", cells.q2.x - 1, cells.q2.y);
        finish();
        follow(p, p2, false);
        CompoundComponent& chain = chainOf({&first, &second}, x, y);
        EXPECT_EQ(chain.compose(false), 0);
        EXPECT_EQ(chosen(), (std::vector<const ComponentVariant*>{&p, &q2}));
        EXPECT_EQ(chain.compose(true), 0);
        return chain.area();
    }
};

TEST_F(ComposeMinimising, VariantsApartOnBothAxesBoundNothing) {
    // Neither place's cells meet on any axis: the common reach is crossed on both, and tells
    // nothing beyond one cell.
    EXPECT_EQ(smallestFound({{0, 0}, {20, 20}, {21, 21}, {-5, -5}}, 0, 0), 4);
}

TEST_F(ComposeMinimising, VariantsBetweenCrossedSidesStillGrowTheBox) {
    // Along x both places offer 0 or 2; the bound's sides cross there, and a choice of 0 must
    // still widen the box. The smallest is q then q2.
    const Cells cells{{0, 0}, {2, 0}, {0, 1}, {2, 1}};
    EXPECT_EQ(smallestFound(cells, 0, 0), 2);
}

TEST_F(ComposeMinimising, TheOriginIsNoPartOfTheBoundFarFromIt) {
    const Cells cells{{0, 0}, {2, 0}, {0, 1}, {2, 1}};
    EXPECT_EQ(smallestFound(cells, 1000000000, -1000000000), 2);
}

TEST_F(ComposeMinimising, UnreadableVariantIsNeverChosen) {
    // Its empty image would add nothing to the area, and its empty usage overlap nothing.
    BasicComponent& hop = component("hop", kF, 3, 0);
    const ComponentVariant& big = variant(hop, "big", "3o$3o$3o!");
    EXPECT_FALSE(variant(hop, "none", "2x!").isUsable());
    BasicComponent& dot = component("dot", kF, 3, 0);
    variant(dot, "d", "o!", -5, 7);
    finish();
    CompoundComponent& chain = chainOf({&hop, &dot, &hop}, 1000, 1000);
    ASSERT_EQ(chain.compose(true), 0);
    EXPECT_EQ(chosen()[0], &big);
    EXPECT_EQ(chosen()[2], &big);
}

}  // namespace
}  // namespace trelkan
