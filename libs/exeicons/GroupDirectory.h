#pragma once
// The data of an icon group resource: GRPICONDIR (reserved 0, type 1, count)
// followed by one 14-byte GRPICONDIRENTRY per image, naming the image by its
// icon resource id.

#include "libs/exeicons/ExeIconLimits.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace exeicons {

inline constexpr uint64_t kGroupHeaderBytes = 6;
inline constexpr uint64_t kGroupEntryBytes = 14;
// Bytes of a group that can matter: the header and kMaxGroupImages entries.
inline constexpr uint64_t kMaxGroupDirectoryBytes = kGroupHeaderBytes + kGroupEntryBytes * kMaxGroupImages;

// One entry as stored. Its sizes and depth are hints only: a width or height
// of 0 stands for 256, and the image data has the last word.
struct GroupEntry {
    uint8_t width = 0;
    uint8_t height = 0;
    uint8_t colourCount = 0;
    uint8_t reserved = 0;
    uint16_t planes = 0;
    uint16_t bitCount = 0;
    uint32_t bytesInRes = 0;
    uint16_t id = 0;   // the RT_ICON resource holding the image
};

// The entries of a group, at most kMaxGroupImages; entries cut short at the
// end are left out. Nothing for a header that is not an icon group's or a
// group without a whole entry.
[[nodiscard]] std::optional<std::vector<GroupEntry>> ParseGroupDirectory(std::span<const uint8_t> data);

} // namespace exeicons
