// trelkan-build-catalogue: proves the conduits of the collection in Life and writes the
// catalogue (data.ini, the cell maps and README.md) into a directory.
#include <algorithm>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "life/rlepattern.h"
#include "tools/catalogue/addedconduits.h"
#include "tools/catalogue/builder.h"
#include "tools/catalogue/cataloguefiles.h"
#include "tools/catalogue/firstsearches.h"
#include "tools/catalogue/report.h"

namespace {

constexpr const char* kDefaultSource = "data/sources/h-to-h-collection-26Aug2017.rle";
constexpr const char* kDefaultOutput = "data";
constexpr const char* kUsage =
    "Usage: trelkan-build-catalogue [collection.rle [output-directory]]\n"
    "  Proves the conduits of the collection in Life and writes the catalogue.\n"
    "  Defaults: data/sources/h-to-h-collection-26Aug2017.rle and data.\n"
    "  -a, --add conduit.rle  also proves the conduit drawn in the file and adds it to the\n"
    "                         catalogue (repeatable); see data/README.md.\n";

namespace fs = std::filesystem;

bool writeFile(const fs::path& path, const std::string& content, std::string& error) {
    std::error_code code;
    fs::create_directories(path.parent_path(), code);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
    out.close();
    if (!out) {
        error = path.string() + ": cannot be written";
        return false;
    }
    return true;
}

// Maps of an earlier build that this one no longer writes would be read by nobody but would
// make the directory differ from a fresh build.
void removeStaleMaps(const fs::path& directory, const std::set<fs::path>& written) {
    std::error_code code;
    const fs::path maps = directory / "conduits";
    if (!fs::is_directory(maps, code)) {
        return;
    }
    for (const fs::directory_entry& entry : fs::directory_iterator(maps, code)) {
        if (entry.path().extension() == ".rle" && written.count(entry.path()) == 0) {
            fs::remove(entry.path(), code);
        }
    }
}

struct Arguments {
    std::vector<std::string> positional;
    std::vector<std::string> added;
    bool help = false;
    bool valid = true;
};

// The collection and the output directory by position, the added conduits by option, in any
// order.
Arguments parseArguments(int argc, char** argv) {
    Arguments arguments;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (i == 1 && (argument == "-h" || argument == "--help")) {
            arguments.help = true;
            arguments.valid = argc <= 3;
            return arguments;
        }
        if (argument == "-a" || argument == "--add") {
            if (i + 1 == argc) {
                arguments.valid = false;
                return arguments;
            }
            arguments.added.push_back(argv[++i]);
            continue;
        }
        arguments.positional.push_back(argument);
    }
    arguments.valid = arguments.positional.size() <= 2;
    return arguments;
}

// Reads every added file; nothing, after an error that names the file, when one cannot be used.
std::optional<std::vector<trelkan::builder::Collection>> readAdded(
    const std::vector<std::string>& files) {
    std::vector<trelkan::builder::Collection> added;
    for (const std::string& file : files) {
        std::string error;
        const std::optional<trelkan::RlePattern> pattern = trelkan::readRleFile(file, error);
        std::optional<trelkan::builder::Collection> conduits;
        if (pattern) {
            conduits = trelkan::builder::readAddedConduits(*pattern, file, error);
            error = file + ": " + error;
        }
        if (!conduits) {
            std::fprintf(stderr, "trelkan-build-catalogue: %s\n", error.c_str());
            return std::nullopt;
        }
        added.push_back(std::move(*conduits));
    }
    return added;
}

int run(int argc, char** argv) {
    const Arguments arguments = parseArguments(argc, argv);
    if (!arguments.valid || arguments.help) {
        std::fputs(kUsage, arguments.valid ? stdout : stderr);
        return arguments.valid ? 0 : 2;
    }
    const std::vector<std::string>& positional = arguments.positional;
    const std::string source = !positional.empty() ? positional[0] : kDefaultSource;
    const fs::path output = positional.size() > 1 ? positional[1] : kDefaultOutput;

    std::string error;
    const std::optional<trelkan::RlePattern> pattern = trelkan::readRleFile(source, error);
    if (!pattern) {
        std::fprintf(stderr, "trelkan-build-catalogue: %s\n", error.c_str());
        return 1;
    }
    std::optional<std::vector<trelkan::builder::Collection>> added = readAdded(arguments.added);
    if (!added) {
        return 1;
    }
    const unsigned threads = std::max(1u, std::thread::hardware_concurrency());
    std::string errorFile;
    const std::optional<trelkan::builder::Build> build =
        trelkan::builder::buildCatalogue(*pattern, std::move(*added), threads, error, errorFile);
    if (!build) {
        std::fprintf(stderr, "trelkan-build-catalogue: %s: %s\n",
                     (errorFile.empty() ? source : errorFile).c_str(), error.c_str());
        return 1;
    }
    // The catalogue names its source where the repository keeps it, wherever it was read from,
    // so that the files do not depend on the command line.
    const std::string sourceName = "data/sources/" + fs::path(source).filename().string();
    std::set<fs::path> written;
    const auto write = [&](const trelkan::builder::CatalogueFile& file) {
        const fs::path path = output / file.path;
        written.insert(path);
        return writeFile(path, file.content, error);
    };
    for (const trelkan::builder::CatalogueFile& file :
         trelkan::builder::catalogueFiles(*build, sourceName)) {
        if (!write(file)) {
            std::fprintf(stderr, "trelkan-build-catalogue: %s\n", error.c_str());
            return 1;
        }
    }
    removeStaleMaps(output, written);
    // The README tells what searches on the catalogue find: they run on the files just written.
    const auto findings =
        trelkan::builder::runFirstSearches(output, trelkan::builder::firstSearchExamples(), error);
    if (!findings || !write(trelkan::builder::readmeFile(
                         *build, sourceName, trelkan::builder::firstSearchesTable(*findings)))) {
        std::fprintf(stderr, "trelkan-build-catalogue: %s\n", error.c_str());
        return 1;
    }
    std::fputs(trelkan::builder::buildReport(*build).c_str(), stdout);
    std::printf("Wrote %zu files into %s\n", written.size(), output.string().c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return run(argc, argv);
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "trelkan-build-catalogue: %s\n", failure.what());
        return 1;
    }
}
