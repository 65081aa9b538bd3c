// The builder's report on standard output: what was found, what passed, what was left out and
// why, the pairs, and the recovery times compared with the labels.
#pragma once

#include <string>

#include "tools/catalogue/builder.h"

namespace trelkan::builder {

std::string buildReport(const Build& build);

}  // namespace trelkan::builder
