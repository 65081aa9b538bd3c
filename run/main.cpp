// trelkan: searches for chains of signal-carrying Life machinery that close into loops or carry
// a signal from here to there.
//
// The road of a run: the command line makes the targets; the search loads the catalogue from
// data/data.ini, prepares it for the period, builds the forbidden-sequence tree, searches, and
// reports. With a pattern file and no period, the catalogue is drawn instead.

#include <cstdio>
#include <memory>
#include <span>

#include "run/commandline.h"
#include "run/search.h"

int main(int argc, char** argv) {
    using namespace trelkan;

    // The search lives until the process ends; target scripts fill it while options are read.
    auto search = std::make_unique<Search>();
    setCurrentSearch(search.get());

    const std::span<const char* const> words(argv + (argc > 0 ? 1 : 0),
                                             static_cast<std::size_t>(argc > 1 ? argc - 1 : 0));
    const RunSettings settings = readCommandLine(words, *search);
    if (settings.showUsage) {
        std::fwrite(kUsageText.data(), 1, kUsageText.size(), stderr);
        return 0;
    }
    if (settings.period == 0) {
        search->generateTestPattern();
        return 0;
    }
    if (!settings.scriptGiven) {
        addTargetSeries(settings, *search);
    }
    search->acceptTargets(settings.maxLen);
    installInterruptHandler();
    search->run(settings.runParameters());
    return 0;
}
