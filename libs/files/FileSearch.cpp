#include "FileSearch.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace files {

namespace {

char FoldAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

bool WildcardMatch(const std::string& pattern, const std::string& name) {
    // The platform's "*.*" means every name, also those without a full stop.
    if (pattern == "*.*")
        return true;
    // Iterative glob with single-star backtracking: linear memory, no recursion.
    size_t p = 0, n = 0, starP = std::string::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || FoldAscii(pattern[p]) == FoldAscii(name[n]))) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (starP != std::string::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

std::vector<FoundEntry> FindFiles(const std::string& folder, const std::string& pattern) {
    return ListFolder(folder, pattern).value_or(std::vector<FoundEntry>());
}

std::optional<std::vector<FoundEntry>> ListFolder(const std::string& folder, const std::string& pattern) {
    std::vector<FoundEntry> found;
    std::error_code ec;
    fs::directory_iterator it(folder.empty() ? fs::path(".") : fs::path(folder), ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        std::string name = it->path().filename().string();
        if (!WildcardMatch(pattern, name))
            continue;
        std::error_code typeEc;
        const bool isDirectory = it->is_directory(typeEc);  // follows links
        found.push_back({name, isDirectory, it->is_symlink(typeEc)});
    }
    if (ec)
        return std::nullopt;  // a listing that broke off part way counts as unreadable too
    std::sort(found.begin(), found.end(), [](const FoundEntry& a, const FoundEntry& b) { return a.name < b.name; });
    return found;
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    if (folder.empty())
        return name;
    size_t end = folder.find_last_not_of('/');
    if (end == std::string::npos)  // the root folder
        return "/" + name;
    return folder.substr(0, end + 1) + "/" + name;
}

} // namespace files
