#include "libs/imaging/PictureReader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <new>

namespace imaging {

PictureReader::~PictureReader() {
    if (fd_ >= 0)
        ::close(fd_);
}

bool PictureReader::Open(const std::string& path, int64_t maxBytes) {
    // Opening a FIFO for reading would wait for a writer and a terminal could
    // become ours: neither may happen. The type is checked on what was opened,
    // so a name swapped in between cannot slip through.
    fd_ = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    struct stat info {};
    if (fd_ < 0 || ::fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode))
        return false;
    size_ = info.st_size;
    return size_ >= 0 && size_ <= maxBytes;
}

bool PictureReader::Append(size_t count, PictureBytes* bytes) {
    const size_t start = bytes->size();
    try {
        bytes->resize(start + count);
    } catch (const std::bad_alloc&) {
        return false;
    }
    // A file that shrinks meanwhile gives what it holds.
    size_t done = 0;
    while (done < count) {
        const ssize_t got = ::read(fd_, bytes->data() + start + done, count - done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            bytes->resize(start + done);
            return false;
        }
        if (got == 0)
            break;
        done += static_cast<size_t>(got);
    }
    bytes->resize(start + done);
    return true;
}

int64_t PictureReader::ReadAt(uint64_t offset, uint8_t* out, size_t count) {
    size_t done = 0;
    while (done < count) {
        const ssize_t got = ::pread(fd_, out + done, count - done, static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return -1;
        if (got == 0)
            break;
        done += static_cast<size_t>(got);
    }
    return static_cast<int64_t>(done);
}

} // namespace imaging
