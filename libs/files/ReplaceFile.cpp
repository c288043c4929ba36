#include "libs/files/ReplaceFile.h"

#include <cerrno>
#include <sys/stat.h>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace files {

namespace {

bool WriteAll(int fd, std::span<const uint8_t> bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

} // namespace

bool ReplaceFile(const std::string& path, std::span<const uint8_t> bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0666);
    if (fd < 0)
        return false;
    struct stat st {};
    // Only a plain file is ever replaced: writing into a pipe or a device
    // named like an icon could block or reach something else entirely.
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    if (ok) {
        ok = WriteAll(fd, bytes);
        if (!ok)
            ::unlink(path.c_str());
    }
    return (::close(fd) == 0) && ok;
}

} // namespace files
