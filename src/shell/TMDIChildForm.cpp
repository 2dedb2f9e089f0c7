#include "shell/TMDIChildForm.h"

#include "image/FloatMapDisplay.h"
#include "image/TFloatImage.h"
#include "image/TGrayImage.h"
#include "shell/BitmapOps.h"
#include "shell/PictureOverlay.h"
#include "shell/Platform.h"
#include "shell/TMainForm.h"
#include "shell/TToolHooks.h"
#include "shell/TWorkbenchSettings.h"

#include <QCloseEvent>
#include <QFont>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>
#include <cstdlib>

namespace corvane::ui {

namespace {

// A shown picture larger than this is not fitted into its window after a zoom change.
constexpr int kFitWidthBelow = 791;
constexpr int kFitHeightBelow = 591;
// Room a document window's title bar takes beside its caption: the icon and three buttons.
constexpr int kTitleButtonsWidth = 90;

/// The picture control: paints the zoomed bitmap, then the marquees over it, and hands the
/// mouse to the document window.
class TPictureBox : public QWidget {
  public:
    explicit TPictureBox(TMDIChildForm& form) : QWidget(nullptr), form_(form) {
        setObjectName(QStringLiteral("BmpImage"));
        setCursor(Qt::CrossCursor);
        setMouseTracking(true);
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

  protected:
    void paintEvent(QPaintEvent* event) override {
        QPainter painter(this);
        const QImage& bitmap = form_.Bitmap();
        if (bitmap.isNull()) {
            painter.fillRect(rect(), palette().window());
            return;
        }
        painter.drawImage(rect(), bitmap);
        const int z = form_.Zoom();
        if (const TPictureOverlay* overlay = form_.Overlay())
            PaintOverlay(painter, *overlay, z, form_.PlacedLabels(), event->rect());
        auto toShown = [&](const QRect& r) {
            if (z >= 1) return QRect(r.left() * z, r.top() * z, r.width() * z, r.height() * z);
            const int s = -z;
            return QRect(r.left() / s, r.top() / s, std::max(1, r.width() / s), std::max(1, r.height() / s));
        };
        // A black line under a white dashed one shows on every grey level.
        auto frame = [&](const QRect& shownRect) {
            const QRect r = shownRect.adjusted(0, 0, -1, -1);
            painter.setBrush(Qt::NoBrush);
            painter.setPen(QPen(Qt::black, 1, Qt::SolidLine));
            painter.drawRect(r);
            painter.setPen(QPen(Qt::white, 1, Qt::DashLine));
            painter.drawRect(r);
        };
        if (form_.MarqueeShown()) frame(toShown(form_.MarqueeRect()));
        const TSelectionRect second = form_.SecondMarquee();
        if (second.Right != second.Left || second.Bottom != second.Top) {
            const QRect r(
                QPoint(std::min(second.Left, second.Right), std::min(second.Top, second.Bottom)),
                QPoint(std::max(second.Left, second.Right) - 1, std::max(second.Top, second.Bottom) - 1));
            frame(toShown(r));
        }
    }
    void mousePressEvent(QMouseEvent* e) override { form_.PictureMousePress(e->position().toPoint()); }
    void mouseMoveEvent(QMouseEvent* e) override { form_.PictureMouseMove(e->position().toPoint()); }
    void mouseReleaseEvent(QMouseEvent* e) override { form_.PictureMouseRelease(e->position().toPoint()); }
    void mouseDoubleClickEvent(QMouseEvent* e) override { form_.PictureDoubleClick(e->position().toPoint()); }
    // Ctrl with the wheel zooms around the mouse; the wheel alone scrolls.
    void wheelEvent(QWheelEvent* e) override {
        if (!(e->modifiers() & Qt::ControlModifier) || e->angleDelta().y() == 0) {
            e->ignore();
            return;
        }
        form_.ZoomAround(e->position().toPoint(), e->angleDelta().y());
        e->accept();
    }

  private:
    TMDIChildForm& form_;
};

/// The scroll area of the picture. A picture smaller than the client area is centred in it:
/// left = (client width - picture width) / 2 and top = (client height - picture height) / 2,
/// rounded down; a larger one scrolls as usual.
class TPictureScrollArea : public QScrollArea {
  public:
    explicit TPictureScrollArea(QWidget* parent) : QScrollArea(parent) {}

