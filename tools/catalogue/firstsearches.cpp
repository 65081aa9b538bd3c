#include "tools/catalogue/firstsearches.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>

#include "catalogue/componentregister.h"
#include "compound/treebuilder.h"
#include "run/commandline.h"
#include "run/console.h"
#include "run/search.h"

namespace trelkan::builder {
namespace {

namespace fs = std::filesystem;

// The most results a row of the table names.
constexpr std::size_t kNamedResults = 3;

// The child's whole work: trelkan's road, from the command line to the report, with standard
// output in a file. It never returns.
[[noreturn]] void searchInChild(const fs::path& work, const SearchExample& example) {
    if (chdir(work.c_str()) != 0 || std::freopen("output.txt", "w", stdout) == nullptr ||
        std::freopen("/dev/null", "w", stderr) == nullptr) {
        _exit(2);
    }
    std::vector<const char*> words;
    for (const std::string& option : example.options) {
        words.push_back(option.c_str());
    }
    int status = 3;
    {
        Console console;
        RunSettings settings = readCommandLine(words, console);
        if (!settings.showUsage && settings.period != 0) {
            Search search(console, std::move(settings.targets));
            search.acceptTargets(settings.maxLen);
            if (const std::unique_ptr<ComponentRegister> catalogue = loadCatalogue(console)) {
                catalogue->prepare(settings.period, settings.compression,
                                   search.targets().loopTargetsOnly(), settings.mapMode);
                const auto treeBytes = static_cast<std::uint32_t>(settings.treeSizeKB) * 1024u;
                buildTree(*catalogue, treeBytes, console);
                search.run(*catalogue, settings.runParameters());
                status = 0;
            }
        }
    }
    std::fflush(stdout);
    _exit(status);
}

// A scratch working directory whose data/ is the catalogue; removed with the object.
class Workspace {
  public:
    Workspace(const fs::path& catalogue, std::string& error) {
        std::string pattern = (fs::temp_directory_path() / "trelkan-searches-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) {
            error = "no scratch directory for the first searches";
            return;
        }
        m_path = pattern;
        std::error_code code;
        fs::create_directory_symlink(fs::absolute(catalogue), m_path / "data", code);
        if (code) {
            error = "cannot link the catalogue for the first searches: " + code.message();
        }
    }
    ~Workspace() {
        if (!m_path.empty()) {
            std::error_code code;
            fs::remove_all(m_path, code);
        }
    }
    Workspace(const Workspace&) = delete;
    Workspace& operator=(const Workspace&) = delete;
    const fs::path& path() const { return m_path; }

  private:
    fs::path m_path;
};

std::optional<std::string> runSearch(const fs::path& catalogue, const SearchExample& example,
                                     std::string& error) {
    const Workspace work(catalogue, error);
    if (!error.empty()) {
        return std::nullopt;
    }
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child < 0) {
        error = "cannot start a search";
        return std::nullopt;
    }
    if (child == 0) {
        searchInChild(work.path(), example);
    }
    int status = 0;
    if (waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        error = "a first search failed";
        return std::nullopt;
    }
    std::ifstream in(work.path() / "output.txt", std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> leastRotation(std::vector<std::string> names) {
    std::vector<std::string> least = names;
    for (std::size_t i = 1; i < names.size(); ++i) {
        std::rotate(names.begin(), names.begin() + 1, names.end());
        least = std::min(least, names);
    }
    return least;
}

// "L112a ×4" for a loop that repeats one run of variants, else the names.
std::string chainText(const FoundChain& chain) {
    const std::vector<std::string>& names = chain.variants;
    std::size_t unit = 1;
    while (unit < names.size() && (names.size() % unit != 0 ||
                                   !std::equal(names.begin() + static_cast<std::ptrdiff_t>(unit),
                                               names.end(), names.begin()))) {
        ++unit;
    }
    std::string text;
    for (std::size_t i = 0; i < unit; ++i) {
        text += (i == 0 ? "" : " ") + names[i];
    }
    if (unit < names.size()) {
        text += " ×" + std::to_string(names.size() / unit);
    }
    return text + " (area " + std::to_string(chain.area) + ")";
}

std::string optionValue(const SearchExample& example, const std::string& option) {
    const auto at = std::find(example.options.begin(), example.options.end(), option);
    return at != example.options.end() && at + 1 != example.options.end() ? *(at + 1) : "";
}

std::string findsText(const SearchFinding& finding) {
    const std::size_t count = finding.chains.size();
    std::string text;
    if (finding.example.loops) {
        text = count == 0 ? "no loop" : count == 1 ? "one loop" : std::to_string(count) + " loops";
        text += " of period " + optionValue(finding.example, "-p");
    } else {
        text = count == 0   ? "no chain"
               : count == 1 ? "one chain"
                            : std::to_string(count) + " chains";
    }
    for (std::size_t i = 0; i < std::min(count, kNamedResults); ++i) {
        text += (i == 0 ? ": " : "; ") + chainText(finding.chains[i]);
    }
    if (count > kNamedResults) {
        text += "; and " + std::to_string(count - kNamedResults) + " more";
    }
    return text;
}

}  // namespace

std::vector<SearchExample> firstSearchExamples() {
    return {
        {{"-p", "448", "-u", "448", "-o", "loops.rle"}, true},
        {{"-p", "800", "-u", "800", "-s"}, true},
        {{"-p", "1000", "-u", "1000", "-s", "-m"}, true},
        {{"-p", "448", "-d", "72", "-5", "233", "F", "-l", "200", "-u", "700", "-s"}, false},
    };
}

std::optional<std::vector<SearchFinding>> runFirstSearches(
    const std::filesystem::path& directory, const std::vector<SearchExample>& examples,
    std::string& error) {
    std::vector<SearchFinding> findings;
    for (const SearchExample& example : examples) {
        const std::optional<std::string> output = runSearch(directory, example, error);
        if (!output) {
            return std::nullopt;
        }
        findings.push_back({example, distinctResults(*output, example.loops)});
    }
    return findings;
}

std::vector<FoundChain> distinctResults(const std::string& output, bool loops) {
    const std::size_t sorted = output.find("... Sorting ...\n");
    std::istringstream lines(sorted == std::string::npos ? output : output.substr(sorted));
    std::map<std::vector<std::string>, long long> least;
    std::string line;
    while (std::getline(lines, line)) {
        if (line.rfind("*** (", 0) != 0 || line.find(')') == std::string::npos) {
            continue;
        }
        FoundChain chain;
        chain.area = std::atoll(line.c_str() + 5);
        std::istringstream words(line.substr(line.find(')') + 1));
        for (std::string word; words >> word;) {
            chain.variants.push_back(word);
        }
        if (loops) {
            chain.variants = leastRotation(chain.variants);
        }
        const auto [at, added] = least.emplace(chain.variants, chain.area);
        if (!added) {
            at->second = std::min(at->second, chain.area);
        }
    }
    std::vector<FoundChain> chains;
    for (const auto& [variants, area] : least) {
        chains.push_back({variants, area});
    }
    std::stable_sort(chains.begin(), chains.end(),
                     [](const FoundChain& a, const FoundChain& b) { return a.area < b.area; });
    return chains;
}

std::string firstSearchesTable(const std::vector<SearchFinding>& findings) {
    std::string text = "| command | finds |\n|---|---|\n";
    for (const SearchFinding& finding : findings) {
        std::string command = "./trelkan.sh";
        for (const std::string& option : finding.example.options) {
            command += " " + option;
        }
        text += "| `" + command + "` | " + findsText(finding) + " |\n";
    }
    return text;
}

}  // namespace trelkan::builder
