#include "libs/icofile/FileSink.h"

#include <algorithm>

namespace icofile {

std::unique_ptr<FileSink> FileSink::Create(const std::string& path) {
    std::unique_ptr<files::ReplacingFile> file = files::ReplacingFile::Create(path);
    if (!file)
        return nullptr;
    return std::unique_ptr<FileSink>(new FileSink(std::move(file)));
}

bool FileSink::append(std::span<const uint8_t> bytes) {
    return writeAt(end_, bytes);
}

bool FileSink::writeAt(uint64_t offset, std::span<const uint8_t> bytes) {
    const bool ok = file_ && file_->WriteAt(offset, bytes);
    if (ok)
        end_ = std::max(end_, offset + bytes.size());
    failed_ = failed_ || !ok;
    return ok;
}

bool FileSink::close() {
    if (!file_)
        return false;
    std::unique_ptr<files::ReplacingFile> file = std::move(file_);
    if (failed_)
        return false;  // dropping it removes the temporary file
    return file->Commit();
}

} // namespace icofile
