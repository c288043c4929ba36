#pragma once
// Fixture executables shared by the icon reader's tests.

#include "libs/exeicons/ExeIconReader.h"
#include "libs/exeicons/MemoryByteSource.h"
#include "samples/exewriter/IconFixtures.h"
#include "samples/exewriter/NeWriter.h"
#include "samples/exewriter/PeWriter.h"

#include <cstdint>
#include <vector>

namespace exeicons_test {

// Reads the first icon group of bytes in memory.
exeicons::IconGroupResult Read(const std::vector<uint8_t>& bytes);

// A group of three images, 16 x 16 8-bit, 32 x 32 4-bit and 32 x 32 32-bit,
// icon ids 1, 2, 3, as group `groupId`.
std::vector<pewriter::Resource> ThreeImageGroup(uint16_t groupId = 1);

// One small PE32 with one group of two images (ids 1 and 2).
pewriter::PeFile SmallPe();

// The same icon group in a 16-bit executable.
pewriter::NeFile SmallNe();

void Poke16(std::vector<uint8_t>& bytes, uint64_t at, uint32_t value);
void Poke32(std::vector<uint8_t>& bytes, uint64_t at, uint32_t value);

} // namespace exeicons_test
