// The folder handlers of the picture page: the picture type's Click, the
// drive and folder lists' nesting with and without the same-folder option,
// the fall-back to LastDrive from a drive that cannot be read, and the
// start button's dispatch.

#include "PageFixture.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>

namespace fs = std::filesystem;

namespace {

std::vector<int> Ticks(PicturePage& p) {
    std::vector<int> ticks;
    for (int i = 1; i <= PicturePage::kSizeOptions; ++i)
        ticks.push_back(p.chkPNG2ICOOption(i)->Value());
    return ticks;
}

std::vector<bool> Enabled(PicturePage& p) {
    std::vector<bool> enabled;
    for (int i = 1; i <= PicturePage::kSizeOptions; ++i)
        enabled.push_back(p.chkPNG2ICOOption(i)->isEnabled());
    return enabled;
}

// Types text key by key, as a keyboard (or an input method) delivers it.
void Type(QWidget* widget, const QString& text) {
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

const std::vector<bool> kAllOn(7, true);
const std::vector<bool> kAllOff(7, false);

} // namespace

TEST_F(PageTest, ChoosingAnEntrySwitchesTheSizeBoxesTypingDoesNot) {
    PicturePage& p = page();
    p.chkPNG2ICOOption(3)->SetValue(0);
    const std::vector<int> ticks = Ticks(p);

    QTest::keyClick(p.cboPicType, Qt::Key_Down);  // the user moves to the next entry
    ASSERT_EQ(p.cboPicType->currentText(), PicturePage::kBmpType);
    EXPECT_EQ(Enabled(p), kAllOff);
    EXPECT_EQ(Ticks(p), ticks);

    // Typing the PNG entry's text raises no Click: the boxes stay disabled.
    p.cboPicType->lineEdit()->clear();
    Type(p.cboPicType->lineEdit(), PicturePage::kPngType);
    ASSERT_EQ(p.cboPicType->currentText(), PicturePage::kPngType);
    EXPECT_EQ(Enabled(p), kAllOff);

    QTest::keyClick(p.cboPicType, Qt::Key_Up);
    ASSERT_EQ(p.cboPicType->currentText(), PicturePage::kPngType);
    EXPECT_EQ(Enabled(p), kAllOn);
    EXPECT_EQ(Ticks(p), ticks);
}

// Enter after typing an entry's text exactly, or leaving the box, is not a
// choice (the box's own test covers the mouse, the keys and the wheel).
TEST_F(PageTest, EnterAfterTypingTheBmpEntrysTextGreysNothing) {
    PicturePage& p = page();
    form->show();
    QApplication::setActiveWindow(form.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    p.cboPicType->lineEdit()->setFocus();
    p.cboPicType->lineEdit()->clear();
    Type(p.cboPicType->lineEdit(), PicturePage::kBmpType);
    QTest::keyClick(p.cboPicType->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(Enabled(p), kAllOn);
    QTest::keyClick(p.cboPicType->lineEdit(), Qt::Key_Tab);
    ASSERT_FALSE(p.cboPicType->lineEdit()->hasFocus());
    EXPECT_EQ(Enabled(p), kAllOn);
    EXPECT_EQ(p.cboPicType->currentText(), PicturePage::kBmpType);
}

// Typed text is taken as typed: the start of an entry's text is not
// completed to that entry, so the start button runs nothing.
TEST_F(PageTest, TypedTextIsNotCompletedToAnEntry) {
    // Typing goes to the focused box of the active window, as for the user.
    form->show();
    QApplication::setActiveWindow(form.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    page().cboPicType->lineEdit()->setFocus();
    ASSERT_TRUE(page().cboPicType->lineEdit()->hasFocus());
    for (const QString& typed : {QStringLiteral(".B"), QStringLiteral(".png"), QStringLiteral(".PNG")}) {
        page().cboPicType->lineEdit()->clear();
        Type(page().cboPicType->lineEdit(), typed);
        EXPECT_EQ(page().cboPicType->currentText(), typed);
        page().cmdPIC2ICO->click();
        EXPECT_EQ(page().cboPicType->currentText(), typed);
        EXPECT_TRUE(messages.empty()) << typed.toStdString();
        EXPECT_TRUE(form->isEnabled());
    }
}

// Ticking copies the drive before the folder: the target drive's handler
// moves the target folder to that drive's current folder (D/start here)
// first, and the copied source folder wins.
TEST_F(PageTest, TickingTheSameFolderOptionCopiesDriveThenFolderAndLocksTheTarget) {
    PicturePage& p = page();
    fs::create_directories(d / "pics");
    OpenFolder(p.dirPIC, Q(d / "pics"));
    PickDrive(p.drvICO, driveE);
    ASSERT_EQ(p.dirICO->Path(), driveE);
    ASSERT_EQ(LastDrive(), driveE);

    p.chkSameDirToPNG->click();
    EXPECT_EQ(p.drvICO->Drive(), driveD);
    EXPECT_EQ(p.dirICO->Path(), Q(d / "pics"));
    EXPECT_EQ(LastDrive(), driveD);  // the target drive's handler ran
    EXPECT_FALSE(p.drvICO->isEnabled());
    EXPECT_FALSE(p.dirICO->isEnabled());
    EXPECT_EQ(p.dirPIC->Path(), Q(d / "pics"));
}

// With the option on, a source drive change nests all four lists' events:
// each event is logged after its handler has run.
TEST_F(PageTest, SourceDriveChangeWithTheOptionNestsTheHandlersInOrder) {
    PicturePage& p = page();
    p.chkSameDirToPNG->click();
    std::vector<std::string> log;
    auto record = [&](const char* name, auto* list) {
        QObject::connect(list, &std::remove_pointer_t<decltype(list)>::Change, [&log, name, this] {
            log.push_back(std::string(name) + " LastDrive=" + LastDrive().toStdString());
        });
    };
    record("drvPIC", p.drvPIC);
    record("dirPIC", p.dirPIC);
    record("drvICO", p.drvICO);
    record("dirICO", p.dirICO);
    const std::string before = LastDrive().toStdString();
    const std::string onE = driveE.toStdString();

    PickDrive(p.drvPIC, driveE);
    EXPECT_EQ(log, (std::vector<std::string>{"dirICO LastDrive=" + before, "drvICO LastDrive=" + onE,
                                             "dirPIC LastDrive=" + onE, "drvPIC LastDrive=" + onE}));
    EXPECT_EQ(p.dirPIC->Path(), driveE);
    EXPECT_EQ(p.dirICO->Path(), driveE);
    EXPECT_EQ(p.drvICO->Drive(), driveE);

    fs::create_directories(e / "sub");
    p.dirPIC->Refresh();
    OpenFolder(p.dirPIC, Q(e / "sub"));
    EXPECT_EQ(p.dirICO->Path(), Q(e / "sub"));
}

TEST_F(PageTest, WithoutTheOptionSourceAndTargetMoveIndependently) {
    PicturePage& p = page();
    fs::create_directories(e / "pics");
    fs::create_directories(d / "start" / "out");
    p.dirICO->Refresh();

    PickDrive(p.drvPIC, driveE);
    EXPECT_EQ(LastDrive(), driveE);
    OpenFolder(p.dirPIC, Q(e / "pics"));
    EXPECT_EQ(p.drvICO->Drive(), driveD);
    EXPECT_EQ(p.dirICO->Path(), Q(d / "start"));

    // dirICO has no handler: nothing else moves, LastDrive stays.
    OpenFolder(p.dirICO, Q(d / "start" / "out"));
    EXPECT_EQ(p.dirPIC->Path(), Q(e / "pics"));
    EXPECT_EQ(LastDrive(), driveE);

    PickDrive(p.drvICO, QStringLiteral("/"));
    EXPECT_EQ(LastDrive(), QStringLiteral("/"));
    EXPECT_EQ(p.dirPIC->Path(), Q(e / "pics"));
    EXPECT_EQ(p.drvPIC->Drive(), driveE);
}

TEST_F(PageTest, UntickingUnlocksTheTargetAsItStands) {
    PicturePage& p = page();
    PickDrive(p.drvICO, driveE);
    p.chkSameDirToPNG->click();
    p.chkSameDirToPNG->click();
    EXPECT_TRUE(p.drvICO->isEnabled());
    EXPECT_TRUE(p.dirICO->isEnabled());
    EXPECT_EQ(p.drvICO->Drive(), driveD);
    EXPECT_EQ(p.dirICO->Path(), Q(d / "start"));

    PickDrive(p.drvPIC, driveE);
    EXPECT_EQ(p.drvICO->Drive(), driveD);
    EXPECT_EQ(p.dirICO->Path(), Q(d / "start"));
}

// LastDrive is shared: the target falls back to the drive the source list
// accepted last, not to its own previous drive.
TEST_F(PageTest, AnUnreadableTargetDriveFallsBackToTheDriveLastAccepted) {
    PicturePage& p = page();
    PickDrive(p.drvPIC, driveE);
    ASSERT_EQ(p.drvICO->Drive(), driveD);

    PickDrive(p.drvICO, driveGone);
    EXPECT_EQ(p.drvICO->Drive(), driveE);
    EXPECT_EQ(p.dirICO->Path(), driveE);
    EXPECT_EQ(LastDrive(), driveE);
    EXPECT_TRUE(messages.empty());
}

// The failing change copies nothing; the change back to LastDrive runs the
// whole handler again, the copy included.
TEST_F(PageTest, AnUnreadableSourceDriveFallsBackAndTheTargetFollowsTheFallBack) {
    PicturePage& p = page();
    PickDrive(p.drvICO, driveE);  // LastDrive E
    p.chkSameDirToPNG->click();   // target back to D/start, LastDrive D
    PickDrive(p.drvPIC, driveE);  // LastDrive E, target E
    fs::create_directories(e / "kept");
    p.dirPIC->Refresh();
    OpenFolder(p.dirPIC, Q(e / "kept"));
    std::vector<QString> targetPaths;
    QObject::connect(p.dirICO, &platform::DirListBox::Change, [&] { targetPaths.push_back(p.dirICO->Path()); });

    PickDrive(p.drvPIC, driveGone);
    EXPECT_EQ(p.drvPIC->Drive(), driveE);
    EXPECT_EQ(p.dirPIC->Path(), Q(e / "kept"));
    EXPECT_EQ(p.drvICO->Drive(), driveE);
    EXPECT_EQ(p.dirICO->Path(), Q(e / "kept"));
    EXPECT_TRUE(targetPaths.empty());
    EXPECT_EQ(LastDrive(), driveE);
    EXPECT_TRUE(messages.empty());
}

struct Dispatch {
    const char* label;
    QString type;
    QString expected;  // the error box of the run it starts (the folder is empty), or none
};

class DispatchTest : public PageTest, public ::testing::WithParamInterface<Dispatch> {};

TEST_P(DispatchTest, StartRunsTheRouteNamedByTheExactText) {
    page().cboPicType->setEditText(GetParam().type);
    page().cmdPIC2ICO->click();
    if (GetParam().expected.isEmpty()) {
        EXPECT_TRUE(messages.empty());
    } else {
        EXPECT_EQ(messages, (std::vector<Message>{{GetParam().expected, 16, QStringLiteral("错误")}}));
    }
    EXPECT_TRUE(form->isEnabled());
}

INSTANTIATE_TEST_SUITE_P(
    Types, DispatchTest,
    ::testing::Values(Dispatch{"bmp", QStringLiteral(".BMP格式图片"), QStringLiteral("该文件夹中没有.BMP文件，请重选择文件夹。")},
                      Dispatch{"png", QStringLiteral(".PNG格式图片"), QStringLiteral("该文件夹中没有.PNG文件，请重选择文件夹。")},
                      Dispatch{"lowercase", QStringLiteral(".bmp格式图片"), {}},
                      Dispatch{"trailing_blank", QStringLiteral(".PNG格式图片 "), {}},
                      Dispatch{"other", QStringLiteral("abc"), {}}),
    [](const auto& param_info) { return std::string(param_info.param.label); });
