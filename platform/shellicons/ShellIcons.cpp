#include "platform/shellicons/ShellIcons.h"

#include "libs/exeicons/ExeIconReader.h"
#include "platform/shellicons/GenericIcon.h"
#include "platform/shellicons/LargeIconImage.h"

#include <QFile>

#include <filesystem>
#include <system_error>

namespace platform {
namespace {

std::filesystem::path NativePath(const QString& file) {
    return std::filesystem::path(QFile::encodeName(file).toStdString());
}

} // namespace

ExtractedIcon ExtractFirstIcon(const QString& file) {
    const exeicons::IconGroupResult found = exeicons::ReadFirstIconGroupFromFile(NativePath(file));
    if (!found.ok())
        return ExtractedIcon{found.presence(), {}};
    IconHandle icon = LargeIconOf(found.group);
    if (icon.isNull())
        return ExtractedIcon{exeicons::IconPresence::kNoIcons, {}};
    return ExtractedIcon{exeicons::IconPresence::kHasIcons, std::move(icon)};
}

IconHandle ShellLargeIcon(const QString& file) {
    std::error_code ec;
    const auto status = std::filesystem::status(NativePath(file), ec);
    if (ec || !std::filesystem::exists(status) || std::filesystem::is_directory(status))
        return {};
    ExtractedIcon own = ExtractFirstIcon(file);
    if (own.presence == exeicons::IconPresence::kHasIcons)
        return std::move(own.icon);
    return GenericExecutableIcon();
}

} // namespace platform
