#include "tools/catalogue/cataloguefiles.h"

#include <algorithm>
#include <filesystem>

#include "tools/catalogue/cellmapwriter.h"
#include "tools/catalogue/readmewriter.h"

namespace trelkan::builder {
namespace {

// The catalogue lives in data/ below the working directory; map paths in the file say so.
constexpr const char* kCatalogueDirectory = "data/";

std::string mapReference(const std::string& path, const Box& rectangle) {
    const MapOrigin origin = originIn(rectangle);
    return path + " " + std::to_string(origin.column) + " " + std::to_string(origin.rowFromBottom);
}

std::string variantLine(const VariantPlan& variant) {
    return " " + variant.name + " 1 " + std::to_string(variant.maxCompression) + " " +
           std::to_string(variant.minCompression) + " " + variant.typeText() + " " +
           mapReference(variant.imagePath(), variant.maps.rectangle) + " " +
           mapReference(variant.usagePath(), variant.maps.rectangle) + "\n";
}

std::string relativeToCatalogue(const std::string& path) {
    const std::string prefix = kCatalogueDirectory;
    return path.compare(0, prefix.size(), prefix) == 0 ? path.substr(prefix.size()) : path;
}

// The files that conduits were added from, once each, in the order given.
std::string addedFiles(const Build& build) {
    std::vector<std::string> files;
    for (const AddedConduit& conduit : addedConduits(build)) {
        const std::string file =
            std::filesystem::path(conduit.drawn->addedFrom).filename().string();
        if (std::find(files.begin(), files.end(), file) == files.end()) {
            files.push_back(file);
        }
    }
    std::string text;
    for (const std::string& file : files) {
        text += (text.empty() ? "# With conduits added from " : ", ") + file;
    }
    return text.empty() ? text : text + ".\n";
}

}  // namespace

std::string definitionFile(const Build& build, const std::string& sourceName) {
    std::string text =
        "# Herschel conduits proven in Life, built by trelkan-build-catalogue from\n"
        "# " +
        sourceName + ". Do not edit: rebuild (see data/README.md).\n" + addedFiles(build) +
        "# Components: name, turn, travel time, output offset. Variants: name, period, maximum\n"
        "# and minimum compression value, type, image and usage maps with their origins.\n"
        "[Components]\n";
    for (const ComponentPlan& component : build.plan.components) {
        text += component.name + " " + std::string(directionWord(component.dir)) + " " +
                std::to_string(component.dt) + " " + std::to_string(component.dx) + " " +
                std::to_string(component.dy) + "\n";
        for (const std::size_t index : component.variants) {
            text += variantLine(build.plan.variants[index]);
        }
    }
    text += "[Pairs]\n";
    for (const std::string& line : build.pairSection.lines) {
        text += line + "\n";
    }
    text += "[Sequences]\n";
    return text;
}

std::vector<CatalogueFile> catalogueFiles(const Build& build, const std::string& sourceName) {
    std::vector<CatalogueFile> files;
    files.push_back({"data.ini", definitionFile(build, sourceName)});
    for (const VariantPlan& variant : build.plan.variants) {
        const Box& rectangle = variant.maps.rectangle;
        files.push_back({relativeToCatalogue(variant.imagePath()),
                         mapRle(rectangle, variant.maps.image,
                                {variant.name + ": catalysts (" + variant.drawnName + ")"})});
        files.push_back({relativeToCatalogue(variant.usagePath()),
                         mapRle(rectangle, variant.maps.usage,
                                {variant.name + ": cells used (" + variant.drawnName + ")"})});
    }
    return files;
}

CatalogueFile readmeFile(const Build& build, const std::string& sourceName,
                         const std::string& firstSearches) {
    return {"README.md", catalogueReadme(build, sourceName, firstSearches)};
}

}  // namespace trelkan::builder
