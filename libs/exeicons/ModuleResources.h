#pragma once
// What the icon reader needs of an executable's resources, whatever the
// executable format: its icon groups in stored order, and icon images by id.

#include "libs/exeicons/IconGroup.h"

#include <cstddef>
#include <cstdint>
#include <optional>

namespace exeicons {

// A resource's bytes in the file.
struct ResourceBlob {
    uint64_t offset = 0;
    uint64_t size = 0;
};

struct GroupResource {
    ResourceName name;
    ResourceBlob blob;
};

class ModuleResources {
public:
    virtual ~ModuleResources() = default;

    [[nodiscard]] virtual size_t groupCount() const = 0;
    // The group at `index` in stored order; nothing when its entry is damaged.
    [[nodiscard]] virtual std::optional<GroupResource> group(size_t index) = 0;
    // The first stored icon image resource with this id (its first language);
    // nothing when there is none or it is damaged.
    [[nodiscard]] virtual std::optional<ResourceBlob> icon(uint16_t id) = 0;
};

} // namespace exeicons
