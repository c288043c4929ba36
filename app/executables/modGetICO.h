#pragma once
// The bridge from an icon to a picture value: the large icon the shell shows
// for a file, taken over as a picture.

#include "platform/shellicons/IconHandle.h"
#include "platform/imagelist/ImageList.h"

#include <QString>

// The picture of the file's large shell icon (the generic executable icon
// for an executable without icons of its own); a null picture when the shell
// gives no icon (a folder, a path that names nothing).
[[nodiscard]] platform::Picture GetFileICO(const QString& path);

// A picture built on an icon, which it takes over: the icon's pixels and
// its image bytes (icon pictures bring their own mask). A null picture for a
// null icon.
[[nodiscard]] platform::Picture ICOHandleToPicture(platform::IconHandle hIcon);
