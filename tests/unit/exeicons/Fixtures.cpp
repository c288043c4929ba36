#include "Fixtures.h"

using namespace pewriter;

namespace exeicons_test {

exeicons::IconGroupResult Read(const std::vector<uint8_t>& bytes) {
    const exeicons::MemoryByteSource source(bytes);
    return exeicons::ReadFirstIconGroup(source);
}

std::vector<Resource> ThreeImageGroup(uint16_t groupId) {
    std::vector<Resource> r;
    AddIconGroup(&r, ResId::Number(groupId), {{1, MakeSolidDib(16, 16, 8, 0x112233)},
                                              {2, MakeSolidDib(32, 32, 4, 0x445566)},
                                              {3, MakeSolidDib(32, 32, 32, 0xFF778899)}});
    return r;
}

static std::vector<Resource> TwoImageGroup() {
    std::vector<Resource> r;
    AddIconGroup(&r, ResId::Number(1), {{1, MakeSolidDib(2, 2, 1, 0xFFFFFF)}, {2, MakeSolidDib(3, 3, 24, 0x00FF00)}});
    return r;
}

PeFile SmallPe() {
    return BuildPe(TwoImageGroup());
}

NeFile SmallNe() {
    return BuildNe(TwoImageGroup());
}

void Poke16(std::vector<uint8_t>& bytes, uint64_t at, uint32_t value) {
    Put16(bytes, at, value);
}

void Poke32(std::vector<uint8_t>& bytes, uint64_t at, uint32_t value) {
    Put32(bytes, at, value);
}

} // namespace exeicons_test
