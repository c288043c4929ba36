#pragma once
// Writes icon (.ico) and cursor (.cur) files: a directory of images, each
// stored as a 32-bit device-independent bitmap with its 1-bit AND mask
// (set where a pixel is fully transparent).

#include <QByteArray>
#include <QImage>
#include <QPoint>
#include <vector>

namespace artwork {

QByteArray IconFileBytes(const std::vector<QImage>& images);
// A cursor of one image whose hot spot is `hotSpot`.
QByteArray CursorFileBytes(const QImage& image, QPoint hotSpot);

} // namespace artwork
