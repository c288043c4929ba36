#include "modGetICO.h"

#include "platform/shellicons/ShellIcons.h"

platform::Picture GetFileICO(const QString& path) {
    return ICOHandleToPicture(platform::ShellLargeIcon(path));
}

platform::Picture ICOHandleToPicture(platform::IconHandle hIcon) {
    if (hIcon.isNull() || hIcon.dib.empty())
        return {};
    return platform::Picture{std::move(hIcon.image), std::move(hIcon.dib)};
}
