// trelkan-verify: proves trelkan's results in Life. Reads result lines ("*** (...) name ...")
// from a file or standard input, rebuilds each chain from the catalogue, runs it with one
// Herschel fed in at its start, and reports per result "ok" or what failed.

#include <cstdio>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/format.h"
#include "base/numberparse.h"
#include "catalogue/componentregister.h"
#include "life/rlepattern.h"
#include "tools/verify/chainproof.h"
#include "tools/verify/resultline.h"

namespace {

using namespace trelkan;

constexpr const char* kUsage =
    "Usage:\n    trelkan-verify [-c definition-file] [-m margin] [-p period] [-o rlefile] "
    "[results-file]\n"
    "Reads trelkan's result lines from the file (standard input by default), proves each in "
    "Life,\nand exits with status 0 only when every result works. A loop whose delay is k times "
    "the\nperiod carries k signals.\n";

struct Options {
    std::string catalogue = "data/data.ini";
    std::int32_t margin = 16;
    // 0: every loop carries one signal.
    std::int64_t period = 0;
    std::optional<std::string> patternFile;
    std::optional<std::string> resultsFile;
};

std::optional<Options> readOptions(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        const bool hasValue = i + 1 < argc;
        if (word == "-c" && hasValue) {
            options.catalogue = argv[++i];
        } else if (word == "-o" && hasValue) {
            options.patternFile = argv[++i];
        } else if (word == "-m" && hasValue) {
            const NumberReading margin = readUnsignedNumber(argv[++i]);
            if (!margin.valid || margin.value < 0 || margin.value > 10000) {
                std::fprintf(stderr, "Invalid margin: %s\n", argv[i]);
                return std::nullopt;
            }
            options.margin = margin.value;
        } else if (word == "-p" && hasValue) {
            const NumberReading period = readUnsignedNumber(argv[++i]);
            if (!period.valid || period.value < 1) {
                std::fprintf(stderr, "Invalid period: %s\n", argv[i]);
                return std::nullopt;
            }
            options.period = period.value;
        } else if (!word.empty() && word[0] == '-' && word != "-") {
            std::fprintf(stderr, "Invalid parameter: %s\n", word.c_str());
            return std::nullopt;
        } else if (!options.resultsFile) {
            options.resultsFile = word;
        } else {
            std::fprintf(stderr, "Only one results file, please: %s\n", word.c_str());
            return std::nullopt;
        }
    }
    return options;
}

// Lays the proven patterns out one below another, as trelkan does in its pattern file.
class PatternSheet {
  public:
    void add(const ResultLine& result, const std::vector<LifeCell>& cells) {
        Box box = Box::none();
        for (const LifeCell& cell : cells) {
            box.include({cell.x, cell.x, cell.y, cell.y});
        }
        for (const LifeCell& cell : cells) {
            m_cells.push_back({cell.x - box.minX, cell.y - box.minY + m_nextRow});
        }
        m_comments.push_back(
            formatMessage("#C line %d: %s", result.lineNumber, result.text.c_str()));
        m_nextRow += box.maxY - box.minY + 1 + kGap;
    }
    bool write(const std::string& path) const {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << writeRle(m_cells, m_comments);
        return static_cast<bool>(out);
    }

  private:
    static constexpr std::int32_t kGap = 50;
    std::vector<LifeCell> m_cells;
    std::vector<std::string> m_comments;
    std::int32_t m_nextRow = 0;
};

struct Tally {
    int results = 0;
    int verified = 0;
};

void verifyLine(const ComponentRegister& catalogue, const Options& options, const std::string& text,
                std::int32_t lineNumber, Tally& tally, PatternSheet& sheet) {
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
    const std::optional<ChainProof> proof = ChainProof::build(catalogue, result->names, error);
    if (!proof) {
        std::printf("FAILED line %d: %s: %s\n", lineNumber, error.c_str(), result->text.c_str());
        return;
    }
    const std::optional<std::string> failure = proof->check(options.margin, options.period);
    const std::string description = proof->describe(options.period);
    if (failure) {
        std::printf("FAILED line %d: %s (%s): %s\n", lineNumber, failure->c_str(),
                    description.c_str(), result->text.c_str());
        return;
    }
    ++tally.verified;
    std::printf("ok line %d: %s: %s\n", lineNumber, description.c_str(), result->text.c_str());
    if (options.patternFile) {
        sheet.add(*result, proof->runningPattern(options.period));
    }
}

}  // namespace

int main(int argc, char** argv) {
    const std::optional<Options> options = readOptions(argc, argv);
    if (!options) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    std::ifstream file;
    if (options->resultsFile && *options->resultsFile != "-") {
        file.open(*options->resultsFile);
        if (!file) {
            std::fprintf(stderr, "Results file cannot be opened: %s\n",
                         options->resultsFile->c_str());
            return 2;
        }
    }
    std::istream& input = file.is_open() ? file : std::cin;
    // Loading reports on standard output, as trelkan does.
    StreamSink out(stdout);
    StreamSink errors(stderr);
    LoadError error;
    const std::unique_ptr<ComponentRegister> catalogue =
        ComponentRegister::load(options->catalogue, out, errors, error);
    if (!catalogue) {
        out.write(error.text());
        return 1;
    }

    Tally tally;
    PatternSheet sheet;
    std::string line;
    for (std::int32_t lineNumber = 1; std::getline(input, line); ++lineNumber) {
        verifyLine(*catalogue, *options, line, lineNumber, tally, sheet);
    }
    std::printf("%d of %d results verified\n", tally.verified, tally.results);
    if (options->patternFile && tally.verified > 0 && !sheet.write(*options->patternFile)) {
        std::fprintf(stderr, "Pattern file cannot be written: %s\n", options->patternFile->c_str());
        return 1;
    }
    return tally.verified == tally.results ? 0 : 1;
}
