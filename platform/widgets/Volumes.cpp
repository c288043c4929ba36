#include "Volumes.h"

#include <QDir>
#include <QFile>
#include <QStorageInfo>

#include <algorithm>
#include <array>
#include <filesystem>
#include <string_view>
#include <system_error>
#include <utility>

namespace platform {

namespace {

constexpr std::array<std::string_view, 22> kPseudoFileSystems = {
    "proc", "sysfs", "devtmpfs", "devpts", "cgroup", "cgroup2", "securityfs", "debugfs",
    "tracefs", "pstore", "bpf", "mqueue", "hugetlbfs", "configfs", "fusectl", "autofs",
    "binfmt_misc", "nsfs", "rpc_pipefs", "efivarfs", "selinuxfs", "ramfs"};

constexpr std::array<std::string_view, 4> kSystemMountAreas = {"/proc", "/sys", "/dev", "/run"};

bool IsPseudo(const QStorageInfo& info) {
    const QByteArray type = info.fileSystemType();
    const std::string_view typeView(type.constData(), static_cast<size_t>(type.size()));
    if (std::find(kPseudoFileSystems.begin(), kPseudoFileSystems.end(), typeView) != kPseudoFileSystems.end())
        return true;
    const QString root = info.rootPath();
    for (std::string_view area : kSystemMountAreas) {
        const QString a = QString::fromLatin1(area.data(), static_cast<qsizetype>(area.size()));
        if (root == a || root.startsWith(a + QLatin1Char('/')))
            return true;
    }
    return false;
}

bool Contains(const QString& root, const QString& path) {
    if (root.endsWith(QLatin1Char('/')))  // "/" or a drive root such as "C:/"
        return path.startsWith(root) || path + QLatin1Char('/') == root;
    return path == root || path.startsWith(root + QLatin1Char('/'));
}

VolumeSource& Source() {
    static VolumeSource source;
    return source;
}

} // namespace

VolumeSource SetVolumeSource(VolumeSource source) {
    VolumeSource previous = std::move(Source());
    Source() = std::move(source);
    return previous;
}

std::vector<Volume> MountedVolumes() {
    if (Source())
        return Source()();
    std::vector<Volume> volumes;
    for (const QStorageInfo& info : QStorageInfo::mountedVolumes()) {
        if (!info.isValid() || !info.isReady() || IsPseudo(info))
            continue;
        const QString root = NormalFolderPath(info.rootPath());
        const bool seen = std::any_of(volumes.begin(), volumes.end(),
                                      [&](const Volume& v) { return v.root == root; });
        if (!seen)
            volumes.push_back({root, info.name()});
    }
    const QString top = NormalFolderPath(QDir::rootPath());
    if (std::none_of(volumes.begin(), volumes.end(), [&](const Volume& v) { return v.root == top; }))
        volumes.push_back({top, QString()});
    std::sort(volumes.begin(), volumes.end(), [](const Volume& a, const Volume& b) { return a.root < b.root; });
    return volumes;
}

QString NormalFolderPath(const QString& path) {
    QString clean = QDir::cleanPath(QDir::current().absoluteFilePath(path.isEmpty() ? QStringLiteral(".") : path));
    if (QDir(clean).isRoot() && !clean.endsWith(QLatin1Char('/')))
        clean += QLatin1Char('/');
    return clean;
}

QString VolumeRootOf(const QString& path, const std::vector<Volume>& volumes) {
    const QString folder = NormalFolderPath(path);
    QString best;
    for (const Volume& v : volumes) {
        if (Contains(v.root, folder) && v.root.size() > best.size())
            best = v.root;
    }
    return best;
}

bool CanListFolder(const QString& path) {
    if (path.isEmpty())
        return false;
    std::error_code ec;
    std::filesystem::directory_iterator it(QFile::encodeName(path).toStdString(), ec);
    return !ec;
}

} // namespace platform
