// Completeness of the active-set search, end to end. On small random catalogues, written out as
// definition files with their RLE images, the chains that trelkan reports are held to those that a
// brute-force enumeration in this file finds: every sequence of active components with a target's
// delay, displacement and turn that one variant per place can realise, within the cell limit and
// free of forbidden sequences. Loops are compared as cycles.
//
// The enumeration shares no code with the program: it has its own direction matrices, cell maps,
// pair matrix and preparation, its own choice of variants by plain backtracking and its own model
// of the forbidden-sequence tree. It knows nothing of multisets, parities, orderings, the distance
// bound, the partial-chain checks or the cell-limit excess: those may only prune what cannot be a
// result, so if any of them lost a chain, or let an invalid one through, the sets would differ.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <iostream>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "tests/e2e/parallelruns.h"
#include "tests/support/sandbox.h"

namespace trelkan::testing {
namespace {

// ------------------------------------------------------------------------------------------------
// Geometry: the eight directions as matrices over (x, y), x to the right and y downwards.

struct Point {
    int x = 0;
    int y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

Point operator+(Point a, Point b) {
    return {a.x + b.x, a.y + b.y};
}
Point operator-(Point a, Point b) {
    return {a.x - b.x, a.y - b.y};
}

struct Matrix {
    int xx, xy, yx, yy;
    friend bool operator==(const Matrix&, const Matrix&) = default;
};

// F, Fx, L, Lx, B, Bx, R, Rx.
constexpr std::array<Matrix, 8> kMatrices{{{1, 0, 0, 1},
                                           {1, 0, 0, -1},
                                           {0, 1, -1, 0},
                                           {0, -1, -1, 0},
                                           {-1, 0, 0, -1},
                                           {-1, 0, 0, 1},
                                           {0, -1, 1, 0},
                                           {0, 1, 1, 0}}};
const std::array<std::string, 8> kDirectionWords{"F", "Fx", "L", "Lx", "B", "Bx", "R", "Rx"};
constexpr int kForward = 0;

Point turn(int d, Point p) {
    const Matrix& m = kMatrices[static_cast<std::size_t>(d)];
    return {m.xx * p.x + m.xy * p.y, m.yx * p.x + m.yy * p.y};
}

int codeOf(const Matrix& m) {
    for (std::size_t d = 0; d < kMatrices.size(); ++d) {
        if (kMatrices[d] == m) {
            return static_cast<int>(d);
        }
    }
    ADD_FAILURE() << "not a direction";
    return kForward;
}

// Turning by b, seen from orientation a: T(a) after T(b).
int combine(int a, int b) {
    const Matrix& p = kMatrices[static_cast<std::size_t>(a)];
    const Matrix& q = kMatrices[static_cast<std::size_t>(b)];
    return codeOf({p.xx * q.xx + p.xy * q.yx, p.xx * q.xy + p.xy * q.yy, p.yx * q.xx + p.yy * q.yx,
                   p.yx * q.xy + p.yy * q.yy});
}

int inverse(int d) {
    const Matrix& m = kMatrices[static_cast<std::size_t>(d)];
    return codeOf({m.xx, m.yx, m.xy, m.yy});
}

// A signal: where it is and which way it faces.
struct State {
    Point at;
    int dir = kForward;
    friend bool operator==(const State&, const State&) = default;
};

struct Box {
    int minX = 1;
    int maxX = 0;
    int minY = 1;
    int maxY = 0;

    bool empty() const { return minX > maxX || minY > maxY; }
    bool contains(Point p) const {
        return p.x >= minX && p.x <= maxX && p.y >= minY && p.y <= maxY;
    }
    void include(const Box& other) {
        if (other.empty()) {
            return;
        }
        if (empty()) {
            *this = other;
            return;
        }
        minX = std::min(minX, other.minX);
        maxX = std::max(maxX, other.maxX);
        minY = std::min(minY, other.minY);
        maxY = std::max(maxY, other.maxY);
    }
    long long area() const {
        return empty() ? 0 : static_cast<long long>(maxX - minX + 1) * (maxY - minY + 1);
    }
};

Box intersect(const Box& a, const Box& b) {
    return {std::max(a.minX, b.minX), std::min(a.maxX, b.maxX), std::max(a.minY, b.minY),
            std::min(a.maxY, b.maxY)};
}

// A box of an object's own frame, for the object put down at a signal.
Box placeBox(const Box& box, const State& at) {
    const Point a = turn(at.dir, {box.minX, box.minY}) + at.at;
    const Point b = turn(at.dir, {box.maxX, box.maxY}) + at.at;
    return {std::min(a.x, b.x), std::max(a.x, b.x), std::min(a.y, b.y), std::max(a.y, b.y)};
}

// ------------------------------------------------------------------------------------------------
// Catalogues, and how they are written out.

struct CellMap {
    // The whole picture, dead border cells included, in the variant's own frame.
    Box box;
    std::vector<Point> live;

    bool isLive(Point p) const { return std::find(live.begin(), live.end(), p) != live.end(); }

    // Every row written out in full, so that the picture's box is exactly this box.
    std::string rle() const {
        std::string text = "x = " + std::to_string(box.maxX - box.minX + 1) +
                           ", y = " + std::to_string(box.maxY - box.minY + 1) + ", rule = B3/S23\n";
        for (int y = box.minY; y <= box.maxY; ++y) {
            for (int x = box.minX; x <= box.maxX; ++x) {
                text += isLive({x, y}) ? 'o' : 'b';
            }
            text += y < box.maxY ? "$" : "!\n";
        }
        return text;
    }
};

struct Variant {
    std::string name;
    int component = 0;
    int period = 1;
    int maxCompression = 1;
    int minCompression = 0;
    std::string type = "GS";
    int image = 0;
    int usage = 0;
    // The earlier variant whose map is shared by "=", or -1 when the map has a file of its own.
    int imageFrom = -1;
    int usageFrom = -1;
};

struct Component {
    std::string name;
    int dir = kForward;
    int dt = 1;
    Point offset;
    std::vector<int> variants;
};

struct Catalogue {
    std::vector<Component> components;
    std::vector<Variant> variants;
    std::vector<CellMap> maps;
    std::vector<std::string> pairs;
    std::vector<std::vector<int>> sequences;

    static std::string mapFile(int map) { return "m" + std::to_string(map) + ".rle"; }

    std::string mapWords(int map, int from) const {
        if (from >= 0) {
            return "=" + variants[static_cast<std::size_t>(from)].name;
        }
        const Box& box = maps[static_cast<std::size_t>(map)].box;
        // The origin lies at column -minX of the picture, and maxY rows above its bottom row.
        return mapFile(map) + " " + std::to_string(-box.minX) + " " + std::to_string(box.maxY);
    }

    std::string names(const std::vector<int>& sequence) const {
        std::string text;
        for (int c : sequence) {
            text += (text.empty() ? "" : " ") + components[static_cast<std::size_t>(c)].name;
        }
        return text;
    }

    std::string definition() const {
        std::string text = "[Components]\n";
        for (const Component& c : components) {
            text += c.name + " " + kDirectionWords[static_cast<std::size_t>(c.dir)] + " " +
                    std::to_string(c.dt) + " " + std::to_string(c.offset.x) + " " +
                    std::to_string(c.offset.y) + "\n";
            for (int i : c.variants) {
                const Variant& v = variants[static_cast<std::size_t>(i)];
                text += " " + v.name + " " + std::to_string(v.period) + " " +
                        std::to_string(v.maxCompression) + " " + std::to_string(v.minCompression) +
                        " " + v.type + " " + mapWords(v.image, v.imageFrom) + " " +
                        mapWords(v.usage, v.usageFrom) + "\n";
            }
        }
        text += "[Pairs]\n";
        for (const std::string& line : pairs) {
            text += line + "\n";
        }
        text += "[Sequences]\n";
        for (const std::vector<int>& sequence : sequences) {
            text += names(sequence) + "\n";
        }
        return text;
    }

    void writeTo(const TempDir& dir) const {
        dir.write("data/data.ini", definition());
        for (std::size_t i = 0; i < maps.size(); ++i) {
            dir.write(mapFile(static_cast<int>(i)), maps[i].rle());
        }
    }

    std::string describe() const {
        std::string text = "data/data.ini:\n" + definition();
        for (std::size_t i = 0; i < maps.size(); ++i) {
            text += mapFile(static_cast<int>(i)) + ": " + maps[i].rle();
        }
        return text;
    }
};

// ------------------------------------------------------------------------------------------------
// The catalogue as a run sees it: which variants may follow which, and which take part.

class Model {
  public:
    Model(const Catalogue& catalogue, int period, bool loopsOnly) : m_catalogue(catalogue) {
        const std::size_t count = catalogue.variants.size();
        m_follows.assign(count, std::vector<char>(count, 0));
        seed();
        for (const std::string& line : catalogue.pairs) {
            applyPairLine(line);
        }
        prepare(period, loopsOnly);
    }

