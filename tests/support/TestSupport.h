#pragma once
// Helpers shared by the tests: temporary folders, whole-file reads and writes,
// running a program as a process, keeping the actual output of a failed
// byte-exact comparison.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <sys/types.h>
#include <string>
#include <vector>

namespace testsupport {

// A fresh folder below the system's temporary folder, removed with its
// contents when the object goes away.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

std::vector<uint8_t> ReadBytes(const std::filesystem::path& file);
std::string ReadText(const std::filesystem::path& file);
void WriteBytes(const std::filesystem::path& file, const std::vector<uint8_t>& bytes);
void WriteText(const std::filesystem::path& file, const std::string& text);

struct ProcessResult {
    int exitCode = -1;
    bool crashed = false;
    std::string out;   // standard output
    std::string err;   // standard error
};

// Runs a program directly (no shell) in a working folder, feeding `input` to
// its standard input and closing it. Gives up after `timeoutMs`.
ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args,
                         const std::filesystem::path& workingDir, const std::string& input = {},
                         int timeoutMs = 60000);

// Compares bytes; on a mismatch saves the actual bytes under the build's
// test-output folder as `name` so they can be inspected, and says where.
::testing::AssertionResult BytesEqual(const std::vector<uint8_t>& expected,
                                      const std::vector<uint8_t>& actual, const std::string& name);

// Writes a picture through Qt (format from the file's extension, or `format`).
void WritePicture(const std::filesystem::path& file, int width, int height, uint32_t argb,
                  const char* format = nullptr);

// Runs `body` in a child process whose files may grow to `limitBytes` at
// most, which cuts writes short the way a full disk does. The child's exit
// status (what `body` returns), or -1 when it did not end normally.
int ExitCodeUnderFileSizeLimit(uint64_t limitBytes, const std::function<int()>& body);

// What a test's child process must not inherit: the signals the tests rely
// on (SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE, SIGXFSZ, SIGALRM) back at
// their default action, none blocked, and no core file. A test run under
// nohup, by a CI runner that ignores SIGPIPE or from a shell that blocks
// signals then sees what a terminal user would. Async-signal-safe: for a
// child between fork and exec.
void ResetSignalsInChild();

// Waits up to `timeoutMs` for the child to end and returns its wait status;
// a child still running then is killed and -1 returned.
int WaitWithin(pid_t child, int timeoutMs);

// A program started directly (fork and exec) with ResetSignalsInChild, its
// standard output and error on pipes, its input empty or a pipe. Killed when
// dropped.
struct ChildOptions {
    std::vector<std::string> extraEnvironment;  // "NAME=value"
    uint64_t fileSizeLimit = 0;                 // RLIMIT_FSIZE in bytes; 0 for none
    bool inputPipe = false;                     // standard input from Send() instead of empty
};

class Child {
public:
    Child(const std::string& program, const std::vector<std::string>& args, const std::filesystem::path& workingDir,
          const ChildOptions& options = {});
    ~Child();
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    bool started() const { return pid_ > 0; }
    // Reads standard error until `count` lines starting with `prefix` came,
    // and returns the rest of each; fewer when the child ends or a minute
    // passes first.
    std::vector<std::string> WaitForErrorLines(const std::string& prefix, size_t count);
    // Reads standard output until it holds `text`; false when the child
    // ends or a minute passes first.
    bool WaitForOutput(const std::string& text);
    // Stops reading standard output: the child's next write to it fails.
    void CloseOutput();
    // Writes to the child's standard input (with inputPipe).
    void Send(const std::string& bytes);
    // Sends a signal.
    void Signal(int sig);
    // Reads both pipes to their end and waits for the child, a minute at
    // most; its wait status, or -1 when it had to be killed.
    int Finish();

    const std::string& out() const { return out_; }
    const std::string& err() const { return err_; }

private:
    bool ReadSome(int fd, std::string& into, int timeoutMs);

    pid_t pid_ = -1;
    int inFd_ = -1;
    int outFd_ = -1;
    int errFd_ = -1;
    std::string out_;
    std::string err_;
    size_t errLinesTaken_ = 0;  // bytes of err_ already given out as lines
};

// True when `program` is found on PATH.
bool HaveProgram(const std::string& program);

} // namespace testsupport
