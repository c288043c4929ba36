#pragma once
// Page 0: the About text.

#include "platform/widgets/Frame.h"
#include "platform/widgets/TextBox.h"

class AboutPage : public platform::Frame {
    Q_OBJECT
public:
    explicit AboutPage(QWidget* parent = nullptr);

    platform::TextBox* txtAbout;
};
