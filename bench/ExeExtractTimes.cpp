// Times the executable page's batch extraction over one folder: the same
// steps as the window's batch run (the "*.exe" search, the scratch image
// list, each file's large icon, an icon file beside each executable), without
// the window. For `make bench`.
//
// usage: exe_extract_times [--stages] FOLDER
// prints: executables=N written=M seconds=S   (S: the search and the walk)
// --stages: the same walk step by step, adding the time of each step:
//   icon=S list=S save=S   (the large icon as a picture; image list add and
//   icon extraction; writing the icon file)

#include "app/executables/IconExtraction.h"
#include "app/executables/modGetICO.h"

#include <QFile>

#include <chrono>
#include <cstdio>
#include <cstring>

namespace {

using Clock = std::chrono::steady_clock;

double Since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

int Walk(const QString& folder) {
    platform::ImageList list;
    const auto start = Clock::now();
    const QStringList names = FindExecutables(folder);
    const int written = SaveExecutableIcons(list, folder, names);
    std::printf("executables=%lld written=%d seconds=%.6f\n", static_cast<long long>(names.size()), written,
                Since(start));
    return 0;
}

int Stages(const QString& folder) {
    platform::ImageList list;
    double icon = 0, add = 0, save = 0;
    int written = 0;
    for (const QString& name : FindExecutables(folder)) {
        const QString executable = JoinFolder(folder, name);
        auto start = Clock::now();
        const platform::Picture picture = GetFileICO(executable);
        icon += Since(start);
        start = Clock::now();
        const int index = list.Add(picture, executable);
        const platform::Picture extracted = index != 0 ? list.ExtractIcon(index) : platform::Picture{};
        add += Since(start);
        start = Clock::now();
        written += platform::SavePicture(extracted, IconPathFor(executable)) ? 1 : 0;
        save += Since(start);
    }
    std::printf("written=%d icon=%.6f list=%.6f save=%.6f\n", written, icon, add, save);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const bool stages = argc == 3 && std::strcmp(argv[1], "--stages") == 0;
    if (argc != 2 && !stages) {
        std::fprintf(stderr, "usage: %s [--stages] FOLDER\n", argv[0]);
        return 2;
    }
    const QString folder = QFile::decodeName(argv[argc - 1]);
    return stages ? Stages(folder) : Walk(folder);
}
