#include "libs/exeicons/GroupDirectory.h"

#include "libs/exeicons/LeReader.h"

#include <algorithm>

namespace exeicons {
namespace {

constexpr uint16_t kTypeIcon = 1;   // 2 would be a cursor group

} // namespace

std::optional<std::vector<GroupEntry>> ParseGroupDirectory(std::span<const uint8_t> data) {
    LeReader r(data);
    const uint16_t reserved = r.u16(0);
    const uint16_t type = r.u16(2);
    const uint16_t count = r.u16(4);
    if (!r.ok() || reserved != 0 || type != kTypeIcon)
        return std::nullopt;
    const uint64_t whole = (data.size() - kGroupHeaderBytes) / kGroupEntryBytes;
    const uint64_t n = std::min<uint64_t>({count, whole, kMaxGroupImages});
    if (n == 0)
        return std::nullopt;

    std::vector<GroupEntry> entries;
    entries.reserve(static_cast<size_t>(n));
    for (uint64_t i = 0; i < n; ++i) {
        const uint64_t p = kGroupHeaderBytes + i * kGroupEntryBytes;
        GroupEntry e;
        e.width = r.u8(p);
        e.height = r.u8(p + 1);
        e.colourCount = r.u8(p + 2);
        e.reserved = r.u8(p + 3);
        e.planes = r.u16(p + 4);
        e.bitCount = r.u16(p + 6);
        e.bytesInRes = r.u32(p + 8);
        e.id = r.u16(p + 12);
        entries.push_back(e);
    }
    if (!r.ok())
        return std::nullopt;
    return entries;
}

} // namespace exeicons
