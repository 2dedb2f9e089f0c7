#include "support/ui/DocumentMouse.h"

#include "shell/TMDIChildForm.h"

#include <QApplication>
#include <QMouseEvent>

namespace corvane::test {

namespace {

void Send(QWidget* target, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held) {
    const QPointF local(at);
    QMouseEvent event(type, local, target->mapToGlobal(local), button, held, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

} // namespace

void DragOnPicture(corvane::ui::TMDIChildForm& window, QPoint from, QPoint to, int steps) {
    QWidget* picture = window.Picture();
    Send(picture, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
    if (steps < 1) steps = 1;
    for (int i = 1; i <= steps; ++i) {
        const QPoint p(from.x() + (to.x() - from.x()) * i / steps,
                       from.y() + (to.y() - from.y()) * i / steps);
        Send(picture, QEvent::MouseMove, p, Qt::NoButton, Qt::LeftButton);
    }
    Send(picture, QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
}

void MoveOnPicture(corvane::ui::TMDIChildForm& window, QPoint at) {
    Send(window.Picture(), QEvent::MouseMove, at, Qt::NoButton, Qt::NoButton);
}

void ClickOnPicture(corvane::ui::TMDIChildForm& window, QPoint at) {
    Send(window.Picture(), QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
    Send(window.Picture(), QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
}

void DoubleClickOnPicture(corvane::ui::TMDIChildForm& window, QPoint at) {
    ClickOnPicture(window, at);
    Send(window.Picture(), QEvent::MouseButtonDblClick, at, Qt::LeftButton, Qt::LeftButton);
    Send(window.Picture(), QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
}

} // namespace corvane::test
