#include "shell/TToolForm.h"

#include "shell/TMDIChildForm.h"
#include "shell/TMainForm.h"

#include <QAction>
#include <QHideEvent>
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

void TToolForm::PlaceOnFirstShow() {
    // Left to itself the window system may put a tool partly off the screen: the first show puts it
    // by the frame's upper right corner, inside the screen.
    const QRect frame = main_.geometry();
    const QRect area = screen() ? screen()->availableGeometry() : frame;
    const QSize size = frameGeometry().size();
    const int x = std::clamp(frame.right() - size.width() - 24, area.left(),
                             std::max(area.left(), area.right() - size.width()));
    const int y =
        std::clamp(frame.top() + 120, area.top(), std::max(area.top(), area.bottom() - size.height()));
    move(x, y);
}

void TToolForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!placed_) {
        placed_ = true;
        PlaceOnFirstShow();
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
