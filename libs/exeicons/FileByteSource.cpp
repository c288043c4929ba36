#include "libs/exeicons/FileByteSource.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace exeicons {

namespace {

constexpr uint64_t kBlockBytes = 64 * 1024;

} // namespace

std::unique_ptr<FileByteSource> FileByteSource::Open(const std::filesystem::path& path) {
    // Non-blocking, so that opening a pipe that happens to match "*.exe"
    // cannot wait for a writer; it is refused just below.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return nullptr;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < 0) {
        ::close(fd);
        return nullptr;
    }
    return std::unique_ptr<FileByteSource>(new FileByteSource(fd, static_cast<uint64_t>(st.st_size)));
}

FileByteSource::~FileByteSource() {
    ::close(fd_);
}

bool FileByteSource::readAt(uint64_t offset, std::span<uint8_t> out) const {
    if (out.size() > kBlockBytes / 2)
        return readDirect(offset, out);
    const auto inBlock = [&] {
        return !block_.empty() && offset >= blockStart_ && offset + out.size() <= blockStart_ + block_.size();
    };
    if (!inBlock() && !loadBlock(offset - offset % kBlockBytes))
        return false;
    if (!inBlock())  // the read runs past the end of the block or of the file
        return readDirect(offset, out);
    std::memcpy(out.data(), block_.data() + (offset - blockStart_), out.size());
    return true;
}

bool FileByteSource::loadBlock(uint64_t start) const {
    if (start >= size_)
        return false;
    block_.resize(static_cast<size_t>(std::min(kBlockBytes, size_ - start)));
    blockStart_ = start;
    if (readDirect(start, block_))
        return true;
    block_.clear();
    return false;
}

bool FileByteSource::readDirect(uint64_t offset, std::span<uint8_t> out) const {
    size_t done = 0;
    while (done < out.size()) {
        ssize_t n = ::pread(fd_, out.data() + done, out.size() - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;   // an error, or the file shrank since it was opened
        done += static_cast<size_t>(n);
    }
    return true;
}

} // namespace exeicons
