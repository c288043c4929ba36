#pragma once
// Icon and cursor files may store their images as PNG. Qt's reader decodes
// the first image, and would hand a PNG one to libpng, which prints its
// complaints about a damaged one on standard error; that image is found here
// so that our own decoder takes it instead.

#include <cstddef>
#include <cstdint>

namespace imaging {

struct EmbeddedPng {
    const uint8_t* data = nullptr;
    size_t size = 0;
};

// The first image of an icon or cursor file when it is a PNG (its bytes,
// cut at the end of the file); an empty span otherwise.
EmbeddedPng FirstIconImagePng(const uint8_t* data, size_t size);

} // namespace imaging
