#include "shell/ToolPlacement.h"

#include <algorithm>

namespace corvane::ui {

namespace {

constexpr int kCascadeStep = 24;

} // namespace

QPoint PlaceToolWindow(const TToolPlacementRoom& room, QSize size, const std::vector<QRect>& taken) {
    const QRect& screen = room.Screen;
    const auto isFree = [&](const QRect& r) {
        return screen.contains(r) &&
               std::none_of(taken.begin(), taken.end(), [&](const QRect& t) { return t.intersects(r); });
    };
    // Columns, best first: beside the frame, then along the documents' right edge inside it, then
    // left of each tool already there; each column is tried from its top down past those tools.
    struct Column {
        int X, Top;
    };
    std::vector<Column> columns;
    const int inside = std::min(room.Documents.right(), screen.right()) + 1 - size.width();
    if (room.Frame.right() + size.width() <= screen.right())
        columns.push_back({room.Frame.right() + 1, room.Frame.top()});
    columns.push_back({inside, room.Documents.top()});
    std::vector<int> lefts;
    for (const QRect& t : taken)
        lefts.push_back(t.left() - size.width());
    std::sort(lefts.rbegin(), lefts.rend());
    for (int x : lefts)
        if (x < inside) columns.push_back({x, room.Documents.top()});
    for (const Column& column : columns) {
        std::vector<int> tops{std::max(column.Top, screen.top())};
        for (const QRect& t : taken)
            if (t.bottom() + 1 > tops.front()) tops.push_back(t.bottom() + 1);
        std::sort(tops.begin(), tops.end());
        for (int y : tops)
            if (const QRect r(QPoint(column.X, y), size); isFree(r)) return r.topLeft();
    }
    // No free place left: cascade from the last tool, kept on the screen.
    const QPoint from = taken.empty() ? QPoint(inside, room.Documents.top())
                                      : taken.back().topLeft() + QPoint(kCascadeStep, kCascadeStep);
    return {std::clamp(from.x(), screen.left(), std::max(screen.left(), screen.right() + 1 - size.width())),
            std::clamp(from.y(), screen.top(), std::max(screen.top(), screen.bottom() + 1 - size.height()))};
}

QRect FreeDocumentArea(const QRect& documents, const std::vector<QRect>& tools) {
    int right = documents.right();
    for (const QRect& t : tools)
        if (t.intersects(documents)) right = std::min(right, t.left() - 1);
    right = std::max(right, documents.left() + documents.width() / 3 - 1);
    return {documents.topLeft(), QPoint(right, documents.bottom())};
}

} // namespace corvane::ui
