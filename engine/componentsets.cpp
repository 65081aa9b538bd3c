#include "engine/componentsets.h"

#include <algorithm>

#include "base/format.h"
#include "engine/parallelsearch.h"
#include "engine/searchcontext.h"

namespace trelkan {

void runComponentSets(SearchContext& context, const ModeMaker& makeMode) {
    const std::set<Target, TargetLess>& targets = context.input().targets;
    const std::unique_ptr<ComponentSetSearch> mode = makeMode(context);
    context.restartSets();
    context.progress("Counting component sets...\n");
    context.beginStage(SearchStage::kCounting, 0);
    for (const Target& target : targets) {
        mode->enumerateSets(target, SetPass::kCounting);
    }
    context.progress(
        formatMessage("Found %lld component sets\n", static_cast<long long>(context.setNumber())));
    const Shard& shard = context.input().shard;
    if (shard.count > 1) {
        context.progress(formatMessage("Shard %lld of %lld\n", static_cast<long long>(shard.number),
                                       static_cast<long long>(shard.count)));
    }
    if (context.input().ignoreSets != 0) {
        const long long first = static_cast<long long>(context.input().ignoreSets) + 1;
        context.progress(formatMessage("Searching (starting at set %lld) ...\n", first));
    } else {
        context.progress("Searching...\n");
    }
    const std::int64_t total = context.setNumber();
    context.restartSets();
    if (context.input().threads > 1 || context.input().shard.count > 1) {
        searchInParallel(context, makeMode, total);
    } else {
        const std::int64_t toSearch = std::max<std::int64_t>(total - context.input().ignoreSets, 0);
        context.beginStage(SearchStage::kSearching, toSearch);
        searchTargets(context, *mode, total);
        // The last set is done without a next one to begin.
        if (context.running()) {
            context.progressCounts().setDone(toSearch);
        }
    }
}

void searchTargets(SearchContext& context, ComponentSetSearch& mode, std::int64_t setCount) {
    for (const Target& target : context.input().targets) {
        if (!context.running() || context.isPastItsSets()) {
            break;
        }
        if (context.setNumber() < setCount || mode.findsChainsOutsideSets()) {
            mode.enumerateSets(target, SetPass::kSearching);
        }
    }
}

}  // namespace trelkan
