#include "ExeFiles.h"

#include "TestSupport.h"

#include <QFile>
#include <QImageReader>

using namespace pewriter;

namespace exetest {
namespace {

Bytes Dib32(int width, int height, const std::vector<uint32_t>& pixels) {
    DibSpec dib;
    dib.width = width;
    dib.height = height;
    dib.bitCount = 32;
    dib.pixels = pixels;
    for (uint32_t p : pixels)
        dib.mask.push_back((p >> 24) == 0 ? 1 : 0);
    return MakeIconDib(dib);
}

uint16_t Le16(const Bytes& b, size_t at) {
    return static_cast<uint16_t>(b[at] | (b[at + 1] << 8));
}

uint32_t Le32(const Bytes& b, size_t at) {
    return Le16(b, at) | (uint32_t{Le16(b, at + 2)} << 16);
}

} // namespace

Bytes Solid32(int edge, uint32_t argb) {
    return Dib32(edge, edge, std::vector<uint32_t>(static_cast<size_t>(edge * edge), argb));
}

Bytes Marked32(int edge, uint32_t argb) {
    std::vector<uint32_t> pixels(static_cast<size_t>(edge * edge), argb);
    pixels[0] = kCorner;
    return Dib32(edge, edge, pixels);
}

Bytes Halves32(int width, int height, int clearRows, uint32_t left, uint32_t right) {
    std::vector<uint32_t> pixels;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixels.push_back(y < clearRows ? 0u : x < width / 2 ? left : right);
    return Dib32(width, height, pixels);
}

Bytes PeWith(const std::vector<Bytes>& images, PeKind kind) {
    std::vector<GroupImage> group;
    for (size_t i = 0; i < images.size(); ++i)
        group.push_back(GroupImage{static_cast<uint16_t>(i + 1), images[i]});
    std::vector<Resource> resources;
    AddIconGroup(&resources, ResId::Number(1), group);
    return BuildPe(resources, {kind}).bytes;
}

Bytes PeOfColour(uint32_t argb) {
    return PeWith({Solid32(32, argb)});
}

Bytes PeWithoutIcons() {
    PeOptions options;
    options.withResources = false;
    return BuildPe({}, options).bytes;
}

Bytes TextFile() {
    const std::string text = "MZ starts this line, yet it is only text.\r\n";
    return Bytes(text.begin(), text.end());
}

Bytes ElfFile() {
    Bytes elf{0x7F, 'E', 'L', 'F', 2, 1, 1, 0};
    elf.resize(512, 0);
    return elf;
}

// The group's language directory entry points back at its own directory.
Bytes LoopingPe() {
    std::vector<Resource> resources;
    AddIconGroup(&resources, ResId::Number(1), {{1, Solid32(32, kRed)}});
    PeFile pe = BuildPe(resources);
    const ResourcePlacement& group = pe.placements.back();
    Put32(pe.bytes, group.languageDirectory + 16 + 4,
          0x80000000u | static_cast<uint32_t>(group.languageDirectory - pe.resourceRoot));
    return pe.bytes;
}

Bytes PeCutInIconData() {
    std::vector<Resource> resources;
    AddIconGroup(&resources, ResId::Number(1), {{1, Solid32(32, kRed)}});
    PeFile pe = BuildPe(resources);
    pe.bytes.resize(pe.placements.front().data + 100);
    return pe.bytes;
}

void Write(const std::filesystem::path& file, const Bytes& bytes) {
    testsupport::WriteBytes(file, bytes);
}

std::filesystem::path Native(const QString& path) {
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

QString FromNative(const std::filesystem::path& path) {
    return QFile::decodeName(QByteArray::fromStdString(path.string()));
}

IcoFile ParseIco(const Bytes& b) {
    IcoFile ico;
    if (b.size() < 22)
        return ico;
    ico.reserved = Le16(b, 0);
    ico.type = Le16(b, 2);
    ico.count = Le16(b, 4);
    ico.width = b[6];
    ico.height = b[7];
    ico.colourCount = b[8];
    ico.entryReserved = b[9];
    ico.planes = Le16(b, 10);
    ico.bitCount = Le16(b, 12);
    ico.bytesInRes = Le32(b, 14);
    ico.offset = Le32(b, 18);
    if (ico.offset <= b.size() && ico.bytesInRes <= b.size() - ico.offset)
        ico.imageData.assign(b.begin() + ico.offset, b.begin() + ico.offset + ico.bytesInRes);
    return ico;
}

QImage ReadWithQt(const std::filesystem::path& file) {
    QImageReader reader(FromNative(file), "ico");
    const QImage image = reader.read();
    return image.isNull() ? image : image.convertToFormat(QImage::Format_ARGB32);
}

std::string ListWithIcotool(const std::filesystem::path& file) {
    const auto result = testsupport::RunProcess("icotool", {"-l", file.string()}, file.parent_path());
    return result.exitCode == 0 ? result.out : std::string();
}

} // namespace exetest
