// The outputs of the shards of one search (-k K/N), merged into what the search would have
// written in one process: the shards' common messages, then their results in set order, handed
// to a search run as if it had found them, which writes the log, the pattern file and the sorted
// report as it would have.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/targetset.h"
#include "run/console.h"

namespace trelkan {

class ComponentRegister;
class CompoundComponent;
struct RunSettings;

class ShardMerge {
  public:
    // A result of a shard, rebuilt: its set, and the chain from the start of its target.
    struct Result {
        std::int64_t setNumber = 0;
        Direction inDir = kF;
        std::unique_ptr<CompoundComponent> chain;
    };

    // Reads and checks the shard outputs; false with a message on the console's error stream
    // when one cannot be read, is not a complete shard output, belongs to another search, or
    // when some shard is missing or given twice.
    bool read(const std::vector<std::string>& files, Console& console);

    // The messages every shard wrote before its results, without the shard's own line.
    const std::string& header() const { return m_header; }

    // The results of every shard in set order, rebuilt on the catalogue for the targets; none with
    // a message when some result names a variant the catalogue lacks or meets no target.
    std::optional<std::vector<Result>> results(const ComponentRegister& catalogue,
                                               const TargetSet& targets, Console& console) const;

  private:
    struct Line {
        std::int64_t setNumber = 0;
        std::string text;
        const std::string* file = nullptr;
    };

    bool readFile(const std::string& file, Console& console);

    std::vector<std::string> m_files;
    std::string m_header;
    std::int64_t m_shardCount = 0;
    std::vector<bool> m_shardSeen;
    std::vector<Line> m_lines;
};

// The road of a merge (--merge): the shard outputs read and checked, the catalogue loaded to
// rebuild their results, which then go out as the search in one process would write them. The
// exit status: that of the search, or 1 when the shards or the catalogue cannot be used.
int mergeShards(Console& console, const RunSettings& settings);

}  // namespace trelkan
