#include "libs/imaging/png/PngUnfilter.h"

#include <cstdlib>

namespace imaging::png {

#if defined(__SSE2__)
void UnfilterSse2(uint8_t filter, uint8_t* row, const uint8_t* previous, size_t size, size_t stride);
#endif

namespace {

uint8_t Paeth(int a, int b, int c) {
    const int pa = std::abs(b - c), pb = std::abs(a - c), pc = std::abs(a + b - 2 * c);
    if (pa <= pb && pa <= pc)
        return static_cast<uint8_t>(a);
    return static_cast<uint8_t>(pb <= pc ? b : c);
}

} // namespace

void UnfilterPortable(uint8_t filter, uint8_t* row, const uint8_t* previous, size_t size, size_t stride) {
    switch (filter) {
    case 1:
        for (size_t i = stride; i < size; ++i)
            row[i] = static_cast<uint8_t>(row[i] + row[i - stride]);
        break;
    case 2:
        for (size_t i = 0; i < size; ++i)
            row[i] = static_cast<uint8_t>(row[i] + previous[i]);
        break;
    case 3:
        for (size_t i = 0; i < size && i < stride; ++i)
            row[i] = static_cast<uint8_t>(row[i] + (previous[i] >> 1));
        for (size_t i = stride; i < size; ++i)
            row[i] = static_cast<uint8_t>(row[i] + ((row[i - stride] + previous[i]) >> 1));
        break;
    case 4:
        for (size_t i = 0; i < size && i < stride; ++i)
            row[i] = static_cast<uint8_t>(row[i] + previous[i]);
        for (size_t i = stride; i < size; ++i)
            row[i] = static_cast<uint8_t>(row[i] + Paeth(row[i - stride], previous[i], previous[i - stride]));
        break;
    default: break;
    }
}

void UnfilterFirstRow(uint8_t filter, uint8_t* row, size_t size, size_t stride, UnfilterFunction unfilter) {
    switch (filter) {
    case 2: return;
    case 3:
        for (size_t i = stride; i < size; ++i)
            row[i] = static_cast<uint8_t>(row[i] + (row[i - stride] >> 1));
        return;
    case 4: unfilter(1, row, nullptr, size, stride); return;
    default: unfilter(filter, row, nullptr, size, stride); return;
    }
}

UnfilterFunction FastestUnfilter() {
#if defined(__SSE2__)
    return UnfilterSse2;
#else
    return UnfilterPortable;
#endif
}

} // namespace imaging::png
