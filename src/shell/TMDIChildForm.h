#pragma once
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QWidget>

#include <memory>
#include <vector>

#include "shell/PictureOverlay.h"

class QMdiSubWindow;

namespace corvane {
class TFloatImage;
class TGrayImage;
} // namespace corvane

namespace corvane::ui {

class TMainForm;

/// Selection rectangle as stored: left = x1, top = y1, right = x2 + 1, bottom = y2 + 1 (not ordered).
struct TSelectionRect {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
};

/// A document window: one 24-bit picture, its zoom, the position and colour under the mouse, the
/// dragged selection (shown as an overlay, never mixed into the pixels) and the tool hooks.
/// Its caption is its identity (a full file name or a role caption).
class TMDIChildForm : public QWidget {
    Q_OBJECT
  public:
    TMDIChildForm(TMainForm& mainForm, const QString& caption);
    ~TMDIChildForm() override;

    /// The identity: a full file name or a role caption. The title bar shows the file's name only
    /// (the full name is its tooltip) and "*" while the picture has changes that are not saved.
    QString Caption() const { return caption_; }
    /// Makes caption the window's identity: its title, its title bar's tooltip, the Window menu.
    void SetCaption(const QString& caption);

    /// The file the picture was read from or last saved to (what Save writes); empty for a window
    /// that holds a tool's result under a role caption.
    QString FileName() const { return fileName_; }
    void SetFileName(const QString& fileName) { fileName_ = fileName; }

    /// True while the picture holds changes (Invert, Rotate 90, Paste, the median filter) that
    /// are not in its file; closing the window then asks whether to save them.
    bool Modified() const { return isWindowModified(); }
    void SetModified(bool modified) { setWindowModified(modified); }

    /// The float map the picture shows (File > Open Float Image), so that the status bar can tell
    /// its values; null for other pictures. Any change of the picture drops it.
    const TFloatImage* FloatMap() const { return floatMap_.get(); }
    void SetFloatMap(std::shared_ptr<const TFloatImage> map);

    /// The picture: always 24 bits per pixel (QImage::Format_RGB888) once loaded.
    const QImage& Bitmap() const { return bitmap_; }
    /// Replaces the picture (converted to 24 bits) and fits the window to it.
    void SetBitmap(const QImage& image);
    /// Replaces the picture's pixels without fitting the window (the zoom is applied again when the
    /// size changed) and repaints it.
    void ReplacePixels(const QImage& image);
    /// Readies the window for a result of width x height: a white picture at zoom 1, no selection or
    /// marquee, restored when minimised or maximised, the window fitted to it.
    void Prepare(int width, int height);

    /// Marks and labels drawn over the picture at screen resolution, never into its pixels (see
    /// TPictureOverlay); null for none. Any change of the picture drops it.
    void SetOverlay(std::shared_ptr<const TPictureOverlay> overlay);
    const TPictureOverlay* Overlay() const;
    /// The overlay's labels the window draws at its zoom (the others would overlap), placed once
    /// per zoom.
    const std::vector<TPlacedLabel>& PlacedLabels() const;
    int OverlayLabelsShown() const { return static_cast<int>(PlacedLabels().size()); }

    /// Copies the picture into gray with floor((R+G+B)/3 + 0.5); makes a new in-memory image
    /// of the picture's size when gray is empty.
    void GetGrayImage(std::unique_ptr<TGrayImage>& gray) const;

    /// The stored corners as left = x1, top = y1, right = x2 + 1, bottom = y2 + 1 (not ordered).
    TSelectionRect GetSelection() const;
    /// Sets x1 = left, y1 = top, x2 = right - 1, y2 = bottom - 1.
    void SetSelection(int left, int top, int right, int bottom);
    QPoint CurrentPoint() const { return current_; }
    bool Dragging() const { return dragging_; }
    /// The status text for the last mouse move ("Position(x,y),color=(R,G,B)...").
    QString HintText() const { return hint_; }

    /// Zoom in -8 .. 8, never 0: z >= 1 shows z times the size, z <= -1 shows 1/|z|.
    int Zoom() const { return zoom_; }
    /// Zoom + 1 (0 becomes 2), at most 8; a shown picture below 791 x 591 fits the window to it.
    void Amplify();
    /// Zoom - 1 (0 becomes -2), at least -8; fits the window like Amplify.
    void Shrink();
    /// Zoom 1.
    void OriginalSize();

    /// Grid extents read from the settings when the window was made.
    int MaxX = 50;
    int MaxY = 50;

    /// Maps a position on the shown (zoomed) picture to picture pixels, clamped to the picture.
    QPoint MouseToPixel(QPoint shown) const;

    /// The second marquee of the line-profile tool (empty rectangle: none).
    void SetSecondMarquee(const TSelectionRect& rect);
    TSelectionRect SecondMarquee() const;

    /// The marquee in picture pixels, right and bottom exclusive: (min(x1,x2), min(y1,y2)) to
    /// (max(x1,x2) + 1, max(y1,y2) + 1). Drawn over the picture, never into its pixels.
    QRect MarqueeRect() const;
    bool MarqueeShown() const;
    /// Shows the marquee when hidden and hides it when shown.
    void ToggleMarquee();

    /// Size of the shown picture at the current zoom.
    QSize ShownSize() const;
    /// The picture control ("BmpImage"), the widget that receives the mouse.
    QWidget* Picture() const;
    /// The MDI frame of this window (null before it is placed in the frame).
    QMdiSubWindow* SubWindow() const;
    /// Sets the client area to size (the frame grows around it).
    void FitClientArea(QSize size);
    QSize sizeHint() const override;
    /// Zooms in (delta > 0) or out by one step keeping the picture point under shown where it is.
    void ZoomAround(QPoint shown, int delta);
    /// True once the window accepted a close (it is deleted when control returns to the loop).
    bool Closed() const;

    /// The dot-grid code data of the encoding tool for this window; deleted with the window.
    std::shared_ptr<void> CodeObject;

    // Mouse handling entry points in picture-widget coordinates (also used by tests).
    void PictureMousePress(QPoint shown);
    void PictureMouseMove(QPoint shown);
    void PictureMouseRelease(QPoint shown);
    void PictureDoubleClick(QPoint shown);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;

  private:
    /// Shows the picture at the current zoom and fits the window while it is small.
    void ApplyZoom();
    // Implementation detail of the shell; see TMDIChildForm.cpp.
    TMainForm& main_;
    QString caption_;
    QString fileName_;
    std::shared_ptr<const TFloatImage> floatMap_;
    QImage bitmap_;
    int zoom_ = 1;
    bool dragging_ = false;
    int x1_ = 0, y1_ = 0, x2_ = 0, y2_ = 0;
    QPoint current_;
    QString hint_;
    struct Private;
    std::unique_ptr<Private> d_;
};

/// Paints a grey image into a document window's picture (B = G = R = grey), at the image's size.
void DrawGrayImage(const TGrayImage& image, TMDIChildForm& window);

} // namespace corvane::ui
