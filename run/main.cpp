// trelkan: searches for chains of signal-carrying Life machinery that close into loops or carry
// a signal from here to there.
//
// The road of a run: the command line makes the targets; the catalogue is loaded from
// data/data.ini and prepared for the period; the tree of forbidden sequences is built; the search
// runs and reports. With a pattern file and no period, the catalogue is drawn instead.

#include <cstdint>
#include <cstdio>
#include <memory>
#include <new>
#include <span>
#include <string>

#include "base/version.h"

#include "catalogue/componentregister.h"
#include "compound/treebuilder.h"
#include "run/commandline.h"
#include "run/console.h"
#include "run/search.h"
#include "run/shardmerge.h"
#include "run/testpattern.h"

namespace {

// --help or --version, on standard output alone: not in the log that -f may name.
int writeInformation(const trelkan::RunSettings& settings, trelkan::Console& console) {
    using namespace trelkan;
    const std::string text =
        settings.showHelp ? std::string(kHelpText) : "trelkan " + std::string(kVersion) + "\n";
    std::fwrite(text.data(), 1, text.size(), stdout);
    console.closeFiles();
    return console.writeFailed() ? kFailedRun : 0;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace trelkan;

    Console console;
    const std::span<const char* const> words(argv + (argc > 0 ? 1 : 0),
                                             static_cast<std::size_t>(argc > 1 ? argc - 1 : 0));
    RunSettings settings = readCommandLine(words, console);
    if (settings.showsInformation()) {
        return writeInformation(settings, console);
    }
    if (settings.showUsage) {
        console.errors().write(kUsageText);
        return settings.usageStatus();
    }
    if (settings.period == 0) {
        return TestPattern(console).draw();
    }
    if (!settings.mergeFiles.empty()) {
        return mergeShards(console, settings);
    }

    Search search(console, std::move(settings.targets));
    search.acceptTargets(settings.maxLen);
    installInterruptHandler(search);
    try {
        const std::unique_ptr<ComponentRegister> catalogue = loadCatalogue(console);
        if (!catalogue) {
            return 1;
        }
        catalogue->prepare(settings.period, settings.compression,
                           search.targets().loopTargetsOnly(), settings.mapMode);
        buildTree(*catalogue, static_cast<std::uint32_t>(settings.treeSizeKB) * 1024u, console);
        const int status = search.run(*catalogue, settings.runParameters());
        return console.writeFailed() ? kFailedRun : status;
    } catch (const std::bad_alloc&) {
        return endOutOfMemory(console);
    }
}
