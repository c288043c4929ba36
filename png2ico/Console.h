#pragma once
// Everything the converter prints and reads. Each line ends with a line break
// and a flush, so that progress shows as it happens, also through a pipe.

#include "png2ico/Options.h"

#include <iosfwd>
#include <string>

namespace png2ico {

inline constexpr const char* kVersion = "1.00";
// Longest answer word read from the input; the yes words are far shorter.
inline constexpr int kMaxAnswerChars = 64;

void PrintLine(std::ostream& out, const std::string& text);
// The folder messages, printed also when silent.
void PrintFolderNotCreated(std::ostream& out, const std::string& path);
void PrintFolderNotRead(std::ostream& out, const std::string& path);
void PrintBanner(std::ostream& out);
void PrintUsage(std::ostream& out);
void PrintSettings(std::ostream& out, const Options& options);
// Asks "Continue [yes/no]? " and reads one word; true for a yes.
bool AskToContinue(std::ostream& out, std::istream& in);
// The answers that mean yes: ja, yes, y, true, ok in any letter case, or exactly 1.
bool IsYes(const std::string& word);

// A name or path as the console shows it, so that a name can neither fake a
// line, nor drive the terminal, nor reorder what follows it: C0 controls and
// DEL written out as \n, \r, \t or \x1b; C1 controls and the bidirectional
// controls (U+202A to U+202E, U+2066 to U+2069) encoded in UTF-8 as \u009b,
// \u202e; bytes 0x80 to 0x9F outside well-formed UTF-8 as \x9b. All other
// text, readable UTF-8 and other stray bytes, as it is.
std::string VisibleName(const std::string& name);
// Characters a text takes on the console: each well-formed UTF-8 sequence
// and each byte that starts none count once, so that markers after names
// line up.
size_t DisplayWidth(const std::string& utf8);

} // namespace png2ico
