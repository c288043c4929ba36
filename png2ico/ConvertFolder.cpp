#include "png2ico/ConvertFolder.h"

#include "png2ico/Console.h"
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

void ConvertPictures(const std::string& in, const std::string& out, const std::vector<files::FoundEntry>& pictures,
                     const std::vector<imaging::SizeSpec>& sizeSpecs, bool silent, std::ostream& console) {
    size_t longest = 0;
    for (const auto& p : pictures)
        longest = std::max(longest, DisplayWidth(VisibleName(p.name)));
    for (const auto& p : pictures) {
        const std::string inputPath = files::JoinPath(in, p.name);
        if (!silent) {
            console << VisibleName(inputPath) << ' '
                    << std::string(longest - DisplayWidth(VisibleName(p.name)) + 2, '.');
            console.flush();
        }
        const bool ok = ConvertPicture(inputPath, files::JoinPath(out, files::IconNameReplacingExtension(p.name)), sizeSpecs);
        if (!silent)
            PrintLine(console, ok ? "[OK]" : "[ERROR]");
    }
}

void ConvertFolderOnce(const std::string& in, const std::string& out, const std::vector<imaging::SizeSpec>& sizeSpecs,
                       bool silent, std::ostream& console, std::set<fs::path>& visited) {
    std::error_code ec;
    const fs::path real = fs::canonical(in.empty() ? fs::path(".") : fs::path(in), ec);
    if (!ec && !visited.insert(real).second)
        return;  // reached again through a link: already converted

    const auto pictures = files::ListFolder(in, "*.png");
    if (!pictures) {
        PrintFolderNotRead(console, in);
        return;
    }
    if (!pictures->empty()) {
        if (!MakeOutputFolder(out, console))
            return;  // neither this folder's pictures nor its subfolders
        ConvertPictures(in, out, *pictures, sizeSpecs, silent, console);
    }
    const auto entries = files::ListFolder(in, "*.*");
    if (!entries) {
        PrintFolderNotRead(console, in);
        return;
    }
    for (const auto& entry : *entries) {
        if (entry.isDirectory && entry.name != "." && entry.name != "..")
            ConvertFolderOnce(files::JoinPath(in, entry.name), files::JoinPath(out, entry.name), sizeSpecs, silent,
                              console, visited);
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
                   bool silent, std::ostream& console) {
    std::set<fs::path> visited;
    ConvertFolderOnce(in, out, sizeSpecs, silent, console, visited);
}

} // namespace png2ico
