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

#include "life/rlepattern.h"
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
    "  Defaults: data/sources/h-to-h-collection-26Aug2017.rle and data.\n";

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

int run(int argc, char** argv) {
    if (argc > 3 ||
        (argc > 1 && (std::string(argv[1]) == "-h" || std::string(argv[1]) == "--help"))) {
        std::fputs(kUsage, argc > 3 ? stderr : stdout);
        return argc > 3 ? 2 : 0;
    }
    const std::string source = argc > 1 ? argv[1] : kDefaultSource;
    const fs::path output = argc > 2 ? argv[2] : kDefaultOutput;

    std::string error;
    const std::optional<trelkan::RlePattern> pattern = trelkan::readRleFile(source, error);
    if (!pattern) {
        std::fprintf(stderr, "trelkan-build-catalogue: %s\n", error.c_str());
        return 1;
    }
    const unsigned threads = std::max(1u, std::thread::hardware_concurrency());
    const std::optional<trelkan::builder::Build> build =
        trelkan::builder::buildCatalogue(*pattern, threads, error);
    if (!build) {
        std::fprintf(stderr, "trelkan-build-catalogue: %s: %s\n", source.c_str(), error.c_str());
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
