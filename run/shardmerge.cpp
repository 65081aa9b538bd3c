#include "run/shardmerge.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>

#include "base/format.h"
#include "catalogue/componentregister.h"
#include "compound/compoundcomponent.h"
#include "run/commandline.h"
#include "run/search.h"

namespace trelkan {
namespace {

constexpr std::string_view kResultStart = "*** (";

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t from = 0;
    while (from < text.size()) {
        const std::size_t end = text.find('\n', from);
        const std::size_t next = end == std::string::npos ? text.size() : end + 1;
        lines.push_back(text.substr(from, next - from));
        from = next;
    }
    return lines;
}

// "Shard K of N\n": K and N, or nothing.
std::optional<Shard> shardOf(const std::string& line) {
    long long number = 0;
    long long count = 0;
    char end = 0;
    if (std::sscanf(line.c_str(), "Shard %lld of %lld%c", &number, &count, &end) != 3 ||
        end != '\n' || number < 1 || count < number) {
        return std::nullopt;
    }
    return Shard{number, count};
}

// The set of a result line: "*** (area @ set) ..." or "*** (area) ..." for set 0.
std::optional<std::int64_t> setOf(const std::string& line) {
    const std::size_t close = line.find(')');
    const std::size_t at = line.find(" @ ");
    if (close == std::string::npos) {
        return std::nullopt;
    }
    if (at == std::string::npos || at > close) {
        return 0;
    }
    return std::stoll(line.substr(at + 3, close - at - 3));
}

bool endsAtTheEnd(const CompoundComponent& chain) {
    return chain.endX() == 0 && chain.endY() == 0 && chain.endDir() == kF;
}

}  // namespace

bool ShardMerge::read(const std::vector<std::string>& files, Console& console) {
    m_files = files;
    for (const std::string& file : m_files) {
        if (!readFile(file, console)) {
            return false;
        }
    }
    for (std::int64_t k = 0; k < m_shardCount; ++k) {
        if (!m_shardSeen[static_cast<std::size_t>(k)]) {
            console.errors().write(formatMessage("Shard %lld of %lld is missing\n",
                                                 static_cast<long long>(k + 1),
                                                 static_cast<long long>(m_shardCount)));
            return false;
        }
    }
    return true;
}

// A complete shard output: the search's messages with the shard's line among them up to the
// "Searching" line, the results, and "Search complete" at the end. What follows a sorted report's
// "... Sorting ..." is the shard's own report, which the merge makes anew.
bool ShardMerge::readFile(const std::string& file, Console& console) {
    std::ifstream in(file, std::ios::binary);
    const std::string text = in.is_open() ? std::string(std::istreambuf_iterator<char>(in),
                                                        std::istreambuf_iterator<char>())
                                          : std::string();
    if (!in.is_open() || in.bad()) {
        console.errors().write(formatMessage("Cannot read shard output: %s\n", file.c_str()));
        return false;
    }
    const std::vector<std::string> lines = linesOf(text);
    std::string header;
    std::optional<Shard> shard;
    std::size_t i = 0;
    for (; i < lines.size() && !lines[i].starts_with("Searching"); ++i) {
        if (const std::optional<Shard> own = shardOf(lines[i])) {
            shard = own;
        } else {
            header += lines[i];
        }
    }
    if (!shard || i == lines.size() || !text.ends_with("\nSearch complete\n")) {
        console.errors().write(formatMessage("Not a complete shard output: %s\n", file.c_str()));
        return false;
    }
    header += lines[i];
    if (m_shardCount == 0) {
        m_header = header;
        m_shardCount = shard->count;
        m_shardSeen.assign(static_cast<std::size_t>(m_shardCount), false);
    }
    if (header != m_header || shard->count != m_shardCount) {
        console.errors().write(formatMessage("Shard output of another search: %s\n", file.c_str()));
        return false;
    }
    const auto seen = static_cast<std::size_t>(shard->number - 1);
    if (m_shardSeen[seen]) {
        console.errors().write(formatMessage("Shard %lld of %lld given twice: %s\n",
                                             static_cast<long long>(shard->number),
                                             static_cast<long long>(shard->count), file.c_str()));
        return false;
    }
    m_shardSeen[seen] = true;
    const std::string* name = &*std::find(m_files.begin(), m_files.end(), file);
    for (++i; i < lines.size() && lines[i] != "... Sorting ...\n"; ++i) {
        if (!lines[i].starts_with(kResultStart)) {
            continue;
        }
        const std::optional<std::int64_t> set = setOf(lines[i]);
        if (!set) {
            console.errors().write(
                formatMessage("Not a complete shard output: %s\n", file.c_str()));
            return false;
        }
        m_lines.push_back({*set, lines[i], name});
    }
    return true;
}

