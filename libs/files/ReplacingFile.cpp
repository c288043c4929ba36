#include "libs/files/ReplacingFile.h"

#include "libs/files/StaleTempFiles.h"
#include "libs/files/TempFileRegistry.h"

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <fcntl.h>
#include <limits>
#include <random>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace files {
namespace {

constexpr size_t kMaxNameBytes = NAME_MAX;
constexpr int kCreateAttempts = 100;

std::string RandomSuffix() {
    thread_local std::mt19937_64 random = [] {
        std::random_device device;
        std::seed_seq seed{device(), device(), static_cast<unsigned>(::getpid()),
                           static_cast<unsigned>(std::hash<std::thread::id>()(std::this_thread::get_id())),
                           static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count())};
        return std::mt19937_64(seed);
    }();
    std::string suffix(kTempSuffixLength, ' ');
    for (char& c : suffix)
        c = kTempSuffixAlphabet[random() % kTempSuffixAlphabet.size()];
    return suffix;
}

void CloseIfOpen(int& fd) {
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

} // namespace

std::string TempNameFor(const std::string& name, const std::string& suffix) {
    const size_t room = kMaxNameBytes - suffix.size() - 2;  // the two full stops
    return "." + name.substr(0, room) + "." + suffix;
}

std::string TempPathFor(const std::string& target, const std::string& suffix) {
    const size_t slash = target.rfind('/');
    if (slash == std::string::npos)
        return TempNameFor(target, suffix);
    return target.substr(0, slash + 1) + TempNameFor(target.substr(slash + 1), suffix);
}

std::unique_ptr<ReplacingFile> ReplacingFile::Create(const std::string& target) {
    std::unique_ptr<ReplacingFile> file(new ReplacingFile(target));
    if (!file->Open())
        return nullptr;
    return file;
}

// Only a plain file (or a link, which is replaced itself) may be replaced;
// a missing target is simply created.
bool ReplacingFile::MayReplace() const {
    struct stat st {};
    if (::fstatat(folderFd_, name_.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT;
    if (S_ISREG(st.st_mode) || S_ISLNK(st.st_mode))
        return true;
    errno = S_ISDIR(st.st_mode) ? EISDIR : EEXIST;
    return false;
}

bool ReplacingFile::Open() {
    const size_t slash = target_.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : target_.substr(0, slash);
    name_ = slash == std::string::npos ? target_ : target_.substr(slash + 1);
    if (name_.empty()) {
        errno = EISDIR;
        return false;
    }
    // O_PATH: a folder one may write into but not list still takes icons.
    folderFd_ = ::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (folderFd_ < 0 || !MayReplace()) {
        Release();
        return false;
    }
    StaleTempFiles::Instance().RemoveFor(folderFd_, name_);
    for (int attempt = 0; attempt < kCreateAttempts; ++attempt) {
        const std::string suffix = RandomSuffix();
        tempName_ = TempNameFor(name_, suffix);
        const RegisteredTemp created = CreateRegisteredTempFile(folderFd_, tempName_);
        if (created.fd >= 0) {
            fd_ = created.fd;
            slot_ = created.slot;
            lockFd_ = ::fcntl(fd_, F_DUPFD_CLOEXEC, 0);
            tempPath_ = TempPathFor(target_, suffix);
            if (lockFd_ < 0) {
                Discard();
                return false;
            }
            NotifyTempFileCreated(tempPath_);
            return true;
        }
        if (errno != EEXIST)
            break;
    }
    Release();
    return false;
}

ReplacingFile::~ReplacingFile() {
    Discard();
}

// A write may store fewer bytes than asked (a full disk, a file size limit,
// a signal): keep going until all are stored, and report anything less.
bool ReplacingFile::WriteAt(uint64_t offset, std::span<const uint8_t> bytes) {
    if (fd_ < 0)
        return false;
    const uint8_t* data = bytes.data();
    size_t left = bytes.size();
    while (left > 0) {
        if (offset > static_cast<uint64_t>(std::numeric_limits<off_t>::max()) - left)
            return false;
        const ssize_t n = ::pwrite(fd_, data, left, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        const auto written = static_cast<size_t>(n);
        data += written;
        left -= written;
        offset += written;
    }
    return true;
}

bool ReplacingFile::SetMode(unsigned mode) {
    return fd_ >= 0 && ::fchmod(fd_, static_cast<mode_t>(mode)) == 0;
}

bool ReplacingFile::Commit() {
    if (fd_ < 0)
        return false;
    // close() may report a delayed write error (network file systems); the
    // descriptor is released either way, the lock stays with lockFd_.
    const bool closed = ::close(fd_) == 0;
    fd_ = -1;
    const bool renamed =
        closed && MayReplace() && ::renameat(folderFd_, tempName_.c_str(), folderFd_, name_.c_str()) == 0;
    if (!renamed)
        ::unlinkat(folderFd_, tempName_.c_str(), 0);
    Release();
    return renamed;
}

void ReplacingFile::Discard() {
    CloseIfOpen(fd_);
    if (slot_ >= 0)
        ::unlinkat(folderFd_, tempName_.c_str(), 0);
    Release();
}

// The slot goes first: the interrupt handler may use the folder's descriptor
// until then. The lock goes only after the file was renamed or removed.
void ReplacingFile::Release() {
    ReleaseTempFile(slot_);
    slot_ = -1;
    CloseIfOpen(lockFd_);
    CloseIfOpen(folderFd_);
}

} // namespace files
