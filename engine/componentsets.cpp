#include "engine/componentsets.h"

#include "run/output.h"
#include "run/search.h"

namespace trelkan {

void runComponentSets(Search& search, ComponentSetSearch& mode) {
    search.m_setNumber = 0;
    writeOutput("Counting component sets...\n");
    for (const Target& target : search.m_targets) {
        mode.enumerateSets(target, SetPass::kCounting);
    }
    writeOutput(formatMessage("Found %d component sets\n", search.m_setNumber));
    if (search.m_ignoreSets != 0) {
        writeOutput(formatMessage("Searching (starting at set %d) ...\n", search.m_ignoreSets + 1));
    } else {
        writeOutput("Searching...\n");
    }
    const std::int32_t total = search.m_setNumber;
    search.m_setNumber = 0;
    for (const Target& target : search.m_targets) {
        if (!search.m_keepSearching.load()) {
            break;
        }
        if (search.m_setNumber < total || mode.findsChainsOutsideSets()) {
            mode.enumerateSets(target, SetPass::kSearching);
        }
    }
}

}  // namespace trelkan
