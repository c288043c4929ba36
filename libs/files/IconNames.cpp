#include "libs/files/IconNames.h"

#include <algorithm>

namespace files {

namespace {
constexpr char kIconExtension[] = ".ico";
} // namespace

std::string IconNameReplacingLastFour(const std::string& nameOrPath) {
    constexpr size_t kReplaced = 4;
    return nameOrPath.substr(0, nameOrPath.size() - std::min(kReplaced, nameOrPath.size())) + kIconExtension;
}

std::string IconNameReplacingExtension(const std::string& name) {
    const size_t dot = name.rfind('.');
    return (dot == std::string::npos ? name : name.substr(0, dot)) + kIconExtension;
}

} // namespace files
