#include "libs/exeicons/PeHeaders.h"

#include "libs/exeicons/ExeIconLimits.h"
#include "libs/exeicons/LeReader.h"

#include <algorithm>

namespace exeicons {
namespace {

constexpr uint64_t kSignatureAndCoffBytes = 24;   // "PE\0\0" + IMAGE_FILE_HEADER
constexpr uint64_t kSectionHeaderBytes = 40;
constexpr uint16_t kMagicPe32 = 0x10B;
constexpr uint16_t kMagicPe32Plus = 0x20B;
constexpr uint32_t kResourceDirectoryIndex = 2;
constexpr uint64_t kDataDirectoryBytes = 8;

// Reads the optional header's resource directory entry.
ExeIconError ReadResourceDirectory(std::span<const uint8_t> optional, PeHeaders* out) {
    LeReader r(optional);
    const uint16_t magic = r.u16(0);
    if (!r.ok() || (magic != kMagicPe32 && magic != kMagicPe32Plus))
        return ExeIconError::kBadOptionalHeader;
    out->pe32Plus = magic == kMagicPe32Plus;
    const uint64_t countAt = out->pe32Plus ? 108 : 92;
    const uint64_t directoriesAt = countAt + 4;
    const uint32_t count = r.u32(countAt);
    if (!r.ok())
        return ExeIconError::kBadOptionalHeader;
    // Directories beyond the optional header's declared size do not exist,
    // whatever the count says.
    const uint64_t present = (r.size() - std::min(r.size(), directoriesAt)) / kDataDirectoryBytes;
    if (std::min<uint64_t>(count, present) <= kResourceDirectoryIndex)
        return ExeIconError::kNone;
    const uint64_t at = directoriesAt + kResourceDirectoryIndex * kDataDirectoryBytes;
    const uint32_t rva = r.u32(at);
    const uint32_t size = r.u32(at + 4);
    if (rva != 0 && size != 0) {
        out->resourceRva = rva;
        out->resourceSize = size;
    }
    return ExeIconError::kNone;
}

} // namespace

std::optional<uint64_t> PeHeaders::fileOffset(uint64_t rva, uint64_t length) const {
    for (const PeSection& s : sections) {
        // A virtual size of 0 is written by some linkers; the raw size stands in.
        const uint64_t span = s.virtualSize != 0 ? s.virtualSize : s.rawSize;
        if (rva < s.virtualAddress || rva - s.virtualAddress >= span)
            continue;
        const uint64_t delta = rva - s.virtualAddress;
        const uint64_t inFile = std::min<uint64_t>(span, s.rawSize);
        if (!RangeInside(delta, length, inFile))
            return std::nullopt;   // runs into zero-filled memory or the next section
        return uint64_t{s.rawOffset} + delta;
    }
    return std::nullopt;
}

ExeIconError ReadPeHeaders(const ByteSource& source, uint64_t peOffset, PeHeaders* out) {
    const auto head = source.read(peOffset, kSignatureAndCoffBytes);
    if (!head)
        return ExeIconError::kTruncatedHeader;
    LeReader coff(*head);
    const uint16_t sectionCount = coff.u16(6);
    const uint16_t optionalBytes = coff.u16(20);

    const uint64_t optionalAt = peOffset + kSignatureAndCoffBytes;
    const auto optional = source.read(optionalAt, optionalBytes);
    if (!optional)
        return ExeIconError::kTruncatedHeader;
    PeHeaders headers;
    if (ExeIconError e = ReadResourceDirectory(*optional, &headers); e != ExeIconError::kNone)
        return e;

    const uint32_t used = std::min<uint32_t>(sectionCount, kMaxSections);
    const auto table = source.read(optionalAt + optionalBytes, used * kSectionHeaderBytes);
    if (!table)
        return ExeIconError::kTruncatedHeader;
    LeReader r(*table);
    for (uint32_t i = 0; i < used; ++i) {
        const uint64_t p = i * kSectionHeaderBytes;
        headers.sections.push_back(PeSection{r.u32(p + 12), r.u32(p + 8), r.u32(p + 16), r.u32(p + 20)});
    }
    *out = std::move(headers);
    return ExeIconError::kNone;
}

} // namespace exeicons
