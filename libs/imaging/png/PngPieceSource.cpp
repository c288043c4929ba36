#include "libs/imaging/png/PngPieceSource.h"

#include "libs/imaging/png/PngHeader.h"

#include <isa-l/crc.h>

#include <algorithm>
#include <cstring>

namespace imaging::png {

bool PngFilePieces::EndChunk(PngError* error) {
    const uint8_t* stored = at_ + 4 <= bytes_->size() ? bytes_->At(at_, 4) : nullptr;
    if (stored == nullptr || ReadBig32(stored) != crc_) {
        *error = PngError::kBadCrc;
        return false;
    }
    at_ += 4;
    inChunk_ = false;
    return true;
}

bool PngFilePieces::Next(ByteSpan* piece, PngError* error) {
    for (;;) {
        if (inChunk_ && left_ > 0) {
            const size_t n = static_cast<size_t>(std::min<uint64_t>(left_, kPngBytesWindow));
            const uint8_t* data = bytes_->At(at_, n);
            if (data == nullptr) {
                *error = PngError::kTruncated;
                return false;
            }
            crc_ = static_cast<uint32_t>(crc32_gzip_refl(crc_, data, n));
            at_ += n;
            left_ -= n;
            *piece = ByteSpan{data, n};
            return true;
        }
        if (inChunk_ && !EndChunk(error))
            return false;
        // The image data ends with the first chunk that is not IDAT.
        const uint8_t* head = at_ + 8 <= bytes_->size() ? bytes_->At(at_, 8) : nullptr;
        if (head == nullptr || std::memcmp(head + 4, "IDAT", 4) != 0)
            return false;
        left_ = ReadBig32(head);
        if (at_ + 12 + left_ > bytes_->size()) {
            *error = PngError::kTruncated;
            return false;
        }
        crc_ = static_cast<uint32_t>(crc32_gzip_refl(0, head + 4, 4));
        at_ += 8;
        inChunk_ = true;
    }
}

} // namespace imaging::png
