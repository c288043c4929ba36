#pragma once
// The whole converter after start-up: parse, talk, convert.

#include <iosfwd>
#include <string>
#include <vector>

namespace png2ico {

// Returns the exit code, which is always 0: callers rely on it.
int RunConverter(const std::vector<std::string>& args, std::ostream& out, std::istream& in);

} // namespace png2ico
