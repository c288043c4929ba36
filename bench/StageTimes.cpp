// stage_times: where png2ico's time goes. Runs the converter's per-picture
// steps over a folder tree of PNG pictures, timing each one on its own:
// reading the file, decoding it, making the icon bitmaps (resampling and mask)
// for the seven sizes, encoding the icon file in memory, and writing it out.
// Each pass covers every picture; the best pass of each stage is reported, so
// a busy moment on the machine does not count, and each stage is timed in the
// thread's CPU time, so neither does waiting for a core. The decode stage is also set
// against libspng decoding the same bytes to 8-bit RGBA in the same pass.
//
// usage: stage_times IN_DIR OUT_DIR [PASSES]

#include "libs/icofile/IconFile.h"
#include "libs/imaging/Imaging.h"
#include "libs/imaging/SourcePicture.h"  // the decoded picture is owned here

#include "PeerDecode.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// The sizes the window's PNG job asks for when every box is ticked, all at 32 bits.
constexpr std::array<int32_t, 7> kSizes = {16, 32, 48, 64, 72, 96, 128};
constexpr int32_t kBitsPerPixel = 32;
constexpr int kDefaultPasses = 3;
constexpr int kMaxPasses = 20;
constexpr double kDecodeTarget = 2.0;  // our decode stage against libspng's

enum Stage { kRead, kDecode, kResample, kEncode, kWrite, kStageCount };
constexpr std::array<const char*, kStageCount> kStageNames = {
    "read file", "decode", "resample + mask", "encode icon", "write file"};

