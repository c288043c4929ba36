#include "libs/icofile/FileSink.h"

#include <cerrno>
#include <fcntl.h>
#include <limits>
#include <unistd.h>

namespace icofile {

std::unique_ptr<FileSink> FileSink::Create(const std::string& path) {
    // Mode 0666 lets the umask decide, as for any file a user creates.
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        return nullptr;
    return std::unique_ptr<FileSink>(new FileSink(fd));
}

FileSink::~FileSink() {
    if (fd_ >= 0)
        ::close(fd_);
}

// A write may store fewer bytes than asked (a full disk, a file size limit,
// a signal): keep going until all are stored, and report anything less.
bool FileSink::writeFully(uint64_t offset, std::span<const uint8_t> bytes) {
    if (fd_ < 0)
        return false;
    const uint8_t* data = bytes.data();
    size_t left = bytes.size();
    while (left > 0) {
        if (offset > static_cast<uint64_t>(std::numeric_limits<off_t>::max()))
            return false;
        ssize_t n = ::pwrite(fd_, data, left, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        const auto written = static_cast<size_t>(n);
        data += written;
        left -= written;
        offset += written;
        if (offset > end_)
            end_ = offset;
    }
    return true;
}

bool FileSink::append(std::span<const uint8_t> bytes) {
    const bool ok = writeFully(end_, bytes);
    failed_ = failed_ || !ok;
    return ok;
}

bool FileSink::writeAt(uint64_t offset, std::span<const uint8_t> bytes) {
    const bool ok = writeFully(offset, bytes);
    failed_ = failed_ || !ok;
    return ok;
}

bool FileSink::close() {
    if (fd_ < 0)
        return false;
    // close() may report a delayed write error (network file systems); the
    // descriptor is released either way, so it is not retried.
    const bool closed = ::close(fd_) == 0;
    fd_ = -1;
    return closed && !failed_;
}

} // namespace icofile
