#include "samples/exewriter/NeWriter.h"

#include <algorithm>
#include <string>

namespace pewriter {
namespace {

constexpr uint32_t kNeHeader = 0x40;
constexpr uint32_t kTableAt = 0x40;   // from the NE header
constexpr uint16_t kIdBit = 0x8000;
constexpr uint16_t kFlagsMoveablePureDiscardable = 0x1C30;
constexpr uint64_t kTailBytes = 16;   // the small tables after the resource table

uint64_t Align(uint64_t v, uint64_t a) { return (v + a - 1) / a * a; }

using TypeList = std::vector<std::pair<uint16_t, std::vector<size_t>>>;

// Types in order of first appearance, each with its resources' indices.
TypeList GroupByType(const std::vector<Resource>& resources) {
    TypeList types;
    for (size_t i = 0; i < resources.size(); ++i) {
        const uint16_t type = resources[i].type.id;
        auto it = std::find_if(types.begin(), types.end(), [&](const auto& t) { return t.first == type; });
        if (it == types.end())
            it = types.insert(types.end(), {type, {}});
        it->second.push_back(i);
    }
    return types;
}

uint64_t TableBytes(const std::vector<Resource>& resources, const TypeList& types) {
    uint64_t bytes = 2 + 2 + 1;   // shift, end of types, end of names
    for (const auto& t : types)
        bytes += 8 + 12 * t.second.size();
    for (const Resource& r : resources)
        bytes += r.name.named() ? 1 + r.name.name.size() : 0;
    return bytes;
}

// The resource table (shift, TYPEINFO and NAMEINFOs per type, end mark,
// names) for data laid out from `dataAt`; appends the data to `data`.
std::vector<uint8_t> ResourceTable(const std::vector<Resource>& resources, const TypeList& types,
                                   uint16_t shift, uint64_t dataAt, std::vector<uint8_t>* data) {
    const uint64_t unit = uint64_t{1} << shift;
    std::vector<uint8_t> table;
    Put16(table, 0, shift);
    uint64_t namesAt = 2 + 2;
    for (const auto& t : types)
        namesAt += 8 + 12 * t.second.size();
    std::vector<uint8_t> names;
    uint64_t p = 2;
    for (const auto& [type, members] : types) {
        Put16(table, p, kIdBit | type);
        Put16(table, p + 2, static_cast<uint32_t>(members.size()));
        p += 8;
        for (size_t i : members) {
            const Resource& r = resources[i];
            Put16(table, p, static_cast<uint32_t>((dataAt + data->size()) >> shift));
            Put16(table, p + 2, static_cast<uint32_t>(Align(r.data.size(), unit) >> shift));
            Put16(table, p + 4, kFlagsMoveablePureDiscardable);
            if (r.name.named()) {
                Put16(table, p + 6, static_cast<uint32_t>(namesAt + names.size()));
                names.push_back(static_cast<uint8_t>(r.name.name.size()));
                for (char16_t c : r.name.name)
                    names.push_back(static_cast<uint8_t>(c < 0x80 ? c : '?'));
            } else {
                Put16(table, p + 6, kIdBit | r.name.id);
            }
            p += 12;
            data->insert(data->end(), r.data.begin(), r.data.end());
            data->resize(Align(data->size(), unit));
        }
    }
    Put16(table, p, 0);   // end of types
    names.push_back(0);   // end of names
    PutBytes(table, namesAt, names);
    return table;
}

// Resident names ("SAMPLE", ordinal 0), then empty module reference, import,
// entry and non-resident name tables; and the NE header naming them all.
void PutHeaderAndTables(std::vector<uint8_t>& out, uint64_t residentAt, uint16_t shift, size_t resources) {
    const std::string module = "SAMPLE";
    std::vector<uint8_t> tail{static_cast<uint8_t>(module.size())};
    for (char c : module)
        tail.push_back(static_cast<uint8_t>(c));
    tail.insert(tail.end(), {0, 0, 0});   // ordinal, end of resident names
    const uint64_t importsAt = residentAt + tail.size();
    tail.push_back(0);                    // imported names
    const uint64_t entriesAt = residentAt + tail.size();
    tail.insert(tail.end(), {0, 0});      // entry table: end bundle
    const uint64_t nonResidentAt = residentAt + tail.size();
    tail.push_back(0);
    PutBytes(out, residentAt, tail);

    const uint64_t h = kNeHeader;
    PutBytes(out, h, {'N', 'E', 5, 10});
    Put16(out, h + 0x04, static_cast<uint32_t>(entriesAt - h));
    Put16(out, h + 0x06, 2);
    Put16(out, h + 0x0C, 0x0302);   // per-instance data, Windows application
    Put16(out, h + 0x20, 1);        // non-resident names bytes
    Put16(out, h + 0x22, kTableAt); // segment table (empty)
    Put16(out, h + 0x24, kTableAt);
    Put16(out, h + 0x26, static_cast<uint32_t>(residentAt - h));
    Put16(out, h + 0x28, static_cast<uint32_t>(importsAt - h));   // module references (none)
    Put16(out, h + 0x2A, static_cast<uint32_t>(importsAt - h));
    Put32(out, h + 0x2C, static_cast<uint32_t>(nonResidentAt));
    Put16(out, h + 0x32, shift);
    Put16(out, h + 0x34, static_cast<uint32_t>(resources));
    out[h + 0x36] = 2;              // Windows
    Put16(out, h + 0x3E, 0x0300);   // expected Windows version 3.0
}

} // namespace

NeFile BuildNe(const std::vector<Resource>& resources, uint16_t alignShift) {
    const TypeList types = GroupByType(resources);
    const uint64_t headerEnd = kNeHeader + kTableAt + TableBytes(resources, types) + kTailBytes;
    const uint64_t dataAt = Align(headerEnd, uint64_t{1} << alignShift);
    std::vector<uint8_t> data;
    const std::vector<uint8_t> table = ResourceTable(resources, types, alignShift, dataAt, &data);

    NeFile file;
    file.neHeader = kNeHeader;
    file.resourceTable = kNeHeader + kTableAt;
    std::vector<uint8_t>& out = file.bytes;
    out.assign(kNeHeader, 0);
    out[0] = 'M';
    out[1] = 'Z';
    Put16(out, 0x18, 0x40);   // relocation table offset: a new-style executable
    Put32(out, 0x3C, kNeHeader);
    PutBytes(out, file.resourceTable, table);
    PutHeaderAndTables(out, file.resourceTable + table.size(), alignShift, resources.size());
    out.resize(dataAt, 0);
    PutBytes(out, dataAt, data);
    return file;
}

} // namespace pewriter
