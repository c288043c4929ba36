#pragma once
// The converter's walk over a folder tree: every picture matching "*.png" in
// a folder becomes an icon in the mirrored output folder, then the subfolders
// follow, depth first.

#include "libs/imaging/IconSize.h"

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace png2ico {

// Converts the folder `in` into `out` and recurses into its subfolders. Each
// real folder is visited once, so a link back to an ancestor cannot make the
// walk endless. An empty `in` means the current folder. A folder that cannot
// be listed gets a message of its own, also when silent. Pictures are
// converted on `workers` threads while the walk goes on (0: as many as the
// process may run on); the console and the files are the same for any number.
void ConvertFolder(const std::string& in, const std::string& out, const std::vector<imaging::SizeSpec>& sizeSpecs,
                   bool silent, std::ostream& console, unsigned workers = 1);

// One picture into one icon file holding an image per sizeSpec. The icon
// replaces a file at `outputPath` only when complete: on any failure that
// file stays as it was.
bool ConvertPicture(const std::string& inputPath, const std::string& outputPath,
                    const std::vector<imaging::SizeSpec>& sizeSpecs);

// Makes `out` one level at a time; the first level that does not exist
// afterwards, or nothing when all do.
std::optional<std::string> CreateOutputFolder(const std::string& out);

} // namespace png2ico
