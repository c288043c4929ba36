#pragma once
// The Windows command-line rules for one line of a batch file: how a line is
// split into arguments and how an argument is written so that it survives
// the split. User data (folder names) never meets a shell parser here.

#include <string>
#include <vector>

namespace cmdline {

// Splits as the C runtime of Windows does: blanks and tabs separate; double
// quotes group and are removed; 2n backslashes before a quote give n and the
// quote groups, 2n+1 give n and a literal quote; "" inside a group is a
// literal quote; other backslashes are literal.
std::vector<std::string> SplitCommandLine(const std::string& line);

// The argument as it stands when it holds no blank, tab or double quote (and
// is not empty); otherwise in double quotes with quotes and the backslashes
// before them escaped, so that SplitCommandLine gives it back unchanged.
std::string QuoteArgument(const std::string& argument);

} // namespace cmdline
