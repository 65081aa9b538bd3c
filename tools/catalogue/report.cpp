#include "tools/catalogue/report.h"

#include <algorithm>
#include <cstdio>

#include "tools/catalogue/labelcheck.h"

namespace trelkan::builder {
namespace {

std::string line(const std::string& text) {
    return text + "\n";
}

std::string number(std::size_t value) {
    return std::to_string(value);
}

std::string seconds(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f s", value);
    return text;
}

std::string typeCounts(const Build& build) {
    std::size_t r = 0;
    std::size_t u = 0;
    std::size_t x = 0;
    for (const VariantPlan& variant : build.plan.variants) {
        if (!variant.onePassage) {
            continue;
        }
        r += variant.type.typeR ? 1 : 0;
        u += variant.type.typeU ? 1 : 0;
        x += variant.type.typeX ? 1 : 0;
    }
    return "type letters: R " + number(r) + ", U " + number(u) + ", X " + number(x);
}

std::size_t fullMapCount(const Build& build) {
    return static_cast<std::size_t>(
        std::count_if(build.plan.variants.begin(), build.plan.variants.end(),
                      [](const VariantPlan& variant) { return !variant.onePassage; }));
}

std::string gliderCounts(const Build& build) {
    std::size_t counts[4] = {};
    for (const VariantPlan& variant : build.plan.variants) {
        if (!variant.onePassage) {
            continue;
        }
        ++counts[static_cast<int>(build.proven[variant.proven].gliderNeed)];
    }
    return "first natural glider of the output: either way " + number(counts[0]) +
           ", must be let go " + number(counts[1]) + ", must be swallowed " + number(counts[2]) +
           ", taken by a real consumer (tail block) " + number(counts[3]);
}

std::string recoveryComparison(const Build& build) {
    std::size_t same = 0;
    std::size_t higher = 0;
    std::size_t lower = 0;
    std::size_t unread = 0;
    std::string rows;
    for (const VariantPlan& variant : build.plan.variants) {
        const ProvenConduit& conduit = build.proven[variant.proven];
        if (!variant.onePassage) {
            continue;
        }
        if (!variant.printedRecovery) {
            ++unread;
            continue;
        }
        const std::int64_t printed = *variant.printedRecovery;
        if (conduit.recovery == printed) {
            ++same;
            continue;
        }
        ++(conduit.recovery > printed ? higher : lower);
        char row[160];
        std::snprintf(
            row, sizeof row, "  %-10s %-12s printed %4lld  swallowed %4lld  let go %4lld\n",
            variant.name.c_str(), variant.drawnName.c_str(), static_cast<long long>(printed),
            static_cast<long long>(conduit.recoverySwallowing),
            static_cast<long long>(conduit.recoveryReleasing));
        rows += row;
    }
    return line("Recovery measured against printed: equal " + number(same) + ", larger " +
                number(higher) + ", smaller " + number(lower) + ", label unread " + number(unread) +
                " (catalogued: the larger; 0 = does not pass that way)") +
           rows;
}

std::string labelChecks(const Build& build) {
    std::string rows;
    std::size_t count = 0;
    for (const VariantPlan& variant : build.plan.variants) {
        const ProvenConduit& conduit = build.proven[variant.proven];
        if (!variant.onePassage) {
            continue;
        }
        const ConduitLabel& label =
            build.collection.conduits[static_cast<std::size_t>(conduit.drawnIndex)].label;
        for (const std::string& disagreement : labelDisagreements(label, conduit)) {
            rows += line("  " + variant.name + " (" + variant.drawnName + "): " + disagreement);
            ++count;
        }
    }
    return line("Labels that disagree with the measurement (the measurement is taken): " +
                number(count)) +
           rows;
}

// Each conduit of the user's own and where it went; nothing when there is none.
std::string addedConduitLines(const Build& build) {
    const std::vector<AddedConduit> added = addedConduits(build);
    if (added.empty()) {
        return "";
    }
    std::string text = line("Conduits added from other files: " + number(added.size()));
    for (const AddedConduit& conduit : added) {
        const ComponentPlan& component = *conduit.component;
        text += line("  " + conduit.drawn->label.name + " (added from " + conduit.drawn->addedFrom +
                     "): " + conduit.variant->name + ", turn " +
                     std::string(directionWord(component.dir)) + ", " +
                     std::to_string(component.dt) + " generations, output at (" +
                     std::to_string(component.dx) + ", " + std::to_string(component.dy) + ")");
    }
    return text;
}

}  // namespace

std::string buildReport(const Build& build) {
    const Collection& collection = build.collection;
    std::string text;
    text +=
        line("Conduit clusters found: " + number(collection.conduits.size()) +
             "; Herschels found: " + number(static_cast<std::size_t>(collection.herschelCount)));
    for (const std::string& note : collection.notes) {
        text += line("  note: " + note);
    }
    text += line("Conduits passed: " + number(build.proven.size()) + "; in the catalogue: " +
                 number(build.kept.size()) + "; left out: " + number(build.leftOut.size()));
    for (const LeftOut& conduit : build.leftOut) {
        text += line(
            "  " + collection.conduits[static_cast<std::size_t>(conduit.drawnIndex)].displayName() +
            ": " + conduit.reason);
    }
    text += addedConduitLines(build);
    text += line("Components written: " + number(build.plan.components.size()) +
                 "; variants written: " + number(build.plan.variants.size()) + " (" +
                 number(fullMapCount(build)) + " with the full map)");
    text += line("  " + typeCounts(build));
    text += line("  " + gliderCounts(build));
    const PairSection& pairs = build.pairSection;
    const std::size_t variants = build.plan.variants.size();
    text += line("Pairs allowed: " + number(pairs.allowed) + " of " + number(variants * variants) +
                 " (catalysts clash in " + number(pairs.clashing) + "); seeded by the loader: " +
                 number(pairs.seededAllowed) + "; [Pairs] lines: " + number(pairs.lines.size()) +
                 " (" + number(pairs.forbidden) + " -, " + number(pairs.permitted) + " +)");
    text += line("  working pairs the type letters rule out: X before R " +
                 number(pairs.workingXBeforeR) + ", U before non-R " +
                 number(pairs.workingUBeforeNonR));
    text += labelChecks(build);
    text += recoveryComparison(build);
    text += line("Time: proving " + seconds(build.provingSeconds) + ", pairs " +
                 seconds(build.pairSeconds));
    return text;
}

}  // namespace trelkan::builder
