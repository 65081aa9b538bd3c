// trelkan-verify: proves trelkan's results in Life. Reads result lines ("*** (...) name ...")
// from a file or standard input, rebuilds each chain from the catalogue, runs it with one
// Herschel fed in at its start, and reports per result "ok" (for a loop: oscillator or gun) or
// what failed. Proven chains are written as patterns that run.

#include <cstdio>
#include <fstream>
#include <iostream>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/format.h"
#include "base/numberparse.h"
#include "catalogue/componentregister.h"
#include "tools/common/informationoption.h"
#include "tools/verify/chainproof.h"
#include "tools/verify/patterndirectory.h"
#include "tools/verify/patternsheet.h"
#include "tools/verify/resultline.h"

namespace {

using namespace trelkan;

constexpr const char* kUsage =
    "Usage:\n    trelkan-verify [-c definition-file] [-m margin] [-p period] [-o rlefile] "
    "[results-file]\n"
    "Reads trelkan's result lines from the file (standard input by default), proves each in "
    "Life,\nand exits with status 0 only when every result works. A loop whose delay is k times "
    "the\nperiod carries k signals.\n";

constexpr const char* kHelp =
    "Usage: trelkan-verify [options] [results-file]\n"
    "Proves trelkan's result lines (read from the file, or standard input) in Life.\n"
    "  -c file         the definition file (default data/data.ini)\n"
    "  -m margin       the margin around a chain's box in cells (default 16)\n"
    "  -p period       the period of the loops (default: each loop's delay, one signal)\n"
    "  -o rlefile      writes every proven chain into one RLE file, out of each other's way\n"
    "  -O directory    writes every proven chain into a file of its own, line-NNNNNN.rle\n"
    "  -g generations  how long the chains of -o run as alone, up to 1000000 (default: four "
    "periods)\n"
    "  -h, -?          the usage\n"
    "  --help          this text\n"
    "  --version       the version\n"
    "See README.md, section \"Proving results in Life: trelkan-verify\".\n";

struct Options {
    std::string catalogue = "data/data.ini";
    std::int32_t margin = 16;
    // 0: every loop carries one signal.
    std::int64_t period = 0;
    // 0: the longest time a chain of the sheet needs to show what it does.
    std::int64_t sheetGenerations = 0;
    std::optional<std::string> patternFile;
    std::optional<std::string> patternDirectory;
    std::optional<std::string> resultsFile;
};

// What the command line asks for: a run, a text to print and leave (status 0), or nothing
// (a usage error, reported).
struct Request {
    std::optional<Options> options;
    std::optional<std::string> answer;
};

// The sheet's chains are each run alone this long at the most, to lay them out.
constexpr std::int64_t kMostSheetGenerations = 1000000;

std::optional<std::int64_t> readPositive(
    const char* text, const char* what,
    std::int64_t most = std::numeric_limits<std::int32_t>::max()) {
    const NumberReading number = readUnsignedNumber(text);
    if (!number.valid || number.value < 1 || number.value > most) {
        std::fprintf(stderr, "Invalid %s: %s\n", what, text);
        return std::nullopt;
    }
    return number.value;
}

Request readOptions(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        const bool hasValue = i + 1 < argc;
        if (std::optional<std::string> answer =
                informationFor(word, "trelkan-verify", kUsage, kHelp)) {
            return {std::nullopt, std::move(answer)};
        }
        if (word == "-c" && hasValue) {
            options.catalogue = argv[++i];
        } else if (word == "-o" && hasValue) {
            options.patternFile = argv[++i];
        } else if (word == "-O" && hasValue) {
            options.patternDirectory = argv[++i];
        } else if (word == "-m" && hasValue) {
            const NumberReading margin = readUnsignedNumber(argv[++i]);
            if (!margin.valid || margin.value < 0 || margin.value > 10000) {
                std::fprintf(stderr, "Invalid margin: %s\n", argv[i]);
                return {};
            }
            options.margin = margin.value;
        } else if (word == "-p" && hasValue) {
            const std::optional<std::int64_t> period = readPositive(argv[++i], "period");
            if (!period) {
                return {};
            }
            options.period = *period;
        } else if (word == "-g" && hasValue) {
            const std::optional<std::int64_t> generations =
                readPositive(argv[++i], "number of generations", kMostSheetGenerations);
            if (!generations) {
                return {};
            }
            options.sheetGenerations = *generations;
        } else if (!word.empty() && word[0] == '-' && word != "-") {
            std::fprintf(stderr, "Invalid parameter: %s\n", word.c_str());
            return {};
        } else if (!options.resultsFile) {
            options.resultsFile = word;
        } else {
            std::fprintf(stderr, "Only one results file, please: %s\n", word.c_str());
            return {};
        }
    }
    return {options, std::nullopt};
}

