#include "tools/catalogue/labelcheck.h"

#include <algorithm>
#include <cctype>

namespace trelkan::builder {

std::vector<std::string> labelDisagreements(const ConduitLabel& label,
                                            const ProvenConduit& conduit) {
    std::vector<std::string> found;
    // The name is the turn word followed by the travel time, then anything.
    const std::string& name = label.name;
    const auto digits = std::find_if(name.begin(), name.end(), [](char c) {
        return std::isdigit(static_cast<unsigned char>(c));
    });
    const std::string turn(name.begin(), digits);
    const auto afterDigits = std::find_if(
        digits, name.end(), [](char c) { return !std::isdigit(static_cast<unsigned char>(c)); });
    const std::string time(digits, afterDigits);
    if (!turn.empty() && turn != directionWord(conduit.output.dir)) {
        found.push_back("the name says " + turn + ", the output faces " +
                        std::string(directionWord(conduit.output.dir)));
    }
    if (!time.empty() && time.size() < 7 && std::stoll(time) != conduit.dt) {
        found.push_back("the name says " + time + " generations, the output appears at " +
                        std::to_string(conduit.dt));
    }
    // Printed offsets count y upwards.
    const Offset measured{conduit.output.x, -conduit.output.y};
    if (!label.offsets.empty() &&
        std::find(label.offsets.begin(), label.offsets.end(), measured) == label.offsets.end()) {
        const Offset& printed = label.offsets.front();
        found.push_back("the printed offset is (x=" + std::to_string(printed.x) +
                        ",y=" + std::to_string(printed.y) + "), the measured one (x=" +
                        std::to_string(measured.x) + ",y=" + std::to_string(measured.y) + ")");
    }
    return found;
}

}  // namespace trelkan::builder
