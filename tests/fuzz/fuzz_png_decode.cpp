// Fuzz target: our PNG decoder alone, differential against libspng.
//
// Each input is decoded as it is and again with every chunk checksum put
// right (so that mutations reach past the checksums). Checked:
//   - the whole-buffer and the streaming inflate paths, the vector and
//     portable code, and the bytes read a small window at a time as from a
//     large file, accept the same inputs and give the same pixels;
//   - with checksums right (ancillary chunks with bad ones are dropped
//     differently: ours skips them as if absent), when ours and libspng both
//     accept, the pixels are equal, libspng's 16-bit samples reduced our
//     way; unless a grey or truecolour tRNS holds a value beyond the depth's
//     range: ours keeps the bits that fit, as libpng does, libspng 0.7.3 at
//     8 bits but not below;
//   - with checksums right, both accept or both reject, apart from these
//     known differences:
//       ours refuses, libspng decodes: anything wrong after the image data
//         (libspng does not read on: an unknown critical chunk, PLTE, a
//         misnamed chunk, IEND with data); a chunk name that is not four
//         ASCII letters, which libspng lets pass in an ancillary chunk; PLTE
//         repeated or in a grey picture; image data longer than the header
//         implies; a palette index beyond PLTE; a zlib stream cut short or
//         with a wrong adler32 after the last row's data (libspng stops at
//         the last row; zlib itself is asked whether the stream is whole);
//         bytes ending inside an IDAT chunk, even after the rows' data;
//       ours decodes, libspng refuses: ancillary chunks it finds malformed,
//         repeated or misplaced (ours skips every ancillary chunk but tRNS,
//         and a tRNS that cannot apply), told apart from a critical chunk by
//         libspng's verdict on the bytes without ancillary chunks; a stream
//         whose pieces run on after its end; bytes cut inside a chunk after
//         the image data; a PLTE with more entries than the depth can index
//         (ours leaves the extra entries unused, as libpng does).

#include "SpngOracle.h"

#include "libs/imaging/png/PngDecoder.h"

#include <libdeflate.h>
#include <spng.h>
#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

using imaging::png::PngError;

// Small enough that every input is decoded in moments, four times.
constexpr int64_t kFuzzMaxPixels = int64_t{1} << 16;

void Check(bool condition) {
    if (!condition)
        __builtin_trap();
}

uint32_t Big32(const uint8_t* p) { return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3]; }

// The bytes up to the end of the first run of IDAT chunks (all of them when
// there is none).
std::vector<uint8_t> CutAfterImageData(const std::vector<uint8_t>& png) {
    size_t pos = 8;
    bool inData = false;
    while (pos + 12 <= png.size()) {
        const uint64_t length = Big32(&png[pos]);
        const bool idat = std::memcmp(&png[pos + 4], "IDAT", 4) == 0;
        if (inData && !idat)
            return std::vector<uint8_t>(png.begin(), png.begin() + static_cast<ptrdiff_t>(pos));
        if (length > png.size() - pos - 12)
            break;
        inData = idat;
        pos += 12 + length;
    }
    return png;
}

// The same bytes with the checksum of every whole chunk recomputed.
std::vector<uint8_t> WithRightChecksums(const uint8_t* data, size_t size) {
    std::vector<uint8_t> out(data, data + size);
    size_t pos = 8;
    while (pos + 12 <= out.size()) {
        const uint64_t length = Big32(&out[pos]);
        if (length > out.size() - pos - 12)
            break;
        const uint32_t crc = libdeflate_crc32(0, &out[pos + 4], static_cast<size_t>(length) + 4);
        for (int i = 0; i < 4; ++i)
            out[pos + 8 + length + i] = static_cast<uint8_t>(crc >> (24 - 8 * i));
        pos += 12 + length;
    }
    return out;
}

struct Ours {
    PngError error;
    std::vector<uint8_t> bgra;
};

