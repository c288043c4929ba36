// The PNG job end to end with the embedded converter, its presence test,
// and the jobs that cannot be written, started or finished: each gives the
// window back with an error box instead of leaving it disabled.

#include "PageFixture.h"

#include "app/pictures/JobFolder.h"
#include "app/pictures/PngJob.h"
#include "platform/jobs/ExecutableFolder.h"
#include "platform/shell/MsgBox.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QProcess>
#include <QTimer>

#include <tuple>

namespace fs = std::filesystem;

namespace {

const Message kPngDone{QStringLiteral("PNG→ICO 转换完成！"), 64, QStringLiteral("提示")};
const Message kNoPng{QStringLiteral("该文件夹中没有.PNG文件，请重选择文件夹。"), 16, QStringLiteral("错误")};
const std::vector<std::string> kJobFiles = {"png2ico.exe", "png2ico.bat", "overpng2ico.tmp"};

bool AnyJobFile(const fs::path& folder) {
    for (const std::string& name : kJobFiles) {
        std::error_code ec;
        if (fs::exists(folder / name, ec))
            return true;
    }
    return false;
}

// A folder holding a regular file named `name`: a job folder below it or
// at it cannot be written, whoever runs the test.
fs::path FileInTheWay(const fs::path& folder, const char* name) {
    testsupport::WriteText(folder / name, "a file");
    return folder / name;
}

// Calls back whenever the watched widget is enabled or disabled.
class EnableWatch : public QObject {
public:
    explicit EnableWatch(std::function<void()> changed) : changed_(std::move(changed)) {}
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::EnabledChange)
            changed_();
        return false;
    }

private:
    std::function<void()> changed_;
};

} // namespace

class PngJobTest : public PageTest {
protected:
    void SetUp() override {
        PageTest::SetUp();
        job = top / "job";
        fs::create_directories(job);
        page().SetJobFolder(Q(job));
        pics = d / "my pics";
        fs::create_directories(pics);
    }
    void SourceAndTarget(const fs::path& source, const fs::path& target) {
        fs::create_directories(target);
        ASSERT_TRUE(page().dirPIC->SetPath(Q(source)));
        ASSERT_TRUE(page().dirICO->SetPath(Q(target)));
    }
    void ExpectIdle() {
        EXPECT_TRUE(form->isEnabled());
        EXPECT_EQ(page().cmdPIC2ICO->text(), QStringLiteral("开始转换"));
        EXPECT_FALSE(form->Timer->isActive());
    }
    // The job's own end: its marker, then the tick that finds it.
    void FinishJob() {
        ASSERT_TRUE(WaitUntil([&] { return fs::exists(job / "overpng2ico.tmp") || !messages.empty(); }));
        page().Timer_Timer();
    }
    void ExpectErrorBox() {
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].style, 16);
        EXPECT_EQ(messages[0].title, QStringLiteral("错误"));
        EXPECT_FALSE(messages[0].text.isEmpty());
        EXPECT_NE(messages[0], kPngDone);
    }

    fs::path job, pics;
};

// Folder names with blanks and shell syntax are converted like any other:
// the icons appear in the mirrored tree and nothing the names spell is run.
TEST_F(PngJobTest, ConvertsTheFolderTreeWithTheEmbeddedConverter) {
    testsupport::WritePicture(pics / "a.png", 40, 40, 0xFF3366CCu);
    fs::create_directories(pics / "sub" / "deeper");
    testsupport::WritePicture(pics / "sub" / "B.PNG", 20, 10, 0x80FF0000u, "PNG");
    testsupport::WritePicture(pics / "sub" / "deeper" / "c.png", 300, 300, 0xFF00FF00u);
    const fs::path out = e / "icons $(touch pwned);x";
    SourceAndTarget(pics, out);

    page().cmdPIC2ICO->click();
    EXPECT_FALSE(form->isEnabled());
    EXPECT_EQ(page().cmdPIC2ICO->text(), QStringLiteral("转换中..."));
    EXPECT_TRUE(form->Timer->isActive());
    QFile resource(QStringLiteral(":/RESEXE/101"));
    ASSERT_TRUE(resource.open(QIODevice::ReadOnly));
    const QByteArray converter = resource.readAll();
    EXPECT_GT(converter.size(), 10000);
    EXPECT_EQ(testsupport::ReadBytes(job / "png2ico.exe"), std::vector<uint8_t>(converter.begin(), converter.end()));
    EXPECT_NE(fs::status(job / "png2ico.exe").permissions() & fs::perms::owner_exec, fs::perms::none);
    EXPECT_TRUE(messages.empty());

    FinishJob();
    for (const char* icon : {"a.ico", "sub/B.ico", "sub/deeper/c.ico"}) {
        QImageReader reader(Q(out / icon));
        EXPECT_EQ(reader.format(), "ico") << icon;
        EXPECT_EQ(reader.imageCount(), 7) << icon;
    }
    QImageReader first(Q(out / "a.ico"));
    EXPECT_EQ(first.read().size(), QSize(16, 16));
    EXPECT_FALSE(AnyJobFile(job));
    EXPECT_EQ(messages, std::vector<Message>{kPngDone});
    ExpectIdle();
    for (const fs::path& folder : std::vector<fs::path>{job, top.path(), d / "start", out})
        EXPECT_FALSE(fs::exists(folder / "pwned")) << folder;
}

