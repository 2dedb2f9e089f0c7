#include "shell/TMainForm.h"

#include "shell/CommandTable.h"
#include "shell/Platform.h"
#include "shell/TAboutBox.h"
#include "shell/TMDIChildForm.h"
#include "shell/TToolHooks.h"
#include "shell/TWorkbenchSettings.h"
#include "shell/ToolPlacement.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPointer>
#include <QStatusBar>
#include <QTextEdit>
#include <QToolBar>

#include <cmath>
#include <map>
#include <stdexcept>

namespace corvane::ui {

namespace {

/// The workbench's icon: a few circular fringes, drawn rather than shipped as a file.
QIcon MakeFringeIcon() {
    QImage picture(32, 32, QImage::Format_RGB888);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const double r = std::hypot(x - 15.5, y - 15.5);
            const int g = static_cast<int>(127.5 + 127.5 * std::cos(r * 0.9));
            picture.setPixelColor(x, y, QColor(g, g, g));
        }
    return QIcon(QPixmap::fromImage(picture));
}

/// The commands that act on the active document window's picture: they are available only while a
/// document window is there.
constexpr const char* kPictureCommands[] = {
    "SaveAction",   "FileSaveAsAction", "SaveAsFloatAction", "CloseAction",    "CloseAllAction",
    "EditCopy1",    "EditPaste1",       "AmplifyAction",     "ShrinkAction",   "EditOriginalSizeAction",
    "InvertAction", "Rotate90Action",   "ExportPngAction",   "ExportMapAction"};

bool IsPictureCommand(const QAction* action) {
    for (const char* name : kPictureCommands)
        if (action->objectName() == QLatin1String(name)) return true;
    return false;
}

} // namespace

struct TMainForm::Private {
    std::map<QAction*, int> locks;         ///< how many shown tools lock each command
    std::map<QAction*, QString> lockedBy;  ///< the tool that locked it last
    std::map<QAction*, QString> plainTips; ///< each managed command's own tooltip
    QLabel* pictureInfo = nullptr;
    std::vector<QMenu*> menus;
    std::vector<QToolBar*> toolBars;
    std::vector<QAction*> windowListActions;
    std::vector<std::pair<QPointer<QWidget>, TToolHooks*>> hooks;
    std::vector<QPointer<QWidget>> closeGuards;
};

TMainForm::TMainForm(IDialogs& dialogs, QSettings& settings, QWidget* parent)
    : QMainWindow(parent), dialogs_(dialogs), settings_(std::make_unique<TWorkbenchSettings>(settings)),
      d_(std::make_unique<Private>()) {
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QStringLiteral("Corvane"));
    setWindowIcon(MakeFringeIcon());
    mdiArea_ = new QMdiArea(this);
    mdiArea_->setObjectName(QStringLiteral("MdiArea"));
    mdiArea_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdiArea_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(mdiArea_);
    statusBar()->setObjectName(QStringLiteral("StatusBar"));
    d_->pictureInfo = new QLabel(statusBar());
    d_->pictureInfo->setObjectName(QStringLiteral("PictureInfoLabel"));
    statusBar()->addPermanentWidget(d_->pictureInfo);
    CreateActions();
    BindFrameCommands();
    CreateMenusAndToolBars();
    UpdateCommandStates();
    settings_->EnsureDefaults();
    settings_->ReadImageScale(ScaleX, ScaleY);

    connect(mdiArea_, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* sub) {
        UpdateCommandStates();
        ShowPictureInfo();
        if (!sub) return;
        if (auto* child = qobject_cast<TMDIChildForm*>(sub->widget()); child && !child->Closed())
            ActivateChild(child);
    });
    // Cut works on text fields only: enabled while one of them has the focus.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        const bool text = qobject_cast<QLineEdit*>(now) || qobject_cast<QTextEdit*>(now) ||
                          qobject_cast<QPlainTextEdit*>(now);
        if (QAction* cut = Action(QStringLiteral("EditCut1"))) cut->setEnabled(text);
    });
    resize(1200, 900);
}

