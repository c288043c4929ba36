#include "samples/exewriter/Resource.h"

namespace pewriter {
namespace {

void PutLe(std::vector<uint8_t>& out, uint64_t at, uint64_t value, int bytes) {
    if (out.size() < at + static_cast<uint64_t>(bytes))
        out.resize(at + static_cast<uint64_t>(bytes));
    for (int i = 0; i < bytes; ++i)
        out[at + static_cast<uint64_t>(i)] = static_cast<uint8_t>(value >> (8 * i));
}

} // namespace

void Put16(std::vector<uint8_t>& out, uint64_t at, uint32_t value) { PutLe(out, at, value, 2); }
void Put32(std::vector<uint8_t>& out, uint64_t at, uint32_t value) { PutLe(out, at, value, 4); }
void Put64(std::vector<uint8_t>& out, uint64_t at, uint64_t value) { PutLe(out, at, value, 8); }

void PutBytes(std::vector<uint8_t>& out, uint64_t at, const std::vector<uint8_t>& bytes) {
    if (out.size() < at + bytes.size())
        out.resize(at + bytes.size());
    std::copy(bytes.begin(), bytes.end(), out.begin() + static_cast<std::ptrdiff_t>(at));
}

} // namespace pewriter
