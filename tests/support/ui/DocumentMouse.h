#pragma once
#include <QEvent>
#include <QPoint>

class QWidget;

namespace corvane::ui {
class TMDIChildForm;
}

namespace corvane::test {

// Mouse input on a document window's picture, in shown (zoomed) picture coordinates, delivered
// as real Qt mouse events to the picture control.

/// Sends one mouse event at at to the widget; every event but a move concerns the left button,
/// held after it when held.
void SendMouse(QWidget* widget, QEvent::Type type, QPoint at, bool held = false);
/// Presses the left button at from, moves in steps to to (button held) and releases there.
void DragOnPicture(corvane::ui::TMDIChildForm& window, QPoint from, QPoint to, int steps = 4);
/// Moves the mouse to at without a button.
void MoveOnPicture(corvane::ui::TMDIChildForm& window, QPoint at);
/// Presses and releases the left button at at.
void ClickOnPicture(corvane::ui::TMDIChildForm& window, QPoint at);
/// A double click at at.
void DoubleClickOnPicture(corvane::ui::TMDIChildForm& window, QPoint at);

} // namespace corvane::test
