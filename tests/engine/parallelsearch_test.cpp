#include "engine/parallelsearch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <new>
#include <string>
#include <vector>

#include "base/format.h"
#include "base/targetset.h"
#include "catalogue/actree.h"
#include "catalogue/componentregister.h"
#include "compound/compoundcomponent.h"
#include "engine/searchcontext.h"
#include "tests/support/recordingsink.h"

namespace trelkan {
namespace {

// What the scripted mode does.
struct Script {
    std::int64_t setsPerTarget = 700;
    // The search of this set runs out of memory, or is interrupted; 0 for none.
    std::int64_t failAt = 0;
    std::int64_t stopAt = 0;
    // Each slot ends with a chain of its own, as the search-map mode's short chains do.
    bool chainsOutsideSets = false;
    testing::RecordingSink* sink = nullptr;
};

// A mode whose sets are numbers, and whose searches find set % 3 chains named by their set.
class ScriptedSets final : public ComponentSetSearch {
  public:
    ScriptedSets(SearchContext& context, const Script& script)
        : m_context(context), m_script(script) {}

    void enumerateSets(const Target&, SetPass pass) override {
        for (std::int64_t i = 0; i < m_script.setsPerTarget && m_context.running(); ++i) {
            m_context.nextSet();
            if (pass == SetPass::kSearching && m_context.setIsSearched()) {
                search(m_context.setNumber());
            }
            if (pass == SetPass::kSearching && m_script.chainsOutsideSets) {
                report(" after");
            }
        }
    }
    bool findsChainsOutsideSets() const override { return m_script.chainsOutsideSets; }

  private:
    void search(std::int64_t set) {
        if (set == m_script.failAt) {
            throw std::bad_alloc();
        }
        if (set == m_script.stopAt) {
            m_script.sink->stop();
        }
        for (std::int64_t r = 0; r < set % 3; ++r) {
            report(formatMessage(" result %lld", static_cast<long long>(r)));
        }
    }
    void report(const std::string& text) {
        CompoundComponent chain(1, 1, 0, text);
        m_context.report(chain, kF);
    }

    SearchContext& m_context;
    const Script& m_script;
};

std::int64_t setOf(const std::string& chain) {
    const std::size_t at = chain.find(" @ ");
    return at == std::string::npos ? 0 : std::stoll(chain.substr(at + 3));
}

class ParallelSearchTest : public ::testing::Test {
  protected:
    void SetUp() override {
        for (std::int32_t dt = 1; dt <= 3; ++m_targetCount, ++dt) {
            m_targets.add(1, 0, dt, kF);
        }
    }

    // The chains of one search, and the set where it ended.
    struct Outcome {
        std::vector<std::string> chains;
        std::int64_t setNumber = 0;
        bool outOfMemory = false;
    };

    Outcome search(Script script, std::int32_t threads, Shard shard = {}, std::int64_t skip = 0,
                   std::size_t limit = 0) {
        testing::RecordingSink sink;
        sink.limit = limit;
        script.sink = &sink;
        SearchInput input{m_catalogue, m_tree, m_targets.targets(), {}};
        input.threads = threads;
        input.shard = shard;
        input.ignoreSets = skip;
        SearchContext context(input, sink);
        Outcome outcome;
        try {
            runComponentSets(context, [&script](SearchContext& worker) {
                return std::make_unique<ScriptedSets>(worker, script);
            });
        } catch (const std::bad_alloc&) {
            outcome.outOfMemory = true;
        }
        outcome.chains = sink.chains;
        outcome.setNumber = context.setNumber();
        return outcome;
    }

    // The shards' chains in set order, as a merge takes them.
    std::vector<std::string> merged(const Script& script, std::int64_t shards,
                                    std::int32_t threads) {
        std::vector<std::string> chains;
        for (std::int64_t k = 1; k <= shards; ++k) {
            const Outcome shard = search(script, threads, {k, shards});
            chains.insert(chains.end(), shard.chains.begin(), shard.chains.end());
        }
        std::stable_sort(
            chains.begin(), chains.end(),
            [](const std::string& a, const std::string& b) { return setOf(a) < setOf(b); });
        return chains;
    }

    ComponentRegister m_catalogue;
    ACTree m_tree{1};
    TargetSet m_targets;
    int m_targetCount = 0;
};

TEST_F(ParallelSearchTest, AnyThreadsAndShardsFindWhatOneThreadFinds) {
    for (const bool outside : {false, true}) {
        Script script;
        script.chainsOutsideSets = outside;
        const Outcome one = search(script, 1);
        ASSERT_EQ(one.setNumber, script.setsPerTarget * m_targetCount);
        ASSERT_GT(one.chains.size(), 1000u);
        for (const std::int32_t threads : {2, 3, 8}) {
            const Outcome many = search(script, threads);
            EXPECT_EQ(many.chains, one.chains) << threads << " threads";
            EXPECT_EQ(many.setNumber, one.setNumber);
            for (const std::int64_t shards : {2, 3, 50}) {
                EXPECT_EQ(merged(script, shards, threads), one.chains) << shards << " shards";
            }
        }
        // Skipped sets leave the chains outside them, as one thread does.
        EXPECT_EQ(search(script, 4, {}, 1000).chains, search(script, 1, {}, 1000).chains);
    }
}

// A stop of any kind keeps what came before the set where the search says it stopped, and
// nothing that one thread would not have found by then.
TEST_F(ParallelSearchTest, AStoppedSearchKeepsEverySetBeforeWhereItSaysItStopped) {
    Script script;
    script.chainsOutsideSets = true;
    const Outcome whole = search(script, 1);
    for (const std::int32_t threads : {1, 2, 8}) {
        for (const bool memory : {false, true}) {
            Script stopping = script;
            (memory ? stopping.failAt : stopping.stopAt) = 1234;
            const Outcome stopped = search(stopping, threads);
            EXPECT_EQ(stopped.outOfMemory, memory);
            EXPECT_GE(stopped.setNumber, 1);
            EXPECT_LE(stopped.setNumber, 1234);
            ASSERT_LE(stopped.chains.size(), whole.chains.size());
            EXPECT_TRUE(
                std::equal(stopped.chains.begin(), stopped.chains.end(), whole.chains.begin()));
            const auto before = std::count_if(
                whole.chains.begin(), whole.chains.end(),
                [&](const std::string& chain) { return setOf(chain) < stopped.setNumber; });
            EXPECT_GE(static_cast<std::int64_t>(stopped.chains.size()), before);
        }
        const Outcome limited = search(script, threads, {}, 0, 500);
        EXPECT_EQ(limited.chains,
                  std::vector<std::string>(whole.chains.begin(), whole.chains.begin() + 500));
    }
}

}  // namespace
}  // namespace trelkan
