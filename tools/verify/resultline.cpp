#include "tools/verify/resultline.h"

#include <charconv>

namespace trelkan {
namespace {

constexpr std::string_view kMarker = "*** ";

std::string_view trimLineEnd(std::string_view line) {
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n' || line.back() == ' ')) {
        line.remove_suffix(1);
    }
    return line;
}

}  // namespace

std::optional<ResultLine> parseResultLine(std::string_view line, std::int32_t lineNumber,
                                          std::string& error) {
    error.clear();
    line = trimLineEnd(line);
    if (line.substr(0, kMarker.size()) != kMarker) {
        return std::nullopt;
    }
    std::string_view rest = line.substr(kMarker.size());
    const std::size_t close = rest.find(')');
    if (rest.empty() || rest.front() != '(' || close == std::string_view::npos) {
        error = "no area in parentheses";
        return std::nullopt;
    }
    ResultLine result;
    // "(area)" or "(area @ set)".
    const std::string_view area = rest.substr(1, close - 1);
    const char* const areaEnd = area.data() + area.size();
    const auto [areaStop, areaError] = std::from_chars(area.data(), areaEnd, result.area);
    if (areaError != std::errc{} || (areaStop != areaEnd && *areaStop != ' ')) {
        error = "no area in parentheses";
        return std::nullopt;
    }
    rest.remove_prefix(close + 1);

    result.lineNumber = lineNumber;
    result.text = std::string(line);
    // The names follow one blank each; the target's label, when there is one, starts with a
    // blank and "(".
    while (!rest.empty() && rest.front() == ' ') {
        rest.remove_prefix(1);
        if (!rest.empty() && rest.front() == '(') {
            break;
        }
        const std::size_t end = rest.find(' ');
        const std::string_view name = rest.substr(0, end);
        if (!name.empty()) {
            result.names.emplace_back(name);
        }
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end);
    }
    if (result.names.empty()) {
        error = "no variant names";
        return std::nullopt;
    }
    return result;
}

}  // namespace trelkan
