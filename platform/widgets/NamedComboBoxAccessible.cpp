#include "platform/widgets/NamedComboBoxAccessible.h"

#include "platform/widgets/Label.h"
#include "platform/widgets/PageTabAccessible.h"

#include <QAccessible>
#include <QComboBox>

namespace platform {
namespace {

QAccessibleInterface* Factory(const QString&, QObject* object) {
    if (auto* label = qobject_cast<Label*>(object); label != nullptr && IsPageTab(label))
        return new PageTabAccessible(label);
    // Whether it has a name is not known yet: the interface may be asked
    // for while the window is still being built.
    if (auto* box = qobject_cast<QComboBox*>(object))
        return new NamedComboBoxAccessible(box);
    return nullptr;
}

} // namespace

void InstallAccessibleInterfaces() {
    static const bool installed = [] {
        QAccessible::installFactory(Factory);
        return true;
    }();
    (void)installed;
}

NamedComboBoxAccessible::NamedComboBoxAccessible(QComboBox* box) : QAccessibleWidget(box, QAccessible::ComboBox) {}

QString NamedComboBoxAccessible::text(QAccessible::Text t) const {
    const auto* box = static_cast<const QComboBox*>(widget());
    if (t == QAccessible::Value || (t == QAccessible::Name && box->accessibleName().isEmpty()))
        return box->currentText();
    return QAccessibleWidget::text(t);
}

QStringList NamedComboBoxAccessible::actionNames() const {
    return {showMenuAction(), pressAction()};
}

void NamedComboBoxAccessible::doAction(const QString& actionName) {
    if ((actionName == showMenuAction() || actionName == pressAction()) && widget()->isEnabled())
        static_cast<QComboBox*>(widget())->showPopup();
}

} // namespace platform