TMainForm::~TMainForm() {
    // Tool windows parented to the frame and the document windows refer to the frame; they go
    // while it is still whole.
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (child->isWindow()) delete child;
    const auto subs = mdiArea_->subWindowList();
    for (QMdiSubWindow* sub : subs)
        delete sub;
}

void TMainForm::CreateActions() {
    for (const TCommand& command : CommandTable()) {
        auto* action = new QAction(QString::fromLatin1(command.Caption), this);
        action->setObjectName(QString::fromLatin1(command.Name));
        if (command.Hint) {
            const QString hint = QString::fromLatin1(command.Hint);
            const qsizetype bar = hint.indexOf(QLatin1Char('|'));
            action->setToolTip(bar < 0 ? hint : hint.left(bar));
            action->setStatusTip(bar < 0 ? hint : hint.mid(bar + 1));
        }
        if (command.Shortcut) action->setShortcut(QKeySequence(QString::fromLatin1(command.Shortcut)));
        // Tool bar buttons carry short labels so that the eight bars fit in two rows; the menus keep
        // the full captions.
        if (command.ButtonText) action->setIconText(QString::fromLatin1(command.ButtonText));
        action->setEnabled(command.HandledByFrame);
    }
    Action(QStringLiteral("EditCut1"))->setEnabled(false);
    for (const char* name : {"StatusBarAction", "ToolBarAction"}) {
        QAction* toggle = Action(QString::fromLatin1(name));
        toggle->setCheckable(true);
        toggle->setChecked(true);
    }
}

void TMainForm::BindFrameCommands() {
    auto bind = [this](const char* name, void (TMainForm::*handler)()) {
        connect(RequireAction(name), &QAction::triggered, this, handler);
    };
    bind("FileOpenAction", &TMainForm::FileOpenActionExecute);
    bind("FloatFileOpenAction", &TMainForm::FloatFileOpenActionExecute);
    bind("SaveAction", &TMainForm::SaveActionExecute);
    bind("FileSaveAsAction", &TMainForm::FileSaveAsActionExecute);
    bind("SaveAsFloatAction", &TMainForm::SaveAsFloatActionExecute);
    bind("ExportPngAction", &TMainForm::ExportPngActionExecute);
    bind("ExportMapAction", &TMainForm::ExportMapActionExecute);
    bind("CloseAction", &TMainForm::CloseActionExecute);
    bind("CloseAllAction", &TMainForm::CloseAllActionExecute);
    bind("FileExitAction", &TMainForm::FileExitActionExecute);
    bind("EditCut1", &TMainForm::EditCut1Execute);
    bind("EditCopy1", &TMainForm::EditCopy1Execute);
    bind("EditPaste1", &TMainForm::EditPaste1Execute);
    bind("AmplifyAction", &TMainForm::AmplifyActionExecute);
    bind("EditOriginalSizeAction", &TMainForm::EditOriginalSizeActionExecute);
    bind("ShrinkAction", &TMainForm::ShrinkActionExecute);
    bind("InvertAction", &TMainForm::InvertActionExecute);
    bind("Rotate90Action", &TMainForm::Rotate90ActionExecute);
    bind("StatusBarAction", &TMainForm::StatusBarActionExecute);
    bind("ToolBarAction", &TMainForm::ToolBarActionExecute);
    bind("WindowCascade1", &TMainForm::WindowCascade1Execute);
    bind("WindowTileHorizontal1", &TMainForm::WindowTileHorizontal1Execute);
    bind("WindowTileVertical1", &TMainForm::WindowTileVertical1Execute);
    bind("WindowMinimizeAll1", &TMainForm::WindowMinimizeAll1Execute);
    bind("WindowArrangeAll1", &TMainForm::WindowArrangeAll1Execute);
    bind("HelpAboutAction", &TMainForm::HelpAboutActionExecute);
}