    const Catalogue& catalogue() const { return m_catalogue; }
    bool follows(int a, int b) const {
        return m_follows[static_cast<std::size_t>(a)][static_cast<std::size_t>(b)] != 0;
    }
    bool isActive(int v) const { return m_active[static_cast<std::size_t>(v)]; }
    const std::vector<int>& activeComponents() const { return m_activeComponents; }
    const std::vector<int>& activeVariants(int c) const {
        return m_activeVariants[static_cast<std::size_t>(c)];
    }
    int activeVariantCount() const {
        return static_cast<int>(std::count(m_active.begin(), m_active.end(), true));
    }
    const Component& component(int c) const {
        return m_catalogue.components[static_cast<std::size_t>(c)];
    }
    const Variant& variant(int v) const {
        return m_catalogue.variants[static_cast<std::size_t>(v)];
    }
    const CellMap& map(int m) const { return m_catalogue.maps[static_cast<std::size_t>(m)]; }

    State output(int c, const State& in) const {
        const Component& component = this->component(c);
        return {in.at + turn(in.dir, component.offset), combine(in.dir, component.dir)};
    }

    // The usage maps of variant a put down at sa and variant b put down at sb share no cell
    // that lies inside both image boxes.
    bool compatible(int a, const State& sa, int b, const State& sb) const {
        const int back = inverse(sa.dir);
        const Point at = turn(back, sb.at - sa.at);
        const int dir = combine(back, sb.dir);
        const std::uint64_t key = (static_cast<std::uint64_t>(a) << 48) |
                                  (static_cast<std::uint64_t>(b) << 36) |
                                  (static_cast<std::uint64_t>(dir) << 32) |
                                  (static_cast<std::uint64_t>(at.x + 0x8000) << 16) |
                                  static_cast<std::uint64_t>(at.y + 0x8000);
        if (const auto known = m_compatible.find(key); known != m_compatible.end()) {
            return known->second;
        }
        const Variant& va = variant(a);
        const Variant& vb = variant(b);
        const Box both = intersect(map(va.image).box, placeBox(map(vb.image).box, {at, dir}));
        bool result = true;
        if (!both.empty()) {
            const int undo = inverse(dir);
            for (Point cell : map(va.usage).live) {
                if (both.contains(cell) && map(vb.usage).isLive(turn(undo, cell - at))) {
                    result = false;
                    break;
                }
            }
        }
        m_compatible.emplace(key, result);
        return result;
    }

  private:
    static bool hasLetter(const Variant& v, char letter) {
        return v.type.find(letter) != std::string::npos;
    }

    // Type letters first; otherwise the second variant put down at the first one's output must
    // not need a cell that the first one needs.
    void seed() {
        const State origin;
        for (std::size_t i = 0; i < m_follows.size(); ++i) {
            const Variant& vi = m_catalogue.variants[i];
            for (std::size_t j = 0; j < m_follows.size(); ++j) {
                const Variant& vj = m_catalogue.variants[j];
                bool allowed = true;
                if (hasLetter(vi, 'X') && hasLetter(vj, 'R')) {
                    allowed = false;
                } else if (hasLetter(vi, 'U') && !hasLetter(vj, 'R')) {
                    allowed = false;
                } else {
                    allowed = compatible(static_cast<int>(i), origin, static_cast<int>(j),
                                         output(vi.component, origin));
                }
                m_follows[i][j] = allowed ? 1 : 0;
            }
        }
    }

    // A variant of that name, or else every variant of the component of that name.
    std::vector<int> resolve(const std::string& name) const {
        for (std::size_t v = 0; v < m_catalogue.variants.size(); ++v) {
            if (m_catalogue.variants[v].name == name) {
                return {static_cast<int>(v)};
            }
        }
        for (const Component& c : m_catalogue.components) {
            if (c.name == name) {
                return c.variants;
            }
        }
        ADD_FAILURE() << "unknown name in a pair line: " << name;
        return {};
    }

    void applyPairLine(const std::string& line) {
        const std::size_t count = m_follows.size();
        if (line[0] == '*') {
            for (int v : resolve(line.substr(1))) {
                for (std::size_t a = 0; a < count; ++a) {
                    m_follows[a][static_cast<std::size_t>(v)] = 0;
                }
            }
            return;
        }
        if (const std::size_t star = line.find('*'); star != std::string::npos) {
            for (int v : resolve(line.substr(0, star))) {
                std::fill(m_follows[static_cast<std::size_t>(v)].begin(),
                          m_follows[static_cast<std::size_t>(v)].end(), 0);
            }
            return;
        }
        std::size_t cut = line.find('-');
        char value = 0;
        if (cut == std::string::npos) {
            cut = line.find('+');
            value = 1;
        }
        for (int a : resolve(line.substr(0, cut))) {
            for (int b : resolve(line.substr(cut + 1))) {
                m_follows[static_cast<std::size_t>(a)][static_cast<std::size_t>(b)] = value;
            }
        }
    }

    void dropVariant(std::size_t v) {
        m_active[v] = false;
        std::fill(m_follows[v].begin(), m_follows[v].end(), 0);
        for (std::vector<char>& row : m_follows) {
            row[v] = 0;
        }
    }

    // Variants that cannot work at this period and compression (the period itself) drop out,
    // and then, until nothing changes, those left without a successor or (for loops) without a
    // predecessor, or (for other targets) without either.
    void prepare(int period, bool loopsOnly) {
        const int compression = period;
        const std::size_t count = m_follows.size();
        m_active.assign(count, false);
        for (std::size_t v = 0; v < count; ++v) {
            const Variant& variant = m_catalogue.variants[v];
            m_active[v] = period % variant.period == 0 && compression >= variant.maxCompression &&
                          (variant.minCompression == 0 || compression <= variant.minCompression);
            if (!m_active[v]) {
                dropVariant(v);
            }
        }
        for (bool changed = true; changed;) {
            changed = false;
            for (std::size_t v = 0; v < count; ++v) {
                if (!m_active[v]) {
                    continue;
                }
                const bool successor =
                    std::find(m_follows[v].begin(), m_follows[v].end(), 1) != m_follows[v].end();
                bool predecessor = false;
                for (std::size_t a = 0; a < count; ++a) {
                    predecessor = predecessor || m_follows[a][v] != 0;
                }
                if (loopsOnly ? successor && predecessor : successor || predecessor) {
                    continue;
                }
                dropVariant(v);
                changed = true;
            }
        }
        m_activeVariants.assign(m_catalogue.components.size(), {});
        for (std::size_t c = 0; c < m_catalogue.components.size(); ++c) {
            for (int v : m_catalogue.components[c].variants) {
                if (m_active[static_cast<std::size_t>(v)]) {
                    m_activeVariants[c].push_back(v);
                }
            }
            if (!m_activeVariants[c].empty()) {
                m_activeComponents.push_back(static_cast<int>(c));
            }
        }
    }

    const Catalogue& m_catalogue;
    std::vector<std::vector<char>> m_follows;
    std::vector<bool> m_active;
    std::vector<std::vector<int>> m_activeVariants;
    std::vector<int> m_activeComponents;
    mutable std::unordered_map<std::uint64_t, bool> m_compatible;
};

// ------------------------------------------------------------------------------------------------
// Realising a sequence: one variant per place, chosen by plain backtracking.

class Realiser {
  public:
    // The sequence is put down from the origin, facing F. A chain with an open end gives its
    // output out at a target: its last variant may not be of type U, whose output still needs
    // an R variant.
    Realiser(const Model& model, const std::vector<int>& sequence, bool openEnd = false)
        : m_model(model), m_sequence(sequence), m_openEnd(openEnd) {
        State state;
        for (int c : sequence) {
            m_in.push_back(state);
            state = model.output(c, state);
            m_out.push_back(state);
        }
    }

    State end() const { return m_out.empty() ? State{} : m_out.back(); }

    // Places joined by the signal (the output of one is the input of the other) need the pair
    // matrix in the direction of each join, a place joined to itself included; any other two
    // places need usage maps that do not meet.
    bool coexist(std::size_t i, int vi, std::size_t j, int vj) const {
        if (i == j) {
            return !(m_out[i] == m_in[i]) || m_model.follows(vi, vi);
        }
        const bool intoJ = m_out[i] == m_in[j];
        const bool intoI = m_out[j] == m_in[i];
        if (!intoJ && !intoI) {
            return m_model.compatible(vi, m_in[i], vj, m_in[j]);
        }
        return (!intoJ || m_model.follows(vi, vj)) && (!intoI || m_model.follows(vj, vi));
    }

    bool admits(const std::vector<int>& variants) const {
        if (variants.size() != m_sequence.size() ||
            (m_openEnd && !variants.empty() && !endsClean(variants.back()))) {
            return false;
        }
        for (std::size_t j = 0; j < variants.size(); ++j) {
            const Variant& v = m_model.variant(variants[j]);
            if (v.component != m_sequence[j] || !m_model.isActive(variants[j])) {
                return false;
            }
            for (std::size_t i = 0; i <= j; ++i) {
                if (!coexist(i, variants[i], j, variants[j])) {
                    return false;
                }
            }
        }
        return true;
    }

    Box placedBox(std::size_t i, int v) const {
        return placeBox(m_model.map(m_model.variant(v).image).box, m_in[i]);
    }

