#include "TestPictures.h"

#include <QBuffer>

#include <cmath>
#include <cstring>
#include <random>

namespace imagingtest {

void Picture::set(int32_t x, int32_t y, uint8_t b, uint8_t g, uint8_t r, uint8_t a) {
    uint8_t* p = at(x, y);
    p[0] = b;
    p[1] = g;
    p[2] = r;
    p[3] = a;
}

const char* PatternName(Pattern pattern) {
    switch (pattern) {
    case Pattern::Noise: return "Noise";
    case Pattern::Gradient: return "Gradient";
    case Pattern::Edges: return "Edges";
    case Pattern::PartialAlpha: return "PartialAlpha";
    }
    return "?";
}

namespace {

uint8_t Byte(double v) { return static_cast<uint8_t>(std::lround(std::fmin(std::fmax(v, 0.0), 255.0))); }

void FillEdges(Picture& p) {
    for (int32_t y = 0; y < p.height; ++y)
        for (int32_t x = 0; x < p.width; ++x) {
            const bool block = ((x / 5) + (y / 7)) % 2 == 0;
            const bool stripe = (x + 2 * y) % 11 < 3;
            if (x * 3 > p.width * 2 && y * 3 > p.height * 2)
                p.set(x, y, 40, 200, 90, 0);  // transparent corner with colour that must not show
            else if (stripe)
                p.set(x, y, 255, 255, 255, 255);
            else if (block)
                p.set(x, y, 0, 0, 255, 255);
            else
                p.set(x, y, 30, 20, 0, 160);
        }
}

} // namespace

Picture MakePattern(Pattern pattern, int32_t width, int32_t height, uint32_t seed) {
    Picture p(width, height);
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> byte(0, 255);
    switch (pattern) {
    case Pattern::Noise:
        for (auto& v : p.bgra)
            v = static_cast<uint8_t>(byte(random));
        break;
    case Pattern::Gradient:
        for (int32_t y = 0; y < height; ++y)
            for (int32_t x = 0; x < width; ++x) {
                const double u = (x + 0.5) / width, v = (y + 0.5) / height;
                p.set(x, y, Byte(255 * u), Byte(255 * v), Byte(127.5 + 127.5 * std::sin(6.0 * (u + v))), 255);
            }
        break;
    case Pattern::Edges: FillEdges(p); break;
    case Pattern::PartialAlpha:
        for (int32_t y = 0; y < height; ++y)
            for (int32_t x = 0; x < width; ++x) {
                const double d = std::hypot((x + 0.5) / width - 0.5, (y + 0.5) / height - 0.5);
                p.set(x, y, static_cast<uint8_t>(byte(random)), static_cast<uint8_t>(byte(random)),
                      static_cast<uint8_t>(byte(random)), Byte((0.55 - d) * 600.0));
            }
        break;
    }
    return p;
}

Picture Filled(int32_t width, int32_t height, uint8_t b, uint8_t g, uint8_t r, uint8_t a) {
    Picture p(width, height);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            p.set(x, y, b, g, r, a);
    return p;
}

QImage ToImage(const Picture& picture) {
    QImage image(picture.width, picture.height, QImage::Format_ARGB32);
    for (int32_t y = 0; y < picture.height; ++y)
        std::memcpy(image.scanLine(y), picture.at(0, y), static_cast<size_t>(picture.width) * 4);
    return image;
}

QByteArray Encode(const QImage& image, const char* format, int quality) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format, quality);
    return bytes;
}

} // namespace imagingtest
