// The result lines that trelkan prints: "*** (area) name1 name2 ... label", or
// "*** (area @ set) ..." while a sorted search runs.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace trelkan {

struct ResultLine {
    // Line number in the input, from 1.
    std::int32_t lineNumber = 0;
    std::string text;
    // The area printed in the parentheses, before any " @ set".
    std::int64_t area = 0;
    // The variant names, in chain order.
    std::vector<std::string> names;
};

// A line that starts with "*** " is a result line; every other line is no result (nothing).
// A result line without a well-formed "(area ...)" or without any name is malformed: error says
// why.
std::optional<ResultLine> parseResultLine(std::string_view line, std::int32_t lineNumber,
                                          std::string& error);

}  // namespace trelkan