    long long areaOf(const std::vector<int>& variants) const {
        Box box;
        for (std::size_t i = 0; i < variants.size(); ++i) {
            box.include(placedBox(i, variants[i]));
        }
        return box.area();
    }

    // The area of some realisation, or of a smallest one when minimise is set; nothing when the
    // sequence cannot be realised.
    std::optional<long long> solve(bool minimise) {
        m_minimise = minimise;
        m_best.reset();
        m_choice.assign(m_sequence.size(), -1);
        search(0, Box{});
        return m_best;
    }

  private:
    void search(std::size_t k, const Box& box) {
        if (k == m_sequence.size()) {
            if (!m_best || box.area() < *m_best) {
                m_best = box.area();
            }
            return;
        }
        for (int v : m_model.activeVariants(m_sequence[k])) {
            if (m_best && !m_minimise) {
                return;
            }
            if (m_openEnd && k + 1 == m_sequence.size() && !endsClean(v)) {
                continue;
            }
            bool fits = coexist(k, v, k, v);
            for (std::size_t i = 0; fits && i < k; ++i) {
                fits = coexist(i, m_choice[i], k, v);
            }
            if (!fits) {
                continue;
            }
            Box grown = box;
            grown.include(placedBox(k, v));
            if (m_best && grown.area() >= *m_best) {
                continue;
            }
            m_choice[k] = v;
            search(k + 1, grown);
        }
    }

    bool endsClean(int v) const { return m_model.variant(v).type.find('U') == std::string::npos; }

    const Model& m_model;
    std::vector<int> m_sequence;
    bool m_openEnd = false;
    std::vector<State> m_in;
    std::vector<State> m_out;
    std::vector<int> m_choice;
    bool m_minimise = false;
    std::optional<long long> m_best;
};

// ------------------------------------------------------------------------------------------------
// The forbidden sequences as the run's tree holds them: inactive components, the [Sequences]
// entries, and the short chains that cannot be realised, as many as the tree size allows. Chains
// are strings here, one letter per component.

std::string letters(const std::vector<int>& sequence) {
    std::string text;
    for (int c : sequence) {
        text += static_cast<char>('A' + c);
    }
    return text;
}

std::vector<int> sequenceOf(const std::string& text) {
    std::vector<int> sequence;
    for (char c : text) {
        sequence.push_back(c - 'A');
    }
    return sequence;
}

enum class LoopVerdict { kFails, kPasses };

class SequenceTree {
  public:
    static constexpr std::size_t kLongest = 10;

    // mostChains: how many chains the building may try before it gives up (overran); 0 for no
    // bound, and below 0 for a tree of the inactive components and the entries only.
    SequenceTree(const Model& model, int treeKB, long long mostChains = 0)
        : m_model(model), m_mostChains(mostChains) {
        const Catalogue& catalogue = model.catalogue();
        for (std::size_t c = 0; c < catalogue.components.size(); ++c) {
            if (model.activeVariants(static_cast<int>(c)).empty()) {
                insert(letters({static_cast<int>(c)}));
            }
        }
        std::vector<std::string> listed;
        for (const std::vector<int>& sequence : catalogue.sequences) {
            listed.push_back(letters(sequence));
        }
        std::stable_sort(listed.begin(), listed.end(),
                         [](const auto& a, const auto& b) { return a.size() < b.size(); });
        for (const std::string& sequence : listed) {
            insert(sequence);
        }
        m_budget = static_cast<std::uint32_t>(treeKB * 1024) /
                   static_cast<std::uint32_t>(4 * catalogue.components.size() + 24);
        for (std::size_t depth = 2;
             mostChains >= 0 && depth <= kLongest && m_prefixes.size() <= m_budget; ++depth) {
            std::string chain;
            if (!enumerate(chain, depth)) {
                break;
            }
            m_completeDepth = static_cast<int>(depth);
        }
    }

    std::string builtLine() const {
        return "Tree built: " + std::to_string(m_prefixes.size()) + " nodes, " +
               std::to_string(m_forbidden.size()) + " sequences, complete to depth " +
               std::to_string(m_completeDepth);
    }

    bool overran() const { return m_overran; }
    long long chainsTried() const { return m_chainsTried; }

    bool containsForbidden(const std::string& chain) const {
        for (std::size_t i = 0; i < chain.size(); ++i) {
            for (std::size_t n = 1; n <= kLongest && i + n <= chain.size(); ++n) {
                if (m_forbidden.count(chain.substr(i, n)) != 0) {
                    return true;
                }
            }
        }
        return false;
    }

    // The search's loop test on a chain that ends where it starts: read round and round, the
    // loop holds no forbidden sequence that is no longer than the loop itself.
    LoopVerdict loopTest(const std::string& chain) const {
        const std::size_t window = std::min(chain.size(), kLongest);
        for (std::size_t start = 1; start < chain.size(); ++start) {
            std::string run;
            for (std::size_t i = 0; i < window; ++i) {
                run += chain[(start + i) % chain.size()];
            }
            if (containsForbidden(run)) {
                return LoopVerdict::kFails;
            }
        }
        return LoopVerdict::kPasses;
    }

  private:
    bool endsForbidden(const std::string& chain) const {
        for (std::size_t n = 1; n <= kLongest && n <= chain.size(); ++n) {
            if (m_forbidden.count(chain.substr(chain.size() - n)) != 0) {
                return true;
            }
        }
        return false;
    }

    void insert(const std::string& sequence) {
        if (sequence.size() > kLongest || containsForbidden(sequence)) {
            return;
        }
        for (std::size_t n = 1; n <= sequence.size(); ++n) {
            m_prefixes.insert(sequence.substr(0, n));
        }
        m_forbidden.insert(sequence);
    }

    // Every chain of active components of the given length, in index order, that contains no
    // forbidden sequence yet; false when the tree outgrew its budget.
    bool enumerate(std::string& chain, std::size_t level) {
        for (int c : m_model.activeComponents()) {
            chain += static_cast<char>('A' + c);
            // The chain without its last component holds nothing forbidden, and what was added
            // since it was tested is as long as the whole chain.
            if (!endsForbidden(chain)) {
                if (level < 2) {
                    if (m_mostChains != 0 && ++m_chainsTried > m_mostChains) {
                        m_overran = true;
                        chain.pop_back();
                        return false;
                    }
                    if (!Realiser(m_model, sequenceOf(chain)).solve(false)) {
                        insert(chain);
                        if (m_prefixes.size() > m_budget) {
                            chain.pop_back();
                            return false;
                        }
                    }
                } else if (!enumerate(chain, level - 1)) {
                    chain.pop_back();
                    return false;
                }
            }
            chain.pop_back();
        }
        return true;
    }

    const Model& m_model;
    std::unordered_set<std::string> m_forbidden;
    std::unordered_set<std::string> m_prefixes;
    std::uint32_t m_budget = 0;
    int m_completeDepth = 1;
    long long m_mostChains = 0;
    long long m_chainsTried = 0;
    bool m_overran = false;
};

// ------------------------------------------------------------------------------------------------
// A run: the catalogue and the command line.

struct Trial {
    // Where the case comes from, for the failure message.
    std::string origin = "built by hand";
    Catalogue catalogue;
    int period = 4;
    // Targets from -d: a chain, put down from the origin facing F, must end here. A target that
    // ends where it starts, facing F, asks for loops.
    bool series = false;
    State end;
    int firstDelay = 0;
    // Loop targets: every delay is a multiple of the period, or the -d target asks for loops.
    bool loops = true;
    int minLength = 1;
    int maxLength = 0;
    int cellLimit = 0;
    bool sorted = false;
    int treeKB = 1000;
    // The search-map mode instead of the active-set mode.
    bool mapMode = false;

    // The targets' delays, as the command line makes them.
    std::vector<int> delays() const {
        std::vector<int> result;
        for (int t = series ? firstDelay : 0; t <= maxLength; t += period) {
            if (t >= minLength) {
                result.push_back(t);
            }
        }
        return result;
    }

    State target() const { return series ? end : State{}; }

    std::vector<std::string> arguments() const {
        std::vector<std::string> words{"-p", std::to_string(period)};
        if (series) {
            words.insert(words.end(), {"-d", std::to_string(end.at.x), std::to_string(end.at.y),
                                       std::to_string(firstDelay),
                                       kDirectionWords[static_cast<std::size_t>(end.dir)]});
        }
        words.insert(words.end(),
                     {"-l", std::to_string(minLength), "-u", std::to_string(maxLength)});
        if (cellLimit != 0) {
            words.insert(words.end(), {"-x", std::to_string(cellLimit)});
        }
        if (sorted) {
            words.emplace_back("-s");
        }
        if (treeKB != 1000) {
            words.insert(words.end(), {"-t", std::to_string(treeKB)});
        }
        if (mapMode) {
            words.emplace_back("-m");
        }
        return words;
    }

