#pragma once
// Where a PNG job writes the converter, its batch file and its completion
// marker, and where the leftovers are removed: the program folder when it
// can be written and holds no commands of the system or the user, else a
// private temporary folder made once for this run. An installed program
// (in /usr/local/bin, say) thus uses the private folder, also for root.

#include "app/pictures/JobFiles.h"

#include <QString>

// The private folder's name in the temporary folder (mkdtemp's pattern).
inline constexpr char kPrivateJobFolderPattern[] = ".trevalo-job-XXXXXX";

// The job folder of this run, for the program's own folder.
QString JobFolder();

// The job folder for a given program folder: that folder when it exists,
// can be written and is neither a system folder of commands nor on the
// search path (PATH), else this run's private temporary folder (created on
// first use, removed when the program ends, also on SIGINT, SIGTERM and
// SIGHUP). Empty only when no temporary folder can be made either.
QString JobFolderFor(const QString& programFolder);
