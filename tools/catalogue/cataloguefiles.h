// The files of the catalogue, as text: data.ini, the cell maps and README.md, with paths
// relative to the catalogue's directory.
#pragma once

#include <string>
#include <vector>

#include "tools/catalogue/builder.h"

namespace trelkan::builder {

struct CatalogueFile {
    std::string path;
    std::string content;
};

// sourceName: the collection file as the catalogue names it (relative to the repository).
std::vector<CatalogueFile> catalogueFiles(const Build& build, const std::string& sourceName);

// The definition file alone.
std::string definitionFile(const Build& build, const std::string& sourceName);

}  // namespace trelkan::builder
