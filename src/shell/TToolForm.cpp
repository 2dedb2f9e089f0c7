#include "shell/TToolForm.h"

#include "shell/TMDIChildForm.h"
#include "shell/TMainForm.h"
#include "shell/ToolPlacement.h"

#include <QAction>
#include <QApplication>
#include <QFont>
#include <QFontMetrics>
#include <QHideEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QStatusTipEvent>

#include <algorithm>

namespace corvane::ui {

TToolForm::TToolForm(TMainForm& mainForm, TToolSetup setup)
    : QWidget(&mainForm, Qt::Tool | Qt::WindowStaysOnTopHint), main_(mainForm), dialogs_(mainForm.Dialogs()),
      setup_(std::move(setup)) {
    setObjectName(QString::fromLatin1(setup_.Name));
    setWindowTitle(setup_.Title);
    for (const char* name : setup_.LockedCommands)
        locked_.emplace_back(mainForm.RequireAction(name));
    if (setup_.ShowCommand) {
        QAction* command = mainForm.RequireAction(setup_.ShowCommand);
        command->setEnabled(true);
        connect(command, &QAction::triggered, this, [this] { Guarded([&] { ShowTool(); }); });
    }
    if (setup_.HasCloseButton) {
        CloseButton = Named(new QPushButton(QStringLiteral("Close"), this), "CloseButton");
        Bind(CloseButton, &QPushButton::clicked, &TToolForm::CloseButtonClick);
    }
    if (setup_.GuardsDocuments) mainForm.AddCloseGuard(this);
    mainForm.RegisterToolHooks(this, this);
}

TToolForm::~TToolForm() = default;

QMenu* TToolForm::AddPopupMenu() {
    PopupMenu = Named(new QMenu(this), "PopupMenu");
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { PopupMenu->popup(mapToGlobal(pos)); });
    return PopupMenu;
}

void TToolForm::ShowTool() {
    show();
    raise();
    activateWindow();
}

void TToolForm::CloseButtonClick() {
    hide();
}

void TToolForm::SetLockedCommandsEnabled(bool enabled) {
    // Guarded pointers: a tool hidden while the frame is torn down touches nothing gone. The frame
    // combines the locks with the commands' other conditions (a picture to act on).
    for (const QPointer<QAction>& command : locked_)
        if (command) main_.LockCommand(command, !enabled, windowTitle());
}

namespace {

/// Room a title bar takes beside its caption: the window icon and the buttons.
constexpr int kTitleButtonsWidth = 110;

/// A usual window frame: the border at the sides and bottom, the border and title bar at the top.
constexpr int kFrameSide = 4;
constexpr int kFrameTop = 28;

/// The window's outer rectangle on the screen; before the window system has framed it, its frame
/// is taken as a usual title bar and border around the client area.
QRect OuterRect(const QWidget& window) {
    const QRect outer = window.frameGeometry();
    if (outer.size() != window.size()) return outer;
    return {outer.topLeft() - QPoint(kFrameSide, kFrameTop),
            outer.size() + QSize(2 * kFrameSide, kFrameTop + kFrameSide)};
}

} // namespace

std::vector<QRect> TToolForm::OtherToolRects() const {
    std::vector<QRect> taken;
    for (const TToolForm* tool : main_.findChildren<TToolForm*>(Qt::FindDirectChildrenOnly))
        if (tool != this && tool->isVisible()) taken.push_back(OuterRect(*tool));
    return taken;
}

void TToolForm::Place() {
    // Wide enough for the whole caption in the title bar beside its buttons.
    QFont titleFont = QApplication::font();
    titleFont.setBold(true); // title bars usually show the caption in bold
    const int titleWidth =
        QFontMetrics(titleFont).horizontalAdvance(windowTitle()) * 11 / 10 + kTitleButtonsWidth;
    if (width() < titleWidth) resize(titleWidth, height());
    // Beside the documents, clear of the other tools shown: a tool never hides the results it
    // makes nor another tool, and never stands partly off the screen.
    const QRect frame = main_.frameGeometry();
    const QWidget* viewport = main_.MdiArea()->viewport();
    TToolPlacementRoom room;
    room.Screen = screen() ? screen()->availableGeometry() : frame;
    room.Frame = frame;
    room.Documents = QRect(viewport->mapToGlobal(QPoint(0, 0)), viewport->size());
    const QPoint outer = PlaceToolWindow(room, OuterRect(*this).size(), OtherToolRects());
    // Before the window system has framed the window its position is that of the client area, so
    // the frame taken into account above goes around it.
    move(frameGeometry().size() == size() ? outer + QPoint(kFrameSide, kFrameTop) : outer);
}

void TToolForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // Placed when first shown, and again when shown over a tool that is open meanwhile.
    if (!event->spontaneous()) {
        const QRect outer = OuterRect(*this);
        const std::vector<QRect> others = OtherToolRects();
        if (!placed_ ||
            std::any_of(others.begin(), others.end(), [&](const QRect& r) { return r.intersects(outer); }))
            Place();
        placed_ = true;
    }
    // Spontaneous shows and hides come from the window system (the frame minimised or restored);
    // the tool's state follows only what the user or the program asked for.
    if (event->spontaneous()) return;
    Guarded([&] {
        SetLockedCommandsEnabled(false);
        FormShow();
    });
}

void TToolForm::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    if (event->spontaneous()) return;
    Guarded([&] {
        if (setup_.CloseRolesOnHide) CloseRoleWindows();
        FormHide();
    });
    Guarded([&] { SetLockedCommandsEnabled(true); });
}

bool TToolForm::event(QEvent* event) {
    // A tool window is a window of its own; its controls' status tips go to the frame's status bar.
    if (event->type() == QEvent::StatusTip) {
        main_.ShowStatusHint(static_cast<QStatusTipEvent*>(event)->tip());
        return true;
    }
    return QWidget::event(event);
}

std::optional<QString> TToolForm::ChooseOpenFile(const QString& filter, const QString& title,
                                                 const QString& initialDir) {
    return AskOpenFileName(dialogs_,
                           {.Title = title, .Filter = filter, .FilterIndex = 1, .InitialDir = initialDir});
}

std::optional<QString> TToolForm::ChooseSaveFile(const QString& filter, const QString& defaultExt,
                                                 const QString& title) {
    return AskSaveFileName(dialogs_,
                           {.Title = title, .Filter = filter, .FilterIndex = 1, .DefaultExt = defaultExt});
}

TMDIChildForm* TToolForm::ShowInRole(const QString& caption, const TGrayImage& image) {
    return main_.ShowInRole(caption, image);
}

void TToolForm::CloseRoleWindows() {
    // Collect first: closing may only minimise a window while a guarding tool is shown, so the
    // captions can still be found afterwards.
    std::vector<QPointer<TMDIChildForm>> windows;
    for (int i = 0; i < main_.MDIChildCount(); ++i) {
        TMDIChildForm* child = main_.MDIChild(i);
        if (child && std::find(setup_.RoleWindows.begin(), setup_.RoleWindows.end(), child->Caption()) !=
                         setup_.RoleWindows.end())
            windows.emplace_back(child);
    }
    for (const QPointer<TMDIChildForm>& child : windows) {
        if (!child || child->Closed()) continue;
        if (QMdiSubWindow* sub = child->SubWindow())
            sub->close();
        else
            child->close();
    }
}

} // namespace corvane::ui
