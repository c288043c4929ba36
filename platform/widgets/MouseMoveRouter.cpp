#include "MouseMoveRouter.h"

#include "platform/widgets/Control.h"

#include <QMouseEvent>
#include <QWindow>

namespace platform {

MouseMoveRouter::MouseMoveRouter(QWidget* form) : QObject(form), form_(form) {}

void MouseMoveRouter::Wire(QWidget* control, Handler handler) {
    handlers_[control] = std::move(handler);
}

void MouseMoveRouter::SetCapture(QWidget* control) {
    captured_ = control;
}

void MouseMoveRouter::ReleaseCapture() {
    captured_.clear();
}

void MouseMoveRouter::Attach() {
    QWindow* window = form_->windowHandle();
    if (!window || window == attached_)
        return;
    if (attached_)
        attached_->removeEventFilter(this);
    attached_ = window;
    window->installEventFilter(this);
}

QWidget* MouseMoveRouter::ControlAt(QPoint pos) const {
    QWidget* w = form_->childAt(pos);
    // Inner parts of a control (a list's viewport, a combo box's editor)
    // belong to it; a disabled control leaves the move to its container.
    while (w && w != form_ && !(IsControl(w) && w->isEnabled()))
        w = w->parentWidget();
    return w ? w : form_;
}

void MouseMoveRouter::Move(QPoint pos) {
    if (!form_->isEnabled())
        return;  // a disabled window takes no pointer input
    QWidget* target = captured_ ? captured_.data() : ControlAt(pos);
    Deliver(target, target->mapFrom(form_, pos));
}

void MouseMoveRouter::Left() {
    if (!form_->isEnabled() || !captured_)
        return;
    Deliver(captured_.data(), QPoint(-1, -1));
}

void MouseMoveRouter::Deliver(QWidget* control, QPoint local) {
    const auto it = handlers_.find(control);
    if (it == handlers_.end())
        return;
    const Handler handler = it->second;  // the handler may rewire
    handler(ToTwips(local.x()), ToTwips(local.y()));
}

bool MouseMoveRouter::eventFilter(QObject* watched, QEvent* event) {
    if (watched == attached_) {
        if (event->type() == QEvent::MouseMove)
            Move(static_cast<QMouseEvent*>(event)->position().toPoint());
        else if (event->type() == QEvent::Leave)
            Left();
    }
    return QObject::eventFilter(watched, event);
}

} // namespace platform