  protected:
    bool event(QEvent* e) override {
        const bool handled = QScrollArea::event(e);
        if (e->type() == QEvent::LayoutRequest) Centre();
        return handled;
    }
    void resizeEvent(QResizeEvent* e) override {
        QScrollArea::resizeEvent(e);
        Centre();
    }
    void scrollContentsBy(int dx, int dy) override {
        QScrollArea::scrollContentsBy(dx, dy);
        Centre();
    }
    bool eventFilter(QObject* watched, QEvent* e) override {
        const bool handled = QScrollArea::eventFilter(watched, e);
        if (watched == widget() && e->type() == QEvent::Resize) Centre();
        return handled;
    }

  private:
    void Centre() {
        QWidget* picture = widget();
        if (!picture) return;
        const QSize client = viewport()->size();
        const int left =
            picture->width() < client.width() ? (client.width() - picture->width()) / 2 : picture->x();
        const int top =
            picture->height() < client.height() ? (client.height() - picture->height()) / 2 : picture->y();
        if (picture->pos() != QPoint(left, top)) picture->move(left, top);
    }
};

} // namespace

struct TMDIChildForm::Private {
    TPictureBox* picture = nullptr;
    std::shared_ptr<const TPictureOverlay> overlay;
    /// The overlay's labels placed for placedZoom (0: not placed yet).
    std::vector<TPlacedLabel> placed;
    int placedZoom = 0;
    QScrollArea* scroll = nullptr;
    bool marqueeShown = false;
    TSelectionRect second;
    QSize client;
    bool closed = false;
};

namespace {

/// What the title bar shows: the name of a file without its folder, a role caption as it is.
QString DisplayName(const QString& caption) {
    const qsizetype slash =
        std::max(caption.lastIndexOf(QLatin1Char('/')), caption.lastIndexOf(QLatin1Char('\\')));
    return slash >= 0 && slash + 1 < caption.size() ? caption.mid(slash + 1) : caption;
}

} // namespace

TMDIChildForm::TMDIChildForm(TMainForm& mainForm, const QString& caption)
    : QWidget(nullptr), main_(mainForm), caption_(caption), d_(std::make_unique<Private>()) {
    setObjectName(QStringLiteral("MDIChildForm"));
    setWindowTitle(DisplayName(caption) + QStringLiteral("[*]"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFocusPolicy(Qt::StrongFocus);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    d_->scroll = new TPictureScrollArea(this);
    d_->scroll->setObjectName(QStringLiteral("PictureScrollArea"));
    d_->scroll->setFrameShape(QFrame::NoFrame);
    d_->scroll->setWidgetResizable(false);
    d_->scroll->setFocusPolicy(Qt::NoFocus);
    d_->picture = new TPictureBox(*this);
    d_->picture->resize(0, 0);
    d_->scroll->setWidget(d_->picture);
    layout->addWidget(d_->scroll);
    d_->client = QSize(200, 150);
    main_.Settings().ReadEncodeCoordinate(MaxX, MaxY);
}

TMDIChildForm::~TMDIChildForm() = default;

void TMDIChildForm::SetCaption(const QString& caption) {
    caption_ = caption;
    setWindowTitle(DisplayName(caption) + QStringLiteral("[*]"));
    if (QMdiSubWindow* sub = SubWindow()) sub->setToolTip(caption);
}

QWidget* TMDIChildForm::Picture() const {
    return d_->picture;
}

QMdiSubWindow* TMDIChildForm::SubWindow() const {
    return qobject_cast<QMdiSubWindow*>(parentWidget());
}

QSize TMDIChildForm::sizeHint() const {
    return d_->client;
}

bool TMDIChildForm::Closed() const {
    return d_->closed;
}

void TMDIChildForm::FitClientArea(QSize size) {
    d_->client = size;
    QMdiSubWindow* sub = SubWindow();
    if (!sub) {
        resize(size);
        return;
    }
    if (sub->isMaximized() || sub->isMinimized()) return;
    QSize wanted = sub->sizeHint();
    // A narrow picture still shows its whole caption: the window is widened (the picture stays
    // centred in it), never beyond the room below.
    const QString title = windowTitle().remove(QStringLiteral("[*]"));
    QFont titleFont = sub->font();
    titleFont.setBold(true); // the active window's caption is bold
    wanted.setWidth(std::max(wanted.width(), QFontMetrics(titleFont).horizontalAdvance(title) * 11 / 10 +
                                                 kTitleButtonsWidth));
    // A window larger than the workspace would have its title bar and close button out of reach: it
    // fits the workspace from where it stands, and its picture scrolls inside it.
    // The room is the part of the workspace that no tool window covers.
    if (sub->mdiArea()) {
        const QRect room = main_.DocumentArea();
        const QPoint at(std::max(room.left(), sub->x()), std::max(room.top(), sub->y()));
        if (!room.isEmpty() && (wanted.width() > room.width() || wanted.height() > room.height()))
            wanted = wanted.boundedTo(QSize(std::max(room.right() + 1 - at.x(), room.width() / 2),
                                            std::max(room.bottom() + 1 - at.y(), room.height() / 2)));
    }
    sub->resize(wanted);
}

void TMDIChildForm::SetOverlay(std::shared_ptr<const TPictureOverlay> overlay) {
    d_->overlay = std::move(overlay);
    d_->placed.clear();
    d_->placedZoom = 0;
    d_->picture->update();
}

const TPictureOverlay* TMDIChildForm::Overlay() const {
    return d_->overlay.get();
}

const std::vector<TPlacedLabel>& TMDIChildForm::PlacedLabels() const {
    if (d_->overlay && d_->placedZoom != zoom_) {
        d_->placed = PlaceOverlayLabels(d_->overlay->Labels, zoom_);
        d_->placedZoom = zoom_;
    }
    return d_->placed;
}

void TMDIChildForm::SetFloatMap(std::shared_ptr<const TFloatImage> map) {
    floatMap_ = std::move(map);
}

void TMDIChildForm::ZoomAround(QPoint shown, int delta) {
    if (bitmap_.isNull()) return;
    QScrollArea* scroll = d_->scroll;
    const QPoint inViewport = d_->picture->mapTo(scroll->viewport(), shown);
    const QPoint pixel = MouseToPixel(shown);
    if (delta > 0)
        Amplify();
    else
        Shrink();
    const QPoint now = zoom_ >= 1 ? pixel * zoom_ : pixel / -zoom_;
    scroll->horizontalScrollBar()->setValue(now.x() - inViewport.x());
    scroll->verticalScrollBar()->setValue(now.y() - inViewport.y());
}

void TMDIChildForm::SetBitmap(const QImage& image) {
    floatMap_.reset();
    d_->overlay.reset();
    bitmap_ = image.format() == QImage::Format_RGB888 ? image : image.convertToFormat(QImage::Format_RGB888);
    d_->picture->move(0, 0);
    ApplyZoom();
    FitClientArea(ShownSize());
}

void TMDIChildForm::GetGrayImage(std::unique_ptr<TGrayImage>& gray) const {
    // A caller's image of another size is replaced, so the copy never runs past its buffer.
    if (!gray || gray->Width != bitmap_.width() || gray->Height != bitmap_.height() ||
        (gray->Data == nullptr && gray->Size > 0))
        gray = std::make_unique<TGrayImage>(nullptr, bitmap_.width(), bitmap_.height());
    CopyBitmapToGray(bitmap_, *gray);
}

TSelectionRect TMDIChildForm::GetSelection() const {
    return {x1_, y1_, x2_ + 1, y2_ + 1};
}

void TMDIChildForm::SetSelection(int left, int top, int right, int bottom) {
    x1_ = left;
    y1_ = top;
    x2_ = right - 1;
    y2_ = bottom - 1;
    d_->picture->update();
}

QRect TMDIChildForm::MarqueeRect() const {
    return QRect(QPoint(std::min(x1_, x2_), std::min(y1_, y2_)),
                 QPoint(std::max(x1_, x2_), std::max(y1_, y2_)));
}

bool TMDIChildForm::MarqueeShown() const {
    return d_->marqueeShown;
}

void TMDIChildForm::ToggleMarquee() {
    d_->marqueeShown = !d_->marqueeShown;
    d_->picture->update();
}

void TMDIChildForm::SetSecondMarquee(const TSelectionRect& rect) {
    d_->second = rect;
    d_->picture->update();
}

TSelectionRect TMDIChildForm::SecondMarquee() const {
    return d_->second;
}

QSize TMDIChildForm::ShownSize() const {
    if (zoom_ >= 1) return {bitmap_.width() * zoom_, bitmap_.height() * zoom_};
    return {bitmap_.width() / -zoom_, bitmap_.height() / -zoom_};
}

void TMDIChildForm::ApplyZoom() {
    const QSize shown = ShownSize();
    d_->picture->resize(shown);
    d_->picture->update();
    const QMdiSubWindow* sub = SubWindow();
    if (shown.width() < kFitWidthBelow && shown.height() < kFitHeightBelow && !(sub && sub->isMaximized()))
        FitClientArea(shown);
    main_.ShowPictureInfo();
}

void TMDIChildForm::Amplify() {
    int z = zoom_ + 1;
    if (z == 0) z = 2;
    zoom_ = std::min(z, 8);
    ApplyZoom();
}

void TMDIChildForm::Shrink() {
    int z = zoom_ - 1;
    if (z == 0) z = -2;
    zoom_ = std::max(z, -8);
    ApplyZoom();
}

void TMDIChildForm::OriginalSize() {
    zoom_ = 1;
    ApplyZoom();
}

QPoint TMDIChildForm::MouseToPixel(QPoint shown) const {
    int x = 0;
    int y = 0;
    if (zoom_ >= 1) {
        x = shown.x() / zoom_;
        y = shown.y() / zoom_;
    } else {
        x = shown.x() * -zoom_;
        y = shown.y() * -zoom_;
    }
    x = std::clamp(x, 0, std::max(0, bitmap_.width() - 1));
    y = std::clamp(y, 0, std::max(0, bitmap_.height() - 1));
    return {x, y};
}

void TMDIChildForm::PictureMousePress(QPoint shown) {
    if (bitmap_.isNull()) return;
    const QPoint p = MouseToPixel(shown);
    d_->marqueeShown = false;
    dragging_ = true;
    x1_ = x2_ = p.x();
    y1_ = y2_ = p.y();
    current_ = p;
    d_->picture->update();
}

void TMDIChildForm::PictureMouseMove(QPoint shown) {
    if (bitmap_.isNull()) return;
    const QPoint p = MouseToPixel(shown);
    current_ = p;
    hint_ = QStringLiteral("Position(%1,%2),").arg(p.x()).arg(p.y());
    const TFloatImage* map = floatMap_.get();
    if (map && map->Data && map->Width == bitmap_.width() && map->Height == bitmap_.height()) {
        // A float map tells its own value; the grey level only shows it.
        const float value = map->Data[static_cast<std::size_t>(p.y()) * static_cast<std::size_t>(map->Width) +
                                      static_cast<std::size_t>(p.x())];
        hint_ += QStringLiteral("value=") + QString::number(value, 'g', 7);
        if (value == kNotComputedMarker) hint_ += QStringLiteral(" (not computed)");
    } else {
        const uchar* pixel = bitmap_.constScanLine(p.y()) + static_cast<std::size_t>(p.x()) * 3;
        hint_ += QStringLiteral("color=(%1,%2,%3)").arg(pixel[0]).arg(pixel[1]).arg(pixel[2]);
    }
    if (dragging_)
        hint_ += QStringLiteral("   Width:%1 Height:%2")
                     .arg(std::abs(x1_ - p.x()) + 1)
                     .arg(std::abs(y1_ - p.y()) + 1);
    main_.ShowStatusHint(hint_);
    if (dragging_) {
        x2_ = p.x();
        y2_ = p.y();
        d_->marqueeShown = true;
        d_->picture->update();
    }
    for (TToolHooks* hooks : main_.VisibleToolHooks()) {
        RunGuarded(main_.Dialogs(), [&] {
            if (dragging_) hooks->DocumentDragged(*this, x1_, y1_, x2_, y2_);
            hooks->DocumentMouseMoved(*this, p.x(), p.y());
        });
    }
}

void TMDIChildForm::PictureMouseRelease(QPoint shown) {
    if (bitmap_.isNull()) return;
    const bool wasDragging = dragging_;
    dragging_ = false;
    if (!wasDragging) return;
    const QPoint p = MouseToPixel(shown);
    for (TToolHooks* hooks : main_.VisibleToolHooks())
        RunGuarded(main_.Dialogs(), [&] { hooks->DocumentClicked(*this, p.x(), p.y()); });
}

void TMDIChildForm::PictureDoubleClick(QPoint /*shown*/) {
    if (bitmap_.isNull()) return;
    for (TToolHooks* hooks : main_.VisibleToolHooks())
        RunGuarded(main_.Dialogs(), [&] { hooks->DocumentDoubleClicked(*this); });
}

void TMDIChildForm::keyPressEvent(QKeyEvent* event) {
    const QString text = event->text();
    if (text == QStringLiteral("+")) {
        RunGuarded(main_.Dialogs(), [&] { Amplify(); });
    } else if (text == QStringLiteral("-")) {
        RunGuarded(main_.Dialogs(), [&] { Shrink(); });
    } else {
        QWidget::keyPressEvent(event);
    }
}

void TMDIChildForm::closeEvent(QCloseEvent* event) {
    // While a tool that addresses windows by caption is open, the window only goes to an icon.
    if (main_.DocumentsCloseOnlyMinimize()) {
        event->ignore();
        if (QMdiSubWindow* sub = SubWindow()) sub->showMinimized();
        return;
    }
    // Changes not saved are not thrown away without asking.
    if (Modified() && !main_.AskToSaveChanges(*this)) {
        event->ignore();
        return;
    }
    d_->closed = true;
    event->accept();
    main_.DocumentClosed();
}

bool TMDIChildForm::event(QEvent* event) {
    // The full name is the tooltip of the title bar only, never of the picture under the mouse.
    if (event->type() == QEvent::ToolTip) return true;
    return QWidget::event(event);
}

void TMDIChildForm::Prepare(int width, int height) {
    if (QMdiSubWindow* sub = SubWindow(); sub && (sub->isMinimized() || sub->isMaximized()))
        sub->showNormal();
    x1_ = y1_ = x2_ = y2_ = 0;
    if (MarqueeShown()) ToggleMarquee();
    const QSize size(std::max(0, width), std::max(0, height));
    QImage blank(size, QImage::Format_RGB888);
    if (blank.isNull() && !size.isEmpty()) throw std::bad_alloc();
    blank.fill(Qt::white);
    zoom_ = 1;
    SetBitmap(blank);
    FitClientArea(size);
    SetModified(false);
}

void TMDIChildForm::ReplacePixels(const QImage& image) {
    floatMap_.reset();
    d_->overlay.reset();
    const bool sizeChanged = image.size() != bitmap_.size();
    bitmap_ = image.format() == QImage::Format_RGB888 ? image : image.convertToFormat(QImage::Format_RGB888);
    if (sizeChanged) ApplyZoom();
    d_->picture->update();
}

void DrawGrayImage(const TGrayImage& image, TMDIChildForm& window) {
    QImage bitmap = window.Bitmap();
    if (bitmap.isNull()) {
        bitmap = QImage(image.Width, image.Height, QImage::Format_RGB888);
        if (bitmap.isNull() && image.Width > 0 && image.Height > 0) throw std::bad_alloc();
    }
    PaintGrayIntoBitmap(image, bitmap);
    window.ReplacePixels(bitmap);
}

} // namespace corvane::ui
