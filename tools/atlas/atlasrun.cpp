#include "tools/atlas/atlasrun.h"

#include <cstdio>
#include <filesystem>
#include <memory>

#include <unistd.h>

#include "base/format.h"
#include "catalogue/componentregister.h"
#include "run/search.h"
#include "tools/atlas/catalogueloader.h"
#include "tools/atlas/periodsearch.h"
#include "tools/verify/chainproof.h"

namespace trelkan {
namespace {

// The room around a loop's box that its repetition test watches, as trelkan-verify's default.
constexpr std::int32_t kProofMargin = 16;

}  // namespace

int AtlasRun::searchPeriods() {
    std::int64_t count = 0;
    for (std::int64_t period = m_options.minPeriod; period <= m_options.maxDelay; ++period) {
        count += m_options.coversPeriod(period) ? 1 : 0;
    }
    std::int64_t done = 0;
    for (std::int64_t period = m_options.minPeriod; period <= m_options.maxDelay; ++period) {
        if (!m_options.coversPeriod(period)) {
            continue;
        }
        const PeriodRecord* record = m_state.record(period);
        if (record != nullptr && record->searchedUpTo >= m_options.maxDelay) {
            ++done;
            continue;
        }
        std::optional<PeriodRecord> searched = searchPeriod(period, record);
        if (!searched) {
            return kFailedRun;
        }
        m_state.setRecord(period, *searched);
        if (!m_state.write(statePath())) {
            std::fprintf(stderr, "The state file cannot be written: %s\n", statePath().c_str());
            return kFailedRun;
        }
        reportProgress(period, *searched, ++done, count);
    }
    return 0;
}

std::string AtlasRun::statePath() const {
    return (std::filesystem::path(m_options.directory) / "atlas.state").string();
}

std::optional<PeriodRecord> AtlasRun::searchPeriod(std::int64_t period,
                                                   const PeriodRecord* record) {
    PeriodQuery query;
    query.period = period;
    query.maxDelay = m_options.maxDelay;
    query.threads = m_options.threads > 0 ? m_options.threads : usableCores();
    query.mapMode = m_options.mapMode;
    PeriodRecord result;
    if (record != nullptr) {
        query.minDelay = record->searchedUpTo + 1;
        query.areaBound = record->entry ? record->entry->area : 0;
        result = *record;
    }
    result.searchedUpTo = m_options.maxDelay;
    // The search prepares the catalogue for its period: each gets one of its own.
    const std::unique_ptr<ComponentRegister> catalogue = m_loader.load();
    if (!catalogue) {
        return std::nullopt;
    }
    std::string error;
    std::optional<AtlasEntry> found = PeriodSearch::find(*catalogue, query, error);
    if (!error.empty()) {
        std::fprintf(stderr, "The search of period %lld failed: %s\n",
                     static_cast<long long>(period), error.c_str());
        return std::nullopt;
    }
    if (found && !prove(*found)) {
        return std::nullopt;
    }
    if (found && (!result.entry || comesBefore(*found, *result.entry))) {
        result.entry = std::move(found);
    }
    return result;
}

bool AtlasRun::prove(AtlasEntry& entry) const {
    std::string error;
    std::optional<ChainProof> proof = ChainProof::build(m_catalogue, entry.names, error);
    std::optional<std::string> failure;
    if (!proof) {
        failure = error;
    } else if (!proof->isLoop() || proof->delay() % entry.period != 0 ||
               proof->delay() > m_options.maxDelay) {
        failure = formatMessage(
            "no loop with a delay that is a multiple of the period up "
            "to %lld",
            static_cast<long long>(m_options.maxDelay));
    } else if (proof->area() != entry.area) {
        failure =
            formatMessage("area %lld found, %lld computed", static_cast<long long>(entry.area),
                          static_cast<long long>(proof->area()));
    } else if (m_options.prove) {
        failure = proof->check(kProofMargin, entry.period);
    }
    if (failure) {
        std::fprintf(stderr, "The loop of period %lld failed its proof: %s: %s\n",
                     static_cast<long long>(entry.period), failure->c_str(), entry.chain().c_str());
        return false;
    }
    entry.delay = proof->delay();
    entry.proven = m_options.prove;
    return true;
}

void AtlasRun::reportProgress(std::int64_t period, const PeriodRecord& record, std::int64_t done,
                              std::int64_t count) const {
    if (!m_options.progress && isatty(STDERR_FILENO) == 0) {
        return;
    }
    const std::string found =
        record.entry
            ? formatMessage("area %lld (%lld signal%s)", static_cast<long long>(record.entry->area),
                            static_cast<long long>(record.entry->signals()),
                            record.entry->signals() == 1 ? "" : "s")
            : std::string("no loop");
    std::fprintf(stderr, "period %lld: %s, %lld of %lld periods done\n",
                 static_cast<long long>(period), found.c_str(), static_cast<long long>(done),
                 static_cast<long long>(count));
    std::fflush(stderr);
}

}  // namespace trelkan
