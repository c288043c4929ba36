#pragma once
// Tab labels as assistive technology should see them: page tabs (role
// PageTab) named by their caption, "selected" while their page shows, and
// whose press action is a click on the label. A Label becomes one by
// MarkPageTab (with InstallAccessibleInterfaces done once).

#include <QAccessibleWidget>

namespace platform {

class Label;

// Makes `label` a page tab for assistive technology, selected or not; call
// again whenever the selection changes.
void MarkPageTab(Label* label, bool selected);
bool IsPageTab(const Label* label);

class PageTabAccessible : public QAccessibleWidget {
public:
    explicit PageTabAccessible(Label* label);

    QAccessible::Role role() const override { return QAccessible::PageTab; }
    QString text(QAccessible::Text t) const override;
    QAccessible::State state() const override;
    QStringList actionNames() const override;
    void doAction(const QString& actionName) override;
};

} // namespace platform
