#include "libs/imaging/GeneralReader.h"

#include "libs/imaging/GeneralReaderAbi.h"

#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <mutex>
#include <string>

namespace imaging {

namespace {

// The reader's library relative to the folder of the running program: the
// installed layout (bin/ beside lib/), then the build tree's.
constexpr const char* kReaderPlaces[] = {TREVALO_GENERAL_READER_INSTALLED, TREVALO_GENERAL_READER_BUILT};
// Last, by name alone: a program built to link the reader has its folder in
// its run path even where the linker left the unused library out.
constexpr const char* kReaderName = "libtrevalo-picturereader.so";

std::string ProgramFolder() {
    char path[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0)
        return {};
    const std::string program(path, static_cast<size_t>(length));
    return program.substr(0, program.rfind('/') + 1);
}

// Where a program asked for the library explicitly, e.g. for a copy of the
// converter it runs from a folder of its own.
constexpr const char* kReaderVariable = "TREVALO_GENERAL_READER";

void* OpenLibrary(const std::string& path) {
    // Never unloaded: Qt's plugins stay until the program ends.
    return ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
}

TrevaloGeneralReaderRead OpenReader() {
    // A program linked with the reader (the window, the tests) has it already.
    void* read = ::dlsym(RTLD_DEFAULT, TREVALO_GENERAL_READER_READ);
    void* start = ::dlsym(RTLD_DEFAULT, TREVALO_GENERAL_READER_START);
    if (read == nullptr || start == nullptr) {
        const char* named = std::getenv(kReaderVariable);
        const std::string placed = named != nullptr && *named != '\0' ? named : FindGeneralReader();
        void* library = placed.empty() ? nullptr : OpenLibrary(placed);
        if (library == nullptr)
            library = OpenLibrary(kReaderName);
        if (library == nullptr)
            return nullptr;
        read = ::dlsym(library, TREVALO_GENERAL_READER_READ);
        start = ::dlsym(library, TREVALO_GENERAL_READER_START);
        if (read == nullptr || start == nullptr)
            return nullptr;
    }
    if (reinterpret_cast<TrevaloGeneralReaderStart>(start)() != 0)
        return nullptr;
    return reinterpret_cast<TrevaloGeneralReaderRead>(read);
}

TrevaloGeneralReaderRead Reader() {
    static std::once_flag opened;
    static TrevaloGeneralReaderRead reader = nullptr;
    std::call_once(opened, [] { reader = OpenReader(); });
    return reader;
}

} // namespace

std::string FindGeneralReader() {
    const std::string folder = ProgramFolder();
    if (folder.empty())
        return {};
    for (const char* place : kReaderPlaces) {
        const std::string path = folder + place;
        if (::access(path.c_str(), R_OK) == 0)
            return path;
    }
    return {};
}

void LendGeneralReader() {
    if (const std::string path = FindGeneralReader(); !path.empty())
        ::setenv(kReaderVariable, path.c_str(), 0);
}

std::unique_ptr<SourcePicture> ReadGeneralPicture(const uint8_t* data, size_t size, int64_t maxPixels) {
    const TrevaloGeneralReaderRead read = Reader();
    TrevaloGeneralPicture picture{nullptr, 0, 0};
    if (read == nullptr || read(data, size, maxPixels, &picture) != 1)
        return nullptr;
    PixelBuffer pixels(picture.bgra);
    if (int64_t{picture.width} * picture.height > maxPixels)
        return nullptr;
    return SourcePicture::Adopt(std::move(pixels), picture.width, picture.height, ptrdiff_t{4} * picture.width);
}

} // namespace imaging
