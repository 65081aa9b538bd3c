// data/README.md: the template kept with the builder, filled in with the build's figures and
// tables.
#pragma once

#include <string>

#include "tools/catalogue/builder.h"

namespace trelkan::builder {

// firstSearches: the table of the searches run on the catalogue's files.
std::string catalogueReadme(const Build& build, const std::string& sourceName,
                            const std::string& firstSearches);

// The template, built into the program from readme-template.md.
extern const char* const kReadmeTemplate;

}  // namespace trelkan::builder
