#pragma once
// What every control of the window shares: a name, a free text `Tag`, and a
// place given in twips (15 twips = 1 pixel at 96 dpi).

#include <QRect>
#include <QString>

class QWidget;

namespace platform {

inline constexpr int kTwipsPerPixel = 15;

// Twips to pixels, rounded to the nearest pixel.
constexpr int ToPixels(int twips) {
    return twips >= 0 ? (twips + kTwipsPerPixel / 2) / kTwipsPerPixel
                      : -((-twips + kTwipsPerPixel / 2) / kTwipsPerPixel);
}
constexpr int ToTwips(int pixels) { return pixels * kTwipsPerPixel; }

QRect TwipsRect(int left, int top, int width, int height);

// Places a control inside its container; all values in twips.
void Place(QWidget* control, int left, int top, int width, int height);

// Gives a widget its control name and marks it as a control, so that pointer
// routing stops at it rather than at its inner parts.
void NameControl(QWidget* control, const QString& name);
bool IsControl(const QWidget* widget);

QString Tag(const QWidget* control);
void SetTag(QWidget* control, const QString& tag);

// Width and height of a control in twips, read at this moment.
int WidthTwips(const QWidget* control);
int HeightTwips(const QWidget* control);

} // namespace platform
