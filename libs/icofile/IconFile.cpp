#include "libs/icofile/IconFile.h"

#include "libs/icofile/FileSink.h"
#include "libs/icofile/LittleEndianWriter.h"
#include "libs/icofile/MemorySink.h"

#include <limits>

namespace icofile {
namespace {

constexpr uint32_t kDirHeaderSize = 6;
constexpr uint32_t kDirEntrySize = 16;
constexpr uint16_t kTypeIcon = 1;

uint64_t EntryOffset(uint32_t index) {
    return kDirHeaderSize + uint64_t{kDirEntrySize} * index;
}

// ICONDIR and a zeroed entry per image, filled in as the images come.
IconResult WriteDirectory(IconFile& file, std::unique_ptr<ByteSink> sink) {
    std::vector<uint8_t> bytes;
    LittleEndianWriter w(bytes);
    w.u16(0);
    w.u16(kTypeIcon);
    w.u16(static_cast<uint16_t>(file.imageCount));
    bytes.resize(EntryOffset(file.imageCount), 0);
    if (!sink->append(bytes)) {
        (void)sink->close();
        return IconError::kWriteFailed;
    }
    file.handle = std::move(sink);
    file.writeFailed = false;
    return {};
}

IconError CanCreate(const IconFile& file) {
    if (file.handle)
        return IconError::kAlreadyOpen;  // it would be dropped unclosed, its errors unseen
    if (file.imageCount > kMaxImageCount)
        return IconError::kTooManyImages;
    return IconError::kNone;
}

std::vector<uint8_t> DirectoryEntry(const StoredImage& image, uint32_t offset) {
    std::vector<uint8_t> entry;
    LittleEndianWriter w(entry);
    w.u8(static_cast<uint8_t>(image.width & 0xFF));  // 256 is stored as 0
    w.u8(static_cast<uint8_t>(image.height & 0xFF));
    w.u8(image.colourCount);
    w.u8(0);
    w.u16(1);
    w.u16(image.bitCount);
    w.u32(static_cast<uint32_t>(image.data.size()));
    w.u32(offset);
    return entry;
}

} // namespace

IconResult CreateIconFile(IconFile& file) {
    if (const IconError error = CanCreate(file); error != IconError::kNone)
        return error;
    std::unique_ptr<ByteSink> sink = FileSink::Create(file.path);
    if (!sink)
        return IconError::kCannotCreate;
    return WriteDirectory(file, std::move(sink));
}

IconResult CreateIconBuffer(IconFile& file, std::vector<uint8_t>& out) {
    if (const IconError error = CanCreate(file); error != IconError::kNone)
        return error;
    out.clear();
    return WriteDirectory(file, std::make_unique<MemorySink>(&out));
}

IconResult WriteIconImage(IconFile& file, const IconImage& image) {
    if (const IconError error = ValidateIconWrite(file, image); error != IconError::kNone)
        return error;
    const std::vector<uint8_t> data = EncodeImageData(image.colour, image.mask, image.colourCount);
    const BitmapInfoHeader header = PrepareImageHeader(image.colour, image.colourCount);
    StoredImage stored;
    stored.width = image.colour.width;
    stored.height = image.colour.height;
    stored.colourCount = static_cast<uint8_t>(header.biClrUsed & 0xFF);
    stored.bitCount = header.biBitCount;
    stored.data = data;
    return WriteStoredImage(file, image.index, stored);
}

IconResult WriteStoredImage(IconFile& file, uint32_t index, const StoredImage& image) {
    if (!file.handle)
        return IconError::kNotOpen;
    if (index >= file.imageCount)
        return IconError::kBadIndex;
    if (image.data.empty())
        return IconError::kNoImageData;
    const uint64_t offset = file.handle->size();
    if (offset + image.data.size() > std::numeric_limits<uint32_t>::max())
        return IconError::kFileTooLarge;
    const std::vector<uint8_t> entry = DirectoryEntry(image, static_cast<uint32_t>(offset));
    if (!file.handle->append(image.data) || !file.handle->writeAt(EntryOffset(index), entry)) {
        file.writeFailed = true;
        return IconError::kWriteFailed;
    }
    return {};
}

IconResult CloseIconFile(IconFile& file) {
    if (!file.handle)
        return IconError::kNotOpen;
    const bool closed = file.handle->close();
    file.handle.reset();
    return closed && !file.writeFailed ? IconResult() : IconResult(IconError::kWriteFailed);
}

} // namespace icofile
