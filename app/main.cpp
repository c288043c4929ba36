// Trevalo: starts the window, runs its start-up and shows it.

#include "app/ProgramInfo.h"
#include "app/frmMain.h"
#include "platform/artwork/Artwork.h"
#include "platform/shell/StandardTexts.h"
#include "libs/files/TempFileRegistry.h"
#include "libs/imaging/GeneralReader.h"

#include <QApplication>
#include <QStyleFactory>

#include <cstdio>

int main(int argc, char** argv) {
    // Answered before Qt looks for a display.
    if (const auto info = ProgramInfoRequest(argc, argv)) {
        std::fputs(info->c_str(), stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    }
    QApplication app(argc, argv);
    // The desktop file and icon of the installed program share this name.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.example.trevalo"));
    platform::LoadStandardTexts();
    // An icon being saved when the window is interrupted leaves no temporary file.
    files::RemoveTempFilesOnInterrupt();
    // The converter runs from a copy in the job's folder, far from the
    // general reader's library: it is told where that is.
    imaging::LendGeneralReader();
    // The layout is fixed in size: one style and one font keep every caption
    // inside its control on any desktop.
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setFont(frmMain::WindowFont());
    QApplication::setWindowIcon(artwork::ApplicationIcon());

    frmMain form;
    form.Form_Load();
    form.show();
    return app.exec();
}
