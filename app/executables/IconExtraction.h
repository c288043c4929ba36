#pragma once
// The steps the extraction runs share: finding a folder's executables,
// naming an executable's icon file, and saving one executable's icon through
// the scratch image list.

#include "platform/imagelist/ImageList.h"

#include <QString>
#include <QStringList>

// Names of every entry of `folder` matching "*.exe", letter case ignored:
// dot-files and folders too, in name order. Empty when none matches or the
// folder cannot be read.
[[nodiscard]] QStringList FindExecutables(const QString& folder);

// The executable path with its last four characters replaced by ".ico".
[[nodiscard]] QString IconPathFor(const QString& executablePath);

// Adds the executable's large icon to `list` under its path as key and
// writes the icon made from it to `iconPath`. Nothing is written when the
// icon cannot be had or added (a folder, a key already taken); false then,
// and when the file cannot be written.
bool SaveExecutableIcon(platform::ImageList& list, const QString& executablePath, const QString& iconPath);

// The walk of a batch: empties `list`, then saves the icon of each name,
// joined to `folder`, leaving every image in the list. Returns how many icon
// files were written.
int SaveExecutableIcons(platform::ImageList& list, const QString& folder, const QStringList& names);

// Joins as the window does: folder, a separator, name (a root folder gives
// two separators in a row, which the system accepts).
[[nodiscard]] QString JoinFolder(const QString& folder, const QString& name);
