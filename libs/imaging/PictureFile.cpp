#include "libs/imaging/PictureFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <new>

namespace imaging {

namespace {

class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

} // namespace

bool ReadPictureFile(const std::string& path, PictureBytes* bytes, int64_t maxBytes) {
    // Opening a FIFO for reading would wait for a writer and a terminal could
    // become ours: neither may happen. The type is checked on what was opened,
    // so a name swapped in between cannot slip through.
    const Descriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    struct stat info {};
    if (file.get() < 0 || ::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode))
        return false;
    if (info.st_size < 0 || info.st_size > maxBytes)
        return false;
    try {
        bytes->resize(static_cast<size_t>(info.st_size));
    } catch (const std::bad_alloc&) {
        return false;
    }
    // A file that shrinks meanwhile gives what it holds; one that grows, its
    // first st_size bytes.
    size_t done = 0;
    while (done < bytes->size()) {
        const ssize_t got = ::read(file.get(), bytes->data() + done, bytes->size() - done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return false;
        if (got == 0)
            break;
        done += static_cast<size_t>(got);
    }
    bytes->resize(done);
    return true;
}

} // namespace imaging
