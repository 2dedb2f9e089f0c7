#pragma once
#include <QImage>
#include <QPointF>
#include <QRect>
#include <QString>

#include <vector>

class QPainter;

namespace corvane::ui {

/// A text drawn over a picture at screen resolution, anchored at a point of the picture (picture
/// pixels; pixel (x, y) covers x .. x + 1, so a dot centred on pixel 5 is anchored at 5.5).
struct TOverlayLabel {
    QPointF At;
    QString Text;
};

/// Marks and labels shown over a document window's picture and never mixed into its pixels, so the
/// picture stays what it was for Save and for tools that read it again. Marks are picture pixels
/// (they grow with the zoom like the picture); labels keep their screen size at every zoom.
struct TPictureOverlay {
    QImage Marks; ///< ARGB32 of the picture's size: transparent except where a mark is painted
    std::vector<TOverlayLabel> Labels;
};

/// Pixel size of the labels' font, whatever the zoom.
inline constexpr int kOverlayLabelPixelSize = 11;

/// Where the labels go on a picture shown at zoom (Zoom() of a document window: z >= 1 shows z
/// times the size, z <= -1 one |z|-th): each label's box starts just right of and above its
/// anchor's shown position (below it along the top edge). Labels are taken in order and one whose
/// box would come within 4 pixels of a box already taken is left out. Gives the index and box of each label
/// kept, in order.
struct TPlacedLabel {
    int Index;
    QRect Box;
};
std::vector<TPlacedLabel> PlaceOverlayLabels(const std::vector<TOverlayLabel>& labels, int zoom);

/// Paints the marks (scaled as the picture) and the placed labels of a picture shown at zoom; the
/// painter's coordinates are those of the shown picture, and only what meets clip is drawn.
void PaintOverlay(QPainter& painter, const TPictureOverlay& overlay, int zoom,
                  const std::vector<TPlacedLabel>& placed, const QRect& clip);

/// A copy of picture enlarged zoom times (zoom >= 1, nearest pixel) with the overlay drawn into its
/// pixels as the window shows it at that zoom: a picture for a report.
QImage BurnOverlay(const QImage& picture, const TPictureOverlay& overlay, int zoom);

} // namespace corvane::ui
