#include "libs/files/ReplaceFile.h"

#include "libs/files/ReplacingFile.h"

namespace files {

bool ReplaceFile(const std::string& path, std::span<const uint8_t> bytes, std::optional<unsigned> mode) {
    const std::unique_ptr<ReplacingFile> file = ReplacingFile::Create(path);
    return file && file->WriteAt(0, bytes) && (!mode || file->SetMode(*mode)) && file->Commit();
}

} // namespace files
