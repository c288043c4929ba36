#include "png2ico/IconNameReach.h"

#include "libs/files/IconNames.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <deque>
#include <vector>

namespace png2ico {
namespace {

// The system gives up after this many links in one path.
constexpr int kMaxLinks = 40;

std::vector<std::string> Components(const std::string& path) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= path.size()) {
        const size_t end = std::min(path.find('/', start), path.size());
        if (end > start)
            parts.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

// The folder above `at`, which holds no links (they were followed on the way).
std::string Parent(const std::string& at) {
    if (at.empty())
        return at;  // the root is its own parent
    const size_t slash = at.rfind('/');
    const std::string last = at.substr(slash == std::string::npos ? 0 : slash + 1);
    if (last == "." || last == "..")
        return at + "/..";
    return slash == std::string::npos ? "." : at.substr(0, slash);
}

} // namespace

bool LeadsThroughIconName(const std::string& path) {
    const std::vector<std::string> parts = Components(path);
    std::deque<std::string> todo(parts.begin(), parts.end());
    std::string at = !path.empty() && path[0] == '/' ? "" : ".";  // "" is the root
    int links = 0;
    while (!todo.empty()) {
        const std::string name = todo.front();
        todo.pop_front();
        if (name == ".")
            continue;
        if (name == "..") {
            at = Parent(at);
            continue;
        }
        if (files::MayBeIconName(name))
            return true;
        const std::string next = at + "/" + name;
        struct stat info {};
        if (::lstat(next.c_str(), &info) != 0)
            return false;
        if (!S_ISLNK(info.st_mode)) {
            at = next;
            continue;
        }
        if (++links > kMaxLinks)
            return true;
        char target[PATH_MAX];
        const ssize_t length = ::readlink(next.c_str(), target, sizeof target);
        if (length <= 0 || static_cast<size_t>(length) >= sizeof target)
            return true;  // cannot tell: take the careful side
        const std::string link(target, static_cast<size_t>(length));
        const std::vector<std::string> linkParts = Components(link);
        todo.insert(todo.begin(), linkParts.begin(), linkParts.end());
        if (link[0] == '/')
            at = "";
    }
    return false;
}

} // namespace png2ico
