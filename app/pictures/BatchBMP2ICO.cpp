// The BMP run: every "*.bmp" of the source folder through the image list to
// a one-image icon in the target folder, within one click, the window
// disabled meanwhile. A picture that cannot be loaded or saved is skipped
// without a word; the run always ends with the same notice.

#include "PicturePage.h"

#include "app/SharedState.h"
#include "libs/files/FileSearch.h"
#include "libs/files/IconNames.h"
#include "platform/shell/MsgBox.h"
#include "libs/imaging/Imaging.h"

#include <QFile>

#include <string>

namespace {

const QString kNoBmpText = QStringLiteral("该文件夹中没有.BMP文件，请重选择文件夹。");
const QString kBmpDoneText = QStringLiteral("BMP→ICO 转换完成！");

// Loads the picture by its content and appends it to the list; the list's
// index of it, or 0 when it cannot be loaded.
int AddPicture(platform::ImageList& list, const std::string& path) {
    const std::unique_ptr<imaging::SourcePicture> source = imaging::LoadPicture(path);
    if (!source)
        return 0;
    const imaging::PixelView pixels = source->pixels();
    // A view of the decoded pixels, alive while the list takes its own copy.
    const QImage view(pixels.bgra, pixels.width, pixels.height, pixels.stride, QImage::Format_ARGB32);
    return list.Add(platform::Picture{view, {}});
}

} // namespace

void PicturePage::BatchBMP2ICO() {
    // Names stay in the file system's bytes from search to load, so that any
    // name the system allows is found and loaded.
    const std::string source = QFile::encodeName(dirPIC->Path()).toStdString();
    const std::vector<files::FoundEntry> found = files::FindFiles(source, "*.bmp");
    if (found.empty()) {
        platform::ShowError(kNoBmpText);
        return;
    }
    setBusy(true);
    cmdPIC2ICO->repaint();  // the run keeps the event loop waiting until it ends
    state_.ImageList.Clear();
    const std::string target = QFile::encodeName(dirICO->Path()).toStdString();
    for (const files::FoundEntry& entry : found) {
        const std::string iconName = files::IconNameReplacingLastFour(entry.name);
        const int index = AddPicture(state_.ImageList, source + "/" + entry.name);
        if (index == 0)
            continue;
        const QString iconPath = QFile::decodeName(QByteArray::fromStdString(target + "/" + iconName));
        (void)platform::SavePicture(state_.ImageList.ExtractIcon(index), iconPath);
    }
    setBusy(false);
    platform::ShowNotice(kBmpDoneText);
}
