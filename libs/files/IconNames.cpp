#include "libs/files/IconNames.h"

#include <algorithm>
#include <string_view>

namespace files {

namespace {
constexpr std::string_view kIconExtension = ".ico";
} // namespace

std::string IconNameReplacingLastFour(const std::string& nameOrPath) {
    constexpr size_t kReplaced = 4;
    return nameOrPath.substr(0, nameOrPath.size() - std::min(kReplaced, nameOrPath.size())) + std::string(kIconExtension);
}

std::string IconNameReplacingExtension(const std::string& name) {
    const size_t dot = name.rfind('.');
    return (dot == std::string::npos ? name : name.substr(0, dot)) + std::string(kIconExtension);
}

bool MayBeIconName(const std::string& name) {
    return std::string_view(name).ends_with(kIconExtension);
}

} // namespace files
