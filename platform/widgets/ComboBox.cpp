#include "ComboBox.h"

#include <QLineEdit>

namespace platform {

ComboBox::ComboBox(QWidget* parent) : QComboBox(parent) {
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);  // typing adds nothing to the list
    setCompleter(nullptr);                 // nor is it completed to an entry
    // Qt itself takes finished typing that equals an entry's text for a
    // choice of that entry (and says so through `activated`): cut that
    // link, so that only the list, the arrow keys and the wheel choose.
    disconnect(lineEdit(), &QLineEdit::editingFinished, this, nullptr);
    connect(this, &QComboBox::activated, this, [this] { emit Click(); });
}

} // namespace platform
