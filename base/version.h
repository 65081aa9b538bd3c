// The release of the programs, as `--version` shows it. Raised with every change of what the
// programs print or accept.
#pragma once

namespace trelkan {

inline constexpr const char* kVersion = "1.16.0";

}  // namespace trelkan
