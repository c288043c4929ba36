#pragma once
// Errors of the executable icon reader and of the icon image decoder, and how
// an error reads to a caller that only asks "does this file have an icon?".

#include <cstdint>

namespace exeicons {

enum class ExeIconError : uint8_t {
    kNone = 0,
    // Not a module that can hold icons.
    kCannotRead,          // the file cannot be opened or read (or is no regular file)
    kNotExecutable,       // no "MZ" header, or too short for one
    kBadHeaderOffset,     // the new header's offset points outside the file
    kUnknownFormat,       // neither a PE nor an NE header behind the MZ header
    kTruncatedHeader,     // a header or the section table is cut short
    kBadOptionalHeader,   // optional header of unknown kind or too small
    // A module without icons.
    kNoResources,         // no resource directory
    kDamagedResources,    // the resource directory cannot be read
    kNoIconGroup,         // no readable icon group
    kNoIconImages,        // icon groups found, none names a readable image
    // Decoding one icon image.
    kNotDib,              // not a DIB (a PNG image, or unknown data)
    kUnsupportedDib,      // a DIB kind that icons do not use
    kTruncatedImage,      // the pixel or mask rows are cut short
    kImageTooLarge,       // wider or taller than kMaxIconEdge, or empty
};

// Short English text naming the error.
[[nodiscard]] const char* ErrorName(ExeIconError error);

// What a file offers, as the platform's icon extraction reports it: 1 for a
// file that is not a module, 0 for a module without icons, else an icon.
enum class IconPresence : uint8_t { kNotAModule, kNoIcons, kHasIcons };

// kNone gives kHasIcons. Decoding errors never come from reading a file's
// icons; they read as kNoIcons.
[[nodiscard]] IconPresence PresenceOf(ExeIconError error);

} // namespace exeicons
