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
    context.progress(formatMessage("Found %d component sets\n", context.setNumber()));
    if (context.input().ignoreSets != 0) {
        context.progress(
            formatMessage("Searching (starting at set %d) ...\n", context.input().ignoreSets + 1));
    } else {
        context.progress("Searching...\n");
    }
    const std::int32_t total = context.setNumber();
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
