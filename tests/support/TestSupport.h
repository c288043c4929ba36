#pragma once
// Helpers shared by the tests: temporary folders, whole-file reads and writes,
// running a program as a process, keeping the actual output of a failed
// byte-exact comparison.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <functional>
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

// True when `program` is found on PATH.
bool HaveProgram(const std::string& program);

} // namespace testsupport
