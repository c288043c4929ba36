// Fuzz target: our PNG decoder alone, differential against libspng.
//
// Each input is decoded as it is and again with every chunk checksum put
// right (so that mutations reach past the checksums). Checked:
//   - the whole-buffer and the streaming inflate paths, and the vector and
//     portable code, accept the same inputs and give the same pixels;
//   - when ours and libspng both accept, the pixels are equal (libspng's
//     16-bit samples reduced our way);
//   - with checksums right, both accept or both reject, apart from these
//     known differences:
//       ours refuses, libspng decodes: PLTE repeated, after IDAT or in a grey
//         picture; image data longer than the header implies (or data after
//         the zlib stream's end within the picture's rows); a palette index
//         beyond PLTE; IEND with data;
//       ours decodes, libspng refuses: ancillary chunks it finds malformed,
//         repeated or misplaced (ours skips every ancillary chunk but tRNS,
//         and a tRNS that cannot apply); a stream whose pieces run on after
//         its end; bytes cut inside a chunk after the image data.

#include "SpngOracle.h"

#include "libs/imaging/png/PngDecoder.h"

#include <libdeflate.h>
#include <spng.h>

#include <cstddef>
#include <cstdint>
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

bool KnownRefusedByOursOnly(PngError ours) {
    return ours == PngError::kMisplacedChunk || ours == PngError::kWrongDataLength ||
           ours == PngError::kBadPaletteIndex || ours == PngError::kBadChunk;
}

bool KnownRefusedByLibspngOnly(int error) {
    const bool ancillary = (error >= SPNG_EDUP_CHRM && error <= SPNG_EEXIF && error != SPNG_EPLTE_IDX) ||
                           error == SPNG_ECHUNK_POS || error == SPNG_ECHUNK_SIZE || error == SPNG_ECHUNK_STDLEN;
    return ancillary || error == SPNG_EIDAT_STREAM || error == SPNG_EOF || error == SPNG_IO_EOF;
}

void Compare(const std::vector<uint8_t>& png, bool checksumsRight) {
    const Ours whole = DecodeOurs(png, imaging::png::kStreamingThreshold, false);
    const Ours streaming = DecodeOurs(png, 0, false);
    const Ours portable = DecodeOurs(png, imaging::png::kStreamingThreshold, true);
    const bool ok = whole.error == PngError::kOk;
    Check(ok == (streaming.error == PngError::kOk) && ok == (portable.error == PngError::kOk));
    if (ok)
        Check(whole.bgra == streaming.bgra && whole.bgra == portable.bgra);

    const pngtest::OracleResult theirs = pngtest::SpngDecode(png.data(), png.size(), kFuzzMaxPixels);
    if (ok && theirs.ok)
        Check(whole.bgra == theirs.bgra);
    if (!checksumsRight || ok == theirs.ok)
        return;
    Check(ok ? KnownRefusedByLibspngOnly(theirs.error) : KnownRefusedByOursOnly(whole.error));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (data == nullptr || size < 8)
        return 0;
    const std::vector<uint8_t> asGiven(data, data + size);
    Compare(asGiven, false);
    Compare(WithRightChecksums(data, size), true);
    return 0;
}
