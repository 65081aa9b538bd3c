#include "tools/catalogue/labelreader.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <numeric>
#include <string>
#include <tuple>

#include "tools/catalogue/cellgroups.h"
#include "tools/catalogue/pixelfont.h"

namespace trelkan::builder {
namespace {

// Marks this close to an envelope are drawings of signals, not text.
constexpr std::int32_t kEnvelopeClearance = 2;
// Glyphs of one line of text are at most this many blank columns apart.
constexpr std::int32_t kGlyphGap = 3;
// Marks grouped into something larger than this are the big letters of the rows.
constexpr std::int32_t kLargestGlyph = 9;
// Glyphs this short could be part of a bigger one, so the rows around them must be blank too.
constexpr std::int32_t kShortGlyph = 3;
// A line belongs to the nearest conduit of its row, if its centre is within this of the box.
constexpr std::int32_t kLabelReach = 20;

struct Template {
    char character = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::vector<std::string> rows;
    std::int32_t cellCount = 0;
};

std::vector<Template> makeTemplates() {
    std::vector<Template> templates;
    for (const Glyph& glyph : pixelFont()) {
        Template t;
        t.character = glyph.character;
        std::size_t start = 0;
        while (start <= glyph.rows.size()) {
            const std::size_t end = std::min(glyph.rows.find('/', start), glyph.rows.size());
            t.rows.emplace_back(glyph.rows.substr(start, end - start));
            start = end + 1;
        }
        t.height = static_cast<std::int32_t>(t.rows.size());
        t.width = static_cast<std::int32_t>(t.rows.front().size());
        for (const std::string& row : t.rows) {
            t.cellCount += static_cast<std::int32_t>(std::count(row.begin(), row.end(), '#'));
        }
        templates.push_back(std::move(t));
    }
    // Bigger glyphs first, so that a small one never takes the stroke of a bigger one.
    std::stable_sort(templates.begin(), templates.end(), [](const Template& a, const Template& b) {
        return a.cellCount > b.cellCount;
    });
    return templates;
}

// The marks that may be text, and which of them a glyph has taken.
class TextImage {
  public:
    TextImage(std::int32_t width, std::int32_t height)
        : m_width(width),
          m_height(height),
          m_state(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0) {}

    void mark(const LifeCell& cell) { m_state[at(cell.x, cell.y)] = kMarked; }
    bool marked(std::int32_t x, std::int32_t y) const { return inside(x, y) && m_state[at(x, y)]; }
    bool free(std::int32_t x, std::int32_t y) const {
        return inside(x, y) && m_state[at(x, y)] == kMarked;
    }
    void take(std::int32_t x, std::int32_t y) { m_state[at(x, y)] = kTaken; }

  private:
    static constexpr std::uint8_t kMarked = 1;
    static constexpr std::uint8_t kTaken = 2;
    bool inside(std::int32_t x, std::int32_t y) const {
        return x >= 0 && y >= 0 && x < m_width && y < m_height;
    }
    std::size_t at(std::int32_t x, std::int32_t y) const {
        return static_cast<std::size_t>(y) * static_cast<std::size_t>(m_width) +
               static_cast<std::size_t>(x);
    }
    std::int32_t m_width;
    std::int32_t m_height;
    std::vector<std::uint8_t> m_state;
};

bool fitsAt(const TextImage& image, const Template& t, std::int32_t left, std::int32_t top) {
    for (std::int32_t r = 0; r < t.height; ++r) {
        for (std::int32_t c = 0; c < t.width; ++c) {
            const bool wanted =
                t.rows[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)] == '#';
            if (wanted ? !image.free(left + c, top + r) : image.marked(left + c, top + r)) {
                return false;
            }
        }
        if (image.marked(left - 1, top + r) || image.marked(left + t.width, top + r)) {
            return false;
        }
    }
    if (t.height <= kShortGlyph) {
        for (std::int32_t c = 0; c < t.width; ++c) {
            if (image.marked(left + c, top - 1) || image.marked(left + c, top + t.height)) {
                return false;
            }
        }
    }
    return true;
}

struct Hit {
    char character = 0;
    Box box;
};

std::vector<Hit> findGlyphs(TextImage& image, const std::vector<LifeCell>& text) {
    std::vector<Hit> hits;
    for (const Template& t : makeTemplates()) {
        // The first marked cell of the top row anchors the glyph.
        const auto anchor = static_cast<std::int32_t>(t.rows.front().find('#'));
        for (const LifeCell& cell : text) {
            const std::int32_t left = cell.x - anchor;
            if (fitsAt(image, t, left, cell.y)) {
                for (std::int32_t r = 0; r < t.height; ++r) {
                    for (std::int32_t c = 0; c < t.width; ++c) {
                        if (t.rows[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)] ==
                            '#') {
                            image.take(left + c, cell.y + r);
                        }
                    }
                }
                hits.push_back(
                    {t.character, {left, left + t.width - 1, cell.y, cell.y + t.height - 1}});
            }
        }
    }
    return hits;
}