    std::string describe() const {
        std::string text = origin + ": trelkan";
        for (const std::string& word : arguments()) {
            text += " " + word;
        }
        return text + "\n" + catalogue.describe();
    }
};

// ------------------------------------------------------------------------------------------------
// The brute force.

struct Candidate {
    // For loops the least rotation.
    std::vector<int> sequence;
    bool realisable = false;
    long long minArea = 0;
    // Holds a [Sequences] entry as consecutive elements; for loops, anywhere in the loop run
    // round and round.
    bool listed = false;
    // Loops: what the search's tests make of the rotations that begin with the rarest component.
    bool linearPasses = false;
    LoopVerdict loopVerdict = LoopVerdict::kFails;
    bool expected = false;
    // Open chains: realisable only with a variant of type U at the end.
    bool onlyWithOpenOutput = false;
};

std::vector<int> leastRotation(const std::vector<int>& sequence) {
    std::vector<int> best = sequence;
    std::vector<int> rotation = sequence;
    for (std::size_t i = 1; i < sequence.size(); ++i) {
        std::rotate(rotation.begin(), rotation.begin() + 1, rotation.end());
        best = std::min(best, rotation);
    }
    return best;
}

// The rotation in which the search-map mode reports a loop: its greatest component first, and of
// the rotations that begin with it the least.
bool isGreatestFirstRotation(const std::vector<int>& sequence) {
    if (sequence[0] != *std::max_element(sequence.begin(), sequence.end())) {
        return false;
    }
    std::vector<int> rotation = sequence;
    for (std::size_t i = 1; i < sequence.size(); ++i) {
        std::rotate(rotation.begin(), rotation.begin() + 1, rotation.end());
        if (rotation[0] == sequence[0] && rotation < sequence) {
            return false;
        }
    }
    return true;
}

bool holdsRun(const std::vector<int>& sequence, const std::vector<int>& run) {
    return std::search(sequence.begin(), sequence.end(), run.begin(), run.end()) != sequence.end();
}

// The component that the search puts first in a loop: of the components with the fewest uses,
// the first in list order.
int rarest(const Model& model, const std::vector<int>& sequence) {
    int best = -1;
    long fewest = 0;
    for (int c : model.activeComponents()) {
        const long uses = std::count(sequence.begin(), sequence.end(), c);
        if (uses > 0 && (best < 0 || uses < fewest)) {
            best = c;
            fewest = uses;
        }
    }
    return best;
}

class BruteForce {
  public:
    BruteForce(const Trial& run, const Model& model, const SequenceTree& tree)
        : m_run(run), m_model(model), m_tree(tree), m_delays(run.delays()) {}

    // Every sequence that meets a target, judged.
    std::map<std::vector<int>, Candidate> candidates(bool withAreas) {
        m_withAreas = withAreas;
        m_candidates.clear();
        if (!m_delays.empty()) {
            std::vector<int> sequence;
            extend(sequence, 0, State{});
        }
        return m_candidates;
    }

  private:
    void extend(std::vector<int>& sequence, int delay, const State& state) {
        if (!sequence.empty() && state == m_run.target() &&
            std::find(m_delays.begin(), m_delays.end(), delay) != m_delays.end()) {
            judge(sequence);
        }
        for (int c : m_model.activeComponents()) {
            const int next = delay + m_model.component(c).dt;
            if (next <= m_delays.back()) {
                sequence.push_back(c);
                extend(sequence, next, m_model.output(c, state));
                sequence.pop_back();
            }
        }
    }

    void judge(const std::vector<int>& found) {
        const std::vector<int> key = m_run.loops ? leastRotation(found) : found;
        if (m_candidates.count(key) != 0) {
            return;
        }
        Candidate& candidate = m_candidates[key];
        candidate.sequence = key;
        Realiser realiser(m_model, key, !m_run.loops);
        const std::optional<long long> area = realiser.solve(m_withAreas);
        candidate.realisable = area.has_value();
        candidate.minArea = area.value_or(0);
        candidate.onlyWithOpenOutput =
            !m_run.loops && !area && Realiser(m_model, key).solve(false).has_value();
        bool allowed = true;
        if (m_run.loops) {
            // Every rotation is the same loop, but the search builds only those that begin with
            // the rarest component, and puts each through the tree twice: the chain itself, and
            // every run of the loop across its seam that is no longer than the loop. Runs of a
            // loop within one turn can be realised whenever the loop can, so only a [Sequences]
            // entry (or an inactive component) can stop a loop that can be realised; an entry
            // longer than the loop comes round to places already passed and does not stop it.
            const int first = rarest(m_model, key);
            std::vector<int> rotation = key;
            for (std::size_t i = 0; i < key.size(); ++i) {
                if (rotation[0] == first && !m_tree.containsForbidden(letters(rotation))) {
                    candidate.linearPasses = true;
                    const LoopVerdict verdict = m_tree.loopTest(letters(rotation));
                    if (verdict != LoopVerdict::kFails) {
                        candidate.loopVerdict = verdict;
                    }
                }
                std::rotate(rotation.begin(), rotation.begin() + 1, rotation.end());
            }
            allowed = candidate.linearPasses && candidate.loopVerdict != LoopVerdict::kFails;
            std::vector<int> roundAndRound;
            for (std::size_t i = 0; i < 12; ++i) {
                roundAndRound.insert(roundAndRound.end(), key.begin(), key.end());
            }
            for (const std::vector<int>& entry : m_run.catalogue.sequences) {
                candidate.listed = candidate.listed || holdsRun(roundAndRound, entry);
            }
        } else {
            // The tree forbids more than the [Sequences] entries: inactive components, which no
            // sequence here uses, and short chains that cannot be realised, which no chain that
            // holds one can be either. Neither can remove a realisable chain.
            for (const std::vector<int>& entry : m_run.catalogue.sequences) {
                candidate.listed = candidate.listed || holdsRun(key, entry);
            }
            allowed = !candidate.listed;
        }
        candidate.expected = allowed && candidate.realisable &&
                             (m_run.cellLimit == 0 || candidate.minArea <= m_run.cellLimit);
    }

    const Trial& m_run;
    const Model& m_model;
    const SequenceTree& m_tree;
    std::vector<int> m_delays;
    bool m_withAreas = false;
    std::map<std::vector<int>, Candidate> m_candidates;
};

// ------------------------------------------------------------------------------------------------
// Running trelkan and holding its results to the brute force.

struct ResultLine {
    long long area = 0;
    bool withSet = false;
    // A line of the sorted report at the end, which repeats the results found.
    bool inReport = false;
    std::vector<std::string> names;
    std::string text;
};

std::vector<ResultLine> resultLines(const std::string& out) {
    std::vector<ResultLine> lines;
    std::istringstream stream(out);
    std::string text;
    bool inReport = false;
    while (std::getline(stream, text)) {
        inReport = inReport || text == "... Sorting ...";
        if (text.rfind("*** (", 0) != 0) {
            continue;
        }
        ResultLine line;
        line.text = text;
        line.inReport = inReport;
        std::istringstream words(text.substr(5));
        std::string word;
        words >> line.area >> word;
        line.withSet = word == "@";
        if (line.withSet) {
            words >> word;
        }
        while (words >> word) {
            line.names.push_back(word);
        }
        lines.push_back(line);
    }
    return lines;
}

// What the checks saw, over many runs: the test asserts that the corners were reached.
struct Tally {
    int runs = 0;
    int expected = 0;
    int reportedLines = 0;
    int onePlaceLoops = 0;
    int onePlaceNotFollowingItself = 0;
    int twoPlaceLoops = 0;
    int twoPlaceOneJoinForbidden = 0;
    int longChains = 0;
    int listedRejected = 0;
    int seamRejected = 0;
    int seamRejectedUnlisted = 0;
    int overCellLimit = 0;
    int uEndRejected = 0;
    // Partial chains that the searches put to the solver, where the program reports it.
    long long partialChecks = 0;
    bool countersSeen = false;

