#include "platform/jobs/MemoryProgram.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

namespace platform {

namespace {

bool WriteAll(int fd, const char* data, qsizetype size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, static_cast<size_t>(size));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        size -= written;
    }
    return true;
}

} // namespace

MemoryProgram::MemoryProgram(const QByteArray& bytes) {
    if (bytes.isEmpty())
        return;
    const int fd = ::memfd_create("png2ico", MFD_CLOEXEC | MFD_ALLOW_SEALING);
    if (fd < 0)
        return;
    // Sealed, nobody (ourselves included) can change the program between the
    // check of its bytes and its start.
    constexpr int kSeals = F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_WRITE | F_SEAL_SEAL;
    if (!WriteAll(fd, bytes.constData(), bytes.size()) || ::fcntl(fd, F_ADD_SEALS, kSeals) != 0) {
        ::close(fd);
        return;
    }
    fd_ = fd;
}

MemoryProgram::~MemoryProgram() {
    if (fd_ >= 0)
        ::close(fd_);
}

QString MemoryProgram::Path() const {
    return IsValid() ? QStringLiteral("/proc/self/fd/%1").arg(fd_) : QString();
}

} // namespace platform
