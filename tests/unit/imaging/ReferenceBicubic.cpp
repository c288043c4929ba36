#include "ReferenceBicubic.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace imagingtest {

namespace {

// Premultiplied planes of doubles, four values per pixel.
struct Plane {
    int32_t width = 0;
    int32_t height = 0;
    double extentX = 0;
    double extentY = 0;
    std::vector<double> v;
    double& at(int32_t x, int32_t y, int c) { return v[(static_cast<size_t>(y) * width + x) * 4 + c]; }
    double at(int32_t x, int32_t y, int c) const { return v[(static_cast<size_t>(y) * width + x) * 4 + c]; }
};

double Cubic(double t) {
    // Keys (1981) with a = -0.5, the piecewise polynomial written out.
    t = std::abs(t);
    if (t <= 1.0)
        return 1.5 * t * t * t - 2.5 * t * t + 1.0;
    if (t < 2.0)
        return -0.5 * t * t * t + 2.5 * t * t - 4.0 * t + 2.0;
    return 0.0;
}

// Weights of the source pixels first .. first + w.size() - 1 for target
// pixel d: the kernel's reach, cut to the picture, renormalised.
struct Taps {
    int32_t first = 0;
    std::vector<double> w;
};

Taps Weights(int32_t pixels, double extent, int32_t targets, int32_t d) {
    const double scale = extent / targets;
    const double stretch = std::max(1.0, scale);
    const double centre = (d + 0.5) * scale - 0.5;
    const auto lo = std::max<int32_t>(0, static_cast<int32_t>(std::ceil(centre - 2 * stretch)));
    const auto hi = std::min<int32_t>(pixels - 1, static_cast<int32_t>(std::floor(centre + 2 * stretch)));
    Taps taps{lo, {}};
    double sum = 0.0;
    for (int32_t i = lo; i <= hi; ++i) {
        taps.w.push_back(Cubic((i - centre) / stretch));
        sum += taps.w.back();
    }
    for (double& x : taps.w)
        x /= sum;
    return taps;
}

Plane Premultiply(const Picture& p) {
    Plane out{p.width, p.height, double(p.width), double(p.height), {}};
    out.v.resize(static_cast<size_t>(p.width) * p.height * 4);
    for (int32_t y = 0; y < p.height; ++y)
        for (int32_t x = 0; x < p.width; ++x) {
            const uint8_t* s = p.at(x, y);
            for (int c = 0; c < 3; ++c)
                out.at(x, y, c) = s[c] * (s[3] / 255.0);
            out.at(x, y, 3) = s[3];
        }
    return out;
}

Plane Halve(const Plane& in) {
    Plane out{(in.width + 1) / 2, (in.height + 1) / 2, in.extentX / 2, in.extentY / 2, {}};
    out.v.assign(static_cast<size_t>(out.width) * out.height * 4, 0.0);
    for (int32_t y = 0; y < out.height; ++y)
        for (int32_t x = 0; x < out.width; ++x)
            for (int c = 0; c < 4; ++c) {
                double sum = 0;
                int n = 0;
                for (int32_t sy = 2 * y; sy < std::min(2 * y + 2, in.height); ++sy)
                    for (int32_t sx = 2 * x; sx < std::min(2 * x + 2, in.width); ++sx, ++n)
                        sum += in.at(sx, sy, c);
                out.at(x, y, c) = sum / n;
            }
    return out;
}

// One axis averaged over blocks of `block` pixels, the last block over what
// is left of it.
Plane BoxAxis(const Plane& in, bool acrossX, int32_t block) {
    const int32_t width = acrossX ? (in.width + block - 1) / block : in.width;
    const int32_t height = acrossX ? in.height : (in.height + block - 1) / block;
    Plane out{width, height, acrossX ? in.extentX / block : in.extentX, acrossX ? in.extentY : in.extentY / block,
              std::vector<double>(static_cast<size_t>(width) * height * 4)};
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            for (int c = 0; c < 4; ++c) {
                const int32_t from = (acrossX ? x : y) * block;
                const int32_t to = std::min(from + block, acrossX ? in.width : in.height);
                double sum = 0;
                for (int32_t i = from; i < to; ++i)
                    sum += acrossX ? in.at(i, y, c) : in.at(x, i, c);
                out.at(x, y, c) = sum / (to - from);
            }
    return out;
}

} // namespace

