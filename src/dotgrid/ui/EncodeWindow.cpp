#include "dotgrid/ui/EncodeWindow.h"

#include <QFile>
#include <QFont>
#include <QImage>
#include <QPainter>

#include <cstring>
#include <new>

#include "dotgrid/DotGridEncode.h"
#include "image/TGrayImage.h"
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
        const std::size_t row = static_cast<std::size_t>(y) * static_cast<std::size_t>(picture.Width);
        for (int x = 0; x < picture.Width; ++x) {
            const bool red = view.Red && view.Red->Data[row + static_cast<std::size_t>(x)] != 0;
            const uchar grey = picture.Data[row + static_cast<std::size_t>(x)];
            line[3 * x] = red ? 255 : grey;
            line[3 * x + 1] = red ? 0 : grey;
            line[3 * x + 2] = red ? 0 : grey;
        }
    }
    if (!view.Labels.empty()) {
        QPainter painter(&bitmap);
        QFont font = painter.font();
        font.setPixelSize(9);
        painter.setFont(font);
        painter.setPen(QColor(0, 200, 255));
        for (const TDotLabel& label : view.Labels)
            painter.drawText(QPoint(label.X, label.Y), QString::fromStdString(label.Text));
    }
    window.ReplacePixels(bitmap);
    if (TEncodeSource* source = FindSource(window)) source->ShownKey = window.Bitmap().cacheKey();
}

} // namespace corvane::ui
