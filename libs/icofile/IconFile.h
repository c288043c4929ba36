#pragma once
// Windows icon (.ico) file writer. Knows nothing of Qt or the window: it takes
// 32-bit straight-alpha colour bitmaps and 1-bit masks and writes the classic
// layout (ICONDIR, ICONDIRENTRY per image, BITMAPINFOHEADER + colour table +
// colour rows + mask rows), converting colour to 4, 8, 16, 24 or 32 bits.

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace icofile {

// Colour count values that select the stored bit depth.
inline constexpr uint32_t kColours4Bit = 16;
inline constexpr uint32_t kColours8Bit = 256;
inline constexpr uint32_t kColours16Bit = 65536;
inline constexpr uint32_t kColours24Bit = 16777216;
inline constexpr uint32_t kColours32Bit = 0;

// Largest edge length the writer accepts; keeps every size computation of the
// format (biHeight = 2 x edge, bytes in resource) far inside 32 bits and the
// buffers reasonable.
inline constexpr int32_t kMaxEdgeLength = 4096;

// Most images one file can hold: its directory stores the count in 16 bits.
inline constexpr uint32_t kMaxImageCount = 0xFFFF;

// 32 bits per pixel with straight (not premultiplied) alpha; rows top first,
// each pixel blue, green, red, alpha.
struct ColourBitmap {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> bgra;
    int32_t xPelsPerMeter = 0;
    int32_t yPelsPerMeter = 0;
};

// One byte per pixel, rows top first; non-zero marks a transparent pixel.
struct MaskBitmap {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> transparent;
};

struct IconImage {
    uint32_t index = 0;                     // directory entry, from 0
    const ColourBitmap* colour = nullptr;
    const MaskBitmap* mask = nullptr;
    uint32_t colourCount = kColours32Bit;   // selects the stored depth
};

// Where the file's bytes go: a file on disk or memory. Every call reports
// whether it fully succeeded.
class ByteSink {
public:
    virtual ~ByteSink() = default;
    [[nodiscard]] virtual bool append(std::span<const uint8_t> bytes) = 0;
    [[nodiscard]] virtual bool writeAt(uint64_t offset, std::span<const uint8_t> bytes) = 0;
    [[nodiscard]] virtual uint64_t size() const = 0;
    // Flushes and releases the sink; false when anything could not be stored.
    [[nodiscard]] virtual bool close() = 0;
};

struct IconFile {
    std::string path;             // the output path (used by CreateIconFile)
    uint32_t imageCount = 0;      // stored in 16 bits
    std::unique_ptr<ByteSink> handle;  // open sink, or none
    bool writeFailed = false;     // some write since creation did not succeed
};

// Creates (replacing) the file at file->path and writes ICONDIR plus
// imageCount zeroed entries. Fails for an imageCount above kMaxImageCount, a
// record that still holds an open sink, a file that cannot be created, or
// when the header cannot be written (the sink is then closed again).
[[nodiscard]] bool CreateIconFile(IconFile* file);
// The same into memory: the bytes accumulate in *out until CloseIconFile.
[[nodiscard]] bool CreateIconBuffer(IconFile* file, std::vector<uint8_t>* out);
// Appends one image and fills its directory entry. Fails, writing nothing,
// for a bad index, a missing or inconsistent bitmap, or no open file; fails
// too when a write does not succeed.
[[nodiscard]] bool WriteIconImage(IconFile* file, const IconImage* image);
// Closes the sink. False when none was open, or when any write of this file
// (or the close itself) failed: the file is then incomplete.
[[nodiscard]] bool CloseIconFile(IconFile* file);

// Why an icon image or a write was refused.
enum class IconError {
    kNone,
    kNoFile,           // no IconFile record
    kNotOpen,          // the record holds no open sink
    kNoImage,          // no IconImage
    kBadIndex,         // index >= the file's image count
    kNoColourBitmap,
    kNoMaskBitmap,
    kSizeMismatch,     // colour and mask bitmaps differ in size
    kNotSquare,
    kBadEdgeLength,    // <= 0 or > kMaxEdgeLength
    kBadPixelData,     // a pixel vector of the wrong length
    kFileTooLarge,     // an offset would not fit the directory's 32 bits
};
[[nodiscard]] const char* IconErrorText(IconError error);

// The checks every image passes before it is written; callers that build
// images can run them too.
[[nodiscard]] IconError ValidateIconBitmaps(const ColourBitmap* colour, const MaskBitmap* mask);
[[nodiscard]] IconError ValidateIconImage(const IconImage* image);
// ValidateIconBitmaps without the square rule: width and height each from 1
// to kMaxEdgeLength, for one-image icons of pictures of any shape.
[[nodiscard]] IconError ValidateBitmapPair(const ColourBitmap* colour, const MaskBitmap* mask);
// ValidateIconImage plus the file: a record with an open sink and an index
// inside its directory.
[[nodiscard]] IconError ValidateIconWrite(const IconFile* file, const IconImage* image);

// Row length in bytes, padded to a multiple of 4.
constexpr uint32_t RowBytes(uint32_t width, uint32_t bits) {
    return static_cast<uint32_t>(((static_cast<uint64_t>(width) * bits + 31) & ~uint64_t{31}) / 8);
}

// The 40-byte BITMAPINFOHEADER, field for field.
struct BitmapInfoHeader {
    uint32_t biSize = 40;
    int32_t biWidth = 0;
    int32_t biHeight = 0;
    uint16_t biPlanes = 1;
    uint16_t biBitCount = 0;
    uint32_t biCompression = 0;
    uint32_t biSizeImage = 0;
    int32_t biXPelsPerMeter = 0;
    int32_t biYPelsPerMeter = 0;
    uint32_t biClrUsed = 0;
    uint32_t biClrImportant = 0;
};

// Header for the colour bitmap converted to the depth that `colourCount`
// selects (the mask uses 2: 1 bit).
BitmapInfoHeader PrepareImageHeader(const ColourBitmap& bitmap, uint32_t colourCount);
BitmapInfoHeader PrepareImageHeader(const MaskBitmap& mask, uint32_t colourCount);

struct ImageMeasure {
    uint32_t headerAndTable = 0;  // 40 + 4 x table entries
    uint32_t pixels = 0;          // RowBytes x height
};
ImageMeasure MeasureImageData(const ColourBitmap& bitmap, uint32_t colourCount);
ImageMeasure MeasureImageData(const MaskBitmap& mask, uint32_t colourCount);

// The whole image data of one entry, as it is stored (header with doubled
// biHeight and biSizeImage 0, colour table, colour rows bottom first, mask
// rows bottom first). Empty when the bitmaps are missing or inconsistent.
std::vector<uint8_t> EncodeImageData(const ColourBitmap& colour, const MaskBitmap& mask, uint32_t colourCount);
// The same for bitmaps of any shape that pass ValidateBitmapPair.
std::vector<uint8_t> EncodeBitmapPair(const ColourBitmap& colour, const MaskBitmap& mask, uint32_t colourCount);

// An image already in its stored form (a DIB with its mask, or a PNG file)
// and what its directory entry says of it.
struct StoredImage {
    int32_t width = 0;        // the entry keeps the low byte: 256 is stored as 0
    int32_t height = 0;
    uint8_t colourCount = 0;  // palette entries below 8 bits, else 0
    uint16_t bitCount = 0;
    std::span<const uint8_t> data;
};
// Appends the bytes unchanged as entry `index` and fills the entry. Fails,
// writing nothing, for a bad index, no open file or empty data; fails too
// when a write does not succeed.
[[nodiscard]] bool WriteStoredImage(IconFile* file, uint32_t index, const StoredImage& image);

} // namespace icofile
