#pragma once
// Whether what a path finds could change while icons are being written.
// Writing an icon changes only two kinds of entries: its temporary file, and
// the entry its name ends up under, which ends in ".ico" and is replaced by a
// plain file. A path that, with every link on the way followed, never meets
// such a name finds the same before, during and after.

#include <string>

namespace png2ico {

// True when the path, following every symbolic link on the way, passes an
// entry whose name ends in ".ico", or takes more links than the system
// follows. A missing entry of another name ends the walk with false: no icon
// makes it appear, and nothing below it can be written yet.
bool LeadsThroughIconName(const std::string& path);

} // namespace png2ico
