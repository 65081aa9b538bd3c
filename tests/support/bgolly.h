// bgolly, the batch program of Debian's golly package: a Life simulator independent of the
// project's engine, for the tests that cross-check it. Tests skip themselves without it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "life/lifegrid.h"

namespace trelkan::testing {

// bgolly on the PATH, or nothing.
std::optional<std::filesystem::path> findBgolly();

// The cells after bgolly has run them for the generations, moved to the origin (bgolly drops a
// pattern's position). Nothing when bgolly fails, with its command and output in error.
std::optional<std::vector<LifeCell>> runInBgolly(const std::filesystem::path& bgolly,
                                                 const std::vector<LifeCell>& cells,
                                                 std::int64_t generations, std::string& error);

}  // namespace trelkan::testing
