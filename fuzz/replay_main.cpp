// Replays fuzz inputs without libFuzzer, so that the seed corpus runs as an ordinary test
// on every build: each file named on the command line, and every file in each folder
// named, in name order. A folder without inputs fails, since it would check nothing.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace fs = std::filesystem;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

std::vector<fs::path> InputsIn(const fs::path& argument)
{
    if (!fs::is_directory(argument))
        return {fs::absolute(argument)};
    std::vector<fs::path> inputs;
    for (const auto& entry : fs::directory_iterator(argument))
        if (entry.is_regular_file())
            inputs.push_back(fs::absolute(entry.path()));
    std::sort(inputs.begin(), inputs.end());
    return inputs;
}

void Replay(const fs::path& input)
{
    std::printf("%s\n", input.string().c_str());
    std::fflush(stdout);  // names the input that a failed check stops at
    std::ifstream in(input, std::ios::binary);
    const std::vector<std::uint8_t> bytes(std::istreambuf_iterator<char>(in), {});
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
}

}  // namespace

int main(int argc, char** argv)
{
    std::size_t replayed = 0;
    for (int i = 1; i < argc; ++i) {
        const std::vector<fs::path> inputs = InputsIn(argv[i]);
        if (inputs.empty()) {
            std::fprintf(stderr, "replay: no inputs in %s\n", argv[i]);
            return 1;
        }
        for (const fs::path& input : inputs)
            Replay(input);
        replayed += inputs.size();
    }
    std::printf("replay: %zu inputs, all checks held\n", replayed);
    return replayed > 0 ? 0 : 1;
}
