#include "Banner.h"

#include "resources/ProjectInfo.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>

namespace artwork {

QImage DrawBanner(const QImage& logo) {
    QImage banner(kBannerWidth, kBannerHeight, QImage::Format_RGB32);
    QPainter p(&banner);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    QLinearGradient sky(0, 0, kBannerWidth, 0);
    sky.setColorAt(0, QColor(0x0a, 0x2a, 0x6b));
    sky.setColorAt(0.55, QColor(0x1d, 0x5f, 0xc4));
    sky.setColorAt(1, QColor(0x6f, 0xb3, 0xf5));
    p.fillRect(banner.rect(), sky);
    // A soft light band across the top, for depth.
    QLinearGradient sheen(0, 0, 0, kBannerHeight);
    sheen.setColorAt(0, QColor(255, 255, 255, 60));
    sheen.setColorAt(0.5, QColor(255, 255, 255, 0));
    p.fillRect(banner.rect(), sheen);

    p.drawImage(QPoint(6, (kBannerHeight - logo.height()) / 2), logo);

    QFont name(QStringLiteral("DejaVu Sans"));
    name.setPixelSize(22);
    name.setBold(true);
    p.setFont(name);
    p.setPen(QColor(0, 0, 0, 90));
    p.drawText(QRect(47, 1, 200, kBannerHeight), Qt::AlignVCenter | Qt::AlignLeft,
               QString::fromLatin1(project::kProductName));
    p.setPen(Qt::white);
    p.drawText(QRect(46, 0, 200, kBannerHeight), Qt::AlignVCenter | Qt::AlignLeft,
               QString::fromLatin1(project::kProductName));

    QFont address(QStringLiteral("DejaVu Sans"));
    address.setPixelSize(12);
    p.setFont(address);
    p.setPen(QColor(0xf0, 0xf6, 0xff));
    p.drawText(QRect(0, 0, kBannerWidth - 12, kBannerHeight), Qt::AlignVCenter | Qt::AlignRight,
               QString::fromLatin1(project::kWebHost));
    p.end();
    return banner.convertToFormat(QImage::Format_RGB888);
}

} // namespace artwork
