#pragma once
// The batch file of a PNG job: line 1 runs the converter over the source
// folder tree with one size option per ticked size, line 2 leaves the
// completion marker. Two lines, each ended by CR LF, in the system's
// encoding.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// " -s <size> 32bpp" for each caption in the order given, the size being the
// caption's text before its first "*" ("16*16" gives " -s 16 32bpp").
QString JobSizeList(const QStringList& captions);

// "png2ico" + sizes + " -i " + source + " -o " + target + " -noconfirm -silent".
// A path holding a blank, a tab or a double quote is written in double quotes
// by the Windows command-line rules, so that it reaches the converter as one
// argument; other paths stand as they are.
QString JobCommandLine(const QString& sizeList, const QString& source, const QString& target);

// Both lines, encoded. Nothing when a path holds a line break or a NUL: no
// quoting keeps those inside line 1.
std::optional<QByteArray> JobBatchFile(const QString& sizeList, const QString& source, const QString& target);
