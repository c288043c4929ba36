#pragma once
// Qt's own texts (the buttons of message boxes, the entries of context
// menus, standard dialogs) in Simplified Chinese like the rest of the
// window, whatever language the system is set to: the translations Qt ships
// (Debian's qt6-translations-l10n), never texts of our own.

namespace platform {

// Installs them into the running application, once. False when there is no
// application yet or the translations are not installed; Qt's English texts
// stay then.
bool LoadStandardTexts();

} // namespace platform