void TMainForm::CreateMenusAndToolBars() {
    for (const TMenuDef& menu : MenuTable()) {
        QMenu* created = menuBar()->addMenu(QString::fromLatin1(menu.Caption));
        created->setObjectName(QString::fromLatin1(menu.Name));
        d_->menus.push_back(created);
    }
    d_->toolBars.resize(ToolBarTable().size());
    // Two rows: the file, edit, zoom, correlation and tools bars, then the fringe, phase and
    // displacement bars.
    using enum TToolBar;
    for (TToolBar bar : {File, Edit, Zoom, CorRelation, Tools, None, Carrier, Phase, Displacement}) {
        if (bar == None) {
            addToolBarBreak();
            continue;
        }
        const QString name = QString::fromLatin1(ToolBarTable()[static_cast<std::size_t>(bar)].Name);
        QToolBar* created = addToolBar(name);
        created->setObjectName(name);
        created->setToolButtonStyle(Qt::ToolButtonTextOnly);
        d_->toolBars[static_cast<std::size_t>(bar)] = created;
    }
    for (const TCommand& command : CommandTable()) {
        QAction* action = Action(QString::fromLatin1(command.Name));
        QMenu* menu = d_->menus[static_cast<std::size_t>(command.Menu)];
        if (command.SeparatorBefore) menu->addSeparator();
        menu->addAction(action);
        if (command.ToolBar != TToolBar::None)
            d_->toolBars[static_cast<std::size_t>(command.ToolBar)]->addAction(action);
    }
    // The zoom commands are in the View menu too, where a zoom is looked for.
    QMenu* zoom = d_->menus[static_cast<std::size_t>(TMenu::View)]->addMenu(QStringLiteral("&Zoom"));
    zoom->setObjectName(QStringLiteral("ZoomMenu"));
    for (const char* name : {"AmplifyAction", "EditOriginalSizeAction", "ShrinkAction"})
        zoom->addAction(Action(QString::fromLatin1(name)));
    // The window list follows the arrangement commands.
    connect(d_->menus[static_cast<std::size_t>(TMenu::Window)], &QMenu::aboutToShow, this,
            &TMainForm::RefreshWindowMenu);
}

void TMainForm::RefreshWindowMenu() {
    QMenu* windowMenu = d_->menus[static_cast<std::size_t>(TMenu::Window)];
    for (QAction* old : d_->windowListActions) {
        windowMenu->removeAction(old);
        old->deleteLater();
    }
    d_->windowListActions.clear();
    const int count = MDIChildCount();
    if (count > 0) d_->windowListActions.push_back(windowMenu->addSeparator());
    TMDIChildForm* active = ActiveMDIChild();
    for (int i = 0; i < count; ++i) {
        TMDIChildForm* child = MDIChild(i);
        // A "&" of the caption is shown as itself, not taken as an accelerator mark.
        QString caption = child->Caption();
        caption.replace(QLatin1Char('&'), QStringLiteral("&&"));
        QAction* item = windowMenu->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(caption));
        item->setCheckable(true);
        item->setChecked(child == active);
        QPointer<QMdiSubWindow> sub = child->SubWindow();
        connect(item, &QAction::triggered, this, [this, sub] {
            if (sub) mdiArea_->setActiveSubWindow(sub);
        });
        d_->windowListActions.push_back(item);
    }
}

QAction* TMainForm::RequireAction(const char* objectName) const {
    QAction* action = Action(QString::fromLatin1(objectName));
    if (!action)
        throw std::logic_error(std::string("no command named ") + objectName + " in the command table");
    return action;
}

QAction* TMainForm::Action(const QString& objectName) const {
    return findChild<QAction*>(objectName, Qt::FindDirectChildrenOnly);
}

void TMainForm::RegisterToolHooks(QWidget* toolWindow, TToolHooks* hooks) {
    d_->hooks.emplace_back(toolWindow, hooks);
}

std::vector<TToolHooks*> TMainForm::VisibleToolHooks() const {
    std::vector<TToolHooks*> result;
    for (const auto& [window, hooks] : d_->hooks)
        if (window && window->isVisible() && hooks) result.push_back(hooks);
    return result;
}

QRect TMainForm::DocumentArea() const {
    const QWidget* viewport = mdiArea_->viewport();
    std::vector<QRect> tools;
    for (const auto& [window, hooks] : d_->hooks)
        if (window && window->isVisible() && window->isWindow()) {
            const QRect outer = window->frameGeometry();
            tools.emplace_back(viewport->mapFromGlobal(outer.topLeft()), outer.size());
        }
    return FreeDocumentArea(viewport->rect(), tools);
}

