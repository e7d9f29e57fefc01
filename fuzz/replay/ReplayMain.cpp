// Runs a fuzz target over the inputs its fuzzing kept (the seeds in fuzz/**/corpus), as an
// ordinary program: every input the fuzzer once found interesting is checked again on
// every build, with any compiler. The target's checks abort on a fault, so ctest sees the
// failure; the input that failed is named on stderr first.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int *argc, char ***argv);

namespace {

std::vector<std::filesystem::path> inputsBelow(const std::filesystem::path &place)
{
    std::vector<std::filesystem::path> found;
    if (std::filesystem::is_directory(place)) {
        for (const auto &entry : std::filesystem::recursive_directory_iterator(place))
            if (entry.is_regular_file())
                found.push_back(entry.path());
    } else if (std::filesystem::is_regular_file(place)) {
        found.push_back(place);
    }
    std::sort(found.begin(), found.end());
    return found;
}

} // namespace

int main(int argc, char **argv)
{
    if (LLVMFuzzerInitialize)
        LLVMFuzzerInitialize(&argc, &argv);
    int replayed = 0;
    for (int i = 1; i < argc; ++i) {
        const std::vector<std::filesystem::path> inputs = inputsBelow(argv[i]);
        if (inputs.empty()) {
            std::fprintf(stderr, "no inputs in %s\n", argv[i]);
            return 1;
        }
        for (const std::filesystem::path &input : inputs) {
            std::ifstream in(input, std::ios::binary);
            const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
            std::fprintf(stderr, "%s\n", input.c_str());
            LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(bytes.data()), bytes.size());
            ++replayed;
        }
    }
    std::printf("%d inputs replayed\n", replayed);
    return replayed > 0 ? 0 : 1;
}
