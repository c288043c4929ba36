// Fuzz target: the executable icon reader over bytes in memory, then the
// DIB decoder and the large-icon choice over what it finds; and the decoder
// straight over the input, for its own sake.

#include "libs/exeicons/DibDecoder.h"
#include "libs/exeicons/ExeIconReader.h"
#include "libs/exeicons/LargeIcon.h"
#include "libs/exeicons/MemoryByteSource.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

using namespace exeicons;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> bytes(data, size);
    const MemoryByteSource source(bytes);
    const IconGroupResult result = ReadFirstIconGroup(source);
    // Results hold together: a found group is never empty, and its images
    // say what they are within the limits.
    if (result.ok() != (result.presence() == IconPresence::kHasIcons) || (result.ok() && result.group.images.empty()))
        std::abort();
    for (const IconImage& image : result.group.images) {
        if (image.info.width < 1 || image.info.width > kMaxIconEdge || image.data.size() > size)
            std::abort();
        if (image.info.format == ImageFormat::kDib) {
            const DecodeResult decoded = DecodeDibIcon(image.data);
            if (!decoded.ok() || decoded.image.bgra.size() !=
                                     static_cast<size_t>(decoded.image.width) * static_cast<size_t>(decoded.image.height) * 4)
                std::abort();   // inspection and decoding must accept the same images
        }
    }
    const auto large = PickLargeIcon(result.group);
    if (large.has_value() != result.ok())
        std::abort();
    (void)DecodeDibIcon(bytes);
    return 0;
}
