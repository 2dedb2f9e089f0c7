#include "shell/PictureOverlay.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <new>
#include <unordered_map>

namespace corvane::ui {

namespace {

QFont LabelFont() {
    QFont font;
    font.setPixelSize(kOverlayLabelPixelSize);
    return font;
}

QPointF ShownPoint(QPointF at, int zoom) {
    return zoom >= 1 ? at * zoom : at / static_cast<double>(-zoom);
}

// Gap between a label's box and its anchor, in screen pixels.
constexpr int kGap = 2;
// Labels keep twice this apart, so that they read as separate texts rather than a band.
constexpr int kMargin = 2;

/// Boxes already taken, bucketed by screen cells, so that a lattice of thousands of labels is
/// placed without comparing every pair.
class TTakenBoxes {
  public:
    bool Overlaps(const QRect& box) const {
        bool hit = false;
        ForCells(box, [&](qint64 key) {
            const auto found = cells_.find(key);
            if (found == cells_.end()) return;
            for (const QRect& other : found->second)
                if (other.intersects(box)) hit = true;
        });
        return hit;
    }
    void Take(const QRect& box) {
        ForCells(box, [&](qint64 key) { cells_[key].push_back(box); });
    }

  private:
    static constexpr int kCellWidth = 64, kCellHeight = 16;
    template <class F> static void ForCells(const QRect& box, F f) {
        const auto cell = [](int v, int size) { return v >= 0 ? v / size : (v - size + 1) / size; };
        for (int cy = cell(box.top(), kCellHeight); cy <= cell(box.bottom(), kCellHeight); ++cy)
            for (int cx = cell(box.left(), kCellWidth); cx <= cell(box.right(), kCellWidth); ++cx)
                f((static_cast<qint64>(cy) << 32) ^ static_cast<quint32>(cx));
    }
    std::unordered_map<qint64, std::vector<QRect>> cells_;
};

} // namespace

std::vector<TPlacedLabel> PlaceOverlayLabels(const std::vector<TOverlayLabel>& labels, int zoom) {
    const QFontMetrics metrics(LabelFont());
    const int height = metrics.height();
    std::vector<TPlacedLabel> placed;
    TTakenBoxes taken;
    for (std::size_t i = 0; i < labels.size(); ++i) {
        const QPointF at = ShownPoint(labels[i].At, zoom);
        QRect box(static_cast<int>(at.x()) + kGap, static_cast<int>(at.y()) - kGap - height,
                  metrics.horizontalAdvance(labels[i].Text) + 2, height);
        // Along the top edge the label goes below its point, where it can be seen.
        if (box.top() < 0) box.moveTop(static_cast<int>(at.y()) + kGap);
        const QRect room = box.adjusted(-kMargin, -kMargin, kMargin, kMargin);
        if (taken.Overlaps(room)) continue;
        taken.Take(room);
        placed.push_back({static_cast<int>(i), box});
    }
    return placed;
}

void PaintOverlay(QPainter& painter, const TPictureOverlay& overlay, int zoom,
                  const std::vector<TPlacedLabel>& placed, const QRect& clip) {
    if (!overlay.Marks.isNull()) {
        const QSize size = overlay.Marks.size();
        const QSize shown = zoom >= 1 ? size * zoom : size / -zoom;
        painter.drawImage(QRect(QPoint(0, 0), shown), overlay.Marks);
    }
    if (placed.empty()) return;
    painter.save();
    painter.setFont(LabelFont());
    const QColor back(0, 0, 0, 170), text(80, 230, 255), anchor(255, 220, 0);
    for (const TPlacedLabel& label : placed) {
        const TOverlayLabel& l = overlay.Labels[static_cast<std::size_t>(label.Index)];
        const QPointF at = ShownPoint(l.At, zoom);
        if (!label.Box.adjusted(-kGap - 2, -kGap - 2, 0, kGap + 2).intersects(clip)) continue;
        painter.fillRect(label.Box, back);
        painter.setPen(text);
        painter.drawText(label.Box, Qt::AlignCenter, l.Text);
        // The point the label belongs to.
        painter.fillRect(QRectF(at.x() - 1, at.y() - 1, 2, 2), anchor);
    }
    painter.restore();
}

QImage BurnOverlay(const QImage& picture, const TPictureOverlay& overlay, int zoom) {
    zoom = std::max(zoom, 1);
    QImage copy = picture.convertToFormat(QImage::Format_RGB888)
                      .scaled(picture.size() * zoom, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    if (copy.isNull() && !picture.isNull()) throw std::bad_alloc();
    QPainter painter(&copy);
    PaintOverlay(painter, overlay, zoom, PlaceOverlayLabels(overlay.Labels, zoom), copy.rect());
    return copy;
}

} // namespace corvane::ui
