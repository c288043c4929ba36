#include "png2ico/ConvertFolder.h"

#include "png2ico/Console.h"
#include "png2ico/IconNameReach.h"
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

// Tries to make the folder; false when it does not exist afterwards.
bool EnsureFolder(const std::string& prefix) {
    ::mkdir(prefix.c_str(), 0777);  // an existing folder is fine; existence decides below
    return PathExists(prefix);
}

// What one run's walk carries from folder to folder.
struct Walk {
    PictureQueue& queue;
    std::ostream& console;
    std::set<fs::path> visited;  // real folders already converted
};

// The icons of earlier folders may still be being written while the walk
// goes on. They cannot change what this folder finds unless one of its paths
// leads through a name an icon may take (a link named x.ico in the output
// tree, say). Then they are finished first, and this folder's own pictures go
// one at a time, as their icons could change the folder's paths as well: in
// every case the walk finds what it would find one picture at a time.
struct FolderPace {
    bool alone = false;
};

void SettleFirst(Walk& walk, FolderPace& pace) {
    if (!pace.alone) {
        pace.alone = true;
        walk.queue.Drain();
    }
}

// Lists `in`; when a link among the entries leads through an icon name, the
// folder is listed again once nothing is in flight.
std::optional<std::vector<files::FoundEntry>> ListSettled(const std::string& in, const char* pattern, Walk& walk,
                                                          FolderPace& pace) {
    auto entries = files::ListFolder(in, pattern);
    if (!entries || pace.alone)
        return entries;
    for (const files::FoundEntry& entry : *entries) {
        if (entry.isLink && LeadsThroughIconName(files::JoinPath(in, entry.name))) {
            SettleFirst(walk, pace);
            return files::ListFolder(in, pattern);
        }
    }
    return entries;
}

// Two pictures write the same icon only through the same folder and name;
// the folder is known by its identity, as links may give it several paths.
std::string FolderKey(const std::string& out) {
    struct stat info {};
    if (::stat(out.c_str(), &info) != 0)
        return out;  // nothing can be written into it
    return std::to_string(info.st_dev) + ":" + std::to_string(info.st_ino);
}

void ConvertPictures(const std::string& in, const std::string& out, const std::vector<files::FoundEntry>& pictures,
                     Walk& walk, const FolderPace& pace) {
    size_t longest = 0;
    for (const auto& p : pictures)
        longest = std::max(longest, DisplayWidth(VisibleName(p.name)));
    const std::string folderKey = FolderKey(out);
    for (const auto& p : pictures) {
        const std::string inputPath = files::JoinPath(in, p.name);
        const std::string iconName = files::IconNameReplacingExtension(p.name);
        PictureJob job{inputPath, files::JoinPath(out, iconName),
                       VisibleName(inputPath) + ' ' + std::string(longest - DisplayWidth(VisibleName(p.name)) + 2, '.'),
                       folderKey + "/" + iconName};
        if (pace.alone)
            walk.queue.AddAlone(std::move(job));
        else
            walk.queue.Add(std::move(job));
    }
}

void ConvertFolderOnce(const std::string& in, const std::string& out, Walk& walk) {
    FolderPace pace;
    if (LeadsThroughIconName(in) || LeadsThroughIconName(out))
        SettleFirst(walk, pace);
    std::error_code ec;
    const fs::path real = fs::canonical(in.empty() ? fs::path(".") : fs::path(in), ec);
    if (!ec && !walk.visited.insert(real).second)
        return;  // reached again through a link: already converted

    // Messages wait for the results before them, so that they stand where
    // they would one picture at a time.
    const auto pictures = ListSettled(in, "*.png", walk, pace);
    if (!pictures) {
        walk.queue.Drain();
        PrintFolderNotRead(walk.console, in);
        return;
    }
    if (!pictures->empty()) {
        if (const auto missing = CreateOutputFolder(out)) {
            walk.queue.Drain();
            PrintFolderNotCreated(walk.console, *missing);
            return;  // neither this folder's pictures nor its subfolders
        }
        ConvertPictures(in, out, *pictures, walk, pace);
    }
    const auto entries = ListSettled(in, "*.*", walk, pace);
    if (!entries) {
        walk.queue.Drain();
        PrintFolderNotRead(walk.console, in);
        return;
    }
    for (const auto& entry : *entries) {
        if (entry.isDirectory && entry.name != "." && entry.name != "..")
            ConvertFolderOnce(files::JoinPath(in, entry.name), files::JoinPath(out, entry.name), walk);
    }
}

} // namespace

std::optional<std::string> CreateOutputFolder(const std::string& out) {
    for (size_t i = 0; i < out.size(); ++i) {
        // Each prefix ending just after a separator: "/", "/tmp/", "/tmp/icons/", ...
        if (out[i] == '/' && (i + 1 == out.size() || out[i + 1] != '/') && !EnsureFolder(out.substr(0, i + 1)))
            return out.substr(0, i + 1);
    }
    if (!EnsureFolder(out))
        return out;
    return std::nullopt;
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
