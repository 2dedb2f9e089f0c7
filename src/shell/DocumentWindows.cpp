#include "shell/TMainForm.h"

#include "image/CorvaneError.h"
#include "image/FileUtil.h"
#include "image/FloatMapDisplay.h"
#include "image/TFloatImage.h"
#include "image/TGrayImage.h"
#include "shell/BitmapOps.h"
#include "shell/Platform.h"
#include "shell/TMDIChildForm.h"
#include "shell/TRawOptionForm.h"
#include "shell/TSixteenBitOptionForm.h"
#include "shell/TToolHooks.h"

#include <QAction>
#include <QFile>
#include <QKeySequence>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>

#include <algorithm>
#include <memory>

// The frame's document windows: addressing them by index and caption, making and preparing them for
// the tools' results, and the Window menu's arrangements.
namespace corvane::ui {

namespace {

/// The document window a sub window holds, or null when it holds none or that one is closed.
TMDIChildForm* LiveChildOf(const QMdiSubWindow* sub) {
    auto* child = qobject_cast<TMDIChildForm*>(sub->widget());
    return child && !child->Closed() ? child : nullptr;
}

std::vector<TMDIChildForm*> LiveChildren(const QMdiArea* area) {
    std::vector<TMDIChildForm*> result;
    for (QMdiSubWindow* sub : area->subWindowList(QMdiArea::CreationOrder))
        if (TMDIChildForm* child = LiveChildOf(sub)) result.push_back(child);
    return result;
}

std::string ToPath(const QString& name) {
    return QFile::encodeName(name).toStdString();
}

} // namespace

int TMainForm::MDIChildCount() const {
    return static_cast<int>(LiveChildren(mdiArea_).size());
}

TMDIChildForm* TMainForm::MDIChild(int index) const {
    const auto children = LiveChildren(mdiArea_);
    if (index < 0 || index >= static_cast<int>(children.size())) return nullptr;
    return children[static_cast<std::size_t>(index)];
}

TMDIChildForm* TMainForm::ActiveMDIChild() const {
    if (QMdiSubWindow* sub = mdiArea_->currentSubWindow())
        if (TMDIChildForm* child = LiveChildOf(sub)) return child;
    // Without an activated window (the frame is in the background) the topmost one counts.
    const auto stack = mdiArea_->subWindowList(QMdiArea::StackingOrder);
    for (auto it = stack.rbegin(); it != stack.rend(); ++it)
        if (TMDIChildForm* child = LiveChildOf(*it)) return child;
    return nullptr;
}

int TMainForm::FindMDIChild(const QString& caption) const {
    const auto children = LiveChildren(mdiArea_);
    for (std::size_t i = 0; i < children.size(); ++i)
        if (children[i]->Caption() == caption) return static_cast<int>(i);
    return -1;
}

int TMainForm::PrepareMDIChild(const QString& caption, int width, int height) {
    const int index = FindMDIChild(caption);
    if (index < 0) return -1;
    MDIChild(index)->Prepare(width, height);
    return index;
}

void TMainForm::CreateMDIChild(const QString& name) {
    MakeMDIChild(name, false);
}

// A role window gets its picture from the tool that shows it, so a caption that happens to name a
// file is not read (a 16-bit TIFF would otherwise ask for its rule before the tool paints over it).
void TMainForm::CreateRoleMDIChild(const QString& caption) {
    MakeMDIChild(caption, false, false);
}

void TMainForm::OpenPictureFile(const QString& name) {
    MakeMDIChild(name, true);
}

void TMainForm::MakeMDIChild(const QString& name, bool requirePicture, bool readFile) {
    const std::string path = ToPath(name);
    const std::string extension = corvane::LowerExtension(path);
    // A picture the user asked for is shown or refused with the reason, never as a blank window.
    if (requirePicture && !corvane::FileExists(path)) throw CorvaneError(path + ": not exists");
    std::unique_ptr<TGrayImage> image;
    QString caption = name;
    // TIFF and PNG pictures are known by their content, whatever the name; RAW files have none.
    std::optional<TOpenedPicture> picture;
    const bool exists = readFile && corvane::FileExists(path);
    if (exists && extension != ".raw") picture = OpenTiffOrPng(dialogs_, *settings_, name, path, this);
    if (picture) {
        if (!picture->Image) return; // the 16-bit rule was not given: no window
        image = std::move(picture->Image);
        caption = picture->Caption;
    } else if (exists && extension == ".bmp") {
        image = std::make_unique<TGrayImage>(path);
    } else if (exists && extension == ".raw") {
        const auto raw = AskRawDescription(dialogs_, name, path, this);
        if (!raw) return;
        // Negative or overflowing sizes are refused by the grey image with their own message.
        image = std::make_unique<TGrayImage>(*raw);
    }
    if (requirePicture && !image)
        throw CorvaneError(path + ": only BMP, TIFF, PNG and RAW pictures are opened");
    if (requirePicture && (image->Width < 1 || image->Height < 1))
        throw CorvaneError(path + ": the picture holds no pixels");
    QImage bitmap;
    if (image) {
        bitmap = QImage(image->Width, image->Height, QImage::Format_RGB888);
        if (bitmap.isNull() && image->Width > 0 && image->Height > 0) throw std::bad_alloc();
        PaintGrayIntoBitmap(*image, bitmap);
        image.reset();
    }
    auto* child = new TMDIChildForm(*this, caption);
    // A picture read from its file is that file's window: Save writes there.
    if (!bitmap.isNull()) child->SetFileName(name);
    QMdiSubWindow* sub = mdiArea_->addSubWindow(child);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    sub->setToolTip(name);
    // The frame's Close command has the key the window's own menu would take for the same thing.
    for (QAction* action : sub->systemMenu()->actions())
        if (action->shortcut() == QKeySequence(QStringLiteral("Ctrl+W"))) action->setShortcut(QKeySequence());
    if (!bitmap.isNull()) child->SetBitmap(bitmap);
    sub->show();
    if (!bitmap.isNull()) child->FitClientArea(child->ShownSize());
    KeepInDocumentArea(*child);
    mdiArea_->setActiveSubWindow(sub);
    UpdateCommandStates();
}

void TMainForm::KeepInDocumentArea(TMDIChildForm& child) {
    // A window that does not fit where the area placed it, or that a tool window shown would cover,
    // starts near the top-left corner of the free area instead, cascaded, so that its title bar and
    // the top of its picture are in view.
    QMdiSubWindow* sub = child.SubWindow();
    const QRect area = DocumentArea();
    if (!sub || sub->isMinimized() || sub->isMaximized() || area.contains(sub->geometry())) return;
    const int step = (MDIChildCount() - 1) % 8 * 24;
    sub->move(area.topLeft() + QPoint(step, step));
    if (!child.Bitmap().isNull()) child.FitClientArea(child.ShownSize());
}

TMDIChildForm* TMainForm::OpenFloatMap(const QString& name) {
    auto map = std::make_shared<TFloatImage>(ToPath(name));
    if (map->Width < 1 || map->Height < 1) throw CorvaneError(ToPath(name) + ": the picture holds no pixels");
    const std::unique_ptr<TGrayImage> gray = DisplayFloatMap(*map);
    TMDIChildForm* child = ShowInRole(name, *gray);
    if (child) child->SetFloatMap(std::move(map));
    return child;
}

TMDIChildForm* TMainForm::ShowInRole(const QString& caption, const TGrayImage& image) {
    int index = PrepareMDIChild(caption, image.Width, image.Height);
    if (index < 0) {
        CreateRoleMDIChild(caption);
        index = PrepareMDIChild(caption, image.Width, image.Height);
    }
    TMDIChildForm* child = MDIChild(index);
    if (!child) return nullptr;
    DrawGrayImage(image, *child);
    child->SetModified(false);
    // The tool that shows a result does not cover it.
    KeepInDocumentArea(*child);
    return child;
}

void TMainForm::ActivateChild(TMDIChildForm* child) {
    for (TToolHooks* hooks : VisibleToolHooks())
        RunGuarded(dialogs_, [&] { hooks->DocumentActivated(*child); });
}

// ---- Close, Close All and the Window commands
// ----------------------------------------------------------------------------

void TMainForm::CloseActionExecute() {
    RunGuarded(dialogs_, [&] {
        if (TMDIChildForm* child = ActiveMDIChild())
            if (QMdiSubWindow* sub = child->SubWindow()) sub->close();
    });
}

void TMainForm::CloseAllActionExecute() {
    RunGuarded(dialogs_, [&] {
        for (TMDIChildForm* child : LiveChildren(mdiArea_))
            if (QMdiSubWindow* sub = child->SubWindow()) sub->close();
    });
}

void TMainForm::WindowCascade1Execute() {
    RunGuarded(dialogs_, [&] { mdiArea_->cascadeSubWindows(); });
}

namespace {

/// Lays the open (not minimised) document windows out in equal strips: rows when stacked,
/// columns otherwise.
void TileStrips(QMdiArea* area, const QRect& documents, bool stacked) {
    std::vector<QMdiSubWindow*> subs;
    for (QMdiSubWindow* sub : area->subWindowList(QMdiArea::CreationOrder))
        if (LiveChildOf(sub) && !sub->isMinimized()) subs.push_back(sub);
    if (subs.empty()) return;
    const QRect area_rect = documents;
    const int n = static_cast<int>(subs.size());
    for (int i = 0; i < n; ++i) {
        QMdiSubWindow* sub = subs[static_cast<std::size_t>(i)];
        if (sub->isMaximized()) sub->showNormal();
        if (stacked) {
            const int top = area_rect.height() * i / n;
            const int bottom = area_rect.height() * (i + 1) / n;
            sub->setGeometry(area_rect.left(), area_rect.top() + top, area_rect.width(), bottom - top);
        } else {
            const int left = area_rect.width() * i / n;
            const int right = area_rect.width() * (i + 1) / n;
            sub->setGeometry(area_rect.left() + left, area_rect.top(), right - left, area_rect.height());
        }
    }
}

} // namespace

void TMainForm::WindowTileHorizontal1Execute() {
    RunGuarded(dialogs_, [&] { TileStrips(mdiArea_, DocumentArea(), true); });
}

void TMainForm::WindowTileVertical1Execute() {
    RunGuarded(dialogs_, [&] { TileStrips(mdiArea_, DocumentArea(), false); });
}

void TMainForm::WindowMinimizeAll1Execute() {
    RunGuarded(dialogs_, [&] {
        for (TMDIChildForm* child : LiveChildren(mdiArea_))
            if (QMdiSubWindow* sub = child->SubWindow()) sub->showMinimized();
    });
}

void TMainForm::WindowArrangeAll1Execute() {
    RunGuarded(dialogs_, [&] {
        // Minimised windows line up along the bottom edge, left to right.
        const QRect viewport = mdiArea_->viewport()->rect();
        int x = 0;
        int y = viewport.bottom() + 1;
        for (TMDIChildForm* child : LiveChildren(mdiArea_)) {
            QMdiSubWindow* sub = child->SubWindow();
            if (!sub || !sub->isMinimized()) continue;
            const QSize size = sub->size();
            if (x > 0 && x + size.width() > viewport.width()) {
                x = 0;
                y -= size.height();
            }
            sub->move(x, y - size.height());
            x += size.width();
        }
    });
}

} // namespace corvane::ui
