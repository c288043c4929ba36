#pragma once
// A combo box with editable text and a drop-down list. Click is raised when
// the user chooses an entry: from the drop-down list, or by moving to it with
// the arrow keys or the wheel. Typed text is never a choice, not even when it
// equals an entry's text and is ended with Enter or by leaving the box: it
// stays as typed, is not completed to an entry, and raises nothing.

#include <QComboBox>

namespace platform {

class ComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit ComboBox(QWidget* parent = nullptr);

signals:
    void Click();
};

} // namespace platform