void TMainForm::AddCloseGuard(QWidget* toolWindow) {
    d_->closeGuards.emplace_back(toolWindow);
}

bool TMainForm::DocumentsCloseOnlyMinimize() const {
    for (const auto& window : d_->closeGuards)
        if (window && window->isVisible()) return true;
    return false;
}

void TMainForm::ShowStatusHint(const QString& text) {
    statusBar()->showMessage(text);
}

void TMainForm::ShowPictureInfo() {
    const TMDIChildForm* child = ActiveMDIChild();
    if (!child || child->Bitmap().isNull()) {
        d_->pictureInfo->clear();
        return;
    }
    const int z = child->Zoom();
    d_->pictureInfo->setText(
        QStringLiteral("%1 x %2 pixels, zoom %3")
            .arg(child->Bitmap().width())
            .arg(child->Bitmap().height())
            .arg(z >= 1 ? QStringLiteral("%1:1").arg(z) : QStringLiteral("1:%1").arg(-z)));
}

void TMainForm::DocumentClosed() {
    UpdateCommandStates();
    ShowPictureInfo();
}

void TMainForm::LockCommand(QAction* command, bool locked, const QString& byTool) {
    if (!command) return;
    int& count = d_->locks[command];
    count = std::max(0, count + (locked ? 1 : -1));
    if (locked) d_->lockedBy[command] = byTool;
    if (!d_->plainTips.count(command)) d_->plainTips[command] = command->toolTip();
    UpdateCommandStates();
}

void TMainForm::UpdateCommandStates() {
    const bool picture = ActiveMDIChild() != nullptr;
    auto apply = [&](QAction* action, bool needsPicture) {
        auto tip = d_->plainTips.find(action);
        if (tip == d_->plainTips.end()) tip = d_->plainTips.emplace(action, action->toolTip()).first;
        const auto lock = d_->locks.find(action);
        if (lock != d_->locks.end() && lock->second > 0) {
            action->setEnabled(false);
            action->setToolTip(
                tip->second +
                QStringLiteral(" (unavailable while \"%1\" is shown)").arg(d_->lockedBy[action]));
        } else if (needsPicture && !picture) {
            action->setEnabled(false);
            action->setToolTip(tip->second + QStringLiteral(" (no picture is open)"));
        } else {
            action->setEnabled(true);
            action->setToolTip(tip->second);
        }
    };
    for (const char* name : kPictureCommands)
        if (QAction* action = Action(QString::fromLatin1(name))) apply(action, true);
    for (const auto& [action, count] : d_->locks)
        if (!IsPictureCommand(action)) apply(action, false);
}

// ---- exit ---------------------------------------------------------------------------------------

void TMainForm::closeEvent(QCloseEvent* event) {
    bool confirmed = false;
    RunGuarded(dialogs_,
               [&] { confirmed = dialogs_.WarningYesNo(QStringLiteral("Do you really want to Exit ?")); });
    // Each changed picture is saved or let go; a Cancel keeps the program running as it was.
    for (int i = 0; confirmed && i < MDIChildCount(); ++i)
        if (TMDIChildForm* child = MDIChild(i); child->Modified() && !AskToSaveChanges(*child))
            confirmed = false;
    if (confirmed) RunGuarded(dialogs_, [&] { settings_->WriteImageScale(ScaleX, ScaleY); });
    if (!confirmed) {
        event->ignore();
        return;
    }
    event->accept();
    emit ExitAccepted();
}
// ---- View, Window and Help ----------------------------------------------------------------------

void TMainForm::StatusBarActionExecute() {
    RunGuarded(dialogs_,
               [&] { statusBar()->setVisible(Action(QStringLiteral("StatusBarAction"))->isChecked()); });
}

void TMainForm::ToolBarActionExecute() {
    RunGuarded(dialogs_, [&] {
        const bool visible = Action(QStringLiteral("ToolBarAction"))->isChecked();
        for (QToolBar* bar : d_->toolBars)
            bar->setVisible(visible);
    });
}

void TMainForm::HelpAboutActionExecute() {
    RunGuarded(dialogs_, [&] {
        TAboutBox box(this);
        dialogs_.ExecModal(box);
    });
}

} // namespace corvane::ui
