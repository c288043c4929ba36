#include "libs/exeicons/NeResourceTable.h"

#include "libs/exeicons/ExeIconLimits.h"
#include "libs/exeicons/LeReader.h"

#include <algorithm>

namespace exeicons {
namespace {

constexpr uint64_t kNeHeaderBytes = 64;
constexpr uint64_t kResourceTableAt = 0x24;   // offsets from the NE header
constexpr uint64_t kResidentNamesAt = 0x26;
constexpr uint64_t kTypeInfoBytes = 8;
constexpr uint64_t kNameInfoBytes = 12;
constexpr uint16_t kIdBit = 0x8000;
constexpr uint16_t kRtIcon = kIdBit | 3;
constexpr uint16_t kRtGroupIcon = kIdBit | 14;

} // namespace

ExeIconError NeResourceTable::Open(const ByteSource& source, uint64_t neOffset,
                                   std::unique_ptr<NeResourceTable>* out) {
    const auto header = source.read(neOffset, kNeHeaderBytes);
    if (!header)
        return ExeIconError::kTruncatedHeader;
    LeReader h(*header);
    const uint16_t tableAt = h.u16(kResourceTableAt);
    const uint16_t tableEnd = h.u16(kResidentNamesAt);
    // The table runs up to the resident name table, which follows it.
    if (tableAt == tableEnd)
        return ExeIconError::kNoResources;
    if (tableEnd < tableAt)
        return ExeIconError::kDamagedResources;
    auto table = source.read(neOffset + tableAt, tableEnd - tableAt);
    if (!table)
        return ExeIconError::kDamagedResources;
    std::unique_ptr<NeResourceTable> t(new NeResourceTable(std::move(*table)));
    LeReader r(t->table_);
    if (r.u16(0) > kMaxNeAlignShift || !r.ok())
        return ExeIconError::kDamagedResources;
    t->readTypes(source.size());
    *out = std::move(t);
    return ExeIconError::kNone;
}

void NeResourceTable::readTypes(uint64_t fileSize) {
    LeReader r(table_);
    const uint16_t shift = r.u16(0);
    uint64_t p = 2;
    uint32_t entries = 0;
    // Every step moves forward by at least one TYPEINFO, so the walk ends
    // within the table.
    while (r.has(p, kTypeInfoBytes)) {
        const uint16_t type = r.u16(p);
        const uint16_t count = r.u16(p + 2);
        p += kTypeInfoBytes;
        if (type == 0 || !r.has(p, uint64_t{count} * kNameInfoBytes))
            break;
        std::vector<Item>* list = type == kRtGroupIcon ? &groups_ : type == kRtIcon ? &icons_ : nullptr;
        for (uint16_t i = 0; list && i < count && entries < kMaxDirectoryEntries; ++i, ++entries) {
            const uint64_t q = p + i * kNameInfoBytes;
            Item item;
            item.blob.offset = uint64_t{r.u16(q)} << shift;
            item.blob.size = uint64_t{r.u16(q + 2)} << shift;
            item.id = r.u16(q + 6);
            // Lengths are rounded up to the alignment; the last resource may
            // end before the rounded length does.
            item.inFile = item.blob.offset < fileSize;
            if (item.inFile)
                item.blob.size = std::min(item.blob.size, fileSize - item.blob.offset);
            list->push_back(item);
        }
        p += uint64_t{count} * kNameInfoBytes;
    }
    for (size_t i = 0; i < icons_.size(); ++i)
        if (icons_[i].id & kIdBit)
            iconById_.emplace(static_cast<uint16_t>(icons_[i].id & ~kIdBit), i);   // keeps the first
}

ResourceName NeResourceTable::readName(uint16_t id) const {
    ResourceName name;
    if (id & kIdBit) {
        name.id = static_cast<uint16_t>(id & ~kIdBit);
        return name;
    }
    // A length byte, then that many characters, at an offset in the table.
    name.named = true;
    LeReader r(table_);
    const uint8_t length = r.u8(id);
    const auto chars = r.bytes(uint64_t{id} + 1, std::min<uint32_t>(length, kMaxNameChars));
    for (uint8_t c : chars)
        name.text.push_back(c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '?');
    return name;
}

std::optional<GroupResource> NeResourceTable::group(size_t index) {
    if (index >= groups_.size() || !groups_[index].inFile)
        return std::nullopt;
    return GroupResource{readName(groups_[index].id), groups_[index].blob};
}

std::optional<ResourceBlob> NeResourceTable::icon(uint16_t id) {
    const auto it = iconById_.find(id);
    if (it == iconById_.end() || !icons_[it->second].inFile)
        return std::nullopt;
    return icons_[it->second].blob;
}

} // namespace exeicons
