#include "tools/atlas/periodsearch.h"

#include <cassert>

#include "base/targetset.h"
#include "base/textsink.h"
#include "catalogue/componentregister.h"
#include "compound/compoundcomponent.h"
#include "compound/treebuilder.h"
#include "engine/searchrun.h"
#include "run/commandline.h"
#include "run/search.h"
#include "tools/verify/resultline.h"

namespace trelkan {
namespace {

// The tree size trelkan takes by default, in bytes.
constexpr std::uint32_t kTreeBytes = 1000u * 1024u;

// The loop targets of `trelkan -p period -l minDelay -u maxDelay`.
TargetSet loopTargets(const PeriodQuery& query) {
    RunSettings settings;
    settings.period = static_cast<std::int32_t>(query.period);
    settings.minLen = static_cast<std::int32_t>(query.minDelay);
    settings.maxLen = static_cast<std::int32_t>(query.maxDelay);
    TargetSet targets;
    addTargetSeries(settings, targets);
    return targets;
}

}  // namespace

std::optional<AtlasEntry> PeriodSearch::find(ComponentRegister& catalogue, const PeriodQuery& query,
                                             std::string& error) {
    const TargetSet targets = loopTargets(query);
    if (targets.empty()) {
        return std::nullopt;
    }
    const auto period = static_cast<std::int32_t>(query.period);
    catalogue.prepare(period, period, true, query.mapMode);
    StringSink treeMessages;
    buildTree(catalogue, kTreeBytes, treeMessages);
    const SearchInput input{catalogue,
                            *catalogue.acTree(),
                            targets.targets(),
                            activeComponents(catalogue),
                            0,
                            true,
                            memoryLimit(),
                            query.threads,
                            Shard{}};
    PeriodSearch search(query.period, static_cast<std::int32_t>(query.areaBound));
    const SearchOutcome outcome = runSearch(input, search, query.mapMode);
    if (outcome.outOfMemory || outcome.mapBytesRefused != 0) {
        error = "out of memory";
        return std::nullopt;
    }
    return std::move(search.m_best);
}

bool PeriodSearch::foundChain(CompoundComponent& chain, Direction, std::int64_t) {
    // The chain changes between results; its area must be that of the present places.
    chain.resetArea();
    AtlasEntry entry;
    entry.period = m_period;
    entry.area = chain.area();
    if (m_areaBound != 0 && entry.area > m_areaBound) {
        return true;
    }
    const Box box = chain.bounds();
    entry.width = box.maxX - box.minX + 1;
    entry.height = box.maxY - box.minY + 1;
    // The names as the result line gives them.
    StringSink line;
    line.write("*** ");
    chain.print(0, line);
    std::string error;
    std::optional<ResultLine> result = parseResultLine(line.text(), 0, error);
    assert(result);
    entry.names = std::move(result->names);
    if (!m_best || comesBefore(entry, *m_best)) {
        m_best = std::move(entry);
        m_areaBound = static_cast<std::int32_t>(m_best->area);
    }
    return true;
}

}  // namespace trelkan