// A converter of an earlier job still running from the job folder cannot be
// opened for writing (the system refuses a running program's file); the new
// one takes its name beside it instead, and the job runs.
TEST_F(PngJobTest, AConverterStillRunningFromAnEarlierJobIsNoObstacle) {
    fs::copy_file("/bin/sleep", job / "png2ico.exe");
    QProcess earlier;
    earlier.start(Q(job / "png2ico.exe"), {QStringLiteral("60")});
    ASSERT_TRUE(earlier.waitForStarted());
    testsupport::WritePicture(pics / "a.png", 40, 40, 0xFF3366CCu);
    SourceAndTarget(pics, e / "out");

    page().cmdPIC2ICO->click();
    FinishJob();
    EXPECT_EQ(messages, std::vector<Message>{kPngDone});
    EXPECT_TRUE(fs::is_regular_file(e / "out" / "a.ico"));
    EXPECT_FALSE(AnyJobFile(job));
    EXPECT_EQ(earlier.state(), QProcess::Running);
    earlier.kill();
    earlier.waitForFinished();
}

// Until the marker is there, ticks change nothing; a marker from an earlier
// job is removed first, so it cannot end this one.
TEST_F(PngJobTest, TicksWaitForThisJobsMarker) {
    testsupport::WritePicture(pics / "a.png", 8, 8, 0xFF000000u);
    SourceAndTarget(pics, e / "out");
    testsupport::WriteText(job / "overpng2ico.tmp", "");
    testsupport::WriteText(top / "quick.sh", "#!/bin/sh\nexit 0\n");
    page().SetConverterSource(Q(top / "quick.sh"));

    page().BatchPNG2ICO();
    EXPECT_FALSE(fs::exists(job / "overpng2ico.tmp"));
    page().Timer_Timer();
    EXPECT_FALSE(form->isEnabled());
    EXPECT_TRUE(messages.empty());

    FinishJob();
    EXPECT_EQ(messages, std::vector<Message>{kPngDone});
    ExpectIdle();
    EXPECT_FALSE(AnyJobFile(job));
}

// The finishing tick: caption, window, timer, the three files, then the box.
TEST_F(PngJobTest, TheFinishingTickRestoresCaptionThenWindowThenTimerThenFilesThenTellsTheUser) {
    testsupport::WritePicture(pics / "a.png", 8, 8, 0xFF000000u);
    SourceAndTarget(pics, e / "out");
    testsupport::WriteText(top / "quick.sh", "#!/bin/sh\nexit 0\n");
    page().SetConverterSource(Q(top / "quick.sh"));
    page().BatchPNG2ICO();
    ASSERT_TRUE(WaitUntil([&] { return fs::exists(job / "overpng2ico.tmp"); }));

    std::vector<std::tuple<QString, bool, bool>> atEnable;  // caption, timer on, job files left
    EnableWatch watch([&] {
        if (form->isEnabled())
            atEnable.emplace_back(page().cmdPIC2ICO->text(), form->Timer->isActive(), AnyJobFile(job));
    });
    form->installEventFilter(&watch);
    std::vector<bool> filesLeftAtTheBox;
    const platform::MsgBoxSink previous = platform::SetMsgBoxSink(
        [&](const QString&, int, const QString&) { filesLeftAtTheBox.push_back(AnyJobFile(job)); });
    page().Timer_Timer();
    platform::SetMsgBoxSink(previous);
    form->removeEventFilter(&watch);

    EXPECT_EQ(atEnable, (std::vector<std::tuple<QString, bool, bool>>{{QStringLiteral("开始转换"), true, true}}));
    EXPECT_EQ(filesLeftAtTheBox, std::vector<bool>{false});
    ExpectIdle();
}

