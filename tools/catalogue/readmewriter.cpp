#include "tools/catalogue/readmewriter.h"

#include <filesystem>
#include <string_view>

#include "tools/catalogue/cellgroups.h"
#include "tools/catalogue/labelcheck.h"
#include "tools/catalogue/naturalglider.h"

namespace trelkan::builder {
namespace {

// Replaces every marker; a value's last line end is left to the template.
void replaceAll(std::string& text, std::string_view marker, std::string value) {
    if (!value.empty() && value.back() == '\n') {
        value.pop_back();
    }
    for (std::size_t at = text.find(marker); at != std::string::npos;
         at = text.find(marker, at + value.size())) {
        text.replace(at, marker.size(), value);
    }
}

std::string recoveryText(std::int64_t recovery) {
    return recovery > 0 ? std::to_string(recovery) : "—";
}

std::string printedText(const std::optional<std::int32_t>& printed) {
    return printed ? std::to_string(*printed) : "?";
}

const VariantPlan* variantOfProven(const Build& build, std::size_t proven) {
    for (const VariantPlan& variant : build.plan.variants) {
        if (variant.proven == proven) {
            return &variant;
        }
    }
    return nullptr;
}

std::string gliderText(const Build& build, const ProvenConduit& conduit) {
    switch (conduit.gliderNeed) {
        case GliderNeed::kEither:
            return "either";
        case GliderNeed::kRelease:
            return "let go";
        case GliderNeed::kSwallow:
            return "swallowed";
        case GliderNeed::kNone: {
            const VariantPlan* consumer =
                variantOfProven(build, static_cast<std::size_t>(conduit.consumer));
            return "taken by " + (consumer ? consumer->name : std::string("?"));
        }
    }
    return "?";
}

// Each glider sent out: its heading, and the corner of its box when it was taken out of the run
// at the generation given.
std::string glidersText(const ProvenConduit& conduit) {
    if (conduit.gliders.empty()) {
        return "none";
    }
    std::string text;
    for (const EmittedGlider& glider : conduit.gliders) {
        const Box box = boxOf(glider.cells);
        text += text.empty() ? "" : ", ";
        text += std::string(glider.path.vy < 0 ? "N" : "S") + (glider.path.vx < 0 ? "W" : "E") +
                " (" + std::to_string(box.minX) + ", " + std::to_string(box.minY) + ") @" +
                std::to_string(glider.generation);
    }
    return text;
}

std::string figures(const Build& build) {
    const std::size_t drawn = build.collectionSize;
    const std::size_t added = build.collection.conduits.size() - drawn;
    const std::size_t variants = build.plan.variants.size();
    return "The collection draws " + std::to_string(drawn) + " conduits" +
           (added > 0 ? ", and " + std::to_string(added) + (added == 1 ? " more is" : " more are") +
                            " added from other files"
                      : std::string()) +
           "; " + std::to_string(build.kept.size()) + " are in the catalogue, as " +
           std::to_string(build.plan.components.size()) + " components with " +
           std::to_string(variants) + " variants, and " + std::to_string(build.leftOut.size()) +
           " are left out (listed below). Of the " + std::to_string(variants * variants) +
           " ordered pairs of variants, " + std::to_string(build.pairSection.allowed) +
           " work end to end.";
}

// The variant with the map of one passage, and the one with the full map when there is one.
std::string variantNames(const Build& build, const ComponentPlan& component,
                         const VariantPlan& variant) {
    std::string names = variant.name;
    for (const std::size_t index : component.variants) {
        const VariantPlan& other = build.plan.variants[index];
        if (!other.onePassage && other.proven == variant.proven) {
            names += ", " + other.name;
        }
    }
    return names;
}

std::string table(const Build& build) {
    std::string text =
        "| component | turn | DT | (DX, DY) | variants | label | type | glider | recovery | "
        "quiet | swallowed | let go | printed | gliders out |\n"
        "|---|---|---|---|---|---|---|---|---|---|---|---|---|---|\n";
    for (const ComponentPlan& component : build.plan.components) {
        bool first = true;
        for (const std::size_t index : component.variants) {
            const VariantPlan& variant = build.plan.variants[index];
            const ProvenConduit& conduit = build.proven[variant.proven];
            if (!variant.onePassage) {
                continue;
            }
            text += first
                        ? "| " + component.name + " | " +
                              std::string(directionWord(component.dir)) + " | " +
                              std::to_string(component.dt) + " | (" + std::to_string(component.dx) +
                              ", " + std::to_string(component.dy) + ") | "
                        : "| | | | | ";
            first = false;
            text += variantNames(build, component, variant) + " | " + variant.drawnName + " | " +
                    variant.typeText() + " | " + gliderText(build, conduit) + " | " +
                    std::to_string(variant.recovery) + " | " +
                    std::to_string(conduit.quietSpacing()) + " | " +
                    recoveryText(conduit.recoverySwallowing) + " | " +
                    recoveryText(conduit.recoveryReleasing) + " | " +
                    printedText(variant.printedRecovery) + " | " + glidersText(conduit) + " |\n";
        }
    }
    return text;
}

std::string leftOut(const Build& build) {
    if (build.leftOut.empty()) {
        return "None.";
    }
    std::string text = "| conduit | reason |\n|---|---|\n";
    for (const LeftOut& conduit : build.leftOut) {
        text +=
            "| " +
            build.collection.conduits[static_cast<std::size_t>(conduit.drawnIndex)].displayName() +
            " | " + conduit.reason + " |\n";
    }
    return text;
}

std::string addedTable(const Build& build) {
    const std::vector<AddedConduit> added = addedConduits(build);
    if (added.empty()) {
        return "This catalogue holds no conduit added that way.";
    }
    std::string text =
        "This catalogue holds these:\n\n| conduit | added from | variant | turn | DT | (DX, DY) "
        "|\n|---|---|---|---|---|---|\n";
    for (const AddedConduit& conduit : added) {
        const ComponentPlan& component = *conduit.component;
        text += "| " + conduit.drawn->label.name + " | `" +
                std::filesystem::path(conduit.drawn->addedFrom).filename().string() + "` | " +
                conduit.variant->name + " | " + std::string(directionWord(component.dir)) + " | " +
                std::to_string(component.dt) + " | (" + std::to_string(component.dx) + ", " +
                std::to_string(component.dy) + ") |\n";
    }
    return text;
}

std::string recovery(const Build& build) {
    std::size_t same = 0;
    std::size_t unread = 0;
    std::string differences;
    for (const VariantPlan& variant : build.plan.variants) {
        const ProvenConduit& conduit = build.proven[variant.proven];
        if (!variant.onePassage) {
            continue;
        }
        if (!variant.printedRecovery) {
            ++unread;
            continue;
        }
        if (conduit.recovery == *variant.printedRecovery) {
            ++same;
            continue;
        }
        differences += "| " + variant.name + " | " + variant.drawnName + " | " +
                       std::to_string(*variant.printedRecovery) + " | " +
                       recoveryText(conduit.recoverySwallowing) + " | " +
                       recoveryText(conduit.recoveryReleasing) + " | " +
                       std::to_string(variant.recovery) + " |\n";
    }
    std::string text =
        "The measured recovery (the larger of the two ways of the stand-in) equals "
        "the printed one for " +
        std::to_string(same) + " variants";
    if (unread > 0) {
        text += "; " + std::to_string(unread) + " labels give none that could be read";
    }
    text +=
        ". Most printed values are the recovery with the first natural glider swallowed; "
        "where the glider let go comes back through the conduit, the measured value is "
        "larger. Where they differ:\n\n"
        "| variant | label | printed | swallowed | let go | catalogued |\n"
        "|---|---|---|---|---|---|\n" +
        differences;
    return text;
}

std::string labelChecks(const Build& build) {
    std::string rows;
    for (const VariantPlan& variant : build.plan.variants) {
        const ProvenConduit& conduit = build.proven[variant.proven];
        if (!variant.onePassage) {
            continue;
        }
        const ConduitLabel& label =
            build.collection.conduits[static_cast<std::size_t>(conduit.drawnIndex)].label;
        for (const std::string& disagreement : labelDisagreements(label, conduit)) {
            rows += "| " + variant.name + " | " + variant.drawnName + " | " + disagreement + " |\n";
        }
    }
    if (rows.empty()) {
        return "Every label agrees with the measurement.";
    }
    return "Where a label disagrees with the measurement, the catalogue takes the measurement:\n\n"
           "| variant | label | disagreement |\n|---|---|---|\n" +
           rows;
}

std::string typeCheck(const Build& build) {
    const PairSection& pairs = build.pairSection;
    if (pairs.workingXBeforeR == 0 && pairs.workingUBeforeNonR == 0) {
        return "no pair that they rule out works in the pair runs.";
    }
    return "in the pair runs " + std::to_string(pairs.workingXBeforeR) +
           " pairs with X before R and " + std::to_string(pairs.workingUBeforeNonR) +
           " with U before a variant without R work all the same, and `[Pairs]` allows them.";
}

std::string pairFigures(const Build& build) {
    const PairSection& pairs = build.pairSection;
    const std::size_t variants = build.plan.variants.size();
    return "Of the " + std::to_string(variants * variants) + " ordered pairs, " +
           std::to_string(pairs.allowed) + " work (" + std::to_string(pairs.clashing) +
           " fail at once because their catalysts overlap or touch); the seed allows " +
           std::to_string(pairs.seededAllowed) + ", and `[Pairs]` has " +
           std::to_string(pairs.lines.size()) + " lines (" + std::to_string(pairs.forbidden) +
           " forbidding, " + std::to_string(pairs.permitted) + " allowing).";
}

std::string relativeToCatalogue(const std::string& sourceName) {
    const std::string prefix = "data/";
    return sourceName.compare(0, prefix.size(), prefix) == 0 ? sourceName.substr(prefix.size())
                                                             : sourceName;
}

}  // namespace

std::string catalogueReadme(const Build& build, const std::string& sourceName,
                            const std::string& firstSearches) {
    std::string text = kReadmeTemplate;
    replaceAll(text, "{{FIRST_SEARCHES}}", firstSearches);
    replaceAll(text, "{{VARIANTS}}", std::to_string(build.plan.variants.size()));
    replaceAll(text, "{{GRID}}", std::to_string(build.plan.variants.size() + 1));
    replaceAll(text, "{{SOURCE}}", relativeToCatalogue(sourceName));
    replaceAll(text, "{{SOURCE_PATH}}", sourceName);
    replaceAll(text, "{{FIGURES}}", figures(build));
    replaceAll(text, "{{FNG_GENERATION}}", std::to_string(firstNaturalGlider().generation));
    replaceAll(text, "{{TYPE_CHECK}}", typeCheck(build));
    replaceAll(text, "{{PAIR_FIGURES}}", pairFigures(build));
    replaceAll(text, "{{TABLE}}", table(build));
    replaceAll(text, "{{LEFT_OUT}}", leftOut(build));
    replaceAll(text, "{{ADDED}}", addedTable(build));
    replaceAll(text, "{{RECOVERY}}", recovery(build));
    replaceAll(text, "{{LABELS}}", labelChecks(build));
    return text;
}

}  // namespace trelkan::builder
