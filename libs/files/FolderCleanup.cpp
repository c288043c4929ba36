#include "libs/files/FolderCleanup.h"

#include <atomic>
#include <cstring>
#include <unistd.h>

namespace files {
namespace {

// Each entry: the files' full paths, then the folder, then a null. Built
// whole before it is published, and never freed: the handler may run at
// any moment until the process ends.
std::atomic<const char* const*> g_folders[kCleanupFolders];

const char* CopyOf(const std::string& text) {
    char* copy = new char[text.size() + 1];
    std::memcpy(copy, text.c_str(), text.size() + 1);
    return copy;
}

} // namespace

bool RemoveFolderOnInterrupt(const std::string& folder, const std::vector<std::string>& fileNames) {
    const char** entry = new const char*[fileNames.size() + 2];
    size_t n = 0;
    for (const std::string& name : fileNames)
        entry[n++] = CopyOf(folder + "/" + name);
    entry[n++] = CopyOf(folder);
    entry[n] = nullptr;
    for (auto& slot : g_folders) {
        const char* const* expected = nullptr;
        if (slot.compare_exchange_strong(expected, entry))
            return true;
    }
    for (size_t i = 0; i < n; ++i)  // never published: the handler cannot see it
        delete[] entry[i];
    delete[] entry;
    return false;
}

void RemoveRegisteredFolders() {
    for (auto& slot : g_folders) {
        const char* const* entry = slot.load();
        if (entry == nullptr)
            continue;
        size_t n = 0;
        while (entry[n + 1] != nullptr)
            ::unlink(entry[n++]);
        ::rmdir(entry[n]);
    }
}

} // namespace files