TEST_F(PngJobTest, PicturesOnlyInSubfoldersShowTheErrorBoxAndStartNothing) {
    fs::create_directories(pics / "sub");
    testsupport::WritePicture(pics / "sub" / "a.png", 8, 8, 0xFF000000u);
    testsupport::WritePicture(pics / "b.bmp", 8, 8, 0xFF000000u, "BMP");
    SourceAndTarget(pics, e / "out");
    page().cmdPIC2ICO->click();
    EXPECT_EQ(messages, std::vector<Message>{kNoPng});
    ExpectIdle();
    EXPECT_FALSE(AnyJobFile(job));
}

TEST_F(PngJobTest, TheExtensionsLetterCaseDoesNotMatter) {
    testsupport::WritePicture(pics / "Photo.PNG", 8, 8, 0xFF000000u, "PNG");
    SourceAndTarget(pics, e / "out");
    page().cmdPIC2ICO->click();
    EXPECT_TRUE(fs::exists(job / "png2ico.bat"));
    FinishJob();
    EXPECT_EQ(messages, std::vector<Message>{kPngDone});
    EXPECT_TRUE(fs::exists(e / "out" / "Photo.ico"));
}

enum class Fault {
    kJobFolderBelowAFile,
    kJobFolderIsAFile,
    kConverterCannotStart,
    kConverterMissing,
    kMarkerCannotBeMade,
    kLineBreakInAFolderName,
};

class PngJobFailureTest : public PngJobTest, public ::testing::WithParamInterface<std::pair<const char*, Fault>> {
protected:
    void Arrange(Fault fault) {
        switch (fault) {
        case Fault::kJobFolderBelowAFile:
            page().SetJobFolder(Q(FileInTheWay(top.path(), "plain") / "job"));
            break;
        case Fault::kJobFolderIsAFile:
            page().SetJobFolder(Q(FileInTheWay(top.path(), "plain")));
            break;
        case Fault::kConverterCannotStart:
            testsupport::WriteBytes(top / "junk", {0x4D, 0x5A, 0x90, 0x00, 0x03, 0x00});
            page().SetConverterSource(Q(top / "junk"));
            break;
        case Fault::kConverterMissing:
            page().SetConverterSource(Q(top / "nowhere"));
            break;
        case Fault::kMarkerCannotBeMade:  // the converter leaves a folder where the marker goes
            testsupport::WriteText(top / "blocker.sh", "#!/bin/sh\nmkdir overpng2ico.tmp\n");
            page().SetConverterSource(Q(top / "blocker.sh"));
            break;
        case Fault::kLineBreakInAFolderName: {
            const fs::path odd = pics / "a\r\nover>x";
            fs::create_directories(odd);
            testsupport::WritePicture(odd / "a.png", 8, 8, 0xFF000000u);
            ASSERT_TRUE(page().dirPIC->SetPath(Q(odd)));
            break;
        }
        }
    }
};

// Nothing written stays behind, the window is given back, the user is told.
TEST_P(PngJobFailureTest, AJobThatCannotRunGivesTheWindowBack) {
    testsupport::WritePicture(pics / "a.png", 8, 8, 0xFF000000u);
    SourceAndTarget(pics, e / "out");
    Arrange(GetParam().second);
    page().BatchPNG2ICO();
    // A converter that ends without a marker is noticed by a tick.
    EXPECT_TRUE(WaitUntil([&] {
        page().Timer_Timer();
        return !messages.empty();
    }));
    ExpectErrorBox();
    ExpectIdle();
    EXPECT_FALSE(fs::exists(job / "png2ico.exe"));
    EXPECT_FALSE(fs::exists(job / "png2ico.bat"));
    EXPECT_FALSE(fs::exists(e / "out" / "a.ico"));
}

INSTANTIATE_TEST_SUITE_P(
    Faults, PngJobFailureTest,
    ::testing::Values(std::pair{"job_folder_below_a_file", Fault::kJobFolderBelowAFile},
                      std::pair{"job_folder_is_a_file", Fault::kJobFolderIsAFile},
                      std::pair{"converter_cannot_start", Fault::kConverterCannotStart},
                      std::pair{"converter_missing", Fault::kConverterMissing},
                      std::pair{"marker_cannot_be_made", Fault::kMarkerCannotBeMade},
                      std::pair{"line_break_in_a_folder_name", Fault::kLineBreakInAFolderName}),
    [](const auto& param_info) { return std::string(param_info.param.first); });

