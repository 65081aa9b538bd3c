// Rebuilds the catalogue from the collection kept in the repository and compares every file
// with the committed data/, byte for byte.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/support/tempdir.h"

namespace {

namespace fs = std::filesystem;

std::string contentOf(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Every file below the directory, relative to it, except the sources the catalogue is built
// from.
std::vector<std::string> catalogueFiles(const fs::path& directory) {
    std::vector<std::string> files;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(directory)) {
        const std::string relative = fs::relative(entry.path(), directory).generic_string();
        if (entry.is_regular_file() && relative.rfind("sources/", 0) != 0) {
            files.push_back(relative);
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::size_t firstDifferentLine(const std::string& a, const std::string& b) {
    std::size_t line = 1;
    for (std::size_t i = 0; i < std::min(a.size(), b.size()) && a[i] == b[i]; ++i) {
        line += a[i] == '\n' ? 1 : 0;
    }
    return line;
}

TEST(CatalogueRebuild, MatchesTheCommittedCatalogue) {
    const fs::path committed = fs::path(TRELKAN_SOURCE_DIR) / "data";
    trelkan::testing::TempDir rebuilt;
    trelkan::testing::TempDir capture;
    const fs::path log = capture.path() / "report.txt";
    const std::string command = std::string("\"") + TRELKAN_BUILDER + "\" \"" +
                                (committed / "sources/h-to-h-collection-26Aug2017.rle").string() +
                                "\" \"" + rebuilt.path().string() + "\" > \"" + log.string() +
                                "\" 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << contentOf(log);

    const std::vector<std::string> made = catalogueFiles(rebuilt.path());
    const std::vector<std::string> kept = catalogueFiles(committed);
    std::string differences;
    for (const std::string& file : kept) {
        if (!std::binary_search(made.begin(), made.end(), file)) {
            differences += "  not made by the rebuild: data/" + file + "\n";
        }
    }
    for (const std::string& file : made) {
        if (!std::binary_search(kept.begin(), kept.end(), file)) {
            differences += "  missing from the committed catalogue: data/" + file + "\n";
            continue;
        }
        const std::string expected = contentOf(committed / file);
        const std::string actual = contentOf(rebuilt.path() / file);
        if (expected != actual) {
            differences += "  differs: data/" + file + " (from line " +
                           std::to_string(firstDifferentLine(expected, actual)) + ")\n";
        }
    }
    EXPECT_TRUE(differences.empty())
        << "The committed catalogue is not what the builder makes; rebuild it with\n"
        << "  trelkan-build-catalogue data/sources/h-to-h-collection-26Aug2017.rle data\n"
        << differences;
}

}  // namespace
