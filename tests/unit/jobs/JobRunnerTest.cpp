#include "platform/jobs/JobRunner.h"
#include "platform/jobs/ExecutableFolder.h"
#include "platform/jobs/MemoryProgram.h"

#include "TestSupport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace fs = std::filesystem;
using platform::JobRunner;
using testsupport::TempDir;

namespace {

// A stand-in converter: records its arguments one per line, then ends as told.
void WriteFakeConverter(const fs::path& file, const std::string& ending = "exit 0") {
    testsupport::WriteText(file, "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > args.txt\n" + ending +
                                     "\n");
    fs::permissions(file, fs::perms::owner_all);
}

bool WaitFor(const std::function<bool()>& condition, int ms = 10000) {
    QElapsedTimer timer;
    timer.start();
    while (!condition() && timer.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return condition();
}

} // namespace

TEST(JobRunner, RunsLineOneDirectlyThenLeavesTheMarker) {
    TempDir dir;
    WriteFakeConverter(dir / "png2ico.exe");
    const std::string hostile = "/tmp/x;rm -rf ~ $(touch pwned) `id` 'q'";
    testsupport::WriteText(dir / "png2ico.bat", "png2ico -s 16 32bpp -i \"" + hostile +
                                                    "\" -o \"/my pics\" -noconfirm -silent\r\nover>overpng2ico.tmp\r\n");
    JobRunner runner;
    bool finished = false;
    runner.SetFinishedCallback([&] { finished = true; });
    ASSERT_TRUE(runner.Start(QString::fromStdString((dir / "png2ico.bat").string()),
                             QString::fromStdString(dir.path().string())));
    ASSERT_TRUE(WaitFor([&] { return finished; }));
    EXPECT_TRUE(fs::exists(dir / "overpng2ico.tmp"));
    EXPECT_EQ(fs::file_size(dir / "overpng2ico.tmp"), 0u);
    EXPECT_EQ(testsupport::ReadText(dir / "args.txt"),
              "-s\n16\n32bpp\n-i\n" + hostile + "\n-o\n/my pics\n-noconfirm\n-silent\n");
    EXPECT_FALSE(fs::exists(dir / "pwned"));
    EXPECT_FALSE(runner.IsRunning());
}

TEST(JobRunner, MarkerFollowsAFailedOrCrashedConverterToo) {
    for (const std::string ending : {"exit 3", "kill -SEGV $$"}) {
        TempDir dir;
        WriteFakeConverter(dir / "png2ico.exe", ending);
        testsupport::WriteText(dir / "png2ico.bat", "png2ico\r\nover>overpng2ico.tmp\r\n");
        JobRunner runner;
        ASSERT_TRUE(runner.Start(QString::fromStdString((dir / "png2ico.bat").string()),
                                 QString::fromStdString(dir.path().string())));
        EXPECT_TRUE(WaitFor([&] { return fs::exists(dir / "overpng2ico.tmp"); })) << ending;
    }
}

TEST(JobRunner, StartFailsWhenTheJobCannotRun) {
    TempDir dir;
    const QString folder = QString::fromStdString(dir.path().string());
    const QString bat = QString::fromStdString((dir / "png2ico.bat").string());
    JobRunner runner;
    EXPECT_FALSE(runner.Start(bat, folder));  // no batch file
    testsupport::WriteText(dir / "png2ico.bat", "png2ico -i x\r\nover>overpng2ico.tmp\r\n");
    EXPECT_FALSE(runner.Start(bat, folder));  // no converter
    testsupport::WriteText(dir / "png2ico.exe", "not a program");
    fs::permissions(dir / "png2ico.exe", fs::perms::owner_all);
    EXPECT_FALSE(runner.Start(bat, folder));  // cannot be executed
    testsupport::WriteText(dir / "png2ico.bat", "  \r\n");
    EXPECT_FALSE(runner.Start(bat, folder));  // empty line 1
    EXPECT_FALSE(runner.IsRunning());
    EXPECT_FALSE(fs::exists(dir / "overpng2ico.tmp"));
}

TEST(RedirectTarget, NameAfterTheArrow) {
    EXPECT_EQ(platform::RedirectTarget("over>overpng2ico.tmp"), "overpng2ico.tmp");
    EXPECT_EQ(platform::RedirectTarget("over > marker "), "marker");
    EXPECT_EQ(platform::RedirectTarget("no redirection"), "");
}

// Line 1's program given from outside (an installed converter, a copy in
// memory) is the one that runs, with line 1's arguments; a program of that
// name in the job folder is passed over.
TEST(JobRunner, AGivenProgramRunsInsteadOfTheJobFoldersOwn) {
    TempDir dir, elsewhere;
    WriteFakeConverter(dir / "png2ico.exe", "echo job-folder > which.txt");
    WriteFakeConverter(elsewhere / "png2ico", "echo given > which.txt");
    testsupport::WriteText(dir / "png2ico.bat", "png2ico -i a\r\nover>overpng2ico.tmp\r\n");
    JobRunner runner;
    ASSERT_TRUE(runner.Start(QString::fromStdString((dir / "png2ico.bat").string()),
                             QString::fromStdString(dir.path().string()),
                             QString::fromStdString((elsewhere / "png2ico").string())));
    ASSERT_TRUE(WaitFor([&] { return fs::exists(dir / "overpng2ico.tmp"); }));
    EXPECT_EQ(testsupport::ReadText(dir / "which.txt"), "given\n");
    EXPECT_EQ(testsupport::ReadText(dir / "args.txt"), "-i\na\n");
}

// A program held in sealed memory runs from its descriptor's path, in a
// job folder that itself cannot run programs as well as in any other.
TEST(MemoryProgram, RunsFromItsDescriptorWithoutAFile) {
    QFile echo(QStringLiteral("/bin/echo"));
    ASSERT_TRUE(echo.open(QIODevice::ReadOnly));
    const platform::MemoryProgram program(echo.readAll());
    ASSERT_TRUE(program.IsValid());
    EXPECT_TRUE(program.Path().startsWith(QStringLiteral("/proc/self/fd/")));
    QProcess process;
    process.start(program.Path(), {QStringLiteral("from"), QStringLiteral("memory")});
    ASSERT_TRUE(process.waitForFinished(10000));
    EXPECT_EQ(process.exitCode(), 0);
    EXPECT_EQ(process.readAllStandardOutput(), QByteArray("from memory\n"));
    EXPECT_FALSE(platform::MemoryProgram(QByteArray()).IsValid());
}

// An ordinary folder runs programs; a missing folder and no folder at all
// do not. (A noexec mount is checked by the picture page's job test, which
// mounts one.)
TEST(AllowsExecution, AnOrdinaryFolderYesNoFolderNo) {
    TempDir dir;
    EXPECT_TRUE(platform::AllowsExecution(QString::fromStdString(dir.path().string())));
    EXPECT_FALSE(platform::AllowsExecution(QString::fromStdString((dir / "missing").string())));
    EXPECT_FALSE(platform::AllowsExecution(QString()));
}
