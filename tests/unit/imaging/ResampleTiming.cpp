// Measures decoding and resampling per picture for the seven sizes the
// window offers, on generated pictures of 256 x 256 and 1024 x 1024. Not a
// test: it prints milliseconds and asserts nothing.
//   imaging_timing [repeats [edge]]

#include "libs/imaging/Imaging.h"
#include "libs/imaging/SourcePicture.h"

#include <QBuffer>
#include <QImage>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// A photo-like picture: smooth colour fields, some noise, a soft-edged
// transparent border.
QImage MakePicture(int edge) {
    QImage image(edge, edge, QImage::Format_ARGB32);
    std::mt19937 random(7);
    std::uniform_int_distribution<int> noise(-12, 12);
    for (int y = 0; y < edge; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < edge; ++x) {
            const double u = double(x) / edge, v = double(y) / edge;
            const int r = std::clamp(int(255 * u) + noise(random), 0, 255);
            const int g = std::clamp(int(127 + 120 * std::sin(9 * u * v)) + noise(random), 0, 255);
            const int b = std::clamp(int(255 * v) + noise(random), 0, 255);
            const double d = std::hypot(u - 0.5, v - 0.5);
            const int a = std::clamp(int((0.5 - d) * 2550), 0, 255);
            line[x] = qRgba(r, g, b, a);
        }
    }
    return image;
}

QByteArray EncodePng(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }


// Resamples one picture to the seven sizes with its masks, as the converter
// does for one file.
bool MakeAllSizes(imaging::SourcePicture& picture) {
    for (int size : {16, 32, 48, 64, 72, 96, 128}) {
        icofile::ColourBitmap colour;
        icofile::MaskBitmap mask;
        if (!imaging::MakeIconBitmaps(picture, size, 32, colour, mask))
            return false;
    }
    return true;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    const int repeats = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    std::vector<int> edges = {256, 1024};
    if (argc > 2)
        edges = {std::max(1, std::atoi(argv[2]))};
    for (int edge : edges) {
        const QByteArray png = EncodePng(MakePicture(edge));
        const auto* bytes = reinterpret_cast<const uint8_t*>(png.constData());
        // As in the converter: decode, then all sizes from the fresh picture.
        std::vector<double> decode, resample, warm;
        for (int i = 0; i < repeats; ++i) {
            const auto t0 = Clock::now();
            auto picture = imaging::LoadPictureFromMemory(bytes, static_cast<size_t>(png.size()));
            const auto t1 = Clock::now();
            if (!picture || !MakeAllSizes(*picture))
                return 1;
            picture.reset();
            decode.push_back(Ms(t1 - t0));
            resample.push_back(Ms(Clock::now() - t1));
        }
        // The resampling alone, over and over from the same decoded pixels
        // (each round a fresh picture, so no levels are kept between rounds).
        QImage decoded;
        decoded.loadFromData(png, "PNG");
        decoded.convertTo(QImage::Format_ARGB32);
        for (int i = 0; i < repeats; ++i) {
            const auto t0 = Clock::now();
            auto picture = imaging::SourcePicture::Copy(decoded.constBits(), decoded.width(), decoded.height(),
                                                         decoded.bytesPerLine());
            if (!picture || !MakeAllSizes(*picture))
                return 1;
            picture.reset();
            warm.push_back(Ms(Clock::now() - t0));
        }
        std::printf("%4d x %-4d PNG %7lld bytes: decode %.3f ms, resample 7 sizes %.3f ms "
                    "(after each decode) / %.3f ms (back to back); medians of %d\n",
                    edge, edge, static_cast<long long>(png.size()), Median(decode), Median(resample),
                    Median(warm), repeats);
    }
    return 0;
}
