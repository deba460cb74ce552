// Runs a fuzz target over files instead of generated input: every file of the folders (or the
// files) named on the command line, once each. A failed check aborts, which fails the test.

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    std::vector<fs::path> inputs;
    for (int i = 1; i < argc; ++i) {
        const fs::path arg = argv[i];
        if (fs::is_directory(arg)) {
            for (const auto& entry : fs::recursive_directory_iterator(arg)) {
                if (entry.is_regular_file() && entry.path().filename() != ".gitkeep") {
                    inputs.push_back(entry.path());
                }
            }
        } else if (fs::is_regular_file(arg)) {
            inputs.push_back(arg);
        } else if (i == 1) {
            // The corpus must be there; a folder of crashers may not exist yet.
            std::fprintf(stderr, "no corpus at %s\n", argv[i]);
            return 1;
        }
    }
    if (inputs.empty()) {
        std::fprintf(stderr, "nothing to replay\n");
        return 1;
    }
    for (const fs::path& input : inputs) {
        const std::string bytes = ReadAll(input);
        // A copy of exactly the input's size, so that the sanitizers see a read past its end.
        std::vector<std::uint8_t> copy(bytes.begin(), bytes.end());
        LLVMFuzzerTestOneInput(copy.data(), copy.size());
    }
    std::printf("replayed %zu inputs\n", inputs.size());
    return 0;
}
