#pragma once
// Builds the window as the program does (design-time state, then start-up)
// in a start folder of known content, with message boxes and the browser
// recorded instead of shown.

#include "app/frmMain.h"
#include "app/executables/ExecutablePage.h"
#include "app/pictures/PicturePage.h"
#include "app/AboutPage.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QString>
#include <memory>
#include <string>
#include <vector>

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Files made in the start folder before the window is built.
    virtual std::vector<std::string> StartFiles() const { return {"b.exe", "A.exe", "readme.txt"}; }

    // Shows the window (needed for pointer routing and focus).
    void Show();
    // A pointer move at `pos` in the window's pixels, delivered as the
    // platform delivers it.
    void MoveTo(QPoint pos);
    // Position of a point of `control` (pixels of the control) in the window.
    QPoint At(const QWidget* control, QPoint local) const;
    QString Status() const { return form->lblState->text(); }

    testsupport::TempDir startDir;
    std::unique_ptr<frmMain> form;
    std::vector<QString> openedUrls;
    std::vector<QString> messages;

private:
    QString previousDir_;
};
