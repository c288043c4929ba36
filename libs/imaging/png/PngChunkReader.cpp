#include "libs/imaging/png/PngChunkReader.h"

#include <isa-l/crc.h>

#include <algorithm>
#include <cstring>

namespace imaging::png {

namespace {

constexpr uint32_t kMaxChunkLength = 0x7FFFFFFFu;
constexpr size_t kChunkOverhead = 12;  // length, name, checksum

constexpr uint32_t Name(const char (&s)[5]) {
    return uint32_t{static_cast<uint8_t>(s[0])} << 24 | uint32_t{static_cast<uint8_t>(s[1])} << 16 |
           uint32_t{static_cast<uint8_t>(s[2])} << 8 | uint32_t{static_cast<uint8_t>(s[3])};
}

constexpr uint32_t kIhdr = Name("IHDR"), kPlte = Name("PLTE"), kIdat = Name("IDAT"), kIend = Name("IEND"),
                   kTrns = Name("tRNS");

bool IsLetter(uint8_t c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

struct Chunk {
    uint32_t name = 0;
    const uint8_t* data = nullptr;
    uint32_t length = 0;
    bool critical() const { return (name & 0x20000000u) == 0; }
};

enum class IdatState { kBefore, kInside, kAfter };

class ChunkWalk {
public:
    ChunkWalk(int64_t maxPixels, PngFile* file, bool keepImageData)
        : maxPixels_(maxPixels), file_(file), keepImageData_(keepImageData) {}

    // kOk to go on; `done` set when IEND ends the walk.
    PngError Take(const Chunk& chunk, bool crcGood, bool* done);
    PngError Finish() const;
    bool inImageData() const { return idat_ != IdatState::kBefore; }

private:
    PngError TakeHeader(const Chunk& chunk);
    PngError TakePalette(const Chunk& chunk);
    void TakeTransparency(const Chunk& chunk);

    int64_t maxPixels_;
    PngFile* file_;
    bool keepImageData_;
    bool haveHeader_ = false;
    bool havePalette_ = false;
    bool haveTransparency_ = false;
    IdatState idat_ = IdatState::kBefore;
};

PngError ChunkWalk::Take(const Chunk& chunk, bool crcGood, bool* done) {
    if (!haveHeader_ && chunk.name != kIhdr)
        return PngError::kMissingChunk;
    // Any chunk ends the image data, a damaged one too: the data is read as
    // one run of IDAT chunks, also when it is streamed from a large file.
    if (chunk.name != kIdat && idat_ == IdatState::kInside)
        idat_ = IdatState::kAfter;
    if (!crcGood) {
        if (chunk.critical())
            return PngError::kBadCrc;
        return PngError::kOk;  // a damaged ancillary chunk is skipped, as the common decoders do
    }
    switch (chunk.name) {
    case kIhdr: return TakeHeader(chunk);
    case kPlte: return TakePalette(chunk);
    case kIdat:
        if (idat_ == IdatState::kAfter)
            return PngError::kMisplacedChunk;
        if (file_->header.colourType == kPalette && !havePalette_)
            return PngError::kMissingChunk;
        idat_ = IdatState::kInside;
        if (chunk.length > 0 && keepImageData_)
            file_->imageData.push_back(ByteSpan{chunk.data, chunk.length});
        file_->imageDataSize += chunk.length;
        return PngError::kOk;
    case kIend:
        if (idat_ == IdatState::kBefore)
            return PngError::kMissingChunk;
        if (chunk.length != 0)
            return PngError::kBadChunk;
        *done = true;
        return PngError::kOk;
    case kTrns:
        TakeTransparency(chunk);
        return PngError::kOk;
    default:
        return chunk.critical() ? PngError::kUnknownCritical : PngError::kOk;
    }
}

PngError ChunkWalk::TakeHeader(const Chunk& chunk) {
    if (haveHeader_)
        return PngError::kMisplacedChunk;
    if (chunk.length != 13)
        return PngError::kBadChunk;
    PngHeader& h = file_->header;
    if (const PngError e = ParseHeader(chunk.data, &h); e != PngError::kOk)
        return e;
    // Before anything else: a header claiming a huge picture costs nothing more.
    if (int64_t{h.width} * int64_t{h.height} > maxPixels_)
        return PngError::kTooLarge;
    haveHeader_ = true;
    return PngError::kOk;
}

PngError ChunkWalk::TakePalette(const Chunk& chunk) {
    const uint8_t type = file_->header.colourType;
    if (havePalette_ || idat_ != IdatState::kBefore || type == kGrey || type == kGreyAlpha)
        return PngError::kMisplacedChunk;
    if (chunk.length == 0 || chunk.length % 3 != 0 || chunk.length > 256 * 3)
        return PngError::kBadPalette;
    std::memcpy(file_->palette.data(), chunk.data, chunk.length);
    file_->paletteSize = static_cast<int>(chunk.length / 3);
    havePalette_ = true;
    return PngError::kOk;
}

// tRNS is ancillary: one that cannot apply (after IDAT, repeated, the wrong
// size, in a picture with an alpha channel) is ignored rather than fatal.
void ChunkWalk::TakeTransparency(const Chunk& chunk) {
    if (haveTransparency_ || idat_ != IdatState::kBefore)
        return;
    PngFile& f = *file_;
    switch (f.header.colourType) {
    case kGrey:
        if (chunk.length != 2)
            return;
        f.transparentColour[0] = ReadBig16(chunk.data);
        f.hasTransparentColour = true;
        break;
    case kTruecolour:
        if (chunk.length != 6)
            return;
        for (int i = 0; i < 3; ++i)
            f.transparentColour[i] = ReadBig16(chunk.data + 2 * i);
        f.hasTransparentColour = true;
        break;
    case kPalette:
        if (!havePalette_ || chunk.length > static_cast<uint32_t>(f.paletteSize))
            return;
        std::memcpy(f.paletteAlpha.data(), chunk.data, chunk.length);
        break;
    default: return;
    }
    haveTransparency_ = true;
}

PngError ChunkWalk::Finish() const {
    if (!haveHeader_ || idat_ == IdatState::kBefore)
        return PngError::kMissingChunk;
    return PngError::kOk;
}

} // namespace

bool HasPngSignature(const uint8_t* data, size_t size) {
    return data != nullptr && size >= sizeof kPngSignature && std::memcmp(data, kPngSignature, sizeof kPngSignature) == 0;
}

namespace {

// A chunk's checksum checked, and its data pointed at where it can be held:
// always in memory, else when it fits the window. False when it cannot be read.
bool CheckChunk(PngBytes* bytes, uint64_t pos, Chunk* chunk, bool* crcGood) {
    const size_t whole = kChunkOverhead + size_t{chunk->length};
    if (bytes->inMemory() || whole <= kPngBytesWindow) {
        const uint8_t* p = bytes->At(pos, whole);
        if (p == nullptr)
            return false;
        chunk->data = p + 8;
        const uint32_t actual = static_cast<uint32_t>(crc32_gzip_refl(0, p + 4, size_t{chunk->length} + 4));
        *crcGood = ReadBig32(chunk->data + chunk->length) == actual;
        return true;
    }
    // Too large to hold: only image data or a chunk refused or skipped for its size.
    chunk->data = nullptr;
    uint8_t name[4];
    for (int i = 0; i < 4; ++i)
        name[i] = static_cast<uint8_t>(chunk->name >> (24 - 8 * i));
    uint32_t crc = static_cast<uint32_t>(crc32_gzip_refl(0, name, 4));
    for (uint64_t done = 0; done < chunk->length;) {
        const size_t n = static_cast<size_t>(std::min<uint64_t>(chunk->length - done, kPngBytesWindow));
        const uint8_t* p = bytes->At(pos + 8 + done, n);
        if (p == nullptr)
            return false;
        crc = static_cast<uint32_t>(crc32_gzip_refl(crc, p, n));
        done += n;
    }
    const uint8_t* stored = bytes->At(pos + 8 + chunk->length, 4);
    if (stored == nullptr)
        return false;
    *crcGood = ReadBig32(stored) == crc;
    return true;
}

} // namespace

PngError ReadChunks(const uint8_t* data, size_t size, int64_t maxPixels, PngFile* file) {
    PngMemoryBytes bytes(data, size);
    return ReadChunks(&bytes, maxPixels, file);
}

PngError ReadChunks(PngBytes* bytes, int64_t maxPixels, PngFile* file) {
    const uint64_t size = bytes->size();
    const uint8_t* signature = size >= sizeof kPngSignature ? bytes->At(0, sizeof kPngSignature) : nullptr;
    if (!HasPngSignature(signature, signature == nullptr ? 0 : sizeof kPngSignature))
        return PngError::kNotPng;
    *file = PngFile();
    ChunkWalk walk(maxPixels, file, bytes->inMemory());
    uint64_t pos = sizeof kPngSignature;
    bool done = false;
    while (!done && pos < size) {
        const uint64_t left = size - pos;
        // Bytes ending inside a chunk after the image data are as good as an
        // end there, as long as that chunk is not image data itself.
        if (left < 8)
            return walk.inImageData() ? walk.Finish() : PngError::kTruncated;
        const uint8_t* head = bytes->At(pos, 8);
        if (head == nullptr)
            return PngError::kTruncated;
        Chunk chunk;
        chunk.length = ReadBig32(head);
        chunk.name = ReadBig32(head + 4);
        if (chunk.length > kMaxChunkLength)
            return PngError::kBadChunk;
        for (int i = 0; i < 4; ++i)
            if (!IsLetter(head[4 + i]))
                return PngError::kBadChunk;
        if (chunk.length > left - 8 || left - 8 - chunk.length < 4) {
            if (walk.inImageData() && chunk.name != kIdat)
                break;
            return PngError::kTruncated;
        }
        bool crcGood = false;
        if (!CheckChunk(bytes, pos, &chunk, &crcGood))
            return PngError::kTruncated;
        if (chunk.name == kIdat && !walk.inImageData())
            file->imageDataAt = pos;
        if (const PngError e = walk.Take(chunk, crcGood, &done); e != PngError::kOk)
            return e;
        pos += kChunkOverhead + chunk.length;
    }
    return walk.Finish();
}

} // namespace imaging::png
