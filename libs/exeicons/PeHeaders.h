#pragma once
// The headers of a PE32 or PE32+ executable that locate its resources: the
// resource data directory and the section table that maps its addresses
// (RVAs) to file offsets.

#include "libs/exeicons/ByteSource.h"
#include "libs/exeicons/ExeIconError.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace exeicons {

struct PeSection {
    uint32_t virtualAddress = 0;
    uint32_t virtualSize = 0;
    uint32_t rawSize = 0;
    uint32_t rawOffset = 0;
};

struct PeHeaders {
    bool pe32Plus = false;
    uint32_t resourceRva = 0;    // 0: no resource directory
    uint32_t resourceSize = 0;
    std::vector<PeSection> sections;   // at most kMaxSections, in table order

    // File offset of [rva, rva + length) when the whole range lies in the
    // file data of one section; nothing otherwise.
    [[nodiscard]] std::optional<uint64_t> fileOffset(uint64_t rva, uint64_t length) const;
};

// Reads the headers whose "PE\0\0" signature is at `peOffset`. Errors say
// that the file is not a usable module; a missing resource directory is not
// an error here (resourceRva stays 0).
[[nodiscard]] ExeIconError ReadPeHeaders(const ByteSource& source, uint64_t peOffset, PeHeaders* out);

} // namespace exeicons
