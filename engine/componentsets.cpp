#include "engine/componentsets.h"

#include "base/format.h"
#include "engine/searchcontext.h"

namespace trelkan {

void runComponentSets(SearchContext& context, ComponentSetSearch& mode) {
    const std::set<Target, TargetLess>& targets = context.input().targets;
    context.restartSets();
    context.progress("Counting component sets...\n");
    for (const Target& target : targets) {
        mode.enumerateSets(target, SetPass::kCounting);
    }
    context.progress(
        formatMessage("Found %lld component sets\n", static_cast<long long>(context.setNumber())));
    if (context.input().ignoreSets != 0) {
        const long long first = static_cast<long long>(context.input().ignoreSets) + 1;
        context.progress(formatMessage("Searching (starting at set %lld) ...\n", first));
    } else {
        context.progress("Searching...\n");
    }
    const std::int64_t total = context.setNumber();
    context.restartSets();
    for (const Target& target : targets) {
        if (!context.running()) {
            break;
        }
        if (context.setNumber() < total || mode.findsChainsOutsideSets()) {
            mode.enumerateSets(target, SetPass::kSearching);
        }
    }
}

}  // namespace trelkan
