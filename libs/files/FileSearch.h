#pragma once
// Stand-in for the platform's wildcard file search: every entry of a folder
// (dot-files and folders included) whose name matches a wildcard pattern,
// letter case ignored, in a stable order (byte order of the names).

#include <optional>
#include <string>
#include <vector>

namespace files {

struct FoundEntry {
    std::string name;
    bool isDirectory = false;  // a folder, or a link to one
    bool isLink = false;       // a symbolic link, to whatever
};

// `*` matches any run of characters, `?` any one; ASCII letters match
// either case. "*.*" and "*" match every name.
bool WildcardMatch(const std::string& pattern, const std::string& name);

// Entries of `folder` matching `pattern`, sorted by name; "." and ".." are
// not listed. Empty when the folder is missing or cannot be read. An empty
// folder text means the current folder.
std::vector<FoundEntry> FindFiles(const std::string& folder, const std::string& pattern);
// The same, but nothing at all when the folder cannot be listed: it is
// missing, not a folder, not readable, or its path is longer than the system
// takes. An empty list means a readable folder without matches.
std::optional<std::vector<FoundEntry>> ListFolder(const std::string& folder, const std::string& pattern);

// Joins a folder and a name with exactly one separator; an empty folder
// yields the name alone.
std::string JoinPath(const std::string& folder, const std::string& name);

} // namespace files
