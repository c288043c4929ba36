#pragma once
// Executables for the executable page's tests, made by the fixture writer,
// and independent readers of the icon files the page writes.

#include "samples/exewriter/IconFixtures.h"
#include "samples/exewriter/PeWriter.h"

#include <QImage>
#include <QString>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace exetest {

using Bytes = std::vector<uint8_t>;

inline constexpr uint32_t kRed = 0xFFE02020;
inline constexpr uint32_t kGreen = 0xFF20C040;
inline constexpr uint32_t kBlue = 0xFF2040E0;
inline constexpr uint32_t kCorner = 0xFFFFD000;   // the top-left pixel of a marked icon

// A 32-bit icon DIB of one colour.
Bytes Solid32(int edge, uint32_t argb);
// A 32-bit icon DIB of one colour whose top-left pixel is kCorner.
Bytes Marked32(int edge, uint32_t argb);
// A 32-bit icon DIB: the top `clearRows` rows transparent, below them the
// left half `left` and the right half `right`.
Bytes Halves32(int width, int height, int clearRows, uint32_t left, uint32_t right);

// A PE32 whose only icon group holds these images (ids from 1).
Bytes PeWith(const std::vector<Bytes>& images, pewriter::PeKind kind = pewriter::PeKind::kPe32);
// A PE32 with one 32 x 32 32-bit icon of one colour.
Bytes PeOfColour(uint32_t argb);
// A PE32 without resources, a text file, the start of an ELF binary.
Bytes PeWithoutIcons();
Bytes TextFile();
Bytes ElfFile();
// A PE32 with a 32 x 32 icon whose resource directory loops back on itself.
Bytes LoopingPe();
// A PE32 with one icon, cut short inside the icon's image data.
Bytes PeCutInIconData();

void Write(const std::filesystem::path& file, const Bytes& bytes);
std::filesystem::path Native(const QString& path);
QString FromNative(const std::filesystem::path& path);

// An .ico file as read back: its directory's first entry and image data.
struct IcoFile {
    uint16_t reserved = 0xFFFF, type = 0, count = 0;
    uint8_t width = 0, height = 0, colourCount = 0, entryReserved = 0;
    uint16_t planes = 0, bitCount = 0;
    uint32_t bytesInRes = 0, offset = 0;
    Bytes imageData;   // bytesInRes bytes from offset, when inside the file
};
IcoFile ParseIco(const Bytes& bytes);

// The file's first image through Qt's ICO reader, as ARGB32; null when it
// cannot be read.
QImage ReadWithQt(const std::filesystem::path& file);
// The lines `icotool -l` prints for the file; empty when it fails.
std::string ListWithIcotool(const std::filesystem::path& file);

} // namespace exetest
