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

// Length in characters, not bytes, so that the markers line up for non-ASCII names too.
size_t DisplayLength(const std::string& utf8) {
    size_t n = 0;
    for (unsigned char c : utf8)
        n += (c & 0xC0) != 0x80;
    return n;
}

bool PathExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

bool EnsureFolder(const std::string& prefix, std::ostream& console) {
    ::mkdir(prefix.c_str(), 0777);  // an existing folder is fine; existence decides below
    if (PathExists(prefix))
        return true;
    PrintLine(console, "\nDirectory '" + prefix +
                           "' could not be created. Make sure you have the rights to create directories on this "
                           "volume or check if the parent directory exists!\n");
    return false;
}

void ConvertPictures(const std::string& in, const std::string& out, const std::vector<files::FoundEntry>& pictures,
                     const std::vector<imaging::SizeSpec>& sizeSpecs, bool silent, std::ostream& console) {
    size_t longest = 0;
    for (const auto& p : pictures)
        longest = std::max(longest, DisplayLength(p.name));
    for (const auto& p : pictures) {
        const std::string inputPath = files::JoinPath(in, p.name);
        if (!silent) {
            console << inputPath << ' ' << std::string(longest - DisplayLength(p.name) + 2, '.');
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

    const auto pictures = files::FindFiles(in, "*.png");
    if (!pictures.empty()) {
        if (!MakeOutputFolder(out, console))
            return;  // neither this folder's pictures nor its subfolders
        ConvertPictures(in, out, pictures, sizeSpecs, silent, console);
    }
    for (const auto& entry : files::FindFiles(in, "*.*")) {
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
    bool ok = true;
    for (size_t i = 0; i < sizeSpecs.size() && ok; ++i)
        ok = static_cast<bool>(
            imaging::AddIconImage(file, static_cast<uint32_t>(i), *picture, sizeSpecs[i].size, sizeSpecs[i].bitsPerPixel));
    ok = icofile::CloseIconFile(file) && ok;
    if (!ok) {
        std::error_code ec;
        fs::remove(outputPath, ec);  // an incomplete icon is worse than none
    }
    return ok;
}

void ConvertFolder(const std::string& in, const std::string& out, const std::vector<imaging::SizeSpec>& sizeSpecs,
                   bool silent, std::ostream& console) {
    std::set<fs::path> visited;
    ConvertFolderOnce(in, out, sizeSpecs, silent, console, visited);
}

} // namespace png2ico
