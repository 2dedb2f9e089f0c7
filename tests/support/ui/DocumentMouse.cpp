#include "support/ui/DocumentMouse.h"

#include "shell/TMDIChildForm.h"

#include <QApplication>
#include <QMouseEvent>

#include <algorithm>

namespace corvane::test {

void SendMouse(QWidget* widget, QEvent::Type type, QPoint at, bool held) {
    const QPointF local(at);
    QMouseEvent event(type, local, widget->mapToGlobal(local),
                      type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                      held ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

void DragOnPicture(corvane::ui::TMDIChildForm& window, QPoint from, QPoint to, int steps) {
    SendMouse(window.Picture(), QEvent::MouseButtonPress, from, true);
    for (int i = 1, n = std::max(steps, 1); i <= n; ++i)
        SendMouse(window.Picture(), QEvent::MouseMove,
                  {from.x() + (to.x() - from.x()) * i / n, from.y() + (to.y() - from.y()) * i / n}, true);
    SendMouse(window.Picture(), QEvent::MouseButtonRelease, to);
}

void MoveOnPicture(corvane::ui::TMDIChildForm& window, QPoint at) {
    SendMouse(window.Picture(), QEvent::MouseMove, at);
}

void ClickOnPicture(corvane::ui::TMDIChildForm& window, QPoint at) {
    SendMouse(window.Picture(), QEvent::MouseButtonPress, at, true);
    SendMouse(window.Picture(), QEvent::MouseButtonRelease, at);
}

void DoubleClickOnPicture(corvane::ui::TMDIChildForm& window, QPoint at) {
    ClickOnPicture(window, at);
    SendMouse(window.Picture(), QEvent::MouseButtonDblClick, at, true);
    SendMouse(window.Picture(), QEvent::MouseButtonRelease, at);
}

} // namespace corvane::test