// A shard's results come in set order, and every set belongs to one shard: ordered by set alone,
// and otherwise kept in their order, they come as one search finds them.
std::optional<std::vector<ShardMerge::Result>> ShardMerge::results(
    const ComponentRegister& catalogue, const TargetSet& targets, Console& console) const {
    std::vector<Line> ordered = m_lines;
    std::stable_sort(ordered.begin(), ordered.end(),
                     [](const Line& a, const Line& b) { return a.setNumber < b.setNumber; });
    std::vector<Result> results;
    for (const Line& line : ordered) {
        // The variants' names, then the target's label.
        std::vector<ComponentVariant*> variants;
        std::size_t at = line.text.find(')') + 1;
        for (;;) {
            const std::size_t end = line.text.find_first_of(" \n", at + 1);
            if (line.text[at] != ' ' || end == std::string::npos) {
                break;
            }
            ComponentVariant* variant = catalogue.findVariant(
                std::string_view(line.text).substr(at + 1, end - at - 1), true);
            if (variant == nullptr) {
                break;
            }
            variants.push_back(variant);
            at = end;
        }
        const std::string label = line.text.substr(at, line.text.size() - at - 1);
        std::unique_ptr<CompoundComponent> chain;
        Direction inDir = kF;
        for (const Target& target : targets.targets()) {
            if (target.label != label || variants.empty()) {
                continue;
            }
            auto candidate = std::make_unique<CompoundComponent>(
                static_cast<std::int32_t>(variants.size()), catalogue.maxVariants(), 0, label);
            const SignalState start = target.startState();
            for (std::size_t v = 0; v < variants.size(); ++v) {
                const BasicComponent& component =
                    catalogue.component(variants[v]->componentIndex());
                if (v == 0) {
                    candidate->start(start.x, start.y, start.dir, component, variants[v]);
                } else {
                    candidate->appendWithVariant(component, variants[v]);
                }
            }
            if (endsAtTheEnd(*candidate)) {
                chain = std::move(candidate);
                inDir = target.inDir;
                break;
            }
        }
        if (!chain) {
            console.errors().write(formatMessage("Result of no target of this search in %s: %s",
                                                 line.file->c_str(), line.text.c_str()));
            return std::nullopt;
        }
        results.push_back({line.setNumber, inDir, std::move(chain)});
    }
    return results;
}

int mergeShards(Console& console, const RunSettings& settings) {
    ShardMerge merge;
    if (!merge.read(settings.mergeFiles, console)) {
        return 1;
    }
    // The shards have said what loading the catalogue says.
    StringSink quiet;
    LoadError error;
    const std::unique_ptr<ComponentRegister> catalogue =
        ComponentRegister::load(kDefinitionFile, quiet, quiet, error);
    if (!catalogue) {
        console.write(error.text());
        return 1;
    }
    TargetSet targets = settings.targets;
    targets.dropOver(settings.maxLen);
    std::optional<std::vector<ShardMerge::Result>> results =
        merge.results(*catalogue, targets, console);
    if (!results) {
        return 1;
    }
    Search search(console, std::move(targets));
    return search.replay(merge.header(), *results, settings.runParameters());
}

}  // namespace trelkan