struct TextLine {
    Box box;
    std::string text;
};

bool sameLine(const Box& a, const Box& b) {
    const bool rowsMeet = a.minY <= b.maxY && b.minY <= a.maxY;
    const std::int32_t gap = std::max(a.minX, b.minX) - std::min(a.maxX, b.maxX) - 1;
    return rowsMeet && gap <= kGlyphGap;
}

std::string lineText(std::vector<Hit> hits) {
    std::sort(hits.begin(), hits.end(),
              [](const Hit& a, const Hit& b) { return a.box.minX < b.box.minX; });
    // The foot of the tall glyphs: a bar there is an underscore, higher up a minus.
    std::int32_t foot = -1;
    for (const Hit& hit : hits) {
        if (hit.box.maxY - hit.box.minY + 1 == 7 && std::isdigit(hit.character) != 0) {
            foot = std::max(foot, hit.box.maxY);
        }
        if (hit.character == 'F' || hit.character == 'L' || hit.character == 'R' ||
            hit.character == 'B') {
            foot = std::max(foot, hit.box.maxY);
        }
    }
    std::string text;
    for (const Hit& hit : hits) {
        text += hit.character == '-' && hit.box.minY == foot ? '_' : hit.character;
    }
    return text;
}

std::vector<TextLine> groupLines(const std::vector<Hit>& hits) {
    std::vector<std::size_t> parent(hits.size());
    std::iota(parent.begin(), parent.end(), 0);
    const auto root = [&parent](std::size_t i) {
        while (parent[i] != i) {
            i = parent[i] = parent[parent[i]];
        }
        return i;
    };
    for (std::size_t i = 0; i < hits.size(); ++i) {
        for (std::size_t j = i + 1; j < hits.size(); ++j) {
            if (sameLine(hits[i].box, hits[j].box)) {
                parent[root(i)] = root(j);
            }
        }
    }
    std::vector<std::vector<Hit>> groups(hits.size());
    for (std::size_t i = 0; i < hits.size(); ++i) {
        groups[root(i)].push_back(hits[i]);
    }
    std::vector<TextLine> lines;
    for (const std::vector<Hit>& group : groups) {
        if (group.empty()) {
            continue;
        }
        TextLine line{Box::none(), lineText(group)};
        for (const Hit& hit : group) {
            line.box.include(hit.box);
        }
        lines.push_back(std::move(line));
    }
    std::sort(lines.begin(), lines.end(), [](const TextLine& a, const TextLine& b) {
        return std::tie(a.box.minY, a.box.minX) < std::tie(b.box.minY, b.box.minX);
    });
    return lines;
}

bool nearEnvelope(const Picture& picture, const LifeCell& cell) {
    for (std::int32_t dy = -kEnvelopeClearance; dy <= kEnvelopeClearance; ++dy) {
        for (std::int32_t dx = -kEnvelopeClearance; dx <= kEnvelopeClearance; ++dx) {
            if (picture.state(cell.x + dx, cell.y + dy) == kEnvelope) {
                return true;
            }
        }
    }
    return false;
}

// The marks that can be text: not a Herschel, not next to an envelope, not a big letter.
std::vector<LifeCell> textCells(const Picture& picture, const std::vector<LifeCell>& herschels) {
    std::vector<LifeCell> candidates;
    for (const LifeCell& cell : picture.cellsOfState(kMarking)) {
        if (!std::binary_search(herschels.begin(), herschels.end(), cell) &&
            !nearEnvelope(picture, cell)) {
            candidates.push_back(cell);
        }
    }
    std::vector<LifeCell> text;
    for (const std::vector<LifeCell>& group : groupCells(candidates, 1)) {
        const Box box = boxOf(group);
        if (box.maxX - box.minX < kLargestGlyph && box.maxY - box.minY < kLargestGlyph) {
            text.insert(text.end(), group.begin(), group.end());
        }
    }
    return normalisedCells(std::move(text));
}

