#include "png2ico/ConvertFolder.h"

#include "png2ico/Console.h"
#include "png2ico/PictureQueue.h"
#include "libs/icofile/IconFile.h"
#include "libs/imaging/Imaging.h"
#include "libs/imaging/SourcePicture.h"
#include "libs/files/FileSearch.h"
#include "libs/files/IconNames.h"

#include <filesystem>
#include <ostream>
#include <set>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace png2ico {

namespace {

bool PathExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

bool EnsureFolder(const std::string& prefix, std::ostream& console) {
    ::mkdir(prefix.c_str(), 0777);  // an existing folder is fine; existence decides below
    if (PathExists(prefix))
        return true;
    PrintFolderNotCreated(console, prefix);
    return false;
}

// What one run's walk carries from folder to folder.
struct Walk {
    PictureQueue& queue;
    std::ostream& console;
    std::set<fs::path> visited;  // real folders already converted
};

// Names under which an icon written into `out` would replace a link that
// `in` is reached through (an input folder inside the output tree). Such a
// picture is converted alone: the pictures after it must find what they
// would find one at a time.
std::set<std::string> LinksOnTheWayIn(const std::string& in, const std::string& out) {
    std::set<std::string> names;
    struct stat outInfo {};
    if (::stat(out.c_str(), &outInfo) != 0)
        return names;
    for (size_t end = in.find('/', 1); ; end = in.find('/', end + 1)) {
        const std::string prefix = in.substr(0, end);
        struct stat info {};
        struct stat parentInfo {};
        const size_t slash = prefix.rfind('/');
        const std::string parent = slash == std::string::npos ? "." : prefix.substr(0, slash + 1);
        if (::lstat(prefix.c_str(), &info) == 0 && S_ISLNK(info.st_mode) && ::stat(parent.c_str(), &parentInfo) == 0 &&
            parentInfo.st_dev == outInfo.st_dev && parentInfo.st_ino == outInfo.st_ino)
            names.insert(prefix.substr(slash == std::string::npos ? 0 : slash + 1));
        if (end == std::string::npos)
            break;
    }
    return names;
}

void ConvertPictures(const std::string& in, const std::string& out, const std::vector<files::FoundEntry>& pictures,
                     Walk& walk) {
    size_t longest = 0;
    for (const auto& p : pictures)
        longest = std::max(longest, DisplayWidth(VisibleName(p.name)));
    const std::set<std::string> aloneNames = LinksOnTheWayIn(in, out);
    for (const auto& p : pictures) {
        const std::string inputPath = files::JoinPath(in, p.name);
        const std::string iconName = files::IconNameReplacingExtension(p.name);
        PictureJob job{inputPath, files::JoinPath(out, iconName),
                       VisibleName(inputPath) + ' ' + std::string(longest - DisplayWidth(VisibleName(p.name)) + 2, '.')};
        if (aloneNames.count(iconName) != 0)
            walk.queue.AddAlone(std::move(job));
        else
            walk.queue.Add(std::move(job));
    }
    // Everything this folder writes is in place before the walk looks any
    // further, as it would be one picture at a time: the next listings and
    // output folders then find the same files for any number of workers.
    walk.queue.Drain();
}

void ConvertFolderOnce(const std::string& in, const std::string& out, Walk& walk) {
    std::error_code ec;
    const fs::path real = fs::canonical(in.empty() ? fs::path(".") : fs::path(in), ec);
    if (!ec && !walk.visited.insert(real).second)
        return;  // reached again through a link: already converted

    const auto pictures = files::ListFolder(in, "*.png");
    if (!pictures) {
        PrintFolderNotRead(walk.console, in);
        return;
    }
    if (!pictures->empty()) {
        if (!MakeOutputFolder(out, walk.console))
            return;  // neither this folder's pictures nor its subfolders
        ConvertPictures(in, out, *pictures, walk);
    }
    const auto entries = files::ListFolder(in, "*.*");
    if (!entries) {
        PrintFolderNotRead(walk.console, in);
        return;
    }
    for (const auto& entry : *entries) {
        if (entry.isDirectory && entry.name != "." && entry.name != "..")
            ConvertFolderOnce(files::JoinPath(in, entry.name), files::JoinPath(out, entry.name), walk);
    }
}

} // namespace

bool MakeOutputFolder(const std::string& out, std::ostream& console) {
    for (size_t i = 0; i < out.size(); ++i) {
        // Each prefix ending just after a separator: "/", "/tmp/", "/tmp/icons/", ...
        if (out[i] == '/' && (i + 1 == out.size() || out[i + 1] != '/'))
            if (!EnsureFolder(out.substr(0, i + 1), console))
                return false;
    }
    return EnsureFolder(out, console);
}

bool ConvertPicture(const std::string& inputPath, const std::string& outputPath,
                    const std::vector<imaging::SizeSpec>& sizeSpecs) {
    auto picture = imaging::LoadPicture(inputPath);
    if (!picture)
        return false;
    icofile::IconFile file;
    file.path = outputPath;
    file.imageCount = static_cast<uint32_t>(sizeSpecs.size());
    if (!icofile::CreateIconFile(file))
        return false;
    for (size_t i = 0; i < sizeSpecs.size(); ++i) {
        if (!imaging::AddIconImage(file, static_cast<uint32_t>(i), *picture, sizeSpecs[i].size,
                                   sizeSpecs[i].bitsPerPixel)) {
            file.handle.reset();  // dropped unclosed: the earlier icon, if any, stays as it was
            return false;
        }
    }
    return static_cast<bool>(icofile::CloseIconFile(file));
}

void ConvertFolder(const std::string& in, const std::string& out, const std::vector<imaging::SizeSpec>& sizeSpecs,
                   bool silent, std::ostream& console, unsigned workers) {
    PictureQueue queue(
        workers, [&sizeSpecs](const PictureJob& job) { return ConvertPicture(job.inputPath, job.outputPath, sizeSpecs); },
        silent, console);
    Walk walk{queue, console, {}};
    ConvertFolderOnce(in, out, walk);
}

} // namespace png2ico
