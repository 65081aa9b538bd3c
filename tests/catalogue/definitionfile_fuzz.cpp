// Fuzz target of the definition file loader with its maps: whatever the file and the images it
// names, loading ends in a catalogue or in one fault with its message, without a crash, a hang,
// or a read beyond what was read; a loaded catalogue is then prepared for a search.
//
// An input is the definition file, then up to seven images, each after a line "%%": they are
// written as m1.rle, m2.rle, ... in the scratch directory (fuzzscratch.cpp), where the file is
// read.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <string_view>

#include "base/textsink.h"
#include "catalogue/componentregister.h"

namespace {

constexpr std::string_view kSeparator = "\n%%\n";
constexpr int kMaxImages = 7;

void writeFile(const std::string& name, std::string_view content) {
    std::ofstream file(name, std::ios::binary | std::ios::trunc);
    file.write(content.data(), static_cast<std::streamsize>(content.size()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace trelkan;
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    // Every image is written, empty when the input has fewer, so none is left from the input
    // before.
    for (int part = 0; part <= kMaxImages; ++part) {
        const std::size_t end = rest.find(kSeparator);
        const std::string_view text = part < kMaxImages ? rest.substr(0, end) : rest;
        writeFile(part == 0 ? "data.ini" : "m" + std::to_string(part) + ".rle", text);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 4);
    }
    StringSink out;
    StringSink errors;
    LoadError error;
    const auto catalogue = ComponentRegister::load("data.ini", out, errors, error);
    if (!catalogue) {
        if (error.text().empty()) {
            std::abort();  // a fault is always reported
        }
        return 0;
    }
    catalogue->prepare(1000, 0, true, true);
    return 0;
}
