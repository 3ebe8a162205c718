// Without libFuzzer: runs the fuzz target over the files named on the command
// line (the kept corpus), then over seeded random variations of them, so the
// ordinary and sanitizer builds keep checking what the fuzzer once found.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

constexpr int kVariationsPerInput = 2000;

void Run(const std::string& input) {
    // An exact-size heap copy, so a read past the end is caught.
    std::vector<std::uint8_t> copy(input.begin(), input.end());
    LLVMFuzzerTestOneInput(copy.empty() ? nullptr : copy.data(), copy.size());
}

std::string Mutated(std::string input, std::mt19937& random) {
    int edits = 1 + static_cast<int>(random() % 4);
    for (int i = 0; i < edits; ++i) {
        std::size_t at = input.empty() ? 0 : random() % input.size();
        switch (random() % 3) {
            case 0:
                if (!input.empty())
                    input[at] = static_cast<char>(random());
                break;
            case 1:
                input.resize(at);
                break;
            default:
                input.insert(at, 1, static_cast<char>(random()));
        }
    }
    return input;
}

}  // namespace

int main(int argc, char** argv) {
    std::mt19937 random(12);
    for (int i = 1; i < argc; ++i) {
        std::ifstream file(argv[i], std::ios::binary);
        std::string input((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        Run(input);
        for (int n = 0; n < kVariationsPerInput; ++n)
            Run(Mutated(input, random));
    }
    std::printf("%d inputs, %d variations each\n", argc - 1, kVariationsPerInput);
    return 0;
}
