// Pictures loaded and made into icon images on several threads at once give
// exactly what one thread gives: nothing in decoding, resampling or palette
// making is shared between pictures. Under ThreadSanitizer (make tsan-test)
// this also shows that no memory is.
#include "libs/imaging/Imaging.h"

#include "TestPictures.h"

#include <gtest/gtest.h>

#include <thread>

using namespace imagingtest;

namespace {

struct Source {
    QByteArray bytes;
    int32_t size;
    int32_t depth;
};

// Every icon image of one picture, encoded, or empty when any step fails.
std::vector<uint8_t> IconImages(const Source& source) {
    auto picture = imaging::LoadPictureFromMemory(reinterpret_cast<const uint8_t*>(source.bytes.constData()),
                                                  static_cast<size_t>(source.bytes.size()));
    if (!picture)
        return {};
    icofile::ColourBitmap colour;
    icofile::MaskBitmap mask;
    if (!imaging::MakeIconBitmaps(*picture, source.size, source.depth, colour, mask))
        return {};
    return icofile::EncodeImageData(colour, mask, imaging::ColourCountForDepth(source.depth));
}

} // namespace

TEST(Concurrency, ThreadsGiveWhatOneThreadGives) {
    const Pattern patterns[] = {Pattern::Noise, Pattern::Gradient, Pattern::Edges, Pattern::PartialAlpha};
    const char* formats[] = {"png", "bmp", "png", "png"};
    const int32_t depths[] = {4, 8, 32, 24, 16, 8};
    std::vector<Source> sources;
    for (uint32_t i = 0; i < 12; ++i) {
        const QImage image = ToImage(MakePattern(patterns[i % 4], 40 + static_cast<int32_t>(i) * 7, 50, i + 1));
        sources.push_back({Encode(image, formats[i % 4]), 16 + static_cast<int32_t>(i) * 4, depths[i % 6]});
    }
    std::vector<std::vector<uint8_t>> serial;
    for (const Source& source : sources) {
        serial.push_back(IconImages(source));
        ASSERT_FALSE(serial.back().empty());
    }

    constexpr size_t kThreads = 4;
    std::vector<std::vector<std::vector<uint8_t>>> parallel(kThreads, std::vector<std::vector<uint8_t>>(sources.size()));
    std::vector<std::thread> threads;
    for (size_t t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            // Each thread starts at another picture, so that different
            // pictures overlap.
            for (size_t k = 0; k < sources.size(); ++k) {
                const size_t i = (k + 5 * t) % sources.size();
                parallel[t][i] = IconImages(sources[i]);
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    for (size_t t = 0; t < kThreads; ++t)
        for (size_t i = 0; i < sources.size(); ++i)
            EXPECT_TRUE(parallel[t][i] == serial[i]) << "thread " << t << ", picture " << i;
}
