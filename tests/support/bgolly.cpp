#include "tests/support/bgolly.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string_view>

#include "life/rlepattern.h"
#include "tests/life/lifetesting.h"
#include "tests/support/tempdir.h"

namespace trelkan::testing {
namespace {

std::string quoted(const std::filesystem::path& path) {
    return "'" + path.string() + "'";
}

}  // namespace

std::optional<std::filesystem::path> findBgolly() {
    const char* path = std::getenv("PATH");
    std::string_view rest = path != nullptr ? path : "";
    while (!rest.empty()) {
        const std::size_t colon = rest.find(':');
        const std::filesystem::path candidate =
            std::filesystem::path(rest.substr(0, colon)) / "bgolly";
        if (access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
        rest.remove_prefix(colon == std::string_view::npos ? rest.size() : colon + 1);
    }
    return std::nullopt;
}

std::optional<std::vector<LifeCell>> runInBgolly(const std::filesystem::path& bgolly,
                                                 const std::vector<LifeCell>& cells,
                                                 std::int64_t generations, std::string& error) {
    const TempDir dir;
    const std::filesystem::path in = dir.write("in.rle", writeRle(cells));
    const std::filesystem::path out = dir.path() / "out.rle";
    const std::filesystem::path log = dir.path() / "bgolly.log";
    const std::string command = quoted(bgolly) + " -m " + std::to_string(generations) + " -o " +
                                quoted(out) + " " + quoted(in) + " >" + quoted(log) + " 2>&1";
    const int status = std::system(command.c_str());
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        error = command + "\n" + dir.read("bgolly.log").value_or("");
        return std::nullopt;
    }
    const std::optional<RlePattern> result = readRleFile(out.string(), error);
    if (!result) {
        return std::nullopt;
    }
    return normalised(result->cellsOfState(1));
}

}  // namespace trelkan::testing
