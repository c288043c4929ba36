#include "libs/files/ReplaceFile.h"

#include "libs/files/ReplacingFile.h"

namespace files {

bool ReplaceFile(const std::string& path, std::span<const uint8_t> bytes) {
    const std::unique_ptr<ReplacingFile> file = ReplacingFile::Create(path);
    return file && file->WriteAt(0, bytes) && file->Commit();
}

} // namespace files
