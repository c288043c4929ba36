#pragma once
// The two questions the program answers without opening its window (and so
// without a display): its version and its usage. Nothing else on the command
// line is read.

#include <optional>
#include <string>

// The text to print for `--version` or `--help` as the first argument;
// nothing for any other command line, which starts the window.
std::optional<std::string> ProgramInfoRequest(int argc, const char* const* argv);
