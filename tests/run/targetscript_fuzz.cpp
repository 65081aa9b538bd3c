// Fuzz target of the target-script parser: whatever bytes it is given, it must end in an
// acceptance or an error report, without a crash, a hang, or a read beyond the text. Built with
// libFuzzer under AddressSanitizer and UndefinedBehaviorSanitizer (TRELKAN_FUZZ); the seeds are in
// targetscript_corpus.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "base/targetset.h"
#include "run/console.h"
#include "run/targetscript.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace trelkan;
    // The text lies in a block of exactly its length, so that a read past its end is caught.
    const std::vector<char> copy(data, data + size);
    const std::string_view text(copy.data(), copy.size());
    static Console console;
    TargetSet targets;
    const ScriptPresets presets{30, 0, 1500, 1, 4, 5, 6};
    if (parseTargetScript(targets, text, presets, console) && text.empty()) {
        std::abort();  // the empty script is an error
    }
    return 0;
}
