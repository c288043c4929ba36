#include "platform/widgets/PageTabAccessible.h"

#include "platform/widgets/Label.h"

#include <QAccessible>

namespace platform {
namespace {

constexpr char kPageTabProperty[] = "pageTabSelected";

} // namespace

bool IsPageTab(const Label* label) {
    return label->property(kPageTabProperty).isValid();
}

void MarkPageTab(Label* label, bool selected) {
    const QVariant previous = label->property(kPageTabProperty);
    label->setProperty(kPageTabProperty, selected);
    if (previous.isValid() && previous.toBool() != selected && QAccessible::isActive()) {
        QAccessible::State changed;
        changed.selected = true;
        QAccessibleStateChangeEvent event(label, changed);
        QAccessible::updateAccessibility(&event);
    }
}

PageTabAccessible::PageTabAccessible(Label* label) : QAccessibleWidget(label, QAccessible::PageTab) {}

QString PageTabAccessible::text(QAccessible::Text t) const {
    const auto* label = static_cast<const Label*>(widget());
    if (t == QAccessible::Name && label->accessibleName().isEmpty())
        return label->text();
    return QAccessibleWidget::text(t);
}

QAccessible::State PageTabAccessible::state() const {
    QAccessible::State s = QAccessibleWidget::state();
    s.selectable = true;
    s.selected = widget()->property(kPageTabProperty).toBool();
    return s;
}

QStringList PageTabAccessible::actionNames() const {
    return {pressAction()};
}

// The same as a click with the pointer: the label's Click, and so the
// window's tab handling.
void PageTabAccessible::doAction(const QString& actionName) {
    if (actionName == pressAction() && widget()->isEnabled())
        emit static_cast<Label*>(widget())->Click();
}

} // namespace platform
