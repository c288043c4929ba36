// The window's handlers: start-up and shut-down, tab clicks, hover feedback
// on the status line and the banner link.

#include "frmMain.h"

#include "app/AboutPage.h"
#include "app/AboutText.h"
#include "app/executables/ExecutablePage.h"
#include "app/pictures/JobFolder.h"
#include "app/pictures/PicturePage.h"
#include "platform/shell/OpenUrl.h"
#include "platform/widgets/Control.h"
#include "platform/widgets/PageTabAccessible.h"
#include "platform/artwork/Artwork.h"
#include "resources/ProjectInfo.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QScreen>

#include <algorithm>
#include <numeric>

using platform::SetTag;
using platform::Tag;

// Each step stands on its own: one that cannot be done is skipped silently.
void frmMain::Form_Load() {
    const QPixmap banner = artwork::Banner();
    if (!banner.isNull())
        picBanner->SetPicture(banner);

    if (const auto hand = artwork::HandCursor())
        picBanner->setCursor(*hand);

    if (pictures->cboPicType->count() > 0)
        pictures->cboPicType->setCurrentIndex(0);

    // Selecting raises the list's Click, which previews the executable; an
    // empty list has no entry 0 and the step is skipped.
    (void)executables->filEXE->SetSelected(0, true);

    State().LastDrive = QCoreApplication::applicationDirPath() + QLatin1Char('/');

    about->txtAbout->SetText(about->txtAbout->Text() + AboutText());
}

// The converter is removed only from the folder the PNG job writes it into,
// never from wherever the program happened to be started.
void frmMain::Form_Unload() {
    const QString folder = JobFolder();
    if (!folder.isEmpty())
        QFile::remove(QDir(folder).filePath(QString::fromLatin1(kConverterFileName)));
}

void frmMain::cmdExit_Click() {
    close();
    QCoreApplication::exit(0);
}

void frmMain::closeEvent(QCloseEvent* event) {
    // While a long run has the window disabled, it cannot be closed.
    if (!isEnabled()) {
        event->ignore();
        return;
    }
    Form_Unload();
    event->accept();
}

void frmMain::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    router_->Attach();
    if (shownOnce_)
        return;
    shownOnce_ = true;
    if (const QScreen* screen = this->screen()) {
        const QRect area = screen->availableGeometry();
        const QRect frame = frameGeometry();
        move(area.center() - QPoint(frame.width() / 2, frame.height() / 2));
    }
    pictures->cmdPIC2ICO->setFocus();
}

void frmMain::lblTab_Click(int Index) {
    for (int i = 0; i < kTabs; ++i) {
        const bool chosen = i == Index;
        const platform::OleColor color = chosen ? platform::kWhite : platform::kButtonFace;
        fraTab[i]->setVisible(chosen);
        SetTag(lblTab[i], chosen ? kSelected : kUnselected);
        platform::MarkPageTab(lblTab[i], chosen);
        lblTab[i]->SetBackColor(color);
        shpTab[i]->SetBackColor(color);
        linTab[i]->SetBorderColor(chosen ? platform::kWhite : platform::kBlack);
    }
    // Whichever tab was clicked, the executable preview is redrawn last.
    executables->filEXE_Click();
}

void frmMain::SwitchPage(int step) {
    // The order the labels stand in on screen, left to right.
    std::array<int, kTabs> onScreen{};
    std::iota(onScreen.begin(), onScreen.end(), 0);
    std::sort(onScreen.begin(), onScreen.end(), [this](int a, int b) { return lblTab[a]->x() < lblTab[b]->x(); });
    int at = 0;
    for (int i = 0; i < kTabs; ++i) {
        if (Tag(lblTab[onScreen[i]]) == kSelected)
            at = i;
    }
    lblTab_Click(onScreen[(at + step % kTabs + kTabs) % kTabs]);
}

void frmMain::lblTab_MouseMove(int Index, int, int) {
    setTabColors(Index, platform::kActiveCaption);
}

void frmMain::Form_MouseMove(int, int) {
    for (int i = 0; i < kTabs; ++i)
        setTabColors(i, Tag(lblTab[i]) != kUnselected ? platform::kWhite : platform::kButtonFace);
}

void frmMain::filEXE_MouseMove(int X, int Y) {
    SetTag(executables->filEXE, kFileListHint);
    HoverStatus(executables->filEXE, X, Y);
}

void frmMain::HoverStatus(QWidget* ctl, int X, int Y) {
    const bool inside = X >= 0 && X <= platform::WidthTwips(ctl) && Y >= 0 && Y <= platform::HeightTwips(ctl);
    if (inside) {
        router_->SetCapture(ctl);
        lblState->setText(Tag(ctl));
    } else {
        router_->ReleaseCapture();
        lblState->setText(kWelcome);
    }
}

void frmMain::picBanner_Click() {
    platform::OpenUrl(QString::fromLatin1(project::kWebSite));
}
