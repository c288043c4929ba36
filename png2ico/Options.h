#pragma once
// The converter's command line.

#include "libs/imaging/IconSize.h"

#include <string>
#include <vector>

namespace png2ico {

struct Options {
    std::vector<imaging::SizeSpec> sizeSpecs;  // in command-line order, duplicates kept
    std::string inputFolder;
    std::string outputFolder;
    bool noConfirm = false;
    bool silent = false;
    bool help = false;
    unsigned workers = 0;  // -j N; 0: as many as the process may run on
};

// Largest edge of a size spec: an icon's directory stores each edge in one
// byte, 0 meaning 256, so a larger edge cannot be described.
inline constexpr int kMaxSizeSpecEdge = 256;

// Most worker threads -j may ask for; larger numbers are taken as this.
inline constexpr unsigned kMaxWorkers = 256;

// Scans every argument from index 0 (the program name takes part like any
// other). Unknown arguments and invalid size specs are dropped silently.
Options ParseArguments(const std::vector<std::string>& args);

// Reads a decimal integer as a formatted stream read does: leading white
// space, an optional sign, digits up to the first non-digit. False when no
// digit follows or the value does not fit.
bool ReadLeadingInt(const std::string& text, int* value);

} // namespace png2ico
