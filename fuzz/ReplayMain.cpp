// Replays a fuzz target's inputs without libFuzzer, as a test: every file below the folders
// (or the files) named on the command line goes once through LLVMFuzzerTestOneInput, in name
// order. The target's own checks abort, and in a sanitizer build a finding ends the process,
// so a known input that breaks fails the test. No input at all is an error as well: a moved
// corpus must not leave a test that replays nothing.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
// Defined by the targets that set something up once.
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);

namespace {

namespace fs = std::filesystem;

bool CollectInputs(const fs::path& given, std::vector<fs::path>& inputs)
{
    std::error_code error;
    if (fs::is_regular_file(given, error)) {
        inputs.push_back(given);
        return true;
    }
    if (!fs::is_directory(given, error))
        return false;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(given, error))
        if (entry.is_regular_file())
            inputs.push_back(entry.path());
    return !error;
}

// The whole file in a buffer of exactly its size, as libFuzzer hands it over, so that the
// sanitizer sees a read past the end.
bool ReadInput(const fs::path& path, std::unique_ptr<std::uint8_t[]>& bytes, std::size_t& size)
{
    std::ifstream file(path, std::ios::binary);
    std::error_code error;
    size = static_cast<std::size_t>(fs::file_size(path, error));
    if (!file || error)
        return false;
    bytes = std::make_unique<std::uint8_t[]>(size);
    return static_cast<bool>(
        file.read(reinterpret_cast<char*>(bytes.get()), static_cast<std::streamsize>(size)));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FOLDER-OR-FILE...\n", argv[0]);
        return 2;
    }
    std::vector<fs::path> inputs;
    for (int i = 1; i < argc; ++i) {
        if (!CollectInputs(argv[i], inputs)) {
            std::fprintf(stderr, "%s: cannot read %s\n", argv[0], argv[i]);
            return 1;
        }
    }
    if (inputs.empty()) {
        std::fprintf(stderr, "%s: no input to replay\n", argv[0]);
        return 1;
    }
    std::sort(inputs.begin(), inputs.end());

    if (LLVMFuzzerInitialize)
        LLVMFuzzerInitialize(&argc, &argv);
    for (const fs::path& input : inputs) {
        std::unique_ptr<std::uint8_t[]> bytes;
        std::size_t size = 0;
        if (!ReadInput(input, bytes, size)) {
            std::fprintf(stderr, "%s: cannot read %s\n", argv[0], input.c_str());
            return 1;
        }
        // Named before it runs: an abort or a sanitizer report follows the name of its input.
        std::printf("%s (%zu bytes)\n", input.c_str(), size);
        std::fflush(stdout);
        LLVMFuzzerTestOneInput(bytes.get(), size);
    }
    std::printf("%zu inputs replayed\n", inputs.size());
    return 0;
}
