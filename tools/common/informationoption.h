// The words that ask a tool about itself rather than for work: -h and -? for the usage, --help
// for a line per option, --version. The tool prints the answer on standard output and ends with
// status 0.
#pragma once

#include <optional>
#include <string>

#include "base/version.h"

namespace trelkan {

// The answer to the word, or nothing when it asks for work.
inline std::optional<std::string> informationFor(const std::string& word, const char* program,
                                                 const char* usage, const char* help) {
    if (word == "-h" || word == "-?") {
        return usage;
    }
    if (word == "--help") {
        return help;
    }
    if (word == "--version") {
        return std::string(program) + " " + kVersion + "\n";
    }
    return std::nullopt;
}

}  // namespace trelkan
