#include "dotgrid/ui/EncodeWindow.h"

#include <QFile>
#include <QFont>
#include <QImage>

#include <cstring>
#include <new>

#include "dotgrid/DotGridEncode.h"
#include "image/TGrayImage.h"
#include "shell/PictureOverlay.h"
#include "shell/TMDIChildForm.h"

namespace corvane::ui {

namespace {

/// The picture an encode of the window started from and the picture key of what the encoder showed
/// last; a child of the window, so it goes with it.
class TEncodeSource : public QObject {
  public:
    explicit TEncodeSource(QObject* window) : QObject(window) {
        setObjectName(QStringLiteral("EncodeSource"));
    }
    std::unique_ptr<TGrayImage> Picture;
    qint64 ShownKey = 0;
};

TEncodeSource* FindSource(TMDIChildForm& window) {
    return window.findChild<TEncodeSource*>(QStringLiteral("EncodeSource"), Qt::FindDirectChildrenOnly);
}

std::unique_ptr<TGrayImage> CopyOf(const TGrayImage& image) {
    auto copy = std::make_unique<TGrayImage>(nullptr, image.Width, image.Height);
    if (image.Size > 0) std::memcpy(copy->Data, image.Data, static_cast<std::size_t>(image.Size));
    return copy;
}

} // namespace

TEncodeSession& EncodeSessionOf(TMDIChildForm& window) {
    if (!window.CodeObject) window.CodeObject = std::make_shared<TEncodeSession>();
    return *std::static_pointer_cast<TEncodeSession>(window.CodeObject);
}

TEncodeSession* FindEncodeSession(TMDIChildForm& window) {
    return window.CodeObject ? std::static_pointer_cast<TEncodeSession>(window.CodeObject).get() : nullptr;
}

std::unique_ptr<TGrayImage> EncodeSourcePicture(TMDIChildForm& window) {
    TEncodeSource* source = FindSource(window);
    std::unique_ptr<TGrayImage> picture;
    if (source && source->Picture && source->ShownKey == window.Bitmap().cacheKey()) {
        picture = CopyOf(*source->Picture);
    } else {
        window.GetGrayImage(picture);
        if (!source) source = new TEncodeSource(&window);
        source->Picture = CopyOf(*picture);
        source->ShownKey = 0;
    }
    // The code file names the window's picture, not the in-memory copy.
    picture->FileName = QFile::encodeName(window.Caption()).toStdString();
    return picture;
}

void ShowCodeView(TMDIChildForm& window, const TCodeView& view) {
    if (!view.Picture) return;
    const TGrayImage& picture = *view.Picture;
    QImage bitmap(picture.Width, picture.Height, QImage::Format_RGB888);
    if (bitmap.isNull() && picture.Width > 0 && picture.Height > 0) throw std::bad_alloc();
    for (int y = 0; y < picture.Height; ++y) {
        uchar* line = bitmap.scanLine(y);
        const std::uint8_t* row =
            picture.Data + static_cast<std::size_t>(y) * static_cast<std::size_t>(picture.Width);
        for (int x = 0; x < picture.Width; ++x)
            line[3 * x] = line[3 * x + 1] = line[3 * x + 2] = row[x];
    }
    window.ReplacePixels(bitmap);
    window.SetOverlay(std::make_shared<const TPictureOverlay>(OverlayOf(view)));
    if (TEncodeSource* source = FindSource(window)) source->ShownKey = window.Bitmap().cacheKey();
}

TPictureOverlay OverlayOf(const TCodeView& view) {
    TPictureOverlay overlay;
    if (view.Red) {
        const TGrayImage& red = *view.Red;
        overlay.Marks = QImage(red.Width, red.Height, QImage::Format_ARGB32);
        if (overlay.Marks.isNull() && red.Width > 0 && red.Height > 0) throw std::bad_alloc();
        for (int y = 0; y < red.Height; ++y) {
            auto* line = reinterpret_cast<QRgb*>(overlay.Marks.scanLine(y));
            const std::uint8_t* row =
                red.Data + static_cast<std::size_t>(y) * static_cast<std::size_t>(red.Width);
            for (int x = 0; x < red.Width; ++x)
                line[x] = row[x] != 0 ? qRgba(255, 0, 0, 255) : qRgba(0, 0, 0, 0);
        }
    }
    overlay.Labels.reserve(view.Labels.size());
    // A centroid is in pixel coordinates, pixel x spanning x .. x + 1 on the screen.
    for (const TDotLabel& label : view.Labels)
        overlay.Labels.push_back(
            {QPointF(label.CentreX + 0.5, label.CentreY + 0.5), QString::fromStdString(label.Text)});
    return overlay;
}

} // namespace corvane::ui
