#include "tools/atlas/atlaswriter.h"

#include <filesystem>
#include <optional>
#include <utility>

#include "base/format.h"
#include "tools/verify/chainproof.h"
#include "tools/verify/patterndirectory.h"
#include "tools/verify/patternsheet.h"

namespace trelkan {
namespace {

// The room around each loop's box in atlas.rle, as trelkan-verify leaves by default.
constexpr std::int32_t kMargin = 16;
// Loops in a row of atlas.rle.
constexpr std::size_t kColumns = 10;

std::string entryRow(const AtlasEntry& entry, const std::string& gliders) {
    const auto signals = static_cast<long long>(entry.signals());
    return formatMessage("| %lld | %lld | %dx%d | %zu | %s | %lld | %lld | %s |\n",
                         static_cast<long long>(entry.period), static_cast<long long>(entry.area),
                         entry.width, entry.height, entry.names.size(), entry.chain().c_str(),
                         signals, static_cast<long long>(entry.delay), gliders.c_str());
}

// "none" for an oscillator; for a gun the gliders of a period by direction: "1 NW, 1 SE".
std::string glidersSentOut(const GliderEmission& emission) {
    std::string text;
    for (std::size_t d = 0; d < emission.gliders.size(); ++d) {
        if (emission.gliders[d] != 0) {
            text += formatMessage("%s%lld %s", text.empty() ? "" : ", ",
                                  static_cast<long long>(emission.gliders[d]),
                                  GliderEmission::kDirectionNames[d]);
        }
    }
    return text.empty() ? "none" : text;
}

}  // namespace

std::string AtlasWriter::command() const {
    return formatMessage("trelkan-atlas -c %s -l %lld -u %lld%s", m_range.catalogue.c_str(),
                         static_cast<long long>(m_range.minPeriod),
                         static_cast<long long>(m_range.maxDelay),
                         m_range.proven ? "" : " --no-proof");
}

bool AtlasWriter::everyEntryProven(const AtlasState& state) const {
    for (std::int64_t period = m_range.minPeriod; period <= m_range.maxDelay; ++period) {
        const PeriodRecord* record = state.record(period);
        if (record != nullptr && record->entry && !record->entry->proven) {
            return false;
        }
    }
    return true;
}

AtlasWriter::Drawings AtlasWriter::draw(const AtlasState& state) const {
    Drawings drawings;
    for (std::int64_t period = m_range.minPeriod; period <= m_range.maxDelay; ++period) {
        const PeriodRecord* record = state.record(period);
        if (record == nullptr || !record->entry) {
            continue;
        }
        const AtlasEntry& entry = *record->entry;
        std::string error;
        std::optional<ChainProof> proof = ChainProof::build(m_catalogue, entry.names, error);
        if (!proof) {
            continue;
        }
        Drawing& drawing = drawings[period];
        drawing.showingTime = proof->showingTime(period);
        // A proven loop is drawn as it runs once steady, so that it repeats from generation 0;
        // the proof picks the conduit at which its signals are fed in.
        if (entry.proven && !proof->check(kMargin, period)) {
            drawing.cells = proof->steadyPattern(kMargin, period);
            drawing.gliders = glidersSentOut(proof->emission(kMargin, period));
        } else {
            drawing.cells = proof->runningPattern(period);
        }
    }
    return drawings;
}

std::string AtlasWriter::summary(const Drawings& drawings) const {
    const std::int64_t periods = m_range.maxDelay - m_range.minPeriod + 1;
    std::int64_t oscillators = 0;
    std::int64_t guns = 0;
    for (const auto& [period, drawing] : drawings) {
        oscillators += drawing.gliders == "none" ? 1 : 0;
        guns += drawing.gliders.empty() || drawing.gliders == "none" ? 0 : 1;
    }
    std::string text = formatMessage("A loop for %zu of the %lld periods", drawings.size(),
                                     static_cast<long long>(periods));
    if (oscillators + guns > 0) {
        text += formatMessage(": %lld oscillator%s, sending nothing out, and %lld gun%s",
                              static_cast<long long>(oscillators), oscillators == 1 ? "" : "s",
                              static_cast<long long>(guns), guns == 1 ? "" : "s");
    }
    return text + ".";
}

std::string AtlasWriter::table(const AtlasState& state, const Drawings& drawings) const {
    std::string text = formatMessage(
        "# The loop atlas\n\n"
        "For every period from %lld to %lld, the Herschel loop of least area (ties: fewest "
        "conduits, then the names in order) among the loops of the catalogue %s with a delay "
        "of at most %lld: a loop of delay D that carries D/P evenly spaced signals oscillates "
        "with period P. %s; atlas.rle holds them as patterns.\n\n"
        "%s\n\n"
        "Made by `%s`; the same command extends it to a larger delay.\n\n"
        "| period | area | bounding box | conduits | chain | signals | delay | gliders sent out "
        "per period |\n"
        "|---:|---:|---|---:|---|---:|---:|---|\n",
        static_cast<long long>(m_range.minPeriod), static_cast<long long>(m_range.maxDelay),
        m_range.catalogue.c_str(), static_cast<long long>(m_range.maxDelay),
        everyEntryProven(state)
            ? "Every entry is proven in Life"
            : "Not every entry is proven in Life: some were found with --no-proof",
        summary(drawings).c_str(), command().c_str());
    for (std::int64_t period = m_range.minPeriod; period <= m_range.maxDelay; ++period) {
        const PeriodRecord* record = state.record(period);
        if (record != nullptr && record->entry) {
            const auto drawing = drawings.find(period);
            text += entryRow(*record->entry,
                             drawing == drawings.end() ? std::string() : drawing->second.gliders);
        } else {
            text += formatMessage("| %lld | | | | no loop with delay up to %lld | | | |\n",
                                  static_cast<long long>(period),
                                  static_cast<long long>(m_range.maxDelay));
        }
    }
    return text;
}

std::string AtlasWriter::patterns(const AtlasState& state, const Drawings& drawings) const {
    PatternSheet sheet(0, kMargin, kColumns);
    for (const auto& [period, drawing] : drawings) {
        const AtlasEntry& entry = *state.record(period)->entry;
        const auto periodNumber = static_cast<long long>(period);
        sheet.add(
            formatMessage("period %lld", periodNumber),
            formatMessage("#C period %lld: %s, %lld signal%s", periodNumber, entry.chain().c_str(),
                          static_cast<long long>(entry.signals()), entry.signals() == 1 ? "" : "s"),
            drawing.cells, drawing.showingTime);
    }
    return sheet.isEmpty() ? std::string() : sheet.rle();
}

bool AtlasWriter::write(const std::string& directory, const AtlasState& state,
                        std::string& error) const {
    const Drawings drawings = draw(state);
    const std::filesystem::path place(directory);
    for (const auto& [name, text] : {std::pair{"atlas.md", table(state, drawings)},
                                     std::pair{"atlas.rle", patterns(state, drawings)}}) {
        const std::string path = (place / name).string();
        if (text.empty()) {
            std::error_code ignored;
            std::filesystem::remove(path, ignored);
        } else if (!writeTextFile(path, text)) {
            error = "cannot write " + path;
            return false;
        }
    }
    return true;
}

}  // namespace trelkan
