// The window's two runs that write icons, driven as a user drives them, so
// that the Windows check looks at the very icons they write: the BMP run of
// the picture page over a folder, and the executable page's batch run over a
// folder (icons land beside the executables). The window is built as the
// program builds it, on Qt's offscreen platform; message boxes are printed.
// It also writes the check's own executables beside the samples.
//
//   trevalo_icon_runs bmp <picture folder> <icon folder>
//   trevalo_icon_runs exe <executable folder>
//   trevalo_icon_runs write-exes <folder>

#include "CheckExecutables.h"

#include "app/executables/ExecutablePage.h"
#include "app/frmMain.h"
#include "app/pictures/PicturePage.h"
#include "platform/shell/MsgBox.h"

#include <QApplication>
#include <QDir>

#include <cstdio>
#include <cstring>

namespace {

bool OpenFolder(platform::DirListBox* list, const char* folder) {
    if (list->SetPath(QDir(QString::fromLocal8Bit(folder)).absolutePath()))
        return true;
    std::fprintf(stderr, "trevalo_icon_runs: cannot open %s\n", folder);
    return false;
}

bool RunBmp(frmMain& form, const char* pictures, const char* icons) {
    PicturePage& page = *form.pictures;
    page.cboPicType->setCurrentIndex(page.cboPicType->findText(PicturePage::kBmpType));
    page.chkSameDirToPNG->SetValue(0);
    if (!OpenFolder(page.dirPIC, pictures) || !OpenFolder(page.dirICO, icons))
        return false;
    page.cmdPIC2ICO->click();
    return true;
}

bool RunExe(frmMain& form, const char* executables) {
    ExecutablePage& page = *form.executables;
    if (!OpenFolder(page.dirEXE, executables))
        return false;
    page.chkEXE2ICOAll->SetValue(1);
    page.cmdEXE2ICO->click();
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc == 3 && std::strcmp(argv[1], "write-exes") == 0)
        return WriteCheckExecutables(argv[2]) ? 0 : 1;
    QApplication app(argc, argv);
    const bool bmp = argc == 4 && std::strcmp(argv[1], "bmp") == 0;
    const bool exe = argc == 3 && std::strcmp(argv[1], "exe") == 0;
    if (!bmp && !exe) {
        std::fprintf(stderr, "usage: %s bmp <pictures> <icons> | exe <executables> | write-exes <folder>\n",
                     argv[0]);
        return 2;
    }
    (void)platform::SetMsgBoxSink([](const QString& text, int, const QString& title) {
        std::printf("[%s] %s\n", title.toUtf8().constData(), text.toUtf8().constData());
    });
    frmMain form;
    form.Form_Load();
    const bool ok = bmp ? RunBmp(form, argv[2], argv[3]) : RunExe(form, argv[2]);
    return ok ? 0 : 1;
}
