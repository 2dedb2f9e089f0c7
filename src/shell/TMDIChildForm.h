#pragma once
#include <QImage>
#include <QPoint>
#include <QString>
#include <QWidget>

#include <memory>

namespace corvane {
class TGrayImage;
}

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

    QString Caption() const { return windowTitle(); }

    /// The picture: always 24 bits per pixel (QImage::Format_RGB888) once loaded.
    const QImage& Bitmap() const { return bitmap_; }
    /// Replaces the picture (converted to 24 bits) and fits the window to it.
    void SetBitmap(const QImage& image);

    /// Copies the picture into gray with floor((R+G+B)/3 + 0.5); makes a new in-memory image
    /// of the picture's size when gray is empty.
    void GetGrayImage(std::unique_ptr<TGrayImage>& gray) const;

    TSelectionRect GetSelection() const;
    void SetSelection(int left, int top, int right, int bottom);
    QPoint CurrentPoint() const { return current_; }
    bool Dragging() const { return dragging_; }
    /// The status text for the last mouse move ("Position(x,y),color=(R,G,B)...").
    QString HintText() const { return hint_; }

    int Zoom() const { return zoom_; }
    void Amplify();
    void Shrink();
    void OriginalSize();

    /// Grid extents read from the settings when the window was made.
    int MaxX = 50;
    int MaxY = 50;

    /// Maps a position on the shown (zoomed) picture to picture pixels, clamped to the picture.
    QPoint MouseToPixel(QPoint shown) const;

    /// The second marquee of the line-profile tool (empty rectangle: none).
    void SetSecondMarquee(const TSelectionRect& rect);

    // Mouse handling entry points in picture-widget coordinates (also used by tests).
    void PictureMousePress(QPoint shown);
    void PictureMouseMove(QPoint shown);
    void PictureMouseRelease(QPoint shown);
    void PictureDoubleClick(QPoint shown);

private:
    // Implementation detail of the shell; see TMDIChildForm.cpp.
    TMainForm& main_;
    QImage bitmap_;
    int zoom_ = 1;
    bool dragging_ = false;
    int x1_ = 0, y1_ = 0, x2_ = 0, y2_ = 0;
    QPoint current_;
    QString hint_;
    friend class TMainForm;
    struct Private;
    std::unique_ptr<Private> d_;
};

/// Paints a grey image into a document window's picture (B = G = R = grey), at the image's size.
void DrawGrayImage(const TGrayImage& image, TMDIChildForm& window);

} // namespace corvane::ui
