#pragma once
// Writes small PE32 and PE32+ executables in memory: headers, a one-byte
// code section and a resource section. Enough for icon readers and for
// sample files; the files are not meant to run.

#include "samples/exewriter/Resource.h"
#include "samples/exewriter/ResourceSection.h"

#include <cstdint>
#include <string>
#include <vector>

namespace pewriter {

enum class PeKind { kPe32, kPe32Plus };

struct PeOptions {
    PeKind kind = PeKind::kPe32;
    bool withResources = true;            // false: no resource section, empty data directory
    uint32_t dataDirectoryCount = 16;     // NumberOfRvaAndSizes; 2 or less leaves out the resource entry
    std::string resourceSectionName = ".rsrc";
    uint32_t resourcePadding = 0;         // bytes between the section's start and the root directory
    bool sortEntries = true;              // see BuildResourceSection
};

// The file and where its parts lie (file offsets).
struct PeFile {
    std::vector<uint8_t> bytes;
    uint64_t peHeader = 0;         // "PE\0\0"
    uint64_t optionalHeader = 0;
    uint64_t sectionTable = 0;
    uint64_t resourceSection = 0;  // 0 without resources
    uint64_t resourceRoot = 0;     // the root directory; 0 without resources
    uint32_t resourceRva = 0;
    std::vector<ResourcePlacement> placements;   // as file offsets
};

[[nodiscard]] PeFile BuildPe(const std::vector<Resource>& resources, const PeOptions& options = {});

} // namespace pewriter
