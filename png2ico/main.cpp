// png2ico: converts every PNG picture of a folder tree into Windows icons.
#include "png2ico/RunConverter.h"

#include <QtGlobal>

#include <malloc.h>

#include <exception>
#include <iostream>
#include <string>
#include <vector>

namespace {

// Decoders report damaged pictures through Qt's warnings; the console shows
// "[ERROR]" for them already, so keep its lines clean.
void DropQtMessage(QtMsgType, const QMessageLogContext&, const QString&) {}

} // namespace

int main(int argc, char** argv) {
    // Every picture needs buffers of the same few sizes; keeping them in the
    // heap instead of fresh mappings saves the page faults of zeroed memory.
    mallopt(M_MMAP_THRESHOLD, 64 << 20);
    mallopt(M_TRIM_THRESHOLD, 128 << 20);
    qInstallMessageHandler(DropQtMessage);
    std::ios::sync_with_stdio(false);
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