    Tally& operator+=(const Tally& o) {
        runs += o.runs;
        expected += o.expected;
        reportedLines += o.reportedLines;
        onePlaceLoops += o.onePlaceLoops;
        onePlaceNotFollowingItself += o.onePlaceNotFollowingItself;
        twoPlaceLoops += o.twoPlaceLoops;
        twoPlaceOneJoinForbidden += o.twoPlaceOneJoinForbidden;
        longChains += o.longChains;
        listedRejected += o.listedRejected;
        seamRejected += o.seamRejected;
        seamRejectedUnlisted += o.seamRejectedUnlisted;
        overCellLimit += o.overCellLimit;
        uEndRejected += o.uEndRejected;
        partialChecks += o.partialChecks;
        countersSeen = countersSeen || o.countersSeen;
        return *this;
    }
};

// A two-place loop whose variants would fit if only one of its two joins were read.
bool hasOneSidedJoin(const Model& model, const std::vector<int>& loop) {
    for (int a : model.activeVariants(loop[0])) {
        for (int b : model.activeVariants(loop[1])) {
            if (model.follows(a, b) != model.follows(b, a)) {
                return true;
            }
        }
    }
    return false;
}

void countCorners(const Trial& run, const Model& model, const Candidate& c, Tally& tally) {
    const std::size_t length = c.sequence.size();
    tally.expected += c.expected ? 1 : 0;
    tally.longChains += c.expected && length >= 10 ? 1 : 0;
    tally.overCellLimit += c.realisable && run.cellLimit != 0 && c.minArea > run.cellLimit;
    if (!run.loops) {
        tally.listedRejected += c.realisable && c.listed ? 1 : 0;
        tally.uEndRejected += c.onlyWithOpenOutput ? 1 : 0;
        return;
    }
    // In a loop that can be realised, only a [Sequences] entry can stop the chain itself.
    tally.listedRejected += c.realisable && !c.linearPasses ? 1 : 0;
    const bool seamRejected =
        c.realisable && c.linearPasses && c.loopVerdict == LoopVerdict::kFails;
    tally.seamRejected += seamRejected ? 1 : 0;
    tally.seamRejectedUnlisted += seamRejected && !c.listed ? 1 : 0;
    if (length == 1) {
        tally.onePlaceLoops += c.expected ? 1 : 0;
        tally.onePlaceNotFollowingItself += c.realisable ? 0 : 1;
    }
    if (length == 2) {
        tally.twoPlaceLoops += c.expected ? 1 : 0;
        tally.twoPlaceOneJoinForbidden +=
            !c.realisable && hasOneSidedJoin(model, c.sequence) ? 1 : 0;
    }
}

// The search's own counters, which it writes on standard error when asked: how often it put a
// partial chain to the solver.
long long partialChecks(const std::string& err) {
    const std::string label = "partial checks ";
    const std::size_t at = err.find(label);
    return at == std::string::npos ? -1 : std::stoll(err.substr(at + label.size()));
}

struct Checked {
    Tally tally;
    // The expected chains, as component names (loops: the least rotation).
    std::set<std::string> expected;
};

std::string lineOf(const std::string& out, const std::string& start) {
    const std::size_t at = out.find(start);
    return at == std::string::npos ? "" : out.substr(at, out.find('\n', at) - at);
}

Checked check(const Trial& run) {
    Checked checked;
    const Model model(run.catalogue, run.period, run.loops);
    const SequenceTree tree(model, run.treeKB);
    BruteForce bruteForce(run, model, tree);
    const bool minimised = run.sorted || run.cellLimit != 0;
    const std::map<std::vector<int>, Candidate> candidates = bruteForce.candidates(minimised);

    Sandbox box;
    run.catalogue.writeTo(box);
    // The program's counters come on standard error, and only when asked for.
    setenv("TRELKAN_STATS", "1", 1);
    RunResult result = box.run(run.arguments());
    unsetenv("TRELKAN_STATS");
    checked.tally.partialChecks = std::max(0LL, partialChecks(result.err));
    checked.tally.countersSeen = partialChecks(result.err) >= 0;
    if (result.err.rfind("statistics:", 0) == 0 && result.err.find('\n') == result.err.size() - 1) {
        result.err.clear();
    }

    std::vector<std::string> problems;
    auto problem = [&problems](const std::string& text) { problems.push_back(text); };
    if (result.status != 0 || !result.err.empty() ||
        result.out.find("Search complete\n") == std::string::npos) {
        problem("the run did not complete: status " + std::to_string(result.status) + ", " +
                result.err);
    }
    // The brute force rests on its own preparation and tree: they must agree with the run's.
    const std::string prepared = "Prepared " + std::to_string(model.activeComponents().size()) +
                                 " components, " + std::to_string(model.activeVariantCount()) +
                                 " variants";
    if (lineOf(result.out, "Prepared ") != prepared) {
        problem("expected \"" + prepared + "\"");
    }
    if (lineOf(result.out, "Tree built: ") != tree.builtLine()) {
        problem("expected \"" + tree.builtLine() + "\"");
    }

    std::map<std::string, int> variantByName;
    for (std::size_t v = 0; v < run.catalogue.variants.size(); ++v) {
        variantByName[run.catalogue.variants[v].name] = static_cast<int>(v);
    }
    const std::vector<int> delays = run.delays();
    std::multiset<std::string> found;
    std::multiset<std::string> reported;
    std::vector<long long> reportAreas;
    std::set<std::vector<int>> reportedKeys;
    for (const ResultLine& line : resultLines(result.out)) {
        if (line.inReport) {
            reported.insert(line.text.substr(line.text.find(')')));
            reportAreas.push_back(line.area);
            continue;
        }
        ++checked.tally.reportedLines;
        found.insert(line.text.substr(line.text.find(')')));
        std::vector<int> variants;
        std::vector<int> sequence;
        for (const std::string& name : line.names) {
            const auto v = variantByName.find(name);
            if (v == variantByName.end()) {
                problem("unknown variant in: " + line.text);
                break;
            }
            variants.push_back(v->second);
            sequence.push_back(model.variant(v->second).component);
        }
        if (sequence.empty() || sequence.size() != line.names.size()) {
            problem("unreadable result: " + line.text);
            continue;
        }
        // Every reported chain must be a result by itself: the target met, the variants
        // shown able to work together, the area shown theirs.
        Realiser realiser(model, sequence, !run.loops);
        int delay = 0;
        for (int c : sequence) {
            delay += model.component(c).dt;
        }
        if (!(realiser.end() == run.target()) ||
            std::find(delays.begin(), delays.end(), delay) == delays.end()) {
            problem("misses every target: " + line.text);
        }
        if (!realiser.admits(variants)) {
            problem("variants that cannot work together: " + line.text);
        }
        if (realiser.areaOf(variants) != line.area) {
            problem("area of the variants is " + std::to_string(realiser.areaOf(variants)) + ": " +
                    line.text);
        }
        // Sorting or a cell limit makes the solver look for the least area, which its branch
        // and bound finds exactly.
        if (minimised) {
            const std::optional<long long> least =
                Realiser(model, sequence, !run.loops).solve(true);
            if (least && *least != line.area) {
                problem("the least area is " + std::to_string(*least) + ": " + line.text);
            }
        }
        if (run.cellLimit != 0 && line.area > run.cellLimit) {
            problem("over the cell limit: " + line.text);
        }
        if (run.loops && !run.mapMode && sequence[0] != rarest(model, sequence)) {
            problem("a loop that does not begin with its rarest component: " + line.text);
        }
        if (run.loops && run.mapMode && !isGreatestFirstRotation(sequence)) {
            problem("a loop not in its rotation of the greatest component first: " + line.text);
        }
        // The active-set mode may report a loop once for each use of its rarest component; the
        // search-map mode reports every cycle once.
        const std::vector<int> key = run.loops ? leastRotation(sequence) : sequence;
        if (!reportedKeys.insert(key).second && (!run.loops || run.mapMode)) {
            problem("reported twice: " + line.text);
        }
    }
    if (run.sorted) {
        // The final report repeats every result, smallest area first.
        if (reported != found) {
            problem("the sorted report does not repeat the results found");
        }
        if (!std::is_sorted(reportAreas.begin(), reportAreas.end())) {
            problem("the sorted report is not in ascending area");
        }
    }

    for (const auto& [key, candidate] : candidates) {
        countCorners(run, model, candidate, checked.tally);
        if (candidate.expected) {
            checked.expected.insert(run.catalogue.names(key));
            if (reportedKeys.count(key) == 0) {
                problem("not reported: " + run.catalogue.names(key));
            }
        }
    }
    for (const std::vector<int>& key : reportedKeys) {
        const auto candidate = candidates.find(key);
        if (candidate == candidates.end() || !candidate->second.expected) {
            std::string why = "not a result of the brute force: " + run.catalogue.names(key);
            if (candidate != candidates.end()) {
                const Candidate& c = candidate->second;
                why += " (realisable " + std::to_string(c.realisable) + ", least area " +
                       std::to_string(c.minArea) + ", listed " + std::to_string(c.listed) +
                       ", tree " + std::to_string(c.linearPasses) + "/" +
                       std::to_string(static_cast<int>(c.loopVerdict)) + ")";
            }
            problem(why);
        }
    }
    checked.tally.runs = 1;
    if (!problems.empty()) {
        std::string text;
        for (const std::string& p : problems) {
            text += "  " + p + "\n";
        }
        ADD_FAILURE() << text << run.describe() << "output:\n" << result.out;
    }
    return checked;
}

// ------------------------------------------------------------------------------------------------
// Random catalogues.

class Random {
  public:
    explicit Random(unsigned seed) : m_engine(seed) {}
    // The engine's output is fixed by the standard, so a seed means the same case everywhere.
    int below(int n) { return static_cast<int>(m_engine() % static_cast<unsigned>(n)); }
    int between(int low, int high) { return low + below(high - low + 1); }
    bool percent(int p) { return below(100) < p; }
    template <typename T>
    const T& pick(const std::vector<T>& items) {
        return items[static_cast<std::size_t>(below(static_cast<int>(items.size())))];
    }

  private:
    std::mt19937 m_engine;
};

class Builder {
  public:
    Builder(Random& random, int period) : m_random(random), m_period(period) {}

    int component(int dir, int dt, Point offset) {
        Component c;
        c.name = "K" + std::to_string(m_catalogue.components.size());
        c.dir = dir;
        c.dt = dt;
        c.offset = offset;
        m_catalogue.components.push_back(c);
        return static_cast<int>(m_catalogue.components.size() - 1);
    }

    int map(const CellMap& cells) {
        m_catalogue.maps.push_back(cells);
        return static_cast<int>(m_catalogue.maps.size() - 1);
    }

