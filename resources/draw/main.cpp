// Draws the window's artwork into a folder: the application icon (one .ico
// and one PNG per size), the banner bitmap, the hand cursor and the generic
// executable icon. Run at build time; redraws everything on each run.

#include "AppIcon.h"
#include "Banner.h"
#include "ExeIcon.h"
#include "HandCursor.h"
#include "IconContainer.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>

#include <array>
#include <cstdio>

namespace {

constexpr std::array<int, 4> kAppIconSizes = {48, 32, 24, 16};
// The desktop's icon theme also takes these, beside the four above.
constexpr std::array<int, 3> kThemeIconSizes = {64, 128, 256};
constexpr std::array<int, 3> kExeIconSizes = {48, 32, 16};

bool WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

bool WriteImage(const QString& path, const QImage& image, const char* format) {
    return image.save(path, format);
}

bool DrawAll(const QDir& out) {
    std::vector<QImage> app;
    bool ok = true;
    for (int size : kAppIconSizes) {
        app.push_back(artwork::DrawAppIcon(size));
        ok &= WriteImage(out.filePath(QStringLiteral("app-%1.png").arg(size)), app.back(), "PNG");
    }
    ok &= WriteBytes(out.filePath(QStringLiteral("trevalo.ico")), artwork::IconFileBytes(app));
    for (int size : kThemeIconSizes)
        ok &= WriteImage(out.filePath(QStringLiteral("app-%1.png").arg(size)), artwork::DrawAppIcon(size), "PNG");
    ok &= WriteImage(out.filePath(QStringLiteral("banner.bmp")), artwork::DrawBanner(artwork::DrawAppIcon(32)), "BMP");
    ok &= WriteBytes(out.filePath(QStringLiteral("hand.cur")),
                     artwork::CursorFileBytes(artwork::DrawHandCursor(), artwork::kHandHotSpot));
    std::vector<QImage> exe;
    for (int size : kExeIconSizes)
        exe.push_back(artwork::DrawExeIcon(size));
    ok &= WriteBytes(out.filePath(QStringLiteral("exe.ico")), artwork::IconFileBytes(exe));
    ok &= WriteImage(out.filePath(QStringLiteral("exe-32.png")), artwork::DrawExeIcon(32), "PNG");
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);  // fonts for the banner's text
    if (argc != 2) {
        std::fprintf(stderr, "usage: trevalo_draw_artwork <output folder>\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!out.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "cannot create %s\n", argv[1]);
        return 1;
    }
    if (!DrawAll(out)) {
        std::fprintf(stderr, "could not write the artwork into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
