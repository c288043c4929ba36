#pragma once
// A combo box (a drive list, the picture type) as assistive technology
// should see it when it has been given a name: Qt on Linux names a combo box
// by its current text ("/" for a drive list), so the name it was given goes
// unheard. Here the name is the given one (the current text only when it
// has none) and the current text is its value.

#include <QAccessibleWidget>

class QComboBox;

namespace platform {

class NamedComboBoxAccessible : public QAccessibleWidget {
public:
    explicit NamedComboBoxAccessible(QComboBox* box);

    QString text(QAccessible::Text t) const override;
    QStringList actionNames() const override;
    void doAction(const QString& actionName) override;
};

// The factories of this and of the page tabs (PageTabAccessible.h), once per
// process; only widgets the window marked or named are affected.
void InstallAccessibleInterfaces();

} // namespace platform
