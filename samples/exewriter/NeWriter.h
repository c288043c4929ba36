#pragma once
// Writes small 16-bit (NE) Windows executables in memory, with resources
// only (no segments). Types must be numbers; names may be numbers or ASCII
// texts. Languages do not exist in this format and are ignored.

#include "samples/exewriter/Resource.h"

#include <cstdint>
#include <vector>

namespace pewriter {

struct NeFile {
    std::vector<uint8_t> bytes;
    uint64_t neHeader = 0;
    uint64_t resourceTable = 0;   // file offset of the alignment shift
};

// Resources keep the order given, grouped by type in order of first
// appearance; their data is aligned to 1 << alignShift bytes.
[[nodiscard]] NeFile BuildNe(const std::vector<Resource>& resources, uint16_t alignShift = 4);

} // namespace pewriter
