#include "AboutPage.h"

#include "platform/widgets/Control.h"

using platform::Place;

AboutPage::AboutPage(QWidget* parent) : platform::Frame(QStringLiteral("关于 Trevalo"), parent) {
    txtAbout = new platform::TextBox(this);
    platform::NameControl(txtAbout, QStringLiteral("txtAbout"));
    txtAbout->setAccessibleName(QStringLiteral("关于 Trevalo"));
    Place(txtAbout, 360, 360, 6135, 3375);
}
