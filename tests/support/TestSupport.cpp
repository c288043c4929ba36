#include "TestSupport.h"

#include <QImage>
#include <QProcess>
#include <QStandardPaths>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace testsupport {

TempDir::TempDir() {
    std::random_device rd;
    for (int attempt = 0; attempt < 100; ++attempt) {
        fs::path candidate = fs::temp_directory_path() / ("trevalo-test-" + std::to_string(rd()));
        std::error_code ec;
        if (fs::create_directory(candidate, ec)) {
            path_ = candidate;
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary folder");
}

TempDir::~TempDir() {
    std::error_code ec;
    // Tests may leave folders without write permission behind.
    for (auto it = fs::recursive_directory_iterator(path_, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec)) {
        if (it->is_directory(ec) && !it->is_symlink(ec))
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    }
    fs::remove_all(path_, ec);
}

std::vector<uint8_t> ReadBytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string ReadText(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteBytes(const fs::path& file, const std::vector<uint8_t>& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void WriteText(const fs::path& file, const std::string& text) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << text;
}

ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args,
                         const fs::path& workingDir, const std::string& input, int timeoutMs) {
    QProcess p;
    QStringList qargs;
    for (const auto& a : args)
        qargs << QString::fromStdString(a);
    p.setWorkingDirectory(QString::fromStdString(workingDir.string()));
    p.start(QString::fromStdString(program), qargs);
    ProcessResult r;
    if (!p.waitForStarted(timeoutMs))
        return r;
    p.write(input.data(), static_cast<qint64>(input.size()));
    p.closeWriteChannel();
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished();
        r.crashed = true;
    }
    r.out = p.readAllStandardOutput().toStdString();
    r.err = p.readAllStandardError().toStdString();
    r.crashed = r.crashed || p.exitStatus() == QProcess::CrashExit;
    r.exitCode = p.exitCode();
    return r;
}

::testing::AssertionResult BytesEqual(const std::vector<uint8_t>& expected, const std::vector<uint8_t>& actual,
                                      const std::string& name) {
    if (expected == actual)
        return ::testing::AssertionSuccess();
    size_t first = 0;
    while (first < expected.size() && first < actual.size() && expected[first] == actual[first])
        ++first;
    fs::path dir = TREVALO_TEST_OUTPUT_DIR;
    std::error_code ec;
    fs::create_directories(dir, ec);
    WriteBytes(dir / name, actual);
    return ::testing::AssertionFailure() << "bytes differ (expected " << expected.size() << " bytes, got "
                                         << actual.size() << ", first difference at offset " << first
                                         << "); actual saved as " << (dir / name).string();
}

void WritePicture(const fs::path& file, int width, int height, uint32_t argb, const char* format) {
    QImage img(width, height, QImage::Format_ARGB32);
    img.fill(argb);
    if (!img.save(QString::fromStdString(file.string()), format))
        throw std::runtime_error("cannot write " + file.string());
}

bool HaveProgram(const std::string& program) {
    return !QStandardPaths::findExecutable(QString::fromStdString(program)).isEmpty();
}

int ExitCodeUnderFileSizeLimit(uint64_t limitBytes, const std::function<int()>& body) {
    const pid_t child = ::fork();
    if (child < 0)
        return -1;
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);  // a write past the limit then fails instead of ending the process
        const rlimit limit{limitBytes, limitBytes};
        std::_Exit(::setrlimit(RLIMIT_FSIZE, &limit) == 0 ? body() : 100);
    }
    int status = 0;
    if (::waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

} // namespace testsupport
