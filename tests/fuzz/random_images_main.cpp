// Runs a fuzz target over seeded random inputs, for compilers without libFuzzer.
// Usage: random_images [count] [seed]

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

#include "dump/detector_dump.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

// Random bytes, with the header's count often steered into the interesting range.
std::vector<std::uint8_t> RandomImage(std::mt19937& engine) {
    std::vector<std::uint8_t> image(velanto::kDumpSize);
    for (auto& byte : image) {
        byte = static_cast<std::uint8_t>(engine());
    }
    switch (engine() % 4) {
        case 0: image[1] = 0x07, image[2] = 0xD0; break;  // exactly 2000
        case 1: image[1] = 0x00; break;                   // a short list
        default: break;
    }
    return image;
}

}  // namespace

int main(int argc, char** argv) {
    const long count = argc > 1 ? std::atol(argv[1]) : 2000;
    std::mt19937 engine(argc > 2 ? static_cast<std::uint32_t>(std::atol(argv[2])) : 20261208u);
    for (std::uint8_t fill : {0x00, 0xFF}) {
        const std::vector<std::uint8_t> uniform(velanto::kDumpSize, fill);
        LLVMFuzzerTestOneInput(uniform.data(), uniform.size());
    }
    for (long i = 0; i < count; ++i) {
        const std::vector<std::uint8_t> image = RandomImage(engine);
        LLVMFuzzerTestOneInput(image.data(), image.size());
    }
    std::printf("%ld random images decoded\n", count + 2);
    return 0;
}