struct Tally {
    int results = 0;
    int verified = 0;
};

struct Outputs {
    PatternSheet sheet;
    PatternDirectory directory;
};

// A result whose printed area is not the area of its chain's box is not what trelkan found.
std::optional<std::string> checkArea(const ResultLine& result, const ChainProof& proof) {
    if (result.area == proof.area()) {
        return std::nullopt;
    }
    return formatMessage("area %lld printed, %lld computed", static_cast<long long>(result.area),
                         static_cast<long long>(proof.area()));
}

void verifyLine(const ComponentRegister& catalogue, const Options& options, const std::string& text,
                std::int32_t lineNumber, Tally& tally, Outputs& outputs) {
    std::string error;
    const std::optional<ResultLine> result = parseResultLine(text, lineNumber, error);
    if (!result && error.empty()) {
        return;
    }
    ++tally.results;
    if (!result) {
        std::printf("FAILED line %d: malformed result line (%s): %s\n", lineNumber, error.c_str(),
                    text.c_str());
        return;
    }
    std::optional<ChainProof> proof = ChainProof::build(catalogue, result->names, error);
    if (!proof) {
        std::printf("FAILED line %d: %s: %s\n", lineNumber, error.c_str(), result->text.c_str());
        return;
    }
    std::optional<std::string> failure = checkArea(*result, *proof);
    if (!failure) {
        failure = proof->check(options.margin, options.period);
    }
    std::string description = proof->describe(options.period);
    if (failure) {
        std::printf("FAILED line %d: %s (%s): %s\n", lineNumber, failure->c_str(),
                    description.c_str(), result->text.c_str());
        return;
    }
    ++tally.verified;
    if (proof->isLoop()) {
        description += ", " + proof->emission(options.margin, options.period).describe();
    }
    std::printf("ok line %d: %s: %s\n", lineNumber, description.c_str(), result->text.c_str());
    if (options.patternFile || options.patternDirectory) {
        const std::string comment =
            formatMessage("#C line %d: %s", lineNumber, result->text.c_str());
        const std::vector<LifeCell> cells = proof->runningPattern(options.period);
        outputs.sheet.add(formatMessage("line %d", lineNumber), comment, cells,
                          proof->showingTime(options.period));
        outputs.directory.write(*result, comment, cells);
    }
}

}  // namespace

int main(int argc, char** argv) {
    const Request request = readOptions(argc, argv);
    if (request.answer) {
        std::fputs(request.answer->c_str(), stdout);
        return 0;
    }
    if (!request.options) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    const Options& options = *request.options;
    std::ifstream file;
    const bool fromFile = options.resultsFile && *options.resultsFile != "-";
    if (fromFile) {
        file.open(*options.resultsFile);
        if (!file) {
            std::fprintf(stderr, "Results file cannot be opened: %s\n",
                         options.resultsFile->c_str());
            return 2;
        }
    }
    std::istream& input = file.is_open() ? file : std::cin;
    // Loading reports on standard output, as trelkan does.
    StreamSink out(stdout);
    StreamSink errors(stderr);
    LoadError error;
    const std::unique_ptr<ComponentRegister> catalogue =
        ComponentRegister::load(options.catalogue, out, errors, error);
    if (!catalogue) {
        out.write(error.text());
        return 1;
    }
    Outputs outputs{PatternSheet(options.sheetGenerations, options.margin),
                    PatternDirectory(options.patternDirectory)};
    if (!outputs.directory.prepare()) {
        return 1;
    }

    Tally tally;
    std::string line;
    for (std::int32_t lineNumber = 1; std::getline(input, line); ++lineNumber) {
        verifyLine(*catalogue, options, line, lineNumber, tally, outputs);
    }
    std::printf("%d of %d results verified\n", tally.verified, tally.results);
    if (tally.results == 0) {
        // Most often the wrong file: a search's standard output or log holds result lines.
        std::fflush(stdout);
        std::fprintf(stderr, "No result lines in %s\n",
                     fromFile ? options.resultsFile->c_str() : "standard input");
        return 1;
    }
    if (options.patternFile && !outputs.sheet.isEmpty() &&
        !writeTextFile(*options.patternFile, outputs.sheet.rle())) {
        std::fprintf(stderr, "Pattern file cannot be written: %s\n", options.patternFile->c_str());
        return 1;
    }
    if (!outputs.directory.writable()) {
        return 1;
    }
    return tally.verified == tally.results ? 0 : 1;
}
