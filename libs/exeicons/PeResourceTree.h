#pragma once
// The resource tree of a PE executable (type, name, language), read lazily:
// the icon group and icon type directories are read when the tree is opened,
// every leaf only when it is asked for.

#include "libs/exeicons/ByteSource.h"
#include "libs/exeicons/ModuleResources.h"
#include "libs/exeicons/PeHeaders.h"

#include <memory>
#include <span>
#include <unordered_map>
#include <vector>

namespace exeicons {

class PeResourceTree final : public ModuleResources {
public:
    // Reads the root and the icon type directories. kDamagedResources when
    // the root cannot be read; a tree without icon types opens fine.
    [[nodiscard]] static ExeIconError Open(const ByteSource& source, const PeHeaders& headers,
                                           std::unique_ptr<PeResourceTree>* out);

    [[nodiscard]] size_t groupCount() const override { return groups_.size(); }
    [[nodiscard]] std::optional<GroupResource> group(size_t index) override;
    [[nodiscard]] std::optional<ResourceBlob> icon(uint16_t id) override;

    // One IMAGE_RESOURCE_DIRECTORY_ENTRY.
    struct Entry {
        uint32_t name = 0;     // high bit: offset of a name string, else an id
        uint32_t target = 0;   // high bit: offset of a subdirectory, else of a data entry
    };

private:
    PeResourceTree(const ByteSource& source, const PeHeaders& headers) : source_(source), headers_(headers) {}

    // The directory of names of the root's first entry for `type`.
    void readType(const std::vector<Entry>& root, uint16_t type, uint32_t* offset, std::vector<Entry>* names);
    // Bytes at an offset from the tree's root, through the section table.
    [[nodiscard]] std::optional<std::vector<uint8_t>> readTree(uint64_t offset, uint64_t length) const;
    // The entries of the directory at `offset`, in stored order. `ancestors`
    // are the offsets of the directories above it.
    [[nodiscard]] std::optional<std::vector<Entry>> readDirectory(uint32_t offset,
                                                                  std::span<const uint32_t> ancestors);
    // The data of the first language below a name entry that resolves.
    [[nodiscard]] std::optional<ResourceBlob> firstLanguage(const Entry& nameEntry, uint32_t typeOffset);
    [[nodiscard]] std::optional<ResourceBlob> readDataEntry(uint32_t offset) const;
    [[nodiscard]] ResourceName readName(const Entry& entry) const;

    const ByteSource& source_;
    PeHeaders headers_;
    uint32_t entriesRead_ = 0;
    uint32_t groupTypeOffset_ = 0;
    uint32_t iconTypeOffset_ = 0;
    std::vector<Entry> groups_;
    std::vector<Entry> icons_;
    std::unordered_map<uint16_t, size_t> iconById_;   // first stored entry per id
};

} // namespace exeicons
