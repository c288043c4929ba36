#pragma once
// Executables for the Windows check beyond the samples: icons at every DIB
// depth with masks and alpha, PE32 and PE32+, groups of several sizes and
// depths, a PNG image beside DIBs, a 16-bit program. Each holds a 32 x 32
// image: the shell's large icon made from another size is scaled by the
// shell's own filter, which no two implementations share.

#include <filesystem>

// Writes them into `folder`; false when a file cannot be written.
[[nodiscard]] bool WriteCheckExecutables(const std::filesystem::path& folder);
