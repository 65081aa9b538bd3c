#include "tools/atlas/atlasstate.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string_view>

#include "tools/verify/patterndirectory.h"

namespace trelkan {
namespace {

constexpr const char* kHeader = "trelkan-atlas state 1";
constexpr const char* kCataloguePrefix = "catalogue ";

std::string recordLine(std::int64_t period, const PeriodRecord& record) {
    std::ostringstream line;
    line << "period " << period << " upto " << record.searchedUpTo;
    if (!record.entry) {
        line << " none";
    } else {
        const AtlasEntry& entry = *record.entry;
        line << " area " << entry.area << " box " << entry.width << 'x' << entry.height << " delay "
             << entry.delay << (entry.proven ? "" : " unproven") << " chain " << entry.chain();
    }
    return line.str();
}

// Reads "word value" and checks the word.
template <typename Number>
bool readField(std::istringstream& in, const char* word, Number& value) {
    std::string seen;
    return static_cast<bool>(in >> seen >> value) && seen == word;
}

// The fields after "area".
bool readEntry(std::istringstream& in, AtlasEntry& entry) {
    char times = 0;
    std::string word;
    if (!(in >> entry.area >> word >> entry.width >> times >> entry.height) || word != "box" ||
        times != 'x' || !readField(in, "delay", entry.delay) || !(in >> word)) {
        return false;
    }
    if (word == "unproven") {
        entry.proven = false;
        in >> word;
    }
    if (word != "chain") {
        return false;
    }
    for (std::string name; in >> name;) {
        entry.names.push_back(name);
    }
    return !entry.names.empty() && entry.area > 0 && entry.delay > 0 &&
           entry.delay % entry.period == 0;
}

}  // namespace

std::optional<AtlasState> AtlasState::read(const std::string& path, const std::string& catalogue,
                                           std::string& error) {
    AtlasState state(catalogue);
    std::ifstream file(path);
    if (!file) {
        if (std::filesystem::exists(path)) {
            error = "the state file cannot be read: " + path;
            return std::nullopt;
        }
        return state;
    }
    std::string line;
    if (!std::getline(file, line) || line != kHeader) {
        error = "not a state file of trelkan-atlas: " + path;
        return std::nullopt;
    }
    if (!std::getline(file, line) || line != kCataloguePrefix + catalogue) {
        error = "the state file " + path + " was made with another catalogue (" +
                line.substr(line.starts_with(kCataloguePrefix)
                                ? std::string_view(kCataloguePrefix).size()
                                : 0) +
                ")";
        return std::nullopt;
    }
    for (std::int32_t number = 3; std::getline(file, line); ++number) {
        if (!state.readLine(line)) {
            error = "line " + std::to_string(number) + " of the state file cannot be read: " + path;
            return std::nullopt;
        }
    }
    return state;
}

bool AtlasState::readLine(const std::string& line) {
    std::istringstream in(line);
    std::int64_t period = 0;
    PeriodRecord record;
    if (!readField(in, "period", period) || !readField(in, "upto", record.searchedUpTo) ||
        period < 1 || record.searchedUpTo < period) {
        return false;
    }
    std::string word;
    if (!(in >> word)) {
        return false;
    }
    if (word == "none") {
        m_periods[period] = std::move(record);
        return !(in >> word);
    }
    AtlasEntry entry;
    entry.period = period;
    if (word != "area" || !readEntry(in, entry) || entry.delay > record.searchedUpTo) {
        return false;
    }
    record.entry = std::move(entry);
    m_periods[period] = std::move(record);
    return true;
}

bool AtlasState::write(const std::string& path) const {
    std::string text = std::string(kHeader) + "\n" + kCataloguePrefix + m_catalogue + "\n";
    for (const auto& [period, record] : m_periods) {
        text += recordLine(period, record) + "\n";
    }
    const std::string temporary = path + ".new";
    std::error_code renameError;
    if (!writeTextFile(temporary, text)) {
        return false;
    }
    std::filesystem::rename(temporary, path, renameError);
    return !renameError;
}

const PeriodRecord* AtlasState::record(std::int64_t period) const {
    const auto found = m_periods.find(period);
    return found == m_periods.end() ? nullptr : &found->second;
}

void AtlasState::setRecord(std::int64_t period, PeriodRecord record) {
    m_periods[period] = std::move(record);
}

void AtlasState::absorb(const AtlasState& other) {
    for (const auto& [period, theirs] : other.m_periods) {
        const auto ours = m_periods.find(period);
        if (ours == m_periods.end() || theirs.searchedUpTo > ours->second.searchedUpTo) {
            m_periods[period] = theirs;
        } else if (theirs.searchedUpTo == ours->second.searchedUpTo && theirs.entry &&
                   (!ours->second.entry || comesBefore(*theirs.entry, *ours->second.entry))) {
            ours->second.entry = theirs.entry;
        }
    }
}

std::int64_t AtlasState::largestDelay() const {
    std::int64_t largest = 0;
    for (const auto& [period, record] : m_periods) {
        largest = std::max(largest, record.searchedUpTo);
    }
    return largest;
}

}  // namespace trelkan
