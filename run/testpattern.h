// The test pattern: instead of searching, the whole catalogue drawn into the pattern file, so that
// its pictures and its allowed pairs can be looked over in a Life viewer. A grid shows every
// variant alone along its top row and its left column, and in row i, column j variant i followed
// by variant j wherever j may follow i. Each sequence of the definition file follows as a pattern
// of its own; those that no choice of variants could realise anyway are listed as unnecessary.
#pragma once

#include "run/console.h"

namespace trelkan {

class ComponentRegister;
class CompoundComponent;

class TestPattern {
  public:
    explicit TestPattern(Console& console);

    // Loads and prepares the catalogue of the working directory and draws it into the console's
    // pattern file; the program's exit status.
    int draw();

  private:
    void drawVariantGrid(const ComponentRegister& catalogue);
    void drawSequences(ComponentRegister& catalogue);
    void write(const CompoundComponent& chain);

    Console& m_console;
};

}  // namespace trelkan
