#pragma once
// Drives on a system without drive letters: a drive is a mounted volume,
// named by its root path. Pseudo file systems (proc, sysfs, cgroups...) are
// left out; the root volume "/" is always there.

#include <QString>
#include <functional>
#include <vector>

namespace platform {

struct Volume {
    QString root;   // "/" or "/media/usb": a clean absolute path
    QString label;  // the volume's name, may be empty
};

std::vector<Volume> MountedVolumes();

// Where MountedVolumes gets its list. Tests install their own (for instance
// a volume whose root cannot be listed); an empty function brings back the
// machine's volumes. Returns the previous one.
using VolumeSource = std::function<std::vector<Volume>()>;
VolumeSource SetVolumeSource(VolumeSource source);

// An absolute, clean folder path without a trailing separator, except at the
// root. A relative path is taken from the current folder.
QString NormalFolderPath(const QString& path);

// Root of the volume in `volumes` that holds `path` (the longest root that
// contains it); empty when none does.
QString VolumeRootOf(const QString& path, const std::vector<Volume>& volumes);

// True when the folder exists and its entries can be read.
bool CanListFolder(const QString& path);

} // namespace platform
