#include "TestSupport.h"

#include <QImage>
#include <QProcess>
#include <QStandardPaths>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <random>
#include <sstream>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

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
        ResetSignalsInChild();
        // The library's own write is tested here, so the write past the
        // limit fails instead of ending the process (what png2ico arranges
        // for itself is tested on the program).
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{limitBytes, limitBytes};
        std::_Exit(::setrlimit(RLIMIT_FSIZE, &limit) == 0 ? body() : 100);
    }
    const int status = WaitWithin(child, 60000);
    if (status < 0 || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

void ResetSignalsInChild() {
    struct sigaction dfl {};
    dfl.sa_handler = SIG_DFL;
    sigemptyset(&dfl.sa_mask);
    for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE, SIGXFSZ, SIGALRM})
        ::sigaction(sig, &dfl, nullptr);
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    const rlimit noCore{0, 0};
    ::setrlimit(RLIMIT_CORE, &noCore);
}

int WaitWithin(pid_t child, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    int status = 0;
    for (;;) {
        const pid_t ended = ::waitpid(child, &status, WNOHANG);
        if (ended == child)
            return status;
        if (ended < 0 && errno != EINTR)
            return -1;
        if (std::chrono::steady_clock::now() >= deadline)
            break;
        ::poll(nullptr, 0, 10);
    }
    ::kill(child, SIGKILL);
    ::waitpid(child, &status, 0);
    return -1;
}

Child::Child(const std::string& program, const std::vector<std::string>& args, const fs::path& workingDir,
             const ChildOptions& options) {
    int inPipe[2] = {-1, -1};
    int outPipe[2];
    int errPipe[2];
    if ((options.inputPipe && ::pipe2(inPipe, O_CLOEXEC) != 0) || ::pipe2(outPipe, O_CLOEXEC) != 0 ||
        ::pipe2(errPipe, O_CLOEXEC) != 0)
        throw std::runtime_error("cannot make pipes for a child");
    // Everything the child needs is made before the fork: after it, only
    // async-signal-safe calls.
    std::vector<std::string> argStore = {program};
    argStore.insert(argStore.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : argStore)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<std::string> envStore = options.extraEnvironment;
    for (char** e = environ; *e; ++e)
        envStore.emplace_back(*e);
    std::vector<char*> envp;
    for (auto& e : envStore)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    const std::string dir = workingDir.string();
    const rlimit sizeLimit{options.fileSizeLimit, options.fileSizeLimit};

    pid_ = ::fork();
    if (pid_ == 0) {
        const int input = inPipe[0] >= 0 ? inPipe[0] : ::open("/dev/null", O_RDONLY);
        if (input < 0 || ::dup2(input, STDIN_FILENO) < 0 || ::dup2(outPipe[1], STDOUT_FILENO) < 0 ||
            ::dup2(errPipe[1], STDERR_FILENO) < 0 || ::chdir(dir.c_str()) != 0 ||
            (options.fileSizeLimit != 0 && ::setrlimit(RLIMIT_FSIZE, &sizeLimit) != 0))
            ::_exit(126);
        ResetSignalsInChild();
        ::execve(argv[0], argv.data(), envp.data());
        ::_exit(127);
    }
    ::close(outPipe[1]);
    ::close(errPipe[1]);
    if (inPipe[0] >= 0)
        ::close(inPipe[0]);
    inFd_ = inPipe[1];
    outFd_ = outPipe[0];
    errFd_ = errPipe[0];
}

Child::~Child() {
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        WaitWithin(pid_, 60000);
    }
    for (int fd : {inFd_, outFd_, errFd_})
        if (fd >= 0)
            ::close(fd);
}

bool Child::ReadSome(int fd, std::string& into, int timeoutMs) {
    if (fd < 0)
        return false;
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, timeoutMs) <= 0)
        return false;
    char buffer[4096];
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n <= 0)
        return false;
    into.append(buffer, static_cast<size_t>(n));
    return true;
}

std::vector<std::string> Child::WaitForErrorLines(const std::string& prefix, size_t count) {
    std::vector<std::string> lines;
    for (;;) {
        for (size_t end; (end = err_.find('\n', errLinesTaken_)) != std::string::npos; errLinesTaken_ = end + 1) {
            if (lines.size() < count && err_.compare(errLinesTaken_, prefix.size(), prefix) == 0)
                lines.push_back(err_.substr(errLinesTaken_ + prefix.size(), end - errLinesTaken_ - prefix.size()));
        }
        if (lines.size() >= count || !ReadSome(errFd_, err_, 60000))
            return lines;
    }
}

bool Child::WaitForOutput(const std::string& text) {
    while (out_.find(text) == std::string::npos) {
        if (!ReadSome(outFd_, out_, 60000))
            return false;
    }
    return true;
}

void Child::CloseOutput() {
    if (outFd_ >= 0)
        ::close(outFd_);
    outFd_ = -1;
}

void Child::Send(const std::string& bytes) {
    ASSERT_GE(inFd_, 0) << "the child was started without an input pipe";
    ASSERT_EQ(::write(inFd_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
}

void Child::Signal(int sig) {
    if (pid_ > 0)
        ::kill(pid_, sig);
}

int Child::Finish() {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    auto left = [&] {
        return static_cast<int>(std::max<int64_t>(
            0, std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now())
                   .count()));
    };
    for (bool outOpen = outFd_ >= 0, errOpen = true; (outOpen || errOpen) && left() > 0;) {
        pollfd p[2] = {{outOpen ? outFd_ : -1, POLLIN, 0}, {errOpen ? errFd_ : -1, POLLIN, 0}};
        if (::poll(p, 2, left()) <= 0)
            break;
        if (p[0].revents != 0)
            outOpen = ReadSome(outFd_, out_, 0);
        if (p[1].revents != 0)
            errOpen = ReadSome(errFd_, err_, 0);
    }
    const int status = WaitWithin(pid_, std::max(left(), 1));
    pid_ = -1;
    return status;
}

} // namespace testsupport