    // A variant active at the run's period, with the given maps.
    int variant(int c, const CellMap& image, const CellMap& usage, const std::string& type = "GS") {
        Component& component = m_catalogue.components[static_cast<std::size_t>(c)];
        Variant v;
        v.name = "k" + std::to_string(c) + static_cast<char>('a' + component.variants.size());
        v.component = c;
        v.type = type;
        v.image = map(image);
        v.usage = map(usage);
        m_catalogue.variants.push_back(v);
        component.variants.push_back(static_cast<int>(m_catalogue.variants.size() - 1));
        return component.variants.back();
    }

    // A variant with random maps and, mostly, parameters under which it takes part in the run.
    int randomVariant(int c, bool sparse) {
        const CellMap image = randomImage();
        const int v = variant(c, image, sparse ? singleCell(image.box) : randomUsage(image.box));
        Variant& made = m_catalogue.variants[static_cast<std::size_t>(v)];
        std::vector<int> divisors;
        for (int d = 1; d <= m_period; ++d) {
            if (m_period % d == 0) {
                divisors.push_back(d);
            }
        }
        made.period = m_random.percent(8) ? m_period + 1 : m_random.pick(divisors);
        const int compression = m_random.below(100);
        if (compression < 4) {
            made.maxCompression = m_period + 1;
        } else if (compression < 10) {
            made.minCompression = m_period;
        } else if (compression < 13) {
            made.minCompression = m_period - 1;
        }
        const int type = m_random.below(100);
        made.type = type < 65   ? "GS"
                    : type < 85 ? "GR"
                    : type < 89 ? "GRU"
                    : type < 93 ? "GRX"
                    : type < 97 ? "GSX"
                                : "GSU";
        if (v > 0 && m_random.percent(8)) {
            made.imageFrom = m_random.below(v);
            made.image = m_catalogue.variants[static_cast<std::size_t>(made.imageFrom)].image;
        }
        if (v > 0 && m_random.percent(8)) {
            made.usageFrom = m_random.below(v);
            made.usage = m_catalogue.variants[static_cast<std::size_t>(made.usageFrom)].usage;
        }
        return v;
    }

    CellMap randomImage() {
        CellMap cells;
        const int width = m_random.between(1, 3);
        const int height = m_random.between(1, 3);
        cells.box.minX = -m_random.below(width);
        cells.box.maxX = cells.box.minX + width - 1;
        cells.box.minY = -m_random.below(height);
        cells.box.maxY = cells.box.minY + height - 1;
        for (int y = cells.box.minY; y <= cells.box.maxY; ++y) {
            for (int x = cells.box.minX; x <= cells.box.maxX; ++x) {
                if (m_random.percent(50)) {
                    cells.live.push_back({x, y});
                }
            }
        }
        return cells;
    }

    // Usage cells around the image box too: those outside it never count.
    CellMap randomUsage(const Box& image) {
        CellMap cells;
        cells.box = image;
        cells.box.minX -= m_random.percent(20) ? 1 : 0;
        cells.box.maxX += m_random.percent(20) ? 1 : 0;
        cells.box.minY -= m_random.percent(20) ? 1 : 0;
        cells.box.maxY += m_random.percent(20) ? 1 : 0;
        for (int y = cells.box.minY; y <= cells.box.maxY; ++y) {
            for (int x = cells.box.minX; x <= cells.box.maxX; ++x) {
                if (m_random.percent(30)) {
                    cells.live.push_back({x, y});
                }
            }
        }
        const Point inside{m_random.between(image.minX, image.maxX),
                           m_random.between(image.minY, image.maxY)};
        if (!cells.isLive(inside)) {
            cells.live.push_back(inside);
        }
        return cells;
    }

    CellMap singleCell(const Box& image) {
        CellMap cells;
        cells.box = image;
        cells.live.push_back(
            {m_random.between(image.minX, image.maxX), m_random.between(image.minY, image.maxY)});
        return cells;
    }

    // A usage map whose only live cell lies outside the image box: it never meets anything.
    static CellMap outsideCell(const Box& image) {
        CellMap cells;
        cells.box = image;
        cells.box.maxX += 1;
        cells.live.push_back({cells.box.maxX, cells.box.minY});
        return cells;
    }

    std::string randomName() {
        if (m_random.percent(60) || m_catalogue.components.empty()) {
            return m_random.pick(m_catalogue.variants).name;
        }
        return m_random.pick(m_catalogue.components).name;
    }

    void randomPairLine() {
        const int kind = m_random.below(100);
        if (kind < 8) {
            m_catalogue.pairs.push_back("*" + randomName());
        } else if (kind < 16) {
            m_catalogue.pairs.push_back(randomName() + "*");
        } else {
            m_catalogue.pairs.push_back(randomName() + (kind < 75 ? "-" : "+") + randomName());
        }
    }

    void pairLine(const std::string& line) { m_catalogue.pairs.push_back(line); }
    Catalogue& catalogue() { return m_catalogue; }

