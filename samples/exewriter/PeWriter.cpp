#include "samples/exewriter/PeWriter.h"

#include <algorithm>

namespace pewriter {
namespace {

constexpr uint32_t kNewHeader = 0x80;
constexpr uint32_t kFileAlignment = 0x200;
constexpr uint32_t kSectionAlignment = 0x1000;
constexpr uint32_t kCodeRva = 0x1000;
constexpr uint32_t kResourceRva = 0x2000;
constexpr uint32_t kResourceDirectoryIndex = 2;

uint32_t Align(uint64_t v, uint32_t a) { return static_cast<uint32_t>((v + a - 1) / a * a); }

struct Section {
    std::string name;
    uint32_t rva;
    std::vector<uint8_t> bytes;
    uint32_t characteristics;
};

void PutSectionHeader(std::vector<uint8_t>& out, uint64_t at, const Section& s, uint32_t rawOffset) {
    for (size_t i = 0; i < 8 && i < s.name.size(); ++i)
        out[at + i] = static_cast<uint8_t>(s.name[i]);
    Put32(out, at + 8, static_cast<uint32_t>(s.bytes.size()));        // VirtualSize
    Put32(out, at + 12, s.rva);                                      // VirtualAddress
    Put32(out, at + 16, Align(s.bytes.size(), kFileAlignment));      // SizeOfRawData
    Put32(out, at + 20, rawOffset);                                  // PointerToRawData
    Put32(out, at + 36, s.characteristics);
}

// The optional header's fields up to the data directories.
void PutOptionalHeader(std::vector<uint8_t>& out, uint64_t at, const PeOptions& o, uint32_t imageSize,
                       uint32_t headersSize) {
    const bool plus = o.kind == PeKind::kPe32Plus;
    Put16(out, at, plus ? 0x20B : 0x10B);
    out[at + 2] = 14;                                       // linker version
    Put32(out, at + 4, kFileAlignment);                     // SizeOfCode
    Put32(out, at + 16, kCodeRva);                          // AddressOfEntryPoint
    Put32(out, at + 20, kCodeRva);                          // BaseOfCode
    if (plus)
        Put64(out, at + 24, 0x140000000ull);                // ImageBase
    else
        Put32(out, at + 28, 0x400000);
    Put32(out, at + 32, kSectionAlignment);
    Put32(out, at + 36, kFileAlignment);
    Put16(out, at + 40, 6);                                 // operating system version
    Put16(out, at + 48, 6);                                 // subsystem version
    Put32(out, at + 56, imageSize);
    Put32(out, at + 60, headersSize);
    Put16(out, at + 68, 2);                                 // Windows GUI
    const uint64_t sizes = at + 72;                         // stack and heap reserve/commit
    for (int i = 0; i < 4; ++i) {
        const uint64_t v = i % 2 == 0 ? 0x100000 : 0x1000;
        if (plus)
            Put64(out, sizes + 8 * static_cast<uint64_t>(i), v);
        else
            Put32(out, sizes + 4 * static_cast<uint64_t>(i), static_cast<uint32_t>(v));
    }
    Put32(out, at + (plus ? 108 : 92), o.dataDirectoryCount);
}

} // namespace

PeFile BuildPe(const std::vector<Resource>& resources, const PeOptions& options) {
    const bool plus = options.kind == PeKind::kPe32Plus;
    std::vector<Section> sections{{".text", kCodeRva, {0xC3}, 0x60000020}};   // one "ret"
    ResourceSectionImage rsrc;
    if (options.withResources) {
        rsrc = BuildResourceSection(resources, kResourceRva, options.resourcePadding, options.sortEntries);
        sections.push_back({options.resourceSectionName, kResourceRva, rsrc.bytes, 0x40000040});
    }

    PeFile file;
    file.peHeader = kNewHeader;
    file.optionalHeader = kNewHeader + 24;
    const uint32_t optionalSize = (plus ? 112 : 96) + 8 * options.dataDirectoryCount;
    file.sectionTable = file.optionalHeader + optionalSize;
    const uint32_t headersSize = Align(file.sectionTable + 40 * sections.size(), kFileAlignment);
    const Section& last = sections.back();
    const uint32_t imageSize = Align(last.rva + last.bytes.size(), kSectionAlignment);

    std::vector<uint8_t>& out = file.bytes;
    out.assign(headersSize, 0);
    out[0] = 'M';
    out[1] = 'Z';
    Put32(out, 0x3C, kNewHeader);
    PutBytes(out, kNewHeader, {'P', 'E', 0, 0});
    Put16(out, kNewHeader + 4, plus ? 0x8664 : 0x14C);                    // machine
    Put16(out, kNewHeader + 6, static_cast<uint32_t>(sections.size()));
    Put16(out, kNewHeader + 20, optionalSize);
    Put16(out, kNewHeader + 22, plus ? 0x0022 : 0x0102);                  // executable image
    PutOptionalHeader(out, file.optionalHeader, options, imageSize, headersSize);

    uint32_t raw = headersSize;
    for (size_t i = 0; i < sections.size(); ++i) {
        const Section& s = sections[i];
        PutSectionHeader(out, file.sectionTable + 40 * i, s, raw);
        PutBytes(out, raw, s.bytes);
        out.resize(Align(out.size(), kFileAlignment));
        if (s.rva == kResourceRva && options.withResources) {
            file.resourceSection = raw;
            file.resourceRoot = raw + rsrc.root;
            file.resourceRva = static_cast<uint32_t>(kResourceRva + rsrc.root);
            if (options.dataDirectoryCount > kResourceDirectoryIndex) {
                const uint64_t entry = file.optionalHeader + (plus ? 112 : 96) + 8 * kResourceDirectoryIndex;
                Put32(out, entry, file.resourceRva);
                Put32(out, entry + 4, static_cast<uint32_t>(s.bytes.size() - rsrc.root));
            }
        }
        raw = static_cast<uint32_t>(out.size());
    }
    for (ResourcePlacement p : rsrc.placements) {
        for (uint64_t* v : {&p.nameDirectory, &p.languageDirectory, &p.dataEntry, &p.data})
            *v += file.resourceSection;
        file.placements.push_back(p);
    }
    return file;
}

} // namespace pewriter
