#pragma once
// Bounds on what the executable icon reader reads and keeps, so that a damaged
// or hostile file costs bounded time and memory.

#include <cstdint>

namespace exeicons {

// Largest single read from a file: one resource (an icon group or one icon
// image) or one header table. A 256 x 256 32-bit DIB is about 270 KiB.
inline constexpr uint64_t kMaxReadBytes = 4 * 1024 * 1024;

// Entries read from one resource directory; any further ones are ignored.
inline constexpr uint32_t kMaxDirectoryEntries = 4096;

// Directory entries read during one walk of a resource tree, all directories
// together: bounds the work on a file whose directories share sub-trees.
inline constexpr uint32_t kMaxTreeEntries = 65536;

// A resource tree has exactly three levels (type, name, language). Anything
// deeper, or a directory met again below itself, can only come from a damaged
// or hostile file, so the walk never goes further.
inline constexpr int kMaxTreeDepth = 3;

// Sections looked at when mapping addresses: more than any linker writes,
// and it bounds the cost of each address lookup.
inline constexpr uint32_t kMaxSections = 1024;

// Icon groups tried before giving up, when the first ones name no usable image.
inline constexpr uint32_t kMaxGroupsTried = 16;

// Images taken from one group, and image bytes read in one call overall.
inline constexpr uint32_t kMaxGroupImages = 256;
inline constexpr uint64_t kMaxImageBytesRead = 32 * 1024 * 1024;

// Largest edge length of an icon image, in pixels: the decoded buffer stays
// at most 4 MiB.
inline constexpr int32_t kMaxIconEdge = 1024;

// Characters kept of a resource name.
inline constexpr uint32_t kMaxNameChars = 256;

// 16-bit executables: largest alignment shift of the resource table (resource
// offsets are stored in units of 1 << shift bytes).
inline constexpr uint16_t kMaxNeAlignShift = 16;

} // namespace exeicons
