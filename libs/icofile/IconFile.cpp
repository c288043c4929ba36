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
bool WriteDirectory(IconFile* file, std::unique_ptr<ByteSink> sink) {
    std::vector<uint8_t> bytes;
    LittleEndianWriter w(bytes);
    w.u16(0);
    w.u16(kTypeIcon);
    w.u16(static_cast<uint16_t>(file->imageCount));
    bytes.resize(EntryOffset(file->imageCount), 0);
    if (!sink->append(bytes)) {
        (void)sink->close();
        return false;
    }
    file->handle = std::move(sink);
    file->writeFailed = false;
    return true;
}

bool CanCreate(const IconFile* file) {
    // An open sink would be dropped unclosed, its errors unseen.
    return file && !file->handle && file->imageCount <= kMaxImageCount;
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

bool CreateIconFile(IconFile* file) {
    if (!CanCreate(file))
        return false;
    std::unique_ptr<ByteSink> sink = FileSink::Create(file->path);
    return sink && WriteDirectory(file, std::move(sink));
}

bool CreateIconBuffer(IconFile* file, std::vector<uint8_t>* out) {
    if (!CanCreate(file) || !out)
        return false;
    out->clear();
    return WriteDirectory(file, std::make_unique<MemorySink>(out));
}

bool WriteIconImage(IconFile* file, const IconImage* image) {
    if (ValidateIconWrite(file, image) != IconError::kNone)
        return false;
    const std::vector<uint8_t> data = EncodeImageData(*image->colour, *image->mask, image->colourCount);
    const BitmapInfoHeader header = PrepareImageHeader(*image->colour, image->colourCount);
    StoredImage stored;
    stored.width = image->colour->width;
    stored.height = image->colour->height;
    stored.colourCount = static_cast<uint8_t>(header.biClrUsed & 0xFF);
    stored.bitCount = header.biBitCount;
    stored.data = data;
    return WriteStoredImage(file, image->index, stored);
}

bool WriteStoredImage(IconFile* file, uint32_t index, const StoredImage& image) {
    if (!file || !file->handle || index >= file->imageCount || image.data.empty())
        return false;
    const uint64_t offset = file->handle->size();
    if (offset + image.data.size() > std::numeric_limits<uint32_t>::max())
        return false;
    const std::vector<uint8_t> entry = DirectoryEntry(image, static_cast<uint32_t>(offset));
    if (!file->handle->append(image.data) || !file->handle->writeAt(EntryOffset(index), entry)) {
        file->writeFailed = true;
        return false;
    }
    return true;
}

bool CloseIconFile(IconFile* file) {
    if (!file || !file->handle)
        return false;
    const bool closed = file->handle->close();
    file->handle.reset();
    return closed && !file->writeFailed;
}

} // namespace icofile
