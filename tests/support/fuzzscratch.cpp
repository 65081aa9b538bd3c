// Linked into a fuzz target that reads or writes files: before the first input, the process moves
// into a directory of its own made under TMPDIR, so that no input can touch a file of the
// repository.
#include <cstdlib>
#include <filesystem>
#include <string>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    std::string name = (std::filesystem::temp_directory_path() / "trelkan-fuzz-XXXXXX").string();
    if (mkdtemp(name.data()) == nullptr) {
        std::abort();
    }
    std::filesystem::current_path(name);
    return 0;
}
