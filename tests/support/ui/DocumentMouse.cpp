#include "support/ui/DocumentMouse.h"

#include "shell/TMDIChildForm.h"

#include <QApplication>
#include <QMouseEvent>

#include <algorithm>

namespace corvane::test {

namespace {

/// Sends one mouse event to the picture; every event but a move concerns the left button.
void Send(corvane::ui::TMDIChildForm& window, QEvent::Type type, QPoint at, bool held = false) {
    QWidget* picture = window.Picture();
    const QPointF local(at);
    QMouseEvent event(type, local, picture->mapToGlobal(local),
                      type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                      held ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(picture, &event);
}

} // namespace

void DragOnPicture(corvane::ui::TMDIChildForm& window, QPoint from, QPoint to, int steps) {
    Send(window, QEvent::MouseButtonPress, from, true);
    for (int i = 1, n = std::max(steps, 1); i <= n; ++i)
        Send(window, QEvent::MouseMove,
             {from.x() + (to.x() - from.x()) * i / n, from.y() + (to.y() - from.y()) * i / n}, true);
    Send(window, QEvent::MouseButtonRelease, to);
}

void MoveOnPicture(corvane::ui::TMDIChildForm& window, QPoint at) {
    Send(window, QEvent::MouseMove, at);
}

void ClickOnPicture(corvane::ui::TMDIChildForm& window, QPoint at) {
    Send(window, QEvent::MouseButtonPress, at, true);
    Send(window, QEvent::MouseButtonRelease, at);
}

void DoubleClickOnPicture(corvane::ui::TMDIChildForm& window, QPoint at) {
    ClickOnPicture(window, at);
    Send(window, QEvent::MouseButtonDblClick, at, true);
    Send(window, QEvent::MouseButtonRelease, at);
}

} // namespace corvane::test