TEST(JobFolder, TheProgramFolderWhenWritableElseAPrivateTemporaryOne) {
    testsupport::TempDir dir;
    const QString folder = QString::fromStdString(dir.path().string());
    EXPECT_EQ(JobFolderFor(folder), folder);
    const fs::path file = FileInTheWay(dir.path(), "program");
    const QString fallback = JobFolderFor(QString::fromStdString(file.string()));
    ASSERT_FALSE(fallback.isEmpty());
    EXPECT_NE(fallback, QString::fromStdString(file.string()));
    EXPECT_TRUE(fs::is_directory(fallback.toStdString()));
    EXPECT_EQ(fs::status(fallback.toStdString()).permissions() & (fs::perms::group_all | fs::perms::others_all),
              fs::perms::none);
    EXPECT_EQ(JobFolderFor(QString::fromStdString((file / "below").string())), fallback);
}

// The installed program sits among the system's commands, which root may
// write to: its jobs still go to the private folder, never beside it, and
// so do those of a program in any folder on the search path.
TEST(JobFolder, NeverAFolderOfCommandsEvenWhenWritable) {
    testsupport::TempDir missing;
    const QString fallback = JobFolderFor(QString::fromStdString((missing.path() / "none").string()));
    ASSERT_FALSE(fallback.isEmpty());
    for (const char* commands : {"/usr/local/bin", "/usr/bin", "/bin"})
        EXPECT_EQ(JobFolderFor(QString::fromLatin1(commands)), fallback) << commands;

    testsupport::TempDir own;
    const QString folder = QString::fromStdString(own.path().string());
    ASSERT_EQ(JobFolderFor(folder), folder);
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", path + ":" + QFile::encodeName(folder) + "/");
    EXPECT_EQ(JobFolderFor(folder), fallback);
    qputenv("PATH", path);
    EXPECT_EQ(JobFolderFor(folder), folder);
}

// Where the converter runs from: the installed one in place when it is the
// embedded program byte for byte, else the embedded copy in the job folder.
// The installed file is never written, replaced or removed.
class InstalledConverterTest : public PngJobTest {
protected:
    void SetUp() override {
        PngJobTest::SetUp();
        QFile resource(QStringLiteral(":/RESEXE/101"));
        ASSERT_TRUE(resource.open(QIODevice::ReadOnly));
        const QByteArray bytes = resource.readAll();
        embedded.assign(bytes.begin(), bytes.end());
        bin = top / "bin";
        fs::create_directories(bin);
        page().SetProgramFolder(Q(bin));
        testsupport::WritePicture(pics / "a.png", 40, 40, 0xFF3366CCu);
        SourceAndTarget(pics, e / "out");
    }
    void Install(const std::vector<uint8_t>& bytes, fs::perms mode) {
        testsupport::WriteBytes(bin / "png2ico", bytes);
        fs::permissions(bin / "png2ico", mode);
    }
    // Starts a job; how it ran its converter, with the job folder's converter
    // looked at while it runs, then the job finished.
    PngJob::ConverterRun RunJob(bool& copiedIntoJobFolder) {
        page().cmdPIC2ICO->click();
        const PngJob::ConverterRun run = page().Job() ? page().Job()->Run() : PngJob::ConverterRun::None;
        copiedIntoJobFolder = fs::exists(job / "png2ico.exe");
        FinishJob();
        return run;
    }

    std::vector<uint8_t> embedded;
    fs::path bin;
};

