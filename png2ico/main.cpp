// png2ico: converts every PNG picture of a folder tree into Windows icons.
#include "png2ico/RunConverter.h"
#include "libs/files/TempFileRegistry.h"

#include <malloc.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

namespace {

// For tests that interrupt a run while an icon is being written: each
// temporary icon file, once created, is named on standard error and the
// writer waits there for the signal. With the value "input" it waits for a
// byte on standard input instead and then goes on, so that a test can change
// the folders around a file being written.
constexpr const char* kHoldVariable = "PNG2ICO_HOLD_AFTER_TEMP_FILE";

void HoldAfterTempFile(const std::string& tempPath) {
    const std::string line = "png2ico: writing " + tempPath + "\n";
    if (::write(STDERR_FILENO, line.data(), line.size()) < 0)
        return;
    static const bool untilInput = std::string(std::getenv(kHoldVariable)) == "input";
    char byte = 0;
    if (untilInput) {
        while (::read(STDIN_FILENO, &byte, 1) < 0 && errno == EINTR) {
        }
        return;
    }
    for (;;)
        ::pause();
}

// A reader that stops reading (`png2ico ... | head`) and a file size limit
// are errors of one write each, not reasons to end the run: the console stops
// printing once its stream fails, and a picture whose icon cannot be written
// whole is "[ERROR]" and leaves no file. The conversion itself goes on to the
// end, so that the icons made do not depend on who reads the progress, and
// the exit code 0 still means the whole tree was converted.
void TakeWriteErrorsAsErrors() {
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
}

} // namespace

int main(int argc, char** argv) {
    // Every picture needs buffers of the same few sizes; keeping them in the
    // heap instead of fresh mappings saves the page faults of zeroed memory.
    mallopt(M_MMAP_THRESHOLD, 64 << 20);
    mallopt(M_TRIM_THRESHOLD, 128 << 20);
    // Qt is loaded only for pictures our own decoders do not read; the
    // general reader quiets its messages and picks its main thread then.
    std::ios::sync_with_stdio(false);
    TakeWriteErrorsAsErrors();
    files::RemoveTempFilesOnInterrupt();
    if (std::getenv(kHoldVariable) != nullptr)
        files::SetTempFileCreatedHook(HoldAfterTempFile);
    std::vector<std::string> args(argv, argv + argc);
    try {
        return png2ico::RunConverter(args, std::cout, std::cin);
    } catch (const std::exception& e) {
        // Callers rely on exit code 0; the failure is still said.
        std::cout.flush();
        std::cerr << "png2ico: " << e.what() << '\n';
        return 0;
    }
}
