// The converter's argument parser and settings printer over arbitrary
// argument vectors: the input's bytes split at NUL into arguments.
#include "png2ico/Console.h"
#include "png2ico/Options.h"

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::string> args(1);
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0)
            args.emplace_back();
        else
            args.back() += static_cast<char>(data[i]);
    }
    const png2ico::Options options = png2ico::ParseArguments(args);
    for (const auto& sizeSpec : options.sizeSpecs) {
        if (sizeSpec.size <= 0 || (sizeSpec.bitsPerPixel != 4 && sizeSpec.bitsPerPixel != 8 && sizeSpec.bitsPerPixel != 16 &&
                               sizeSpec.bitsPerPixel != 24 && sizeSpec.bitsPerPixel != 32))
            __builtin_trap();  // an invalid sizeSpec must never get through
    }
    std::ostringstream out;
    png2ico::PrintSettings(out, options);
    return 0;
}
