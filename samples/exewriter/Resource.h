#pragma once
// Resources as the fixture writers take them: a type, a name and a language,
// each name a number or a text, and the resource's bytes.

#include <cstdint>
#include <string>
#include <vector>

namespace pewriter {

struct ResId {
    uint16_t id = 0;
    std::u16string name;   // not empty: a named entry

    [[nodiscard]] bool named() const { return !name.empty(); }
    static ResId Number(uint16_t id) { return ResId{id, {}}; }
    static ResId Name(std::u16string name) { return ResId{0, std::move(name)}; }
};

inline constexpr uint16_t kRtIcon = 3;
inline constexpr uint16_t kRtGroupIcon = 14;
inline constexpr uint16_t kLangEnUs = 0x0409;

struct Resource {
    ResId type;
    ResId name;
    uint16_t language = kLangEnUs;
    std::vector<uint8_t> data;
};

// Little-endian stores into a byte vector that grows as needed.
void Put16(std::vector<uint8_t>& out, uint64_t at, uint32_t value);
void Put32(std::vector<uint8_t>& out, uint64_t at, uint32_t value);
void Put64(std::vector<uint8_t>& out, uint64_t at, uint64_t value);
void PutBytes(std::vector<uint8_t>& out, uint64_t at, const std::vector<uint8_t>& bytes);

} // namespace pewriter
