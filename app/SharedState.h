#pragma once
// Values of the window that its pages share.

#include "platform/imagelist/ImageList.h"

#include <QString>

class QTimer;
class QWidget;

struct SharedState {
    // The drive last accepted by any of the three drive lists; only the
    // volume holding it matters when it is written back into a drive list.
    QString LastDrive;
    // Scratch list that turns pictures into icons.
    platform::ImageList ImageList;
    // The window's one-second timer (owned by the window), off at start.
    QTimer* Timer = nullptr;
    // The window, disabled as a whole while a long run works.
    QWidget* Form = nullptr;
};
