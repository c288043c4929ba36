#pragma once
// Whether programs written into a folder could be run from there: a folder
// on a file system mounted noexec (a common hardening of /tmp) holds files
// that the system refuses to execute, whatever their mode.

#include <QString>

namespace platform {

// False when the folder's file system is mounted noexec or cannot be asked.
bool AllowsExecution(const QString& folder);

} // namespace platform
