#pragma once
#include <QRect>
#include <QSize>

#include <vector>

namespace corvane::ui {

/// Where tool windows go so that they hide neither the documents nor each other.
struct TToolPlacementRoom {
    QRect Screen;    ///< the screen's available area
    QRect Frame;     ///< the main frame, window frame included
    QRect Documents; ///< the frame's document area (where document windows tile), on the screen
};

/// The top-left corner of a tool window whose outer size is size: beside the frame when the screen
/// has room there, else inside the frame along the right edge of the document area; below or to
/// the left of the tools already shown (taken, outer rectangles) so that it covers none of them,
/// and inside the screen. When no such place is left it cascades from the last tool taken.
QPoint PlaceToolWindow(const TToolPlacementRoom& room, QSize size, const std::vector<QRect>& taken);

/// The part of documents (any coordinates) that the tool rectangles leave free for document
/// windows: the tools stand along the right edge, so documents keep the width left of the leftmost
/// tool that reaches into the area (never less than a third of the area).
QRect FreeDocumentArea(const QRect& documents, const std::vector<QRect>& tools);

} // namespace corvane::ui
