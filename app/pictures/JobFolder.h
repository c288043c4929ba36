#pragma once
// Where a PNG job writes the converter, its batch file and its completion
// marker, and where the leftovers are removed: the program folder when it
// can be written, else a private temporary folder made once for this run.

#include "app/pictures/JobFiles.h"

#include <QString>

// The job folder of this run, for the program's own folder.
QString JobFolder();

// The job folder for a given program folder: that folder when it exists and
// can be written, else this run's private temporary folder (created on
// first use, removed when the program ends). Empty only when no temporary
// folder can be made either.
QString JobFolderFor(const QString& programFolder);
