// Each proven chain in an RLE file of its own, named by its line ("line-000012.rle") so that the
// files sort in input order.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "life/lifegrid.h"
#include "tools/verify/resultline.h"

namespace trelkan {

// Writes the text to the file; false when it could not.
bool writeTextFile(const std::string& path, const std::string& text);

class PatternDirectory {
  public:
    // Nothing: no files are written.
    explicit PatternDirectory(std::optional<std::string> path) : m_path(std::move(path)) {}

    // Makes the directory; false, with the reason on standard error, when it cannot be made.
    bool prepare() const;
    // The chain's running cells under its comment. False once a file could not be written; the
    // first such file is named on standard error.
    bool write(const ResultLine& result, const std::string& comment,
               const std::vector<LifeCell>& cells);
    bool writable() const { return m_writable; }

  private:
    std::optional<std::string> m_path;
    bool m_writable = true;
};

}  // namespace trelkan