  private:
    Random& m_random;
    int m_period;
    Catalogue m_catalogue;
};

// What a component does, before it is named and given variants.
struct Shape {
    int dir = kForward;
    int dt = 2;
    Point offset;
    // Its variants use a single cell each, so that longer chains still fit.
    bool sparse = false;
    // A component that leaves the signal where it found it: a loop of one place.
    bool standsStill = false;
};

Point randomOffset(Random& random, int reach) {
    return {random.between(-reach, reach), random.between(-reach, reach)};
}

// Components that close loops by themselves or in pairs.
void addClosingShapes(Random& random, std::vector<Shape>& shapes) {
    const auto dt = [&random] { return random.between(2, 5); };
    switch (random.below(6)) {
        case 0:  // four quarter turns
            shapes.push_back({random.percent(50) ? 2 : 6, dt(), randomOffset(random, 4),
                              random.percent(50), false});
            break;
        case 1:  // two half turns
            shapes.push_back({4, dt(), randomOffset(random, 4), random.percent(50), false});
            break;
        case 2: {  // two mirror images whose offsets cancel
            const int v = random.between(-4, 4);
            const std::array<std::pair<int, Point>, 4> mirrors{
                {{1, {0, v}}, {5, {v, 0}}, {3, {v, v}}, {7, {v, -v}}}};
            const auto& [dir, offset] = mirrors[static_cast<std::size_t>(random.below(4))];
            shapes.push_back({dir, dt(), offset, random.percent(50), false});
            break;
        }
        case 3: {  // a component and its inverse
            const int dir = random.below(8);
            const Point offset = randomOffset(random, 4);
            shapes.push_back({dir, dt(), offset, random.percent(50), false});
            shapes.push_back({inverse(dir), dt(), turn(inverse(dir), Point{} - offset),
                              random.percent(50), false});
            break;
        }
        case 4:  // a loop of one place
            shapes.push_back({kForward, dt(), {}, true, true});
            break;
        default:  // a quarter turn whose loop of four is made of single cells
            shapes.push_back(
                {random.percent(50) ? 2 : 6, dt(), randomOffset(random, 3), true, false});
            break;
    }
}

// Gives each shape a component with one to three variants, in a random order.
void build(Random& random, Builder& builder, std::vector<Shape> shapes) {
    for (std::size_t i = shapes.size(); i > 1; --i) {
        std::swap(shapes[i - 1],
                  shapes[static_cast<std::size_t>(random.below(static_cast<int>(i)))]);
    }
    for (const Shape& shape : shapes) {
        const int c = builder.component(shape.dir, shape.dt, shape.offset);
        const int count = random.between(1, 3);
        for (int i = 0; i < count; ++i) {
            const int v = builder.randomVariant(c, shape.sparse);
            if (shape.standsStill) {
                // Whether it may follow itself: by its usage, by a pair line, or not at all.
                Variant& made = builder.catalogue().variants[static_cast<std::size_t>(v)];
                const int how = random.below(3);
                if (how == 0) {
                    made.usage = builder.map(Builder::outsideCell(
                        builder.catalogue().maps[static_cast<std::size_t>(made.image)].box));
                    made.usageFrom = -1;
                } else if (how == 1) {
                    builder.pairLine(made.name + "+" + made.name);
                }
            }
        }
    }
    // An inactive component now and then: its only variant has the wrong period.
    if (random.percent(15)) {
        const int c =
            builder.component(random.below(8), random.between(2, 5), randomOffset(random, 3));
        const int v = builder.randomVariant(c, true);
        builder.catalogue().variants[static_cast<std::size_t>(v)].period = 7919;
    }
    const int pairs = random.between(0, 3);
    for (int i = 0; i < pairs; ++i) {
        builder.randomPairLine();
    }
}

// How many sequences of the active components have a delay of at most maxDelay.
long long sequenceCount(const Model& model, int maxDelay) {
    std::vector<long long> count(static_cast<std::size_t>(maxDelay) + 1, 0);
    count[0] = 1;
    long long total = 0;
    for (int t = 1; t <= maxDelay; ++t) {
        for (int c : model.activeComponents()) {
            const int dt = model.component(c).dt;
            if (dt <= t) {
                count[static_cast<std::size_t>(t)] += count[static_cast<std::size_t>(t - dt)];
            }
        }
        total += count[static_cast<std::size_t>(t)];
    }
    return total;
}

constexpr long long kMostSequences = 200000;

// A tree that is full before it starts: size 0, and an inactive component, which the tree
// forbids first. The search then has only the solver to tell it what cannot be realised.
void withoutTree(Trial& run) {
    run.treeKB = 0;
    const Model model(run.catalogue, run.period, run.loops);
    if (model.activeComponents().size() == run.catalogue.components.size()) {
        Component idle;
        idle.name = "K" + std::to_string(run.catalogue.components.size());
        idle.dt = 2;
        Variant v = run.catalogue.variants.front();
        v.name = "k" + std::to_string(run.catalogue.components.size()) + "a";
        v.component = static_cast<int>(run.catalogue.components.size());
        v.period = 7919;
        v.imageFrom = v.usageFrom = -1;
        idle.variants.push_back(static_cast<int>(run.catalogue.variants.size()));
        run.catalogue.variants.push_back(v);
        run.catalogue.components.push_back(idle);
    }
}

// Building the tree tries every chain of up to ten active components that holds nothing
// forbidden yet, until the tree is full: with many short chains that can be realised that takes
// long, in the run and here alike. Such catalogues get smaller trees, and at worst a tree that is
// full before it starts: size 0 and an inactive component, which the tree forbids first.
void limitTreeBuilding(Trial& run) {
    constexpr long long kMostTreeChains = 25000;
    for (int kb : {run.treeKB, 1}) {
        if (kb > run.treeKB) {
            continue;
        }
        const Model model(run.catalogue, run.period, run.loops);
        if (!SequenceTree(model, kb, kMostTreeChains).overran()) {
            run.treeKB = kb;
            return;
        }
    }
    withoutTree(run);
}

// Adds, now and then, a [Sequences] entry cut from a chain that would otherwise be a result
// (for a loop, possibly across its seam, or longer than the loop), a cell limit at the least
// area of some result, the sorted report, and a small tree. Which chains can be realised, and
// in how small an area, does not depend on the tree, so the tree is left unbuilt for that.
void finish(Random& random, Trial& run) {
    const int tree = random.below(100);
    run.treeKB = tree < 15 ? 0 : tree < 30 ? 1 : tree < 40 ? 4 : 1000;
    limitTreeBuilding(run);
    run.sorted = random.percent(20);
    if (random.percent(40)) {
        const Model model(run.catalogue, run.period, run.loops);
        const SequenceTree sequenceTree(model, run.treeKB, -1);
        std::vector<std::vector<int>> results;
        for (const auto& [key, c] : BruteForce(run, model, sequenceTree).candidates(false)) {
            if (c.realisable) {
                results.push_back(key);
            }
        }
        std::vector<int> entry;
        if (!results.empty()) {
            const std::vector<int>& chain = random.pick(results);
            const int n = static_cast<int>(chain.size());
            if (run.loops || n >= 3) {
                const int length =
                    random.between(3, run.loops ? std::max(3, std::min(6, n + 2)) : std::min(5, n));
                const int from = random.below(run.loops ? n : n - length + 1);
                for (int i = 0; i < length; ++i) {
                    entry.push_back(chain[static_cast<std::size_t>((from + i) % n)]);
                }
            }
        }
        if (entry.empty()) {
            for (int i = 0; i < 3; ++i) {
                entry.push_back(random.below(static_cast<int>(run.catalogue.components.size())));
            }
        }
        run.catalogue.sequences.push_back(entry);
    }
    if (random.percent(30)) {
        const Model model(run.catalogue, run.period, run.loops);
        const SequenceTree sequenceTree(model, run.treeKB, -1);
        std::vector<long long> areas;
        for (const auto& [key, c] : BruteForce(run, model, sequenceTree).candidates(true)) {
            if (c.realisable) {
                areas.push_back(c.minArea);
            }
        }
        run.cellLimit = areas.empty()
                            ? random.between(1, 30)
                            : static_cast<int>(random.pick(areas)) - (random.percent(20) ? 1 : 0);
        run.cellLimit = std::max(run.cellLimit, 1);
    }
}

std::vector<int> periods() {
    return {2, 3, 4, 6};
}

Trial loopRun(unsigned seed) {
    Random random(seed);
    Trial run;
    run.origin = "loopRun(" + std::to_string(seed) + ")";
    run.loops = true;
    run.period = random.pick(periods());
    Builder builder(random, run.period);
    std::vector<Shape> shapes;
    const int closing = random.between(1, 2);
    for (int i = 0; i < closing; ++i) {
        addClosingShapes(random, shapes);
    }
    const int others = random.between(0, 2);
    for (int i = 0; i < others; ++i) {
        shapes.push_back({random.below(8), random.between(2, 5), randomOffset(random, 3),
                          random.percent(50), false});
    }
    build(random, builder, shapes);
    run.catalogue = builder.catalogue();
    const Model model(run.catalogue, run.period, true);
    run.maxLength = run.period * std::max(1, random.between(10, 20) / run.period);
    while (run.maxLength > run.period && sequenceCount(model, run.maxLength) > kMostSequences) {
        run.maxLength -= run.period;
    }
    finish(random, run);
    return run;
}

Trial offsetRun(unsigned seed) {
    Random random(seed);
    Trial run;
    run.origin = "offsetRun(" + std::to_string(seed) + ")";
    run.series = true;
    run.period = random.pick(periods());
    for (;;) {
        Builder builder(random, run.period);
        std::vector<Shape> shapes;
        if (random.percent(50)) {
            addClosingShapes(random, shapes);
        }
        const int others = random.between(2, 4);
        for (int i = 0; i < others; ++i) {
            shapes.push_back({random.below(8), random.between(2, 5), randomOffset(random, 4),
                              random.percent(50), false});
        }
        build(random, builder, shapes);
        run.catalogue = builder.catalogue();
        const Model model(run.catalogue, run.period, false);
        if (!model.activeComponents().empty()) {
            // The target is where a random walk over the active components ends, so that there
            // is something to find.
            State state;
            int delay = 0;
            const int steps = random.between(1, 5);
            for (int i = 0; i < steps; ++i) {
                const int c = random.pick(model.activeComponents());
                state = model.output(c, state);
                delay += model.component(c).dt;
            }
            run.end = state;
            run.loops = state == State{};
            run.firstDelay = delay > run.period && random.percent(50) ? delay - run.period : delay;
            run.maxLength = delay + (random.percent(50) ? run.period : 0);
            while (run.maxLength > delay && sequenceCount(model, run.maxLength) > kMostSequences) {
                run.maxLength -= run.period;
            }
            break;
        }
    }
    finish(random, run);
    return run;
}

// Chains of ten places and more: two or three components of delay 2 at period 2 with a single
// cell of usage each, so that long loops and long paths can be realised, and the search goes
// deep enough for its partial-chain checks.
Trial longRun(unsigned seed) {
    Random random(seed);
    Trial run;
    run.origin = "longRun(" + std::to_string(seed) + ")";
    run.period = 2;
    Builder builder(random, run.period);
    std::vector<Shape> shapes;
    // Without a tree, the partial-chain checks do the work of the forbidden short chains:
    // variants of more than one cell make chains that cross themselves fail.
    const bool bare = random.percent(50);
    shapes.push_back({kForward, 2, {random.between(1, 3), 0}, !bare || random.percent(50), false});
    shapes.push_back({random.percent(50) ? 2 : 6,
                      2,
                      {random.between(1, 2), random.between(-1, 1)},
                      !bare || random.percent(50),
                      false});
    if (random.percent(50)) {
        shapes.push_back({random.below(8), 2, randomOffset(random, 2), true, false});
    }
    build(random, builder, shapes);
    run.catalogue = builder.catalogue();
    const Model model(run.catalogue, run.period, false);
    if (random.percent(70) && !model.activeComponents().empty()) {
        State state;
        int delay = 0;
        const int steps = random.between(9, 11);
        for (int i = 0; i < steps; ++i) {
            const int c = random.pick(model.activeComponents());
            state = model.output(c, state);
            delay += model.component(c).dt;
        }
        run.series = true;
        run.end = state;
        run.loops = state == State{};
        run.firstDelay = delay;
        run.maxLength = delay;
    } else {
        run.maxLength = random.between(10, 12) * 2;
        const Model loopModel(run.catalogue, run.period, true);
        while (run.maxLength > 2 && sequenceCount(loopModel, run.maxLength) > kMostSequences) {
            run.maxLength -= 2;
        }
    }
    finish(random, run);
    if (bare) {
        withoutTree(run);
    }
    return run;
}

std::string tallyText(const Tally& t) {
    std::ostringstream text;
    text << t.runs << " runs, " << t.expected << " chains expected, " << t.reportedLines
         << " result lines; loops of one place " << t.onePlaceLoops << " (not following itself "
         << t.onePlaceNotFollowingItself << "), of two places " << t.twoPlaceLoops
         << " (one join forbidden " << t.twoPlaceOneJoinForbidden << "); chains of 10 or more "
         << t.longChains << "; stopped by [Sequences] " << t.listedRejected << ", by the seam "
         << t.seamRejected << " (with no entry in the loop " << t.seamRejectedUnlisted
         << "); over the cell limit " << t.overCellLimit << "; partial checks " << t.partialChecks;
    return text.str();
}

// ------------------------------------------------------------------------------------------------
// The tests.

// The search-map mode on the same catalogues, held to the same brute force: the two modes report
// the same chains, loops compared as cycles, and the map mode reports each cycle once.
Trial inMapMode(Trial run) {
    run.mapMode = true;
    run.origin += " in the search-map mode";
    return run;
}

enum class Mode { kActiveSets, kSearchMap };

// Under AddressSanitizer a run costs several times as much, so that build checks every third
// seed: enough to find a memory fault, while the optimised build checks them all and asserts that
// each rare case occurred.
#if defined(__SANITIZE_ADDRESS__)
constexpr unsigned kSeedStride = 3;
#else
constexpr unsigned kSeedStride = 1;
#endif
constexpr bool kEverySeed = kSeedStride == 1;

// Every tenth case is also searched with more threads and as shards, which must write what one
// thread writes; under AddressSanitizer every thirtieth.
constexpr unsigned kParallelStride = kEverySeed ? 10 : 30;

void checkInParallel(const Trial& run) {
    Sandbox box;
    run.catalogue.writeTo(box);
    expectSameOnAnyThreads(box, run.arguments());
}

Tally checkSeeds(Trial (*make)(unsigned), unsigned first, unsigned last, Mode mode) {
    Tally tally;
    unsigned checked = 0;
    for (unsigned seed = first; seed <= last; seed += kSeedStride) {
        const Trial run = make(seed);
        const Trial inMode = mode == Mode::kSearchMap ? inMapMode(run) : run;
        tally += check(inMode).tally;
        if (checked++ % kParallelStride == 0) {
            checkInParallel(inMode);
        }
    }
    std::cout << tallyText(tally) << "\n";
    return tally;
}

class CompletenessInEachMode : public ::testing::TestWithParam<Mode> {};

TEST_P(CompletenessInEachMode, LoopTargetsOnRandomCatalogues) {
    const Tally tally = checkSeeds(loopRun, 1, 250, GetParam());
    EXPECT_GT(tally.expected, 150 / kSeedStride);
    // A loop that can be realised is stopped only by an entry of [Sequences], never by the
    // chains that the tree found impossible.
    EXPECT_EQ(tally.seamRejectedUnlisted, 0);
    if (!kEverySeed) {
        return;
    }
    EXPECT_GT(tally.onePlaceLoops, 0);
    EXPECT_GT(tally.onePlaceNotFollowingItself, 0);
    EXPECT_GT(tally.twoPlaceLoops, 0);
    EXPECT_GT(tally.twoPlaceOneJoinForbidden, 0);
    EXPECT_GT(tally.listedRejected, 0);
    EXPECT_GT(tally.seamRejected, 0);
    EXPECT_GT(tally.overCellLimit, 0);
}

TEST_P(CompletenessInEachMode, OffsetTargetsOnRandomCatalogues) {
    const Tally tally = checkSeeds(offsetRun, 1001, 1200, GetParam());
    EXPECT_GT(tally.expected, 150 / kSeedStride);
    if (!kEverySeed) {
        return;
    }
    EXPECT_GT(tally.listedRejected, 0);
    EXPECT_GT(tally.uEndRejected, 0);
    EXPECT_GT(tally.overCellLimit, 0);
}

TEST_P(CompletenessInEachMode, LongChains) {
    const Tally tally = checkSeeds(longRun, 2001, 2200, GetParam());
    EXPECT_GT(tally.longChains, 20 / kSeedStride);
    // Where the program reports its counters, the deep searches of the active-set mode must have
    // used the check; the search-map mode has none.
    if (tally.countersSeen && GetParam() == Mode::kActiveSets) {
        EXPECT_GT(tally.partialChecks, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Modes, CompletenessInEachMode,
                         ::testing::Values(Mode::kActiveSets, Mode::kSearchMap),
                         [](const ::testing::TestParamInfo<Mode>& info) {
                             return info.param == Mode::kActiveSets ? "ActiveSets" : "SearchMap";
                         });

// Catalogues built by hand around loops of one and two places, each searched with the full
// tree and with a tree that is full before it starts (size 0 and an inactive component), so
// that the solver alone must tell which loops can be realised.
class Corners {
  public:
    explicit Corners(int period) : m_random(1), m_builder(m_random, period), m_period(period) {}
    Corners(const Corners&) = delete;
    Corners& operator=(const Corners&) = delete;

    static CellMap cell(Point at) {
        CellMap cells;
        cells.box = {at.x, at.x, at.y, at.y};
        cells.live.push_back(at);
        return cells;
    }

    int component(int dir, int dt, Point offset) { return m_builder.component(dir, dt, offset); }
    int variant(int c) { return m_builder.variant(c, cell({}), cell({})); }
    // A variant whose only usage cell lies outside its image box, so that it may follow itself.
    int selfFollowingVariant(int c) {
        return m_builder.variant(c, cell({}), Builder::outsideCell(cell({}).box));
    }
    void pair(const std::string& line) { m_builder.pairLine(line); }

    // The expected loops, as names, with the tree full and empty; both runs checked.
    std::set<std::string> search(int maxLength) {
        Trial run;
        run.period = m_period;
        run.maxLength = maxLength;
        run.catalogue = m_builder.catalogue();
        const std::set<std::string> withTree = check(run).expected;
        check(inMapMode(run));
        const int idle = static_cast<int>(run.catalogue.components.size());
        Builder bare = m_builder;
        bare.component(kForward, 2, {});
        const int v = bare.variant(idle, cell({}), cell({}));
        bare.catalogue().variants[static_cast<std::size_t>(v)].period = 7919;
        run.catalogue = bare.catalogue();
        run.treeKB = 0;
        const std::set<std::string> withoutTree = check(run).expected;
        EXPECT_EQ(withTree, withoutTree);
        check(inMapMode(run));
        return withTree;
    }

  private:
    Random m_random;
    Builder m_builder;
    int m_period;
};

// K0 leaves the signal where it found it; K1 makes a loop of four quarter turns.
void standStillAndSquare(Corners& corners, bool followsItself) {
    corners.component(kForward, 4, {});
    corners.component(2, 1, {3, 0});
    followsItself ? corners.selfFollowingVariant(0) : corners.variant(0);
    corners.variant(1);
}

TEST(Completeness, LoopsOfOnePlace) {
    {
        // Its one variant needs its own cell twice over: it may not follow itself.
        Corners corners(4);
        standStillAndSquare(corners, false);
        const std::set<std::string> loops = corners.search(8);
        EXPECT_EQ(loops.count("K0"), 0u);
        EXPECT_EQ(loops.count("K1 K1 K1 K1"), 1u);
    }
    {
        Corners corners(4);
        standStillAndSquare(corners, false);
        corners.pair("k0a+k0a");
        const std::set<std::string> loops = corners.search(8);
        EXPECT_EQ(loops.count("K0"), 1u);
        EXPECT_EQ(loops.count("K0 K0"), 1u);
    }
    {
        Corners corners(4);
        standStillAndSquare(corners, true);
        EXPECT_EQ(corners.search(4).count("K0"), 1u);
        corners.pair("K0-K0");
        EXPECT_EQ(corners.search(4).count("K0"), 0u);
    }
    {
        // Of two variants only the second may follow itself: the loop is made with it.
        Corners corners(4);
        standStillAndSquare(corners, false);
        corners.selfFollowingVariant(0);
        EXPECT_EQ(corners.search(4).count("K0"), 1u);
        corners.pair("k0b-k0b");
        EXPECT_EQ(corners.search(4).count("K0"), 0u);
    }
}

// K1 undoes K0: the two close a loop in which each leads into the other.
void turnAndBack(Corners& corners, int variants) {
    corners.component(2, 2, {2, 1});
    corners.component(6, 2, turn(6, {-2, -1}));
    for (int i = 0; i < variants; ++i) {
        corners.variant(0);
        corners.variant(1);
    }
}

TEST(Completeness, LoopsOfTwoPlaces) {
    {
        Corners corners(4);
        turnAndBack(corners, 1);
        EXPECT_EQ(corners.search(4), std::set<std::string>{"K0 K1"});
    }
    for (const char* forbidden : {"k0a-k1a", "k1a-k0a"}) {
        Corners corners(4);
        turnAndBack(corners, 1);
        corners.pair(forbidden);
        EXPECT_EQ(corners.search(4), std::set<std::string>{}) << forbidden;
    }
    {
        // Every choice of variants has one join allowed and the other forbidden.
        Corners corners(4);
        turnAndBack(corners, 2);
        for (const char* forbidden : {"k0a-k1a", "k1b-k0a", "k0b-k1b", "k1a-k0b"}) {
            corners.pair(forbidden);
        }
        EXPECT_EQ(corners.search(4), std::set<std::string>{});
        // Allowing the missing join of one choice makes the loop.
        corners.pair("k0a+k1a");
        EXPECT_EQ(corners.search(4), std::set<std::string>{"K0 K1"});
    }
}

}  // namespace
}  // namespace trelkan::testing
