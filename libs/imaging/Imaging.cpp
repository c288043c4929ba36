#include "libs/imaging/Imaging.h"

#include "libs/imaging/GeneralReader.h"
#include "libs/imaging/IconFilePng.h"
#include "libs/imaging/PictureFile.h"
#include "libs/imaging/PictureFileBytes.h"
#include "libs/imaging/PictureHeader.h"
#include "libs/imaging/PictureReader.h"
#include "libs/imaging/SourcePicture.h"

#include "libs/imaging/bmp/BmpDecoder.h"
#include "libs/imaging/png/PngDecoder.h"

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <new>

namespace imaging {

namespace {

// Mask threshold for depths that store no alpha.
constexpr uint8_t kOpaqueFromAlpha = 127;

// Every PNG goes through our decoder: exact on all of the standard, silent on
// damage, and the picture's size is checked before its pixels are allocated.
// The pixel buffer is a little larger than the picture where that lets the
// image data be inflated into it.
// The pixels of a picture whose chunks were read: decoded from the kept
// image data, or (with `pieces`) streamed from wherever they come from.
std::unique_ptr<SourcePicture> DecodeChunks(const png::PngFile& file, png::PngPieceSource* pieces) {
    const uint64_t capacity = pieces != nullptr ? uint64_t{file.header.width} * file.header.height * 4
                                                : png::DecodeCapacity(file);
    auto* pixels = static_cast<uint8_t*>(std::malloc(static_cast<size_t>(capacity)));
    if (pixels == nullptr)
        return nullptr;
    PixelBuffer owned(pixels);
    const int32_t width = static_cast<int32_t>(file.header.width), height = static_cast<int32_t>(file.header.height);
    const png::PngTarget target{pixels, ptrdiff_t{4} * width, capacity};
    if ((pieces != nullptr ? png::DecodeImageFrom(file, pieces, target) : png::DecodeImage(file, target)) !=
        png::PngError::kOk)
        return nullptr;
    return SourcePicture::Adopt(std::move(owned), width, height, ptrdiff_t{4} * width);
}

// Every BMP goes through our decoder: colours as Windows shows them, and a
// short file refused instead of decoded into uninitialised rows.
std::unique_ptr<SourcePicture> DecodeBmp(const uint8_t* data, size_t size, int64_t maxPixels) {
    bmp::BmpHeader header;
    // The whole check comes before the pixels are allocated: a short file
    // costs nothing however large a picture it claims.
    if (bmp::ReadBmpHeader(data, size, maxPixels, &header) != bmp::BmpError::kOk ||
        header.CheckFileSize(size) != bmp::BmpError::kOk)
        return nullptr;
    const size_t rowBytes = size_t{4} * static_cast<size_t>(header.width);
    PixelBuffer pixels(static_cast<uint8_t*>(std::malloc(rowBytes * static_cast<size_t>(header.height))));
    if (!pixels)
        return nullptr;
    const bmp::BmpTarget target{pixels.get(), static_cast<ptrdiff_t>(rowBytes)};
    if (bmp::DecodeImage(data, size, header, target) != bmp::BmpError::kOk)
        return nullptr;
    return SourcePicture::Adopt(std::move(pixels), header.width, header.height, static_cast<ptrdiff_t>(rowBytes));
}

std::unique_ptr<SourcePicture> DecodePng(const uint8_t* data, size_t size, int64_t maxPixels) {
    png::PngFile file;
    if (png::ReadChunks(data, size, maxPixels, &file) != png::PngError::kOk)
        return nullptr;
    return DecodeChunks(file, nullptr);
}

// Larger PNG files are read in pieces as they are decoded, never whole.
constexpr int64_t kWholePngFileBytes = int64_t{16} << 20;

std::unique_ptr<SourcePicture> DecodePngFile(PictureReader* reader) {
    try {
        PictureFileBytes bytes(reader);
        png::PngFile file;
        if (png::ReadChunks(&bytes, kMaxPicturePixels, &file) != png::PngError::kOk)
            return nullptr;
        png::PngFilePieces pieces(&bytes, file.imageDataAt);
        return DecodeChunks(file, &pieces);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

void MakeMask(const ResampleKernels& kernels, const icofile::ColourBitmap& colour, int32_t bitsPerPixel,
              icofile::MaskBitmap* mask) {
    mask->width = colour.width;
    mask->height = colour.height;
    mask->transparent.resize(static_cast<size_t>(colour.width) * colour.height);
    // With an alpha channel only the fully transparent pixels are masked;
    // without one every pixel below half opacity is.
    const uint8_t opaqueFrom = bitsPerPixel == 32 ? 1 : kOpaqueFromAlpha;
    kernels.mask(colour.bgra.data(), mask->transparent.size(), opaqueFrom, mask->transparent.data());
}

} // namespace

std::unique_ptr<SourcePicture> LoadPicture(const std::string& path) {
    PictureReader file;
    PictureBytes bytes;
    if (!file.Open(path, kMaxPictureFileBytes) || !file.Append(kPictureHeadBytes, &bytes))
        return nullptr;
    // A header that refuses the picture, or a file far larger than its header
    // allows, costs no more reading.
    if (file.size() > PlausibleFileBytes(bytes.data(), bytes.size(), kMaxPicturePixels, kMaxPictureFileBytes))
        return nullptr;
    if (png::HasPngSignature(bytes.data(), bytes.size()) && file.size() > kWholePngFileBytes)
        return DecodePngFile(&file);
    if (file.size() > static_cast<int64_t>(bytes.size()) &&
        !file.Append(static_cast<size_t>(file.size()) - bytes.size(), &bytes))
        return nullptr;
    return LoadPictureFromMemory(bytes.data(), bytes.size());
}

std::unique_ptr<SourcePicture> LoadPictureFromMemory(const uint8_t* data, size_t size) {
    return LoadPictureFromMemory(data, size, kMaxPicturePixels);
}

std::unique_ptr<SourcePicture> LoadPictureFromMemory(const uint8_t* data, size_t size, int64_t maxPixels) {
    if (data == nullptr || size == 0 || size > static_cast<size_t>(std::numeric_limits<ptrdiff_t>::max()))
        return nullptr;
    maxPixels = std::min(maxPixels, kMaxPicturePixels);
    try {
        // The format is decided by the content, whatever the file is called.
        if (png::HasPngSignature(data, size))
            return DecodePng(data, size, maxPixels);
        if (bmp::HasBmpSignature(data, size))
            return DecodeBmp(data, size, maxPixels);
        if (const EmbeddedPng inIcon = FirstIconImagePng(data, size); inIcon.data != nullptr)
            return DecodePng(inIcon.data, inIcon.size, maxPixels);
        return ReadGeneralPicture(data, size, maxPixels);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

bool IsIconDepth(int32_t bitsPerPixel) {
    return bitsPerPixel == 4 || bitsPerPixel == 8 || bitsPerPixel == 16 || bitsPerPixel == 24 ||
           bitsPerPixel == 32;
}

uint32_t ColourCountForDepth(int32_t bitsPerPixel) {
    switch (bitsPerPixel) {
    case 4: return icofile::kColours4Bit;
    case 8: return icofile::kColours8Bit;
    case 16: return icofile::kColours16Bit;
    case 24: return icofile::kColours24Bit;
    default: return icofile::kColours32Bit;
    }
}

bool MakeIconBitmaps(SourcePicture& source, int32_t size, int32_t bitsPerPixel, icofile::ColourBitmap& colour,
                     icofile::MaskBitmap& mask) {
    if (size <= 0 || size > icofile::kMaxEdgeLength || !IsIconDepth(bitsPerPixel))
        return false;
    try {
        icofile::ColourBitmap canvas;
        canvas.width = canvas.height = size;
        canvas.bgra.resize(static_cast<size_t>(size) * size * 4);
        // Source-over onto a cleared, fully transparent canvas leaves exactly
        // the resampled pixels, so they are written to the canvas directly.
        if (!source.resampler().Resample(PixelTarget{canvas.bgra.data(), size, size, ptrdiff_t{size} * 4}))
            return false;
        icofile::MaskBitmap bits;
        MakeMask(source.resampler().kernels(), canvas, bitsPerPixel, &bits);
        colour = std::move(canvas);
        mask = std::move(bits);
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

} // namespace imaging
