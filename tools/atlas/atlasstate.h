// What an atlas run has done so far, kept in a file so that a stopped run resumes and a finished
// atlas extends to larger delays without searching again what it has searched.
//
// The file, a line each: "trelkan-atlas state 1", "catalogue <path>", then per period done
// "period P upto D none" or "period P upto D area A box WxH delay L chain name1 name2 ...", with
// "unproven" before "chain" for a loop found with the proofs left out.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "tools/atlas/atlasentry.h"

namespace trelkan {

struct PeriodRecord {
    // The delays searched: every multiple of the period up to this one.
    std::int64_t searchedUpTo = 0;
    // The smallest loop found among them.
    std::optional<AtlasEntry> entry;
};

class AtlasState {
  public:
    explicit AtlasState(std::string catalogue) : m_catalogue(std::move(catalogue)) {}

    // The state in the file; a file that does not exist is a fresh state. Nothing when the
    // file cannot be read as a state, or was made with another catalogue: error says why.
    static std::optional<AtlasState> read(const std::string& path, const std::string& catalogue,
                                          std::string& error);
    // Writes the whole state to a temporary file beside the path and renames it into place, so
    // that a stop at any moment leaves the old state or the new one. False on failure.
    bool write(const std::string& path) const;

    const PeriodRecord* record(std::int64_t period) const;
    void setRecord(std::int64_t period, PeriodRecord record);
    // Takes in the periods of another state (a shard's) that it has searched further than this
    // one; of two searched as far, the loop the atlas keeps.
    void absorb(const AtlasState& other);
    // The largest delay any period has been searched up to; 0 when none has.
    std::int64_t largestDelay() const;

  private:
    bool readLine(const std::string& line);

    std::string m_catalogue;
    std::map<std::int64_t, PeriodRecord> m_periods;
};

}  // namespace trelkan
