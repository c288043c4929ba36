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
void PrintBanner(std::ostream& out);
void PrintUsage(std::ostream& out);
void PrintSettings(std::ostream& out, const Options& options);
// Asks "Continue [yes/no]? " and reads one word; true for a yes.
bool AskToContinue(std::ostream& out, std::istream& in);
// The answers that mean yes: ja, yes, y, true, ok in any letter case, or exactly 1.
bool IsYes(const std::string& word);

} // namespace png2ico
