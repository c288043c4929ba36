#include "libs/exeicons/ExeIconReader.h"

#include "libs/exeicons/ExeIconLimits.h"
#include "libs/exeicons/FileByteSource.h"
#include "libs/exeicons/GroupDirectory.h"
#include "libs/exeicons/LeReader.h"
#include "libs/exeicons/ModuleResources.h"
#include "libs/exeicons/NeResourceTable.h"
#include "libs/exeicons/PeResourceTree.h"

#include <algorithm>

namespace exeicons {
namespace {

constexpr uint64_t kDosHeaderBytes = 64;
constexpr uint64_t kNewHeaderOffsetAt = 0x3C;   // e_lfanew
constexpr uint16_t kMzSignature = 0x5A4D;       // "MZ"
constexpr uint16_t kNeSignature = 0x454E;       // "NE"
constexpr uint32_t kPeSignature = 0x00004550;   // "PE\0\0"

// Finds the module's resources behind the MZ header.
ExeIconError OpenResources(const ByteSource& source, std::unique_ptr<ModuleResources>* out) {
    const auto dos = source.read(0, kDosHeaderBytes);
    if (!dos || LeReader(*dos).u16(0) != kMzSignature)
        return ExeIconError::kNotExecutable;
    const uint32_t newHeader = LeReader(*dos).u32(kNewHeaderOffsetAt);
    const auto signature = source.read(newHeader, 2);
    if (!signature)
        return ExeIconError::kBadHeaderOffset;

    if (LeReader(*signature).u16(0) == kNeSignature) {
        std::unique_ptr<NeResourceTable> table;
        const ExeIconError e = NeResourceTable::Open(source, newHeader, &table);
        *out = std::move(table);
        return e;
    }
    const auto pe = source.read(newHeader, 4);
    if (!pe || LeReader(*pe).u32(0) != kPeSignature)
        return ExeIconError::kUnknownFormat;
    PeHeaders headers;
    if (ExeIconError e = ReadPeHeaders(source, newHeader, &headers); e != ExeIconError::kNone)
        return e;
    std::unique_ptr<PeResourceTree> tree;
    const ExeIconError e = PeResourceTree::Open(source, headers, &tree);
    *out = std::move(tree);
    return e;
}

// The images a group names that can be found and read; `budget` is the
// number of image bytes this call may still read.
IconGroup CollectImages(const ByteSource& source, ModuleResources& resources, ResourceName name,
                        const std::vector<GroupEntry>& entries, uint64_t* budget) {
    IconGroup group{std::move(name), {}};
    for (const GroupEntry& entry : entries) {
        const auto blob = resources.icon(entry.id);
        if (!blob || blob->size > *budget)
            continue;
        *budget -= blob->size;
        auto data = source.read(blob->offset, blob->size);
        if (!data)
            continue;
        const auto info = InspectIconImage(*data);
        if (!info)
            continue;
        group.images.push_back(IconImage{entry, *info, std::move(*data)});
    }
    return group;
}

} // namespace

IconGroupResult ReadFirstIconGroup(const ByteSource& source) {
    std::unique_ptr<ModuleResources> resources;
    if (ExeIconError e = OpenResources(source, &resources); e != ExeIconError::kNone)
        return IconGroupResult{e, {}};

    // Lenient on single entries: a group that cannot be read, or that names
    // no usable image, gives way to the next one.
    bool sawGroup = false;
    uint64_t budget = kMaxImageBytesRead;
    const size_t tries = std::min<size_t>(resources->groupCount(), kMaxGroupsTried);
    for (size_t i = 0; i < tries; ++i) {
        const auto group = resources->group(i);
        if (!group)
            continue;
        const auto bytes = source.read(group->blob.offset, std::min(group->blob.size, kMaxGroupDirectoryBytes));
        const auto entries = bytes ? ParseGroupDirectory(*bytes) : std::nullopt;
        if (!entries)
            continue;
        sawGroup = true;
        IconGroup found = CollectImages(source, *resources, group->name, *entries, &budget);
        if (!found.images.empty())
            return IconGroupResult{ExeIconError::kNone, std::move(found)};
    }
    return IconGroupResult{sawGroup ? ExeIconError::kNoIconImages : ExeIconError::kNoIconGroup, {}};
}

IconGroupResult ReadFirstIconGroupFromFile(const std::filesystem::path& path) {
    const auto source = FileByteSource::Open(path);
    if (!source)
        return IconGroupResult{ExeIconError::kCannotRead, {}};
    return ReadFirstIconGroup(*source);
}

} // namespace exeicons