// The numbers of "(x=A,y=B)" groups in a line.
std::vector<Offset> parseOffsets(const std::string& text) {
    std::vector<Offset> offsets;
    std::size_t at = 0;
    while ((at = text.find("(x=", at)) != std::string::npos) {
        const char* start = text.c_str() + at + 3;
        char* end = nullptr;
        const long x = std::strtol(start, &end, 10);
        if (end == start || std::string_view(end).substr(0, 3) != ",y=") {
            break;
        }
        start = end + 3;
        const long y = std::strtol(start, &end, 10);
        if (end == start || *end != ')') {
            break;
        }
        offsets.push_back({static_cast<std::int32_t>(x), static_cast<std::int32_t>(y)});
        at = static_cast<std::size_t>(end - text.c_str());
    }
    return offsets;
}

std::optional<std::int32_t> parseRecovery(const std::string& text) {
    if (text.size() < 3 || text.front() != '(' || text.back() != ')') {
        return std::nullopt;
    }
    const std::string digits = text.substr(1, text.size() - 2);
    if (digits.empty() || digits.size() > 6 ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return std::isdigit(c) != 0; })) {
        return std::nullopt;
    }
    return std::stoi(digits);
}

// The conduit of the line's row whose box is nearest to the line's centre, or -1.
std::int32_t nearestConduit(const TextLine& line, std::int32_t band,
                            const std::vector<DrawnConduit>& conduits) {
    const std::int32_t centre = (line.box.minX + line.box.maxX) / 2;
    std::int32_t best = -1;
    std::int32_t bestDistance = kLabelReach + 1;
    for (const DrawnConduit& conduit : conduits) {
        if (conduit.band != band) {
            continue;
        }
        const std::int32_t distance =
            std::max({conduit.box.minX - centre, centre - conduit.box.maxX, 0});
        if (distance < bestDistance) {
            bestDistance = distance;
            best = conduit.index;
        }
    }
    return best;
}

void attachLines(const std::vector<TextLine>& lines, const ClusterMap& clusters,
                 Collection& collection) {
    std::vector<std::vector<const TextLine*>> above(collection.conduits.size());
    std::vector<std::vector<const TextLine*>> below(collection.conduits.size());
    for (const TextLine& line : lines) {
        const std::int32_t owner =
            nearestConduit(line, clusters.bandOf(line.box.minY), collection.conduits);
        if (owner < 0) {
            continue;
        }
        const DrawnConduit& conduit = collection.conduits[static_cast<std::size_t>(owner)];
        if (line.box.maxY < conduit.box.minY) {
            above[static_cast<std::size_t>(owner)].push_back(&line);
        } else if (line.box.minY > conduit.box.maxY) {
            below[static_cast<std::size_t>(owner)].push_back(&line);
        }
    }
    for (DrawnConduit& conduit : collection.conduits) {
        const auto i = static_cast<std::size_t>(conduit.index);
        if (!above[i].empty()) {
            // Lines are in reading order: the last one above is nearest to the conduit.
            conduit.label.name = above[i].back()->text;
        }
        for (const TextLine* line : below[i]) {
            if (!conduit.label.recovery) {
                conduit.label.recovery = parseRecovery(line->text);
                if (conduit.label.recovery) {
                    continue;
                }
            }
            const std::vector<Offset> offsets = parseOffsets(line->text);
            conduit.label.offsets.insert(conduit.label.offsets.end(), offsets.begin(),
                                         offsets.end());
        }
    }
}

}  // namespace

void readLabels(const Picture& picture, const ClusterMap& clusters,
                const std::vector<LifeCell>& herschelCells, Collection& collection) {
    const std::vector<LifeCell> text = textCells(picture, herschelCells);
    TextImage image(picture.width(), picture.height());
    for (const LifeCell& cell : text) {
        image.mark(cell);
    }
    const std::vector<TextLine> lines = groupLines(findGlyphs(image, text));
    std::int32_t unread = 0;
    for (const LifeCell& cell : text) {
        unread += image.free(cell.x, cell.y) ? 1 : 0;
    }
    if (unread > 0) {
        collection.notes.push_back(std::to_string(unread) +
                                   " marked cells of the labels match no glyph");
    }
    attachLines(lines, clusters, collection);
}

}  // namespace trelkan::builder
