#pragma once
// The first icon group of an executable and its images, as the reader
// returns them.

#include "libs/exeicons/ExeIconError.h"
#include "libs/exeicons/GroupDirectory.h"
#include "libs/exeicons/IconImageInfo.h"

#include <cstdint>
#include <string>
#include <vector>

namespace exeicons {

// A resource is named either by a number or by a text.
struct ResourceName {
    bool named = false;
    uint16_t id = 0;      // when not named
    std::string text;     // when named: UTF-8 (16-bit executables: ASCII, '?' for other bytes)
};

struct IconImage {
    GroupEntry entry;             // the group's entry: hints only
    ImageInfo info;               // format, size and depth read from `data`
    std::vector<uint8_t> data;    // the resource's bytes: a whole icon DIB (see
                                  // DecodeDibIcon) or a whole PNG file, which
                                  // the caller decodes itself. In 16-bit
                                  // executables padded to the resource alignment.
};

struct IconGroup {
    ResourceName name;
    std::vector<IconImage> images;   // in the group's order; never empty in a result
};

struct [[nodiscard]] IconGroupResult {
    ExeIconError error = ExeIconError::kNone;
    IconGroup group;   // filled when ok()

    [[nodiscard]] bool ok() const { return error == ExeIconError::kNone; }
    [[nodiscard]] IconPresence presence() const { return PresenceOf(error); }
};

} // namespace exeicons
