#pragma once
// Stand-ins for the shell's two ways of giving a file's icon: the first icon
// stored in an executable (ExtractIconA), and the large icon the shell shows
// for a file (SHGetFileInfoA with SHGFI_ICON | SHGFI_LARGEICON). Both give
// the first icon group's large icon at 32 x 32 (see LargeIconOf).

#include "libs/exeicons/ExeIconError.h"
#include "platform/shellicons/IconHandle.h"

#include <QString>

namespace platform {

struct ExtractedIcon {
    // kNotAModule and kNoIcons come with a null icon; a module whose chosen
    // image cannot be decoded counts as one without icons.
    exeicons::IconPresence presence = exeicons::IconPresence::kNotAModule;
    IconHandle icon;
};

// The first icon of an executable. Damaged files read as modules without
// icons or as no module at all, never as an error.
[[nodiscard]] ExtractedIcon ExtractFirstIcon(const QString& file);

// The large icon the shell shows for a file: its own first icon, else the
// generic executable icon (no icons, not a module, damaged, unreadable).
// Null for a folder or a path that names nothing, as the shell gives no
// icon handle there.
[[nodiscard]] IconHandle ShellLargeIcon(const QString& file);

} // namespace platform
