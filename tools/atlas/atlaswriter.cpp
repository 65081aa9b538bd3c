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

std::string entryRow(const AtlasEntry& entry) {
    const auto signals = static_cast<long long>(entry.signals());
    return formatMessage("| %lld | %lld | %dx%d | %zu | %s | %lld | %lld |\n",
                         static_cast<long long>(entry.period), static_cast<long long>(entry.area),
                         entry.width, entry.height, entry.names.size(), entry.chain().c_str(),
                         signals, static_cast<long long>(entry.delay));
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

std::string AtlasWriter::table(const AtlasState& state) const {
    std::string text = formatMessage(
        "# The loop atlas\n\n"
        "For every period from %lld to %lld, the Herschel loop of least area (ties: fewest "
        "conduits, then the names in order) among the loops of the catalogue %s with a delay "
        "of at most %lld: a loop of delay D that carries D/P evenly spaced signals oscillates "
        "with period P. %s; atlas.rle holds them as patterns.\n\n"
        "Made by `%s`; the same command extends it to a larger delay.\n\n"
        "| period | area | bounding box | conduits | chain | signals | delay |\n"
        "|---:|---:|---|---:|---|---:|---:|\n",
        static_cast<long long>(m_range.minPeriod), static_cast<long long>(m_range.maxDelay),
        m_range.catalogue.c_str(), static_cast<long long>(m_range.maxDelay),
        everyEntryProven(state)
            ? "Every entry is proven in Life"
            : "Not every entry is proven in Life: some were found with --no-proof",
        command().c_str());
    for (std::int64_t period = m_range.minPeriod; period <= m_range.maxDelay; ++period) {
        const PeriodRecord* record = state.record(period);
        if (record != nullptr && record->entry) {
            text += entryRow(*record->entry);
        } else {
            text += formatMessage("| %lld | | | | no loop with delay up to %lld | | |\n",
                                  static_cast<long long>(period),
                                  static_cast<long long>(m_range.maxDelay));
        }
    }
    return text;
}

std::string AtlasWriter::patterns(const AtlasState& state) const {
    PatternSheet sheet(0, kMargin);
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
        if (entry.proven) {
            // The proof picks the conduit at which the signals are fed in so that the loop runs.
            proof->check(kMargin, period);
        }
        const auto periodNumber = static_cast<long long>(period);
        sheet.add(
            formatMessage("period %lld", periodNumber),
            formatMessage("#C period %lld: %s, %lld signal%s", periodNumber, entry.chain().c_str(),
                          static_cast<long long>(entry.signals()), entry.signals() == 1 ? "" : "s"),
            proof->runningPattern(period), proof->showingTime(period));
    }
    return sheet.isEmpty() ? std::string() : sheet.rle();
}

bool AtlasWriter::write(const std::string& directory, const AtlasState& state,
                        std::string& error) const {
    const std::filesystem::path place(directory);
    for (const auto& [name, text] :
         {std::pair{"atlas.md", table(state)}, std::pair{"atlas.rle", patterns(state)}}) {
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
