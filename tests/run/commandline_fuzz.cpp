// Fuzz target of the command line: whatever the words, reading them ends in settings to run or in
// the usage with a message, without a crash, a hang, or a read beyond a word.
//
// An input is the words, each ended by a NUL byte (the last one may lack it). The reading works
// in a scratch directory, and a word that names an output file loses its slashes, so that an
// input can only create files there.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "run/commandline.h"
#include "run/console.h"

namespace {

std::vector<std::string> wordsOf(std::string_view input) {
    std::vector<std::string> words;
    while (!input.empty()) {
        const std::size_t end = std::min(input.find('\0'), input.size());
        words.emplace_back(input.substr(0, end));
        input.remove_prefix(std::min(end + 1, input.size()));
    }
    for (std::size_t i = 1; i < words.size(); ++i) {
        if (words[i - 1] == "-f" || words[i - 1] == "-o") {
            std::erase(words[i], '/');
        }
    }
    return words;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace trelkan;
    const std::vector<std::string> words =
        wordsOf(std::string_view(reinterpret_cast<const char*>(data), size));
    std::vector<const char*> pointers;
    for (const std::string& word : words) {
        pointers.push_back(word.c_str());
    }
    Console console;
    const RunSettings settings = readCommandLine(pointers, console);
    if (settings.commandError && !settings.showUsage) {
        std::abort();  // a faulty command line always shows the usage
    }
    return 0;
}
