#pragma once
// The two ways an icon is named after its picture or executable. The window
// drops the last four characters, the converter the extension.

#include <string>

namespace files {

// The window's rule: the name or path without its last four characters
// (".bmp", ".exe" in any letter case), followed by ".ico".
std::string IconNameReplacingLastFour(const std::string& nameOrPath);

// The converter's rule: the name without its extension, from the last full
// stop, followed by ".ico" ("Flower.PNG" -> "Flower.ico", "a.b.png" -> "a.b.ico").
std::string IconNameReplacingExtension(const std::string& name);

// Whether either rule could give this name: it ends in ".ico", exactly.
bool MayBeIconName(const std::string& name);

} // namespace files
