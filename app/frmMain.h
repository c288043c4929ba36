#pragma once
// The program's one window: banner, tab header, three stacked pages, status
// line and exit button. Each user action is one of its handlers, named
// after the control and event it serves.

#include "app/SharedState.h"
#include "platform/widgets/Frame.h"
#include "platform/widgets/Label.h"
#include "platform/widgets/Line.h"
#include "platform/widgets/MouseMoveRouter.h"
#include "platform/widgets/PictureBox.h"
#include "platform/widgets/Shape.h"

#include <QPushButton>
#include <QTimer>
#include <QWidget>

#include <array>

class AboutPage;
class ExecutablePage;
class PicturePage;

class frmMain : public QWidget {
    Q_OBJECT
public:
    static constexpr int kTabs = 3;
    static constexpr int kClientWidth = 7575;   // twips
    static constexpr int kClientHeight = 5775;  // twips
    static const QString kWelcome;
    static const QString kSelected;
    static const QString kUnselected;
    static const QString kFileListHint;

    // The window in its design-time state; Form_Load comes next.
    explicit frmMain(QWidget* parent = nullptr);

    // The font the layout is made for: a 12-pixel CJK font.
    static QFont WindowFont();

    SharedState& State() { return state_; }
    platform::MouseMoveRouter& Router() { return *router_; }

    void Form_Load();
    void Form_Unload();
    void cmdExit_Click();
    void lblTab_Click(int Index);
    // Ctrl+Tab / Ctrl+PgDn (step 1) and Ctrl+Shift+Tab / Ctrl+PgUp (step -1):
    // the tab beside the selected one in the header's order on screen,
    // wrapping round, handled exactly as a click on it.
    void SwitchPage(int step);
    void lblTab_MouseMove(int Index, int X, int Y);
    void Form_MouseMove(int X, int Y);
    void filEXE_MouseMove(int X, int Y);
    void picBanner_Click();
    // Shows `ctl`'s hint while the pointer (X, Y in twips of `ctl`) is within
    // it, both edges included, and the welcome text once it is outside.
    void HoverStatus(QWidget* ctl, int X, int Y);

    platform::PictureBox* picBanner;
    std::array<platform::Shape*, kTabs> shpTab{};
    std::array<platform::Label*, kTabs> lblTab{};
    std::array<platform::Line*, kTabs> linTab{};
    platform::Shape* shpTabMain;
    std::array<platform::Frame*, kTabs> fraTab{};
    AboutPage* about;            // fraTab(0)
    PicturePage* pictures;       // fraTab(1)
    ExecutablePage* executables; // fraTab(2)
    platform::Label* lblState;
    QPushButton* cmdExit;
    QTimer* Timer;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void createWindow();
    void createTabHeader();
    void createPages();
    void createControls();
    void wireEvents();
    void wireHover();
    void setFocusOrder();
    void createPageKeys();
    void nameForAssistiveTechnology();
    void setTabColors(int Index, platform::OleColor color);

    SharedState state_;
    platform::MouseMoveRouter* router_;
    bool shownOnce_ = false;
};