Ours DecodeOurs(const std::vector<uint8_t>& png, uint64_t threshold, bool portable) {
    imaging::png::DecodeOptions options;
    options.streamingThreshold = threshold;
    options.portable = portable;
    Ours r;
    imaging::png::PngHeader header;
    r.error = imaging::png::DecodePng(png.data(), png.size(), kFuzzMaxPixels, &r.bgra, &header, options);
    return r;
}

// The bytes as a large file gives them: a small window at a time, copied, so
// that a pointer kept past the next read shows as wrong pixels.
class WindowBytes final : public imaging::png::PngBytes {
public:
    explicit WindowBytes(const std::vector<uint8_t>& png) : png_(png) {}
    uint64_t size() const override { return png_.size(); }
    bool inMemory() const override { return false; }
    const uint8_t* At(uint64_t offset, size_t count) override {
        if (count > imaging::png::kPngBytesWindow || offset > png_.size() || count > png_.size() - offset)
            return nullptr;
        window_.assign(png_.begin() + static_cast<ptrdiff_t>(offset),
                       png_.begin() + static_cast<ptrdiff_t>(offset + count));
        return window_.data();
    }

private:
    const std::vector<uint8_t>& png_;
    std::vector<uint8_t> window_;
};

Ours DecodeInPieces(const std::vector<uint8_t>& png) {
    WindowBytes bytes(png);
    imaging::png::PngFile file;
    Ours r;
    r.error = imaging::png::ReadChunks(&bytes, kFuzzMaxPixels, &file);
    if (r.error != PngError::kOk)
        return r;
    r.bgra.resize(size_t{file.header.width} * file.header.height * 4);
    imaging::png::PngFilePieces pieces(&bytes, file.imageDataAt);
    imaging::png::DecodeOptions options;
    options.streamingPiece = 24;
    r.error = imaging::png::DecodeImageFrom(file, &pieces, {r.bgra.data(), ptrdiff_t{4} * file.header.width, 0},
                                            options);
    return r;
}

// zlib's own verdict on the picture's image data: a whole stream of the
// length the header implies.
bool ZlibFindsStreamWhole(const std::vector<uint8_t>& png) {
    imaging::png::PngFile file;
    if (imaging::png::ReadChunks(png.data(), png.size(), kFuzzMaxPixels, &file) != PngError::kOk)
        return false;
    std::vector<uint8_t> joined;
    for (const imaging::png::ByteSpan& piece : file.imageData)
        joined.insert(joined.end(), piece.data, piece.data + piece.size);
    const uint64_t expected = imaging::png::FilteredSize(file.header);
    std::vector<uint8_t> out(static_cast<size_t>(expected) + 1);
    uLongf produced = static_cast<uLongf>(out.size());
    return uncompress(out.data(), &produced, joined.data(), static_cast<uLong>(joined.size())) == Z_OK &&
           produced == expected;
}

bool KnownRefusedByOursOnly(const std::vector<uint8_t>& png, PngError ours) {
    if (ours == PngError::kBadZlib)
        return !ZlibFindsStreamWhole(png);
    if (ours == PngError::kMisplacedChunk || ours == PngError::kWrongDataLength ||
        ours == PngError::kBadPaletteIndex || ours == PngError::kBadChunk || ours == PngError::kTruncated)
        return true;
    // Refused for what follows the image data: without it, refused for a
    // known reason or not at all.
    const std::vector<uint8_t> cut = CutAfterImageData(png);
    if (cut.size() == png.size())
        return false;
    const PngError error = DecodeOurs(cut, imaging::png::kStreamingThreshold, false).error;
    return error == PngError::kOk || KnownRefusedByOursOnly(cut, error);
}