// The thread's own CPU time, not the wall clock: on a machine shared with
// other work the stages must not be charged for the time others run.
struct Clock {
    using time_point = std::chrono::nanoseconds;
    static time_point now() {
        timespec t{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
        return std::chrono::seconds(t.tv_sec) + std::chrono::nanoseconds(t.tv_nsec);
    }
};
using Seconds = std::array<double, kStageCount>;

struct PassTimes {
    Seconds stages{};
    double peerDecode = 0;  // libspng, not a png2ico stage
};

double Since(Clock::time_point* start) {
    const Clock::time_point now = Clock::now();
    const double seconds = std::chrono::duration<double>(now - *start).count();
    *start = now;
    return seconds;
}

bool IsPng(const fs::path& path) {
    std::string ext = path.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext == ".png";
}

std::vector<fs::path> ListPictures(const fs::path& root) {
    std::vector<fs::path> pictures;
    std::error_code error;
    for (fs::recursive_directory_iterator it(root, error), end; !error && it != end; it.increment(error)) {
        if (it->is_regular_file(error) && IsPng(it->path())) {
            pictures.push_back(it->path());
        }
    }
    std::sort(pictures.begin(), pictures.end());
    return pictures;
}

bool ReadFile(const fs::path& path, std::vector<uint8_t>* bytes) {
    std::error_code error;
    const uintmax_t size = fs::file_size(path, error);
    std::ifstream in(path, std::ios::binary);
    if (error || !in) {
        return false;
    }
    bytes->resize(static_cast<size_t>(size));
    in.read(reinterpret_cast<char*>(bytes->data()), static_cast<std::streamsize>(size));
    return static_cast<uintmax_t>(in.gcount()) == size;
}

bool WriteFile(const fs::path& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return static_cast<bool>(out);
}

// The icon file's bytes for one picture, built in memory from its bitmaps.
bool EncodeIcon(const std::vector<icofile::ColourBitmap>& colours, const std::vector<icofile::MaskBitmap>& masks,
                std::vector<uint8_t>* bytes) {
    icofile::IconFile file;
    file.imageCount = static_cast<uint32_t>(colours.size());
    if (!icofile::CreateIconBuffer(file, *bytes)) {
        return false;
    }
    bool ok = true;
    for (size_t i = 0; ok && i < colours.size(); ++i) {
        const icofile::IconImage image{static_cast<uint32_t>(i), colours[i], masks[i],
                                       imaging::ColourCountForDepth(kBitsPerPixel)};
        ok = static_cast<bool>(icofile::WriteIconImage(file, image));
    }
    return icofile::CloseIconFile(file) && ok;
}

// One pass over all pictures; adds each stage's time to *seconds. False on the first failure.
bool RunPass(const std::vector<fs::path>& pictures, const fs::path& in, const fs::path& out, PassTimes* times) {
    Seconds* seconds = &times->stages;
    std::vector<uint8_t> source;
    std::vector<uint8_t> peerPixels;
    std::vector<uint8_t> icon;
    std::vector<icofile::ColourBitmap> colours(kSizes.size());
    std::vector<icofile::MaskBitmap> masks(kSizes.size());
    for (const fs::path& picture : pictures) {
        Clock::time_point start = Clock::now();
        if (!ReadFile(picture, &source)) {
            std::fprintf(stderr, "stage_times: cannot read %s\n", picture.c_str());
            return false;
        }
        (*seconds)[kRead] += Since(&start);
        auto decoded = imaging::LoadPictureFromMemory(source.data(), source.size());
        if (!decoded) {
            std::fprintf(stderr, "stage_times: cannot decode %s\n", picture.c_str());
            return false;
        }
        (*seconds)[kDecode] += Since(&start);
        Clock::time_point peerStart = Clock::now();
        if (!bench::SpngDecodeRgba8(source, &peerPixels)) {
            std::fprintf(stderr, "stage_times: libspng cannot decode %s\n", picture.c_str());
            return false;
        }
        times->peerDecode += Since(&peerStart);
        start = Clock::now();
        for (size_t i = 0; i < kSizes.size(); ++i) {
            if (!imaging::MakeIconBitmaps(*decoded, kSizes[i], kBitsPerPixel, colours[i], masks[i])) {
                std::fprintf(stderr, "stage_times: cannot make %d x %d of %s\n", kSizes[i], kSizes[i], picture.c_str());
                return false;
            }
        }
        (*seconds)[kResample] += Since(&start);
        icon.clear();
        if (!EncodeIcon(colours, masks, &icon)) {
            std::fprintf(stderr, "stage_times: cannot encode the icon of %s\n", picture.c_str());
            return false;
        }
        (*seconds)[kEncode] += Since(&start);
        fs::path target = out / fs::relative(picture, in);
        target.replace_extension(".ico");
        std::error_code error;
        fs::create_directories(target.parent_path(), error);
        if (!WriteFile(target, icon)) {
            std::fprintf(stderr, "stage_times: cannot write %s\n", target.c_str());
            return false;
        }
        (*seconds)[kWrite] += Since(&start);
    }
    return true;
}

void PrintTable(const Seconds& best, size_t pictures, int passes) {
    double total = 0;
    for (double s : best) {
        total += s;
    }
    std::printf("  png2ico stages, %zu pictures, %zu sizes, best of %d passes:\n", pictures, kSizes.size(), passes);
    std::printf("    %-17s %9s %7s\n", "stage", "ms/pic", "share");
    for (int stage = 0; stage < kStageCount; ++stage) {
        std::printf("    %-17s %9.3f %6.1f%%\n", kStageNames[stage], 1000.0 * best[stage] / static_cast<double>(pictures),
                    total > 0 ? 100.0 * best[stage] / total : 0.0);
    }
    std::printf("    %-17s %9.3f\n", "sum", 1000.0 * total / static_cast<double>(pictures));
}

void PrintDecodeComparison(double ours, double libspng, size_t pictures) {
    const double ratio = ours > 0 ? libspng / ours : 0.0;
    std::printf("  decode, ms/pic: png2ico %.3f, libspng to 8-bit RGBA %.3f: %.2fx  [target >= %.0fx: %s]\n",
                1000.0 * ours / static_cast<double>(pictures), 1000.0 * libspng / static_cast<double>(pictures), ratio,
                kDecodeTarget, ratio >= kDecodeTarget ? "met" : "NOT met");
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3 || argc > 4) {
        std::fprintf(stderr, "usage: stage_times IN_DIR OUT_DIR [PASSES]\n");
        return 2;
    }
    const fs::path in = argv[1];
    const fs::path out = argv[2];
    const int passes = argc == 4 ? std::clamp(std::atoi(argv[3]), 1, kMaxPasses) : kDefaultPasses;
    const std::vector<fs::path> pictures = ListPictures(in);
    if (pictures.empty()) {
        std::fprintf(stderr, "stage_times: no PNG pictures under %s\n", in.c_str());
        return 1;
    }
    Seconds best;
    best.fill(std::numeric_limits<double>::infinity());
    double bestPeerDecode = std::numeric_limits<double>::infinity();
    for (int pass = 0; pass < passes; ++pass) {
        PassTimes times;
        if (!RunPass(pictures, in, out, &times)) {
            return 1;
        }
        for (int stage = 0; stage < kStageCount; ++stage) {
            best[stage] = std::min(best[stage], times.stages[stage]);
        }
        bestPeerDecode = std::min(bestPeerDecode, times.peerDecode);
    }
    PrintTable(best, pictures.size(), passes);
    PrintDecodeComparison(best[kDecode], bestPeerDecode, pictures.size());
    return 0;
}
