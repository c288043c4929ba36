#include "libs/exeicons/ExeIconError.h"

namespace exeicons {

const char* ErrorName(ExeIconError error) {
    switch (error) {
    case ExeIconError::kNone: return "no error";
    case ExeIconError::kCannotRead: return "file cannot be read";
    case ExeIconError::kNotExecutable: return "not an executable (no MZ header)";
    case ExeIconError::kBadHeaderOffset: return "new header offset outside the file";
    case ExeIconError::kUnknownFormat: return "neither a PE nor an NE executable";
    case ExeIconError::kTruncatedHeader: return "executable header cut short";
    case ExeIconError::kBadOptionalHeader: return "bad optional header";
    case ExeIconError::kNoResources: return "no resources";
    case ExeIconError::kDamagedResources: return "damaged resource directory";
    case ExeIconError::kNoIconGroup: return "no icon group";
    case ExeIconError::kNoIconImages: return "icon group without readable images";
    case ExeIconError::kNotDib: return "not a DIB image";
    case ExeIconError::kUnsupportedDib: return "unsupported DIB image";
    case ExeIconError::kTruncatedImage: return "icon image cut short";
    case ExeIconError::kImageTooLarge: return "icon image empty or too large";
    }
    return "unknown error";
}

IconPresence PresenceOf(ExeIconError error) {
    switch (error) {
    case ExeIconError::kNone:
        return IconPresence::kHasIcons;
    case ExeIconError::kCannotRead:
    case ExeIconError::kNotExecutable:
    case ExeIconError::kBadHeaderOffset:
    case ExeIconError::kUnknownFormat:
    case ExeIconError::kTruncatedHeader:
    case ExeIconError::kBadOptionalHeader:
        return IconPresence::kNotAModule;
    default:
        return IconPresence::kNoIcons;
    }
}

} // namespace exeicons
