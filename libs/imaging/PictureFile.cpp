#include "libs/imaging/PictureFile.h"

#include "libs/imaging/PictureReader.h"

namespace imaging {

bool ReadPictureFile(const std::string& path, PictureBytes* bytes, int64_t maxBytes) {
    PictureReader file;
    bytes->clear();
    // A file that grows meanwhile gives its first bytes, as many as it had when opened.
    return file.Open(path, maxBytes) && file.Append(static_cast<size_t>(file.size()), bytes);
}

} // namespace imaging
