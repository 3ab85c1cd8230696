// Replays fuzz inputs without libFuzzer, so that the seed corpus runs as an ordinary test on
// every build: every file in the one folder named, in name order. A folder without inputs
// fails, since it would check nothing.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace fs = std::filesystem;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    std::vector<fs::path> inputs(fs::directory_iterator(fs::absolute(argv[1])), {});
    std::sort(inputs.begin(), inputs.end());
    for (const fs::path& input : inputs) {
        std::printf("%s\n", input.string().c_str());
        std::fflush(stdout);  // names the input that a failed check stops at
        std::ifstream in(input, std::ios::binary);
        const std::vector<std::uint8_t> bytes(std::istreambuf_iterator<char>(in), {});
        LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    }
    std::printf("replay: %zu inputs in %s checked\n", inputs.size(), argv[1]);
    return inputs.empty() ? 1 : 0;
}
