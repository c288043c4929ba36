#pragma once
// The window built as the program builds it (design-time state, then
// start-up) in a start folder holding the executables a test asks for, with
// message boxes recorded instead of shown.

#include "ExeFiles.h"

#include "app/frmMain.h"
#include "app/executables/ExecutablePage.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>

class PageTest : public ::testing::Test {
protected:
    struct Message {
        QString text;
        int style;
        QString title;
        QString caption;  // of the extraction button when the message came
    };

    void SetUp() override;
    void TearDown() override;

    // Files written into the start folder before the window is built.
    virtual std::map<std::string, exetest::Bytes> StartFiles() const;

    ExecutablePage& page() const { return *form->executables; }
    QString StartPath() const { return exetest::FromNative(startDir.path()); }
    // What the preview box shows now.
    QImage Preview() const;
    // The preview box's background colour as a pixel.
    uint32_t Background() const;
    // Selects entry `index` of the executable list as a user's click does.
    void ClickEntry(int index);
    // The names of the executable list, in order.
    std::vector<QString> Listed() const;

    testsupport::TempDir startDir;
    std::unique_ptr<frmMain> form;
    std::vector<Message> messages;
    // The window's enabled state after each change of it, in order.
    std::vector<bool> enabledChanges;
    // The extraction button's caption at each of those changes.
    std::vector<QString> captionsAtEnabledChange;

private:
    class EnabledWatch;
    std::unique_ptr<QObject> enabledWatch_;
    QString previousDir_;
};
