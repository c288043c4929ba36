#include "libs/files/ReplacingFile.h"

#include "libs/files/TempFileRegistry.h"

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <limits>
#include <random>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace files {
namespace {

constexpr size_t kMaxNameBytes = NAME_MAX;
constexpr size_t kSuffixLength = 8;
constexpr int kCreateAttempts = 100;

std::string RandomSuffix() {
    static constexpr char kAlphabet[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    thread_local std::mt19937_64 random = [] {
        std::random_device device;
        std::seed_seq seed{device(), device(), static_cast<unsigned>(::getpid()),
                           static_cast<unsigned>(std::hash<std::thread::id>()(std::this_thread::get_id())),
                           static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count())};
        return std::mt19937_64(seed);
    }();
    std::string suffix(kSuffixLength, ' ');
    for (char& c : suffix)
        c = kAlphabet[random() % (sizeof(kAlphabet) - 1)];
    return suffix;
}

// Only a plain file (or a link, which is replaced itself) may be replaced;
// a missing target is simply created.
bool MayReplace(const std::string& target) {
    struct stat st {};
    if (::lstat(target.c_str(), &st) != 0)
        return errno == ENOENT;
    if (S_ISREG(st.st_mode) || S_ISLNK(st.st_mode))
        return true;
    errno = S_ISDIR(st.st_mode) ? EISDIR : EEXIST;
    return false;
}

} // namespace

std::string TempPathFor(const std::string& target, const std::string& suffix) {
    const size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    const size_t room = kMaxNameBytes - suffix.size() - 2;  // the two full stops
    if (name.size() > room)
        name.resize(room);
    return folder + "." + name + "." + suffix;
}

std::unique_ptr<ReplacingFile> ReplacingFile::Create(const std::string& target) {
    std::unique_ptr<ReplacingFile> file(new ReplacingFile(target));
    if (!file->Open())
        return nullptr;
    return file;
}

bool ReplacingFile::Open() {
    if (!MayReplace(target_))
        return false;
    for (int attempt = 0; attempt < kCreateAttempts; ++attempt) {
        tempPath_ = TempPathFor(target_, RandomSuffix());
        const RegisteredTemp created = CreateRegisteredTempFile(tempPath_);
        if (created.fd >= 0) {
            fd_ = created.fd;
            slot_ = created.slot;
            return true;
        }
        if (errno != EEXIST)
            return false;
    }
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
    // descriptor is released either way.
    const bool closed = ::close(fd_) == 0;
    fd_ = -1;
    const bool renamed = closed && MayReplace(target_) && ::rename(tempPath_.c_str(), target_.c_str()) == 0;
    if (!renamed)
        ::unlink(tempPath_.c_str());
    Release();
    return renamed;
}

void ReplacingFile::Discard() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (slot_ >= 0) {
        ::unlink(tempPath_.c_str());
        Release();
    }
}

void ReplacingFile::Release() {
    ReleaseTempFile(slot_);
    slot_ = -1;
}

} // namespace files
