#include "Control.h"

#include <QVariant>
#include <QWidget>

namespace platform {

namespace {
constexpr char kControlMark[] = "trevaloControl";
constexpr char kTagProperty[] = "Tag";
} // namespace

QRect TwipsRect(int left, int top, int width, int height) {
    return QRect(ToPixels(left), ToPixels(top), ToPixels(width), ToPixels(height));
}

void Place(QWidget* control, int left, int top, int width, int height) {
    control->setGeometry(TwipsRect(left, top, width, height));
}

void NameControl(QWidget* control, const QString& name) {
    control->setObjectName(name);
    control->setProperty(kControlMark, true);
}

bool IsControl(const QWidget* widget) {
    return widget->property(kControlMark).toBool();
}

QString Tag(const QWidget* control) {
    return control->property(kTagProperty).toString();
}

void SetTag(QWidget* control, const QString& tag) {
    control->setProperty(kTagProperty, tag);
}

int WidthTwips(const QWidget* control) { return ToTwips(control->width()); }
int HeightTwips(const QWidget* control) { return ToTwips(control->height()); }

} // namespace platform
