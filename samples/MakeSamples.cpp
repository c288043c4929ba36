// Draws the sample pictures that `make run` starts on: PNGs with soft alpha
// edges in a small folder tree, and a few BMPs.
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>
#include <cstdio>

namespace {

QImage Canvas(int w, int h) {
    QImage img(w, h, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    return img;
}

QImage Sun(int size) {
    QImage img = Canvas(size, size);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const double c = size / 2.0;
    p.setPen(QPen(QColor(255, 170, 0), size / 24.0, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 12; ++i) {
        const double a = i * M_PI / 6;
        p.drawLine(QPointF(c + std::cos(a) * size * 0.32, c + std::sin(a) * size * 0.32),
                   QPointF(c + std::cos(a) * size * 0.46, c + std::sin(a) * size * 0.46));
    }
    QRadialGradient g(QPointF(c * 0.85, c * 0.85), size * 0.3);
    g.setColorAt(0, QColor(255, 250, 180));
    g.setColorAt(1, QColor(255, 140, 0));
    p.setBrush(g);
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(c, c), size * 0.26, size * 0.26);
    return img;
}

QImage Leaf(int w, int h) {
    QImage img = Canvas(w, h);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    path.moveTo(w * 0.1, h * 0.9);
    path.cubicTo(w * 0.1, h * 0.2, w * 0.6, h * 0.05, w * 0.95, h * 0.08);
    path.cubicTo(w * 0.9, h * 0.6, w * 0.5, h * 0.95, w * 0.1, h * 0.9);
    QLinearGradient g(0, h, w, 0);
    g.setColorAt(0, QColor(20, 110, 40));
    g.setColorAt(1, QColor(140, 220, 90, 200));
    p.fillPath(path, g);
    p.setPen(QPen(QColor(10, 70, 20), 2));
    p.drawLine(QPointF(w * 0.1, h * 0.9), QPointF(w * 0.8, h * 0.2));
    return img;
}

QImage Badge(int size, QColor colour, const QString& text) {
    QImage img = Canvas(size, size);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(colour);
    p.setPen(QPen(colour.darker(150), size / 16.0));
    p.drawRoundedRect(QRectF(size * 0.08, size * 0.08, size * 0.84, size * 0.84), size * 0.2, size * 0.2);
    QFont f;
    f.setPixelSize(size / 2);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(img.rect(), Qt::AlignCenter, text);
    return img;
}

QImage Stripes(int w, int h) {
    QImage img(w, h, QImage::Format_RGB32);
    QPainter p(&img);
    for (int i = 0; i < 6; ++i)
        p.fillRect(0, i * h / 6, w, h / 6 + 1, QColor::fromHsv(i * 60, 200, 230));
    return img;
}

bool Save(const QImage& img, const QString& path, const char* format) {
    QDir().mkpath(QFileInfo(path).path());
    if (img.save(path, format))
        return true;
    std::fprintf(stderr, "make_samples: cannot write %s\n", qPrintable(path));
    return false;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_samples <folder>\n");
        return 2;
    }
    QGuiApplication app(argc, argv);  // text drawing needs the font system
    const QString root = QString::fromLocal8Bit(argv[1]);
    bool ok = true;
    ok &= Save(Sun(256), root + "/pictures/sun.png", "PNG");
    ok &= Save(Leaf(160, 100), root + "/pictures/leaf.png", "PNG");
    ok &= Save(Badge(512, QColor(40, 90, 200), "T"), root + "/pictures/apps/trevalo.png", "PNG");
    ok &= Save(Badge(48, QColor(200, 40, 60), "!"), root + "/pictures/apps/small/alert.png", "PNG");
    ok &= Save(Stripes(64, 48), root + "/pictures/stripes.bmp", "BMP");
    ok &= Save(Badge(32, QColor(30, 150, 90), "B"), root + "/pictures/badge.bmp", "BMP");
    return ok ? 0 : 1;
}
