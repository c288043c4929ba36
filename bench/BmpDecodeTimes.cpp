// Times our BMP decoder against Qt's BMP reader on the same files in one run
// (each to 32-bit straight alpha, as the loader hands pictures on), and
// reports the peak memory of loading one large BMP through each.
//
// usage: bmp_times [REPEATS]            the timing table
//        bmp_times --write FILE W H     writes a 24-bit BMP of W x H
//        bmp_times --peak ours|qt FILE  loads FILE, prints the peak RSS in MiB

#include "libs/imaging/Imaging.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

void Put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

// A bottom-up BI_RGB picture of a busy pattern; 8 bits with a full table.
std::vector<uint8_t> MakeBmp(int width, int height, int bits) {
    const uint32_t rowBytes = (static_cast<uint32_t>(width) * bits + 31) / 32 * 4;
    const uint32_t table = bits == 8 ? 1024 : 0;
    std::vector<uint8_t> out = {'B', 'M'};
    out.reserve(54 + table + size_t{rowBytes} * height);
    Put32(out, 54 + table + rowBytes * static_cast<uint32_t>(height));
    Put32(out, 0);
    Put32(out, 54 + table);
    for (const uint32_t v : {40u, static_cast<uint32_t>(width), static_cast<uint32_t>(height)})
        Put32(out, v);
    Put16(out, 1);
    Put16(out, static_cast<uint32_t>(bits));
    for (int i = 0; i < 6; ++i)
        Put32(out, 0);
    for (uint32_t i = 0; i < table / 4; ++i)
        Put32(out, i * 0x010307u);
    for (int y = 0; y < height; ++y) {
        const size_t start = out.size();
        for (int x = 0; x < width; ++x) {
            const uint32_t v = static_cast<uint32_t>(x * 7 + y * 13) ^ static_cast<uint32_t>(x * y);
            for (int b = 0; b < bits / 8; ++b)
                out.push_back(static_cast<uint8_t>(v >> (8 * b)));
        }
        out.resize(start + rowBytes, 0);
    }
    return out;
}

bool DecodeOurs(const std::vector<uint8_t>& file) {
    return imaging::LoadPictureFromMemory(file.data(), file.size()) != nullptr;
}

bool DecodeQt(const std::vector<uint8_t>& file) {
    QBuffer buffer;
    buffer.setData(QByteArray::fromRawData(reinterpret_cast<const char*>(file.data()),
                                           static_cast<qsizetype>(file.size())));
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "bmp");
    QImage image = reader.read();
    image.convertTo(QImage::Format_ARGB32);
    return !image.isNull();
}

template <class F>
double BestSeconds(int repeats, F decode) {
    double best = 1e30;
    for (int i = 0; i < repeats; ++i) {
        const auto start = std::chrono::steady_clock::now();
        if (!decode())
            return -1;
        best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
}

int Table(int repeats) {
    QImageReader::setAllocationLimit(1024);
    std::printf("bmp decode (best of %d; ours = LoadPictureFromMemory, Qt = QImageReader + ARGB32):\n", repeats);
    std::printf("  %-16s %10s %10s %8s\n", "picture", "ours ms", "Qt ms", "Qt/ours");
    int status = 0;
    for (const int bits : {8, 16, 24, 32}) {
        for (const int edge : {64, 512, 2048}) {
            const std::vector<uint8_t> file = MakeBmp(edge, edge, bits);
            const int inner = edge <= 64 ? 200 : 1;  // small pictures: many decodes per sample
            auto many = [&](auto decode) {
                return [&, decode] {
                    for (int i = 0; i < inner; ++i)
                        if (!decode(file))
                            return false;
                    return true;
                };
            };
            const double ours = BestSeconds(repeats, many(DecodeOurs)) / inner;
            const double qt = BestSeconds(repeats, many(DecodeQt)) / inner;
            if (ours < 0 || qt < 0) {
                std::printf("  %dx%d %d-bit: a decoder failed\n", edge, edge, bits);
                status = 1;
                continue;
            }
            const std::string name =
                std::to_string(edge) + "x" + std::to_string(edge) + " " + std::to_string(bits) + "-bit";
            std::printf("  %-16s %10.3f %10.3f %7.2fx\n", name.c_str(), ours * 1e3, qt * 1e3, qt / ours);
        }
    }
    return status;
}

int Write(const char* path, int width, int height) {
    const std::vector<uint8_t> file = MakeBmp(width, height, 24);
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
    return out ? 0 : 1;
}

int Peak(const std::string& which, const char* path) {
    bool ok = false;
    if (which == "ours") {
        ok = imaging::LoadPicture(path) != nullptr;
    } else {
        QImageReader::setAllocationLimit(1024);
        QImageReader reader{QString::fromLocal8Bit(path)};
        QImage image = reader.read();
        image.convertTo(QImage::Format_ARGB32);
        ok = !image.isNull();
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("%s %.0f\n", ok ? "ok" : "failed", static_cast<double>(usage.ru_maxrss) / 1024.0);
    return ok ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 5 && std::strcmp(argv[1], "--write") == 0)
        return Write(argv[2], std::atoi(argv[3]), std::atoi(argv[4]));
    if (argc == 4 && std::strcmp(argv[1], "--peak") == 0)
        return Peak(argv[2], argv[3]);
    return Table(argc > 1 ? std::max(1, std::atoi(argv[1])) : 3);
}
