#pragma once
// A PNG encoder for tests, with every choice a decoder must cope with left
// open: colour type and depth, Adam7, the filter of each row, how the zlib
// stream is cut into IDAT chunks, extra chunks before and after the data.
// The chunks can be changed before they are put together, to damage a file
// in one precise way.

#include <cstdint>
#include <string>
#include <vector>

namespace pngtest {

struct Chunk {
    std::string name;           // four letters
    std::vector<uint8_t> data;
    bool badCrc = false;        // store a checksum that does not match
};

// Filter choice for the rows: one of 0..4 for all, or a different one per row.
inline constexpr int kFilterCycle = -1;

// What to encode, and how.
struct PngPlan {
    uint32_t width = 1;
    uint32_t height = 1;
    uint8_t depth = 8;
    uint8_t colourType = 6;
    bool interlaced = false;
    // width * height * channels samples, rows top first, each below 2^depth
    // (palette indices for colour type 3).
    std::vector<uint16_t> samples;
    std::vector<uint8_t> palette;  // red, green, blue triples; PLTE when not empty
    std::vector<uint8_t> trns;     // tRNS payload as stored; none when empty
    int filter = kFilterCycle;
    size_t idatPiece = 0;          // bytes per IDAT chunk; 0: one chunk
    bool emptyIdats = false;       // a zero-length IDAT before every piece
    bool chunksAfterData = false;  // tEXt and an unknown ancillary chunk after the last IDAT
};

int Channels(uint8_t colourType);

// The filtered rows (filter byte first), pass by pass when interlaced.
std::vector<uint8_t> FilteredRows(const PngPlan& plan);
std::vector<uint8_t> ZlibCompress(const std::vector<uint8_t>& data);

// IHDR ... IEND as chunks (the signature is added by Assemble).
std::vector<Chunk> EncodeChunks(const PngPlan& plan);
// With a given zlib stream in place of the one the samples make.
std::vector<Chunk> EncodeChunks(const PngPlan& plan, const std::vector<uint8_t>& stream);
std::vector<uint8_t> Assemble(const std::vector<Chunk>& chunks);
std::vector<uint8_t> EncodePng(const PngPlan& plan);

void PutBig32(std::vector<uint8_t>* out, uint32_t v);
void PutBig16(std::vector<uint8_t>* out, uint16_t v);

} // namespace pngtest
