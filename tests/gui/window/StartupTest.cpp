// Start-up and shut-down: the load handling's steps, the About text, and the
// unload handling's removal of the leftover converter.

#include "WindowFixture.h"

#include "app/pictures/JobFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTest>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

// The About text, byte for byte (UTF-8): thirteen lines joined by CR LF.
const char kAboutText[] =
    "Trevalo V1.00\r\n"
    "\r\n"
    "这是一个简单、小巧的图标工具，它为您提供以下功能：\r\n"
    "1) 把.BMP和.PNG格式的图片批量转换成图标；\r\n"
    "2) 从.EXE可执行文件中提取图标。\r\n"
    "\r\n"
    "特别说明：由.BMP图片转换得到的图片色彩效果不太理想，建议把.BMP图片转换为.PNG格式，会得到更好的效果。"
    "转换图片格式可以用ACDSee，很方便的。如果源.PNG图片带Alpha通道，则转换得到的图标也是32位带Alpha通道格式，"
    "效果很好。\r\n"
    "\r\n"
    "\r\n"
    "版权所有：Trevalo 项目\r\n"
    "联系方式：trevalo@example.org\r\n"
    "网站：https://trevalo.example.org/\r\n"
    "2005/08/10";

bool Exists(const fs::path& p) {
    std::error_code ec;
    return fs::exists(p, ec);
}

} // namespace

TEST_F(WindowTest, AboutTextIsExactByteForByte) {
    EXPECT_EQ(form->about->txtAbout->Text().toUtf8(), QByteArray(kAboutText));
    EXPECT_EQ(form->about->txtAbout->Text().count(QStringLiteral("\r\n")), 12);
}

TEST_F(WindowTest, LoadSetsBannerHandCursorPictureTypeAndLastDrive) {
    EXPECT_EQ(form->picBanner->Picture().size(), QSize(508, 40));
    EXPECT_EQ(form->picBanner->cursor().hotSpot(), QPoint(12, 1));
    EXPECT_EQ(form->picBanner->cursor().pixmap().size(), QSize(32, 32));
    EXPECT_EQ(form->pictures->cboPicType->currentText(), QStringLiteral(".PNG格式图片"));
    EXPECT_EQ(form->State().LastDrive, QCoreApplication::applicationDirPath() + QStringLiteral("/"));
}

TEST_F(WindowTest, LoadSelectsTheFirstExecutableRaisingTheListsClick) {
    // Built afresh to watch the Click that start-up raises.
    form = std::make_unique<frmMain>();
    int clicks = 0;
    QObject::connect(form->executables->filEXE, &platform::FileListBox::Click, [&] { ++clicks; });
    form->Form_Load();
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(form->executables->filEXE->ListCount(), 2);
    EXPECT_EQ(form->executables->filEXE->FileName(), QStringLiteral("A.exe"));
    EXPECT_TRUE(form->executables->filEXE->Selected(0));
}

class EmptyStartFolderTest : public WindowTest {
protected:
    std::vector<std::string> StartFiles() const override { return {"readme.txt"}; }
};

TEST_F(EmptyStartFolderTest, WithoutExecutablesTheSelectionIsSkippedAndLaterStepsStillRun) {
    EXPECT_EQ(form->executables->filEXE->ListCount(), 0);
    EXPECT_EQ(form->executables->filEXE->FileName(), QString());
    EXPECT_FALSE(form->State().LastDrive.isEmpty());
    EXPECT_TRUE(form->about->txtAbout->Text().startsWith(QStringLiteral("Trevalo V1.00\r\n")));
}

TEST(JobFolder, IsTheProgramFolderWhenWritableElseAPrivateTemporaryOne) {
    testsupport::TempDir writable;
    const QString folder = QString::fromStdString(writable.path().string());
    EXPECT_EQ(JobFolderFor(folder), folder);

    const QString fallback = JobFolderFor(folder + QStringLiteral("/missing"));
    ASSERT_FALSE(fallback.isEmpty());
    EXPECT_NE(fallback, folder + QStringLiteral("/missing"));
    EXPECT_TRUE(QFileInfo(fallback).isDir());
    EXPECT_TRUE(QFileInfo(fallback).isWritable());
    EXPECT_EQ(QFile::permissions(fallback) & (QFile::ReadOther | QFile::WriteOther | QFile::ReadGroup), 0);
    EXPECT_EQ(JobFolderFor(QString()), fallback);  // one folder for the whole run
    EXPECT_EQ(JobFolder(), QCoreApplication::applicationDirPath());
}

// A converter of the user's own in the start folder is not the program's
// leftover: only the one in the job folder goes. The job folder is this test
// program's folder, shared by every test of it: only this test writes there.
TEST_F(WindowTest, UnloadRemovesTheLeftoverConverterOnlyFromTheJobFolder) {
    const fs::path leftover = fs::path(JobFolder().toStdString()) / kConverterFileName;
    const fs::path users = startDir / kConverterFileName;
    ASSERT_NE(leftover.parent_path(), users.parent_path());
    testsupport::WriteText(users, "MZ");

    // The close box.
    testsupport::WriteText(leftover, "MZ");
    Show();
    EXPECT_TRUE(form->close());
    EXPECT_FALSE(Exists(leftover));
    EXPECT_TRUE(Exists(users));

    // While a long run has the window disabled, it cannot be closed.
    testsupport::WriteText(leftover, "MZ");
    form = std::make_unique<frmMain>();
    Show();
    form->setEnabled(false);
    EXPECT_FALSE(form->close());
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(Exists(leftover));

    // The exit button.
    form->setEnabled(true);
    QTest::mouseClick(form->cmdExit, Qt::LeftButton);
    EXPECT_FALSE(form->isVisible());
    EXPECT_FALSE(Exists(leftover));
    EXPECT_TRUE(Exists(users));

    // Nothing left to remove: nothing happens, nothing is shown.
    form = std::make_unique<frmMain>();
    Show();
    EXPECT_TRUE(form->close());
    EXPECT_TRUE(messages.empty());
}
