#include "libs/files/StaleTempFiles.h"

#include "libs/files/ReplacingFile.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace files {
namespace {

bool IsSuffix(std::string_view suffix) {
    return suffix.size() == kTempSuffixLength &&
           std::all_of(suffix.begin(), suffix.end(),
                       [](char c) { return kTempSuffixAlphabet.find(c) != std::string_view::npos; });
}

// ".<something>.<suffix>": worth keeping until a target's name decides.
bool LooksLikeTempName(std::string_view entry) {
    return entry.size() > kTempSuffixLength + 2 && entry.front() == '.' &&
           entry[entry.size() - kTempSuffixLength - 1] == '.' && IsSuffix(entry.substr(entry.size() - kTempSuffixLength));
}

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

std::vector<std::string> ListTempLookalikes(int folderFd) {
    std::vector<std::string> found;
    const int listFd = ::openat(folderFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listFd < 0)
        return found;  // a folder one may write but not list: nothing is cleared there
    DIR* dir = ::fdopendir(listFd);
    if (dir == nullptr) {
        ::close(listFd);
        return found;
    }
    while (const dirent* entry = ::readdir(dir)) {
        if (LooksLikeTempName(entry->d_name))
            found.emplace_back(entry->d_name);
    }
    ::closedir(dir);
    return found;
}

} // namespace

bool IsTempNameFor(std::string_view entry, std::string_view targetName) {
    if (entry.size() < kTempSuffixLength || !IsSuffix(entry.substr(entry.size() - kTempSuffixLength)))
        return false;
    return entry == TempNameFor(std::string(targetName), std::string(entry.substr(entry.size() - kTempSuffixLength)));
}

bool RemoveIfStale(int folderFd, const std::string& name) {
    // Checked before opening, so that no device or pipe is ever opened.
    struct stat named {};
    if (::fstatat(folderFd, name.c_str(), &named, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(named.st_mode))
        return false;
    const int fd = ::openat(folderFd, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return false;
    struct stat held {};
    bool removed = false;
    // The writer holds the lock from the file's creation until it is renamed
    // or removed: taking it means no one writes this file any more. The name
    // is checked again while the lock is held, so that it is this file that
    // goes and not one renamed to that name meanwhile.
    if (::fstat(fd, &held) == 0 && S_ISREG(held.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
        ::fstatat(folderFd, name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 && SameFile(held, named))
        removed = ::unlinkat(folderFd, name.c_str(), 0) == 0;
    ::close(fd);
    return removed;
}

StaleTempFiles& StaleTempFiles::Instance() {
    static StaleTempFiles instance;
    return instance;
}

void StaleTempFiles::RemoveFor(int folderFd, const std::string& targetName) {
    struct stat folder {};
    if (::fstat(folderFd, &folder) != 0)
        return;
    const std::lock_guard<std::mutex> lock(mutex_);
    const FolderId id{folder.st_dev, folder.st_ino};
    auto seen = candidates_.find(id);
    if (seen == candidates_.end())
        seen = candidates_.emplace(id, ListTempLookalikes(folderFd)).first;
    std::vector<std::string>& names = seen->second;
    // A live writer's file stays a candidate: its run may end before ours.
    std::erase_if(names, [&](const std::string& name) {
        return IsTempNameFor(name, targetName) && RemoveIfStale(folderFd, name);
    });
}

} // namespace files