// The same bytes, runnable, run in place; each other way an installed
// converter may not fit makes the embedded copy run. Either way the installed
// file is left alone.
TEST_F(InstalledConverterTest, OnlyTheSameRunnableBytesRunInPlace) {
    std::vector<uint8_t> lastByteChanged = embedded;
    lastByteChanged.back() ^= 0x01;  // same size: only a full comparison tells
    std::vector<uint8_t> longer = embedded;
    longer.push_back(0);
    const fs::perms runnable = fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec;
    const struct {
        const char* what;
        std::vector<uint8_t> bytes;
        fs::perms mode;
        PngJob::ConverterRun run;
    } cases[] = {
        {"the same bytes", embedded, runnable, PngJob::ConverterRun::Installed},
        {"one byte differs", lastByteChanged, runnable, PngJob::ConverterRun::JobFolder},
        {"one byte longer", longer, runnable, PngJob::ConverterRun::JobFolder},
        {"same bytes, not executable", embedded, fs::perms::owner_read | fs::perms::owner_write,
         PngJob::ConverterRun::JobFolder},
    };
    for (const auto& c : cases) {
        Install(c.bytes, c.mode);
        const auto before = fs::last_write_time(bin / "png2ico");
        messages.clear();
        fs::remove(e / "out" / "a.ico");
        bool copied = false;
        EXPECT_EQ(RunJob(copied), c.run) << c.what;
        EXPECT_EQ(copied, c.run == PngJob::ConverterRun::JobFolder) << c.what;
        EXPECT_EQ(messages, std::vector<Message>{kPngDone}) << c.what;
        EXPECT_TRUE(fs::is_regular_file(e / "out" / "a.ico")) << c.what;
        EXPECT_EQ(testsupport::ReadBytes(bin / "png2ico"), c.bytes) << c.what;
        EXPECT_EQ(fs::last_write_time(bin / "png2ico"), before) << c.what;
        EXPECT_EQ(fs::status(bin / "png2ico").permissions() & fs::perms::all, c.mode) << c.what;
        EXPECT_FALSE(AnyJobFile(job)) << c.what;
    }
    ExpectIdle();
}

// A job folder on a file system mounted noexec (as /tmp often is): the
// converter cannot run from there, so it runs from sealed memory and the
// job ends as always. Needs the right to mount (root); skipped without it.
TEST_F(PngJobTest, AJobFolderMountedNoexecRunsTheConverterFromMemory) {
    const fs::path mount = top / "noexec";
    fs::create_directories(mount);
    QProcess mounter;
    mounter.start(QStringLiteral("mount"), {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                                            QStringLiteral("noexec,size=8m,mode=0700"), QStringLiteral("trevalo-test"),
                                            Q(mount)});
    if (!mounter.waitForFinished(10000) || mounter.exitStatus() != QProcess::NormalExit || mounter.exitCode() != 0)
        GTEST_SKIP() << "cannot mount a noexec tmpfs here";
    struct Unmount {
        fs::path at;
        ~Unmount() { QProcess::execute(QStringLiteral("umount"), {QString::fromStdString(at.string())}); }
    } unmount{mount};
    EXPECT_FALSE(platform::AllowsExecution(Q(mount)));
    EXPECT_TRUE(platform::AllowsExecution(Q(job)));
    page().SetJobFolder(Q(mount));
    testsupport::WritePicture(pics / "a.png", 40, 40, 0xFF3366CCu);
    SourceAndTarget(pics, e / "out");

    page().cmdPIC2ICO->click();
    ASSERT_NE(page().Job(), nullptr);
    EXPECT_EQ(page().Job()->Run(), PngJob::ConverterRun::Memory);
    EXPECT_FALSE(fs::exists(mount / "png2ico.exe"));
    EXPECT_TRUE(fs::exists(mount / "png2ico.bat"));
    ASSERT_TRUE(WaitUntil([&] { return fs::exists(mount / "overpng2ico.tmp") || !messages.empty(); }));
    page().Timer_Timer();
    EXPECT_EQ(messages, std::vector<Message>{kPngDone});
    QImageReader reader(Q(e / "out" / "a.ico"));
    EXPECT_EQ(reader.imageCount(), 7);
    EXPECT_TRUE(fs::is_empty(mount));
    ExpectIdle();
}

// The private job folder is hidden, so the window's own folder lists do not
// show it when they show the temporary folder.
TEST_F(PngJobTest, ThePrivateJobFolderIsHiddenFromTheFolderLists) {
    const QString folder = JobFolderFor(Q(top / "missing"));
    ASSERT_FALSE(folder.isEmpty());
    EXPECT_TRUE(QFileInfo(folder).fileName().startsWith(QStringLiteral(".trevalo-job-")));
    const QString temp = QFileInfo(folder).absolutePath();
    ASSERT_TRUE(page().dirPIC->SetPath(temp));
    for (int i = 0; i < page().dirPIC->count(); ++i)
        EXPECT_FALSE(page().dirPIC->item(i)->text().contains(QStringLiteral("trevalo-job"))) << i;
}
