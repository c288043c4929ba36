#pragma once
#include <QString>

// The About page's text: thirteen lines joined by CR LF, no line end after
// the last.
QString AboutText();