// A grey or truecolour tRNS value that does not fit the depth.
bool TransparencyBeyondDepth(const std::vector<uint8_t>& png) {
    imaging::png::PngFile file;
    if (imaging::png::ReadChunks(png.data(), png.size(), kFuzzMaxPixels, &file) != PngError::kOk ||
        !file.hasTransparentColour || file.header.bitDepth == 16)
        return false;
    const int channels = file.header.colourType == imaging::png::kGrey ? 1 : 3;
    for (int c = 0; c < channels; ++c)
        if (file.transparentColour[c] >> file.header.bitDepth != 0)
            return true;
    return false;
}

// The same bytes without their ancillary chunks (a chunk cut short by the
// end is kept as it is).
std::vector<uint8_t> WithoutAncillaryChunks(const std::vector<uint8_t>& png) {
    std::vector<uint8_t> out(png.begin(), png.begin() + 8);
    size_t pos = 8;
    while (pos + 12 <= png.size()) {
        const uint64_t length = Big32(&png[pos]);
        if (length > png.size() - pos - 12)
            break;
        const auto end = png.begin() + static_cast<ptrdiff_t>(pos + 12 + length);
        if ((png[pos + 4] & 0x20) == 0)
            out.insert(out.end(), png.begin() + static_cast<ptrdiff_t>(pos), end);
        pos += 12 + length;
    }
    out.insert(out.end(), png.begin() + static_cast<ptrdiff_t>(pos), png.end());
    return out;
}

// A palette picture whose PLTE has more entries than its depth can index.
bool PaletteBeyondDepth(const std::vector<uint8_t>& png) {
    imaging::png::PngFile file;
    return imaging::png::ReadChunks(png.data(), png.size(), kFuzzMaxPixels, &file) == PngError::kOk &&
           file.header.colourType == imaging::png::kPalette && file.paletteSize > 1 << file.header.bitDepth;
}

// libspng's errors name no chunk, and its generic ones (chunk size, position,
// standard length) come from critical and ancillary chunks alike: which one
// it was is asked of libspng itself, on the bytes without ancillary chunks.
bool KnownRefusedByLibspngOnly(const std::vector<uint8_t>& png, int error) {
    if (error == SPNG_EIDAT_STREAM || error == SPNG_EOF || error == SPNG_IO_EOF)
        return true;
    const std::vector<uint8_t> critical = WithoutAncillaryChunks(png);
    if (pngtest::SpngDecode(critical.data(), critical.size(), kFuzzMaxPixels).ok)
        return true;
    return error == SPNG_ECHUNK_SIZE && PaletteBeyondDepth(png);
}

void Compare(const std::vector<uint8_t>& png, bool checksumsRight) {
    const Ours whole = DecodeOurs(png, imaging::png::kStreamingThreshold, false);
    const Ours streaming = DecodeOurs(png, 0, false);
    const Ours portable = DecodeOurs(png, imaging::png::kStreamingThreshold, true);
    const Ours pieces = DecodeInPieces(png);
    const bool ok = whole.error == PngError::kOk;
    Check(ok == (streaming.error == PngError::kOk) && ok == (portable.error == PngError::kOk) &&
          ok == (pieces.error == PngError::kOk));
    if (ok)
        Check(whole.bgra == streaming.bgra && whole.bgra == portable.bgra && whole.bgra == pieces.bgra);

    if (!checksumsRight)
        return;
    const pngtest::OracleResult theirs = pngtest::SpngDecode(png.data(), png.size(), kFuzzMaxPixels);
    if (ok && theirs.ok && !TransparencyBeyondDepth(png))
        Check(whole.bgra == theirs.bgra);
    if (ok == theirs.ok)
        return;
    Check(ok ? KnownRefusedByLibspngOnly(png, theirs.error) : KnownRefusedByOursOnly(png, whole.error));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (data == nullptr || size < 8)
        return 0;
    const std::vector<uint8_t> asGiven(data, data + size);
    const std::vector<uint8_t> checked = WithRightChecksums(data, size);
    Compare(asGiven, asGiven == checked);
    if (asGiven != checked)
        Compare(checked, true);
    return 0;
}
