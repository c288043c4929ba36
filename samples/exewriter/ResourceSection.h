#pragma once
// Builds the contents of a PE resource section: the three-level directory
// tree (type, name, language), the data entries, the name strings and the
// resources' bytes.

#include "samples/exewriter/Resource.h"

#include <cstdint>
#include <vector>

namespace pewriter {

// Where one resource ended up, as offsets from the section's start.
struct ResourcePlacement {
    uint64_t nameDirectory = 0;      // its type's directory of names
    uint64_t languageDirectory = 0;  // its name's directory of languages
    uint64_t dataEntry = 0;
    uint64_t data = 0;
};

struct ResourceSectionImage {
    std::vector<uint8_t> bytes;
    uint64_t root = 0;                         // offset of the root directory
    std::vector<ResourcePlacement> placements; // one per resource, in input order
};

// `sectionRva`: the section's address, for the data entries' RVAs.
// `padding`: zero bytes before the root directory. `sortEntries`: store each
// directory's entries as the format orders them (named entries by name, then
// ids ascending); false keeps the order of first appearance in `resources`.
[[nodiscard]] ResourceSectionImage BuildResourceSection(const std::vector<Resource>& resources,
                                                        uint32_t sectionRva, uint32_t padding, bool sortEntries);

} // namespace pewriter
