#pragma once
// Gives the controls of one window their MouseMove events, each pointer move
// going to exactly one handler, with the position in twips relative to that
// control. A move goes to the control under the pointer (the innermost
// enabled control, or the window itself over its bare surface and over
// shapes and lines), or, while a control holds the pointer capture, to that
// control wherever the pointer is. Clicks are not touched: they reach the
// widget under the pointer as usual, children of the capturing control too.

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <unordered_map>

namespace platform {

class MouseMoveRouter : public QObject {
    Q_OBJECT
public:
    using Handler = std::function<void(int x, int y)>;  // twips

    explicit MouseMoveRouter(QWidget* form);

    // The handler for moves over `control`; the window itself may be wired.
    void Wire(QWidget* control, Handler handler);

    // Stand-in for the platform's pointer capture: `control` receives every
    // pointer move over the window until the capture is released.
    void SetCapture(QWidget* control);
    void ReleaseCapture();
    QWidget* Captured() const { return captured_.data(); }

    // Starts listening to the window; needs the window to exist (after its
    // first show). Calling it again does nothing.
    void Attach();

    // One pointer move at `pos`, in the window's coordinates.
    void Move(QPoint pos);
    // The pointer left the window: the capture holder, if any, is told of a
    // move outside it.
    void Left();

    // The control that would receive a move at `pos` without capture.
    QWidget* ControlAt(QPoint pos) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Deliver(QWidget* control, QPoint local);

    QWidget* form_;
    QPointer<QWidget> captured_;
    QPointer<QWindow> attached_;
    std::unordered_map<const QWidget*, Handler> handlers_;
};

} // namespace platform
