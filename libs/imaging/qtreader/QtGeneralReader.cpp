// The general picture reader over Qt's image readers, behind the plain C
// interface of GeneralReaderAbi.h.
#include "libs/imaging/GeneralReaderAbi.h"

#include <QBuffer>
#include <QByteArray>
#include <QCoreApplication>
#include <QImage>
#include <QImageReader>
#include <QThread>
#include <QtGlobal>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <future>
#include <limits>
#include <memory>
#include <mutex>
#include <new>
#include <thread>

namespace {

// Decoders may allocate up to the pixel limit at 16 bits per channel; this
// guards the formats whose size is only known while decoding.
constexpr int64_t kDecodeBytesPerPixel = 8;

int DecodeAllocationLimitMb(int64_t maxPixels) {
    constexpr int64_t kMb = 1024 * 1024;
    return static_cast<int>(std::max<int64_t>(1, (maxPixels * kDecodeBytesPerPixel + kMb - 1) / kMb));
}

// Qt keeps the limit in one unguarded global that every decode reads, on any
// thread: it is written only when it changes, which a program that always
// asks for the same limit does once, before any of its decodes.
void UseAllocationLimit(int64_t maxPixels) {
    static std::atomic<int> current{-1};
    static std::mutex changing;
    const int wanted = DecodeAllocationLimitMb(maxPixels);
    if (current.load(std::memory_order_acquire) == wanted)
        return;
    const std::lock_guard<std::mutex> lock(changing);
    if (current.load(std::memory_order_relaxed) != wanted) {
        QImageReader::setAllocationLimit(wanted);
        current.store(wanted, std::memory_order_release);
    }
}

bool WithinPixelLimit(const QSize& size, int64_t maxPixels) {
    return size.width() > 0 && size.height() > 0 && int64_t{size.width()} * size.height() <= maxPixels;
}

QImage Decode(QIODevice* device, int64_t maxPixels) {
    UseAllocationLimit(maxPixels);
    QImageReader reader(device);
    reader.setDecideFormatFromContent(true);
    // A header that declares a huge picture is refused before any pixel
    // memory is asked for.
    const QSize declared = reader.size();
    if (!declared.isValid() || !WithinPixelLimit(declared, maxPixels))
        return {};
    // A damaged file can end the decode early, leaving pixels unwritten: the
    // readers decode into an image of the declared size and format (32-bit
    // where a reader names none), filled first, so those pixels are
    // transparent black rather than whatever the heap held. A reader that
    // cannot say the size first is not trusted with that.
    const QImage::Format named = reader.imageFormat();
    QImage image(declared, named == QImage::Format_Invalid ? QImage::Format_ARGB32 : named);
    if (image.isNull())
        return {};
    image.fill(0);
    if (!reader.read(&image) || image.isNull() || !WithinPixelLimit(image.size(), maxPixels))
        return {};
    if (image.format() != QImage::Format_ARGB32)
        image.convertTo(QImage::Format_ARGB32);  // in place where the depth allows
    if (image.isNull() || image.format() != QImage::Format_ARGB32)
        return {};
    return image;
}

// Decoders report damaged pictures through Qt's warnings; a console program
// shows "[ERROR]" for them already, so keep its lines clean.
void DropQtMessage(QtMsgType, const QMessageLogContext&, const QString&) {}

// Without an application object Qt takes the first thread that asks for its
// main thread, and the image plugins it loads are moved there. Were that a
// worker, they would outlive its thread data and the program would end
// touching freed memory; so a thread of the reader's own asks first and
// lives as long as the program.
void AdoptMainThread() {
    // The thread keeps the promise, so nothing it touches ends before it.
    auto adopted = std::make_shared<std::promise<void>>();
    std::future<void> said = adopted->get_future();
    std::thread([adopted] {
        (void)QThread::currentThread();
        adopted->set_value();
        for (;;)
            std::this_thread::sleep_for(std::chrono::hours(24));
    }).detach();
    said.wait();
}

} // namespace

extern "C" __attribute__((visibility("default"))) int trevalo_general_reader_start(void) {
    // A program with an application object (the window) keeps its own main
    // thread and messages.
    if (QCoreApplication::instance() == nullptr) {
        qInstallMessageHandler(DropQtMessage);
        AdoptMainThread();
    }
    return 0;
}

extern "C" __attribute__((visibility("default"))) int trevalo_general_reader_read(
    const uint8_t* data, size_t size, int64_t maxPixels, TrevaloGeneralPicture* picture) {
    if (picture == nullptr)
        return 0;
    *picture = TrevaloGeneralPicture{nullptr, 0, 0};
    if (data == nullptr || size == 0 || size > static_cast<size_t>(std::numeric_limits<qsizetype>::max()))
        return 0;
    try {
        QBuffer buffer;
        buffer.setData(QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
        if (!buffer.open(QIODevice::ReadOnly))
            return 0;
        const QImage image = Decode(&buffer, maxPixels);
        if (image.isNull())
            return 0;
        const size_t rowBytes = size_t{4} * static_cast<size_t>(image.width());
        auto* pixels = static_cast<uint8_t*>(std::malloc(rowBytes * static_cast<size_t>(image.height())));
        if (pixels == nullptr)
            return 0;
        for (int y = 0; y < image.height(); ++y)
            std::memcpy(pixels + rowBytes * static_cast<size_t>(y), image.constScanLine(y), rowBytes);
        *picture = TrevaloGeneralPicture{pixels, image.width(), image.height()};
        return 1;
    } catch (const std::bad_alloc&) {
        return 0;
    }
}