ReferenceResult ReferenceResample(const Picture& source, int32_t width, int32_t height, bool boxPrereduce) {
    Plane plane = Premultiply(source);
    if (width != source.width || height != source.height)
        while (boxPrereduce && plane.extentX >= 3.0 * width && plane.extentY >= 3.0 * height)
            plane = Halve(plane);
    if (boxPrereduce && (width != source.width || height != source.height)) {
        // Then whichever axis still shrinks by 3 or more, on its own.
        int32_t blockX = 1, blockY = 1;
        for (double e = plane.extentX; e >= 3.0 * width; e /= 2)
            blockX *= 2;
        for (double e = plane.extentY; e >= 3.0 * height; e /= 2)
            blockY *= 2;
        if (blockX > 1)
            plane = BoxAxis(plane, true, blockX);
        if (blockY > 1)
            plane = BoxAxis(plane, false, blockY);
    }

    // Horizontal first (the library goes vertical first; the sums agree).
    Plane across{width, plane.height, 0, 0, std::vector<double>(static_cast<size_t>(width) * plane.height * 4)};
    for (int32_t x = 0; x < width; ++x) {
        const auto w = Weights(plane.width, plane.extentX, width, x);
        for (int32_t y = 0; y < plane.height; ++y)
            for (int c = 0; c < 4; ++c) {
                double sum = 0;
                for (size_t i = 0; i < w.w.size(); ++i)
                    sum += w.w[i] * plane.at(w.first + static_cast<int32_t>(i), y, c);
                across.at(x, y, c) = sum;
            }
    }
    ReferenceResult out{width, height, std::vector<double>(static_cast<size_t>(width) * height * 4)};
    for (int32_t y = 0; y < height; ++y) {
        const auto w = Weights(plane.height, plane.extentY, height, y);
        for (int32_t x = 0; x < width; ++x) {
            double p[4] = {0, 0, 0, 0};
            for (int c = 0; c < 4; ++c)
                for (size_t j = 0; j < w.w.size(); ++j)
                    p[c] += w.w[j] * across.at(x, w.first + static_cast<int32_t>(j), c);
            double* o = &out.bgra[(static_cast<size_t>(y) * width + x) * 4];
            const double alpha = std::clamp(p[3], 0.0, 255.0);
            if (alpha < 0.5)
                continue;  // transparent black
            for (int c = 0; c < 3; ++c)
                o[c] = std::clamp(p[c] * 255.0 / alpha, 0.0, 255.0);
            o[3] = alpha;
        }
    }
    return out;
}

double PremultipliedPsnr(const ReferenceResult& reference, const Picture& actual) {
    double squares = 0;
    const size_t pixels = static_cast<size_t>(actual.width) * actual.height;
    for (size_t i = 0; i < pixels; ++i) {
        const double* r = &reference.bgra[i * 4];
        const uint8_t* a = &actual.bgra[i * 4];
        for (int c = 0; c < 3; ++c) {
            const double diff = r[c] * r[3] / 255.0 - a[c] * a[3] / 255.0;
            squares += diff * diff;
        }
        squares += (r[3] - a[3]) * (r[3] - a[3]);
    }
    if (squares == 0)
        return std::numeric_limits<double>::infinity();
    const double mse = squares / (static_cast<double>(pixels) * 4.0);
    return 10.0 * std::log10(255.0 * 255.0 / mse);
}

} // namespace imagingtest
