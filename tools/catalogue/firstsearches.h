// The first searches that the catalogue's README shows, run for real on the catalogue just
// written, so that what the README says they find cannot go stale.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace trelkan::builder {

struct SearchExample {
    // trelkan's options, as the README shows them after ./trelkan.sh.
    std::vector<std::string> options;
    // Loops (no -d): a result is a cycle, the same from whichever conduit it is read.
    bool loops = true;
};

// A result of a search: the variants in chain order and the area.
struct FoundChain {
    std::vector<std::string> variants;
    long long area = 0;
    friend bool operator==(const FoundChain&, const FoundChain&) = default;
};

struct SearchFinding {
    SearchExample example;
    // Distinct results, smallest area first: a loop once, from its least rotation.
    std::vector<FoundChain> chains;
};

// The searches of the README.
std::vector<SearchExample> firstSearchExamples();

// Runs each search on the catalogue in `directory` (which holds data.ini and conduits/), in a
// child process with a working directory of its own, as trelkan would run in the repository.
// Nothing when a search cannot be run; error says why.
std::optional<std::vector<SearchFinding>> runFirstSearches(
    const std::filesystem::path& directory, const std::vector<SearchExample>& examples,
    std::string& error);

// The distinct results of a search's output: the sorted report when there is one, else every
// result line.
std::vector<FoundChain> distinctResults(const std::string& output, bool loops);

// The README's table of the searches: the command and what it finds.
std::string firstSearchesTable(const std::vector<SearchFinding>& findings);

}  // namespace trelkan::builder
