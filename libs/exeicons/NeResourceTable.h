#pragma once
// The resource table of a 16-bit (NE) executable: an alignment shift, then
// one TYPEINFO per resource type (type id, count) followed by that many
// 12-byte NAMEINFO records (offset and length in alignment units, flags, id).
// Type and name ids with the high bit set are numbers; others are offsets of
// length-prefixed names in the table. There are no languages.

#include "libs/exeicons/ByteSource.h"
#include "libs/exeicons/ModuleResources.h"

#include <memory>
#include <unordered_map>
#include <vector>

namespace exeicons {

class NeResourceTable final : public ModuleResources {
public:
    // Reads the table of the NE header at `neOffset`: kTruncatedHeader when
    // the header is cut short, kNoResources when there is no table,
    // kDamagedResources when it cannot be read.
    [[nodiscard]] static ExeIconError Open(const ByteSource& source, uint64_t neOffset,
                                           std::unique_ptr<NeResourceTable>* out);

    [[nodiscard]] size_t groupCount() const override { return groups_.size(); }
    [[nodiscard]] std::optional<GroupResource> group(size_t index) override;
    [[nodiscard]] std::optional<ResourceBlob> icon(uint16_t id) override;

private:
    struct Item {
        uint16_t id = 0;         // as stored: high bit for a number
        ResourceBlob blob;
        bool inFile = false;     // the data starts inside the file
    };

    explicit NeResourceTable(std::vector<uint8_t> table) : table_(std::move(table)) {}
    // Walks the types; stops quietly at the first record that does not fit.
    void readTypes(uint64_t fileSize);
    [[nodiscard]] ResourceName readName(uint16_t id) const;

    std::vector<uint8_t> table_;
    std::vector<Item> groups_;
    std::vector<Item> icons_;
    std::unordered_map<uint16_t, size_t> iconById_;
};

} // namespace exeicons
