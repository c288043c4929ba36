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
    const ColourBitmap& colour;
    const MaskBitmap& mask;
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

// Why a call of the writer failed.
enum class IconError {
    kNone,
    kAlreadyOpen,      // creating into a record that still holds an open sink
    kTooManyImages,    // image count above kMaxImageCount
    kCannotCreate,     // the file cannot be created (missing folder, no permission...)
    kWriteFailed,      // a write or the close did not store everything
    kNotOpen,          // the record holds no open sink
    kBadIndex,         // index >= the file's image count
    kSizeMismatch,     // colour and mask bitmaps differ in size
    kNotSquare,
    kBadEdgeLength,    // <= 0 or > kMaxEdgeLength (or the single-image limit)
    kBadPixelData,     // a pixel vector of the wrong length
    kNoImageData,      // a stored image without bytes
    kFileTooLarge,     // an offset would not fit the directory's 32 bits
    kBadDepth,         // bits per pixel other than 4, 8, 16, 24, 32
    kOutOfMemory,
};
[[nodiscard]] const char* IconErrorText(IconError error);

// The outcome of a writer call: true when it succeeded, else the error.
class [[nodiscard]] IconResult {
public:
    constexpr IconResult(IconError error = IconError::kNone) : error_(error) {}  // NOLINT: implicit by design
    constexpr explicit operator bool() const { return error_ == IconError::kNone; }
    constexpr IconError error() const { return error_; }
    friend constexpr bool operator==(IconResult a, IconResult b) { return a.error_ == b.error_; }

private:
    IconError error_;
};

// Creates (replacing) the file at file.path and writes ICONDIR plus
// imageCount zeroed entries. When the header cannot be written the sink is
// closed again and nothing stays open.
IconResult CreateIconFile(IconFile& file);
// The same into memory: the bytes accumulate in `out` until CloseIconFile.
IconResult CreateIconBuffer(IconFile& file, std::vector<uint8_t>& out);
// Appends one image and fills its directory entry. Writes nothing for a bad
// index, an inconsistent bitmap or no open file; kWriteFailed when a write
// does not succeed.
IconResult WriteIconImage(IconFile& file, const IconImage& image);
// Closes the sink. kNotOpen when none was open; kWriteFailed when any write
// of this file (or the close itself) failed: the file is then incomplete.
IconResult CloseIconFile(IconFile& file);

// The checks every image passes before it is written; callers that build
// images can run them too.
[[nodiscard]] IconError ValidateIconBitmaps(const ColourBitmap& colour, const MaskBitmap& mask);
// ValidateIconBitmaps without the square rule: width and height each from 1
// to kMaxEdgeLength, for one-image icons of pictures of any shape.
[[nodiscard]] IconError ValidateBitmapPair(const ColourBitmap& colour, const MaskBitmap& mask);
// ValidateIconBitmaps plus the file: an open sink and an index inside its
// directory.
[[nodiscard]] IconError ValidateIconWrite(const IconFile& file, const IconImage& image);

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
// Appends the bytes unchanged as entry `index` and fills the entry. Writes
// nothing for a bad index, no open file or empty data.
IconResult WriteStoredImage(IconFile& file, uint32_t index, const StoredImage& image);

} // namespace icofile
