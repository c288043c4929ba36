#include "libs/exeicons/LargeIcon.h"

#include <algorithm>

namespace exeicons {
namespace {

int32_t Edge(const IconImage& image) {
    return std::max(image.info.width, image.info.height);
}

bool IsLarge(const IconImage& image) {
    return image.info.width == kLargeIconEdge && image.info.height == kLargeIconEdge;
}

// Index of the first image with the best key among those `eligible` admits;
// `better(a, b)` says that a beats b.
template <typename Eligible, typename Better>
std::optional<size_t> Best(const std::vector<IconImage>& images, Eligible eligible, Better better) {
    std::optional<size_t> best;
    for (size_t i = 0; i < images.size(); ++i)
        if (eligible(images[i]) && (!best || better(images[i], images[*best])))
            best = i;
    return best;
}

} // namespace

std::optional<size_t> PickLargeIcon(const IconGroup& group) {
    const auto& images = group.images;
    const auto deeper = [](const IconImage& a, const IconImage& b) { return a.info.bitCount > b.info.bitCount; };
    if (auto exact = Best(images, IsLarge, deeper))
        return exact;
    const auto larger = [](const IconImage& i) { return Edge(i) > kLargeIconEdge; };
    const auto smallerThenDeeper = [&](const IconImage& a, const IconImage& b) {
        return Edge(a) != Edge(b) ? Edge(a) < Edge(b) : deeper(a, b);
    };
    if (auto above = Best(images, larger, smallerThenDeeper))
        return above;
    const auto any = [](const IconImage&) { return true; };
    const auto largerThenDeeper = [&](const IconImage& a, const IconImage& b) {
        return Edge(a) != Edge(b) ? Edge(a) > Edge(b) : deeper(a, b);
    };
    return Best(images, any, largerThenDeeper);
}

} // namespace exeicons
