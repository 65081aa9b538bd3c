// The files of the catalogue, as text, with paths relative to the catalogue's directory:
// data.ini and the cell maps, and README.md, which needs searches on the files written.
#pragma once

#include <string>
#include <vector>

#include "tools/catalogue/builder.h"

namespace trelkan::builder {

struct CatalogueFile {
    std::string path;
    std::string content;
};

// data.ini and the maps. sourceName: the collection file as the catalogue names it (relative to
// the repository).
std::vector<CatalogueFile> catalogueFiles(const Build& build, const std::string& sourceName);

// README.md, with the table of the first searches run on the files.
CatalogueFile readmeFile(const Build& build, const std::string& sourceName,
                         const std::string& firstSearches);

// The definition file alone.
std::string definitionFile(const Build& build, const std::string& sourceName);

}  // namespace trelkan::builder
