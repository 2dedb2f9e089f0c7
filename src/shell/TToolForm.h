#pragma once
#include "shell/Platform.h"
#include "shell/TToolHooks.h"

#include <QPointer>
#include <QRect>
#include <QString>
#include <QWidget>

#include <functional>
#include <optional>
#include <vector>

class QAction;
class QMenu;
class QPushButton;

namespace corvane {
class TGrayImage;
}

namespace corvane::ui {

class IDialogs;
class TMainForm;
class TMDIChildForm;

/// How a tool window sits in the frame.
struct TToolSetup {
    const char* Name = nullptr;                ///< the window's objectName
    QString Title{};                           ///< its caption
    const char* ShowCommand = nullptr;         ///< the frame command that shows it (none: shown by others)
    std::vector<const char*> LockedCommands{}; ///< frame commands disabled while it is shown
    bool GuardsDocuments = false;              ///< while shown, closing a document window only minimises it
    std::vector<QString> RoleWindows{};        ///< document windows it owns, closed by CloseRoleWindows
    bool CloseRolesOnHide = false;             ///< hiding the tool closes its role windows
    bool HasCloseButton = true;                ///< a "Close" button that hides the tool
};

/// The one base of every tool window: an always-on-top tool of the frame, made once at start-up and
/// kept for the whole run; its command shows it and closing hides it. The base owns what all tools
/// share: the window flags and name, the show/hide lifecycle (FormShow and FormHide run on explicit
/// shows and hides only, never when the frame is minimised or restored), the Close button, the
/// commands locked while the tool is shown, the document windows that only minimise meanwhile, the
/// role windows it opens and closes, file choosing through the dialogs interface, status tips shown
/// in the frame's status bar, and the guard around every handler. A tool takes part in the document
/// windows' mouse events by overriding the TToolHooks it needs (only while it is visible).
class TToolForm : public QWidget, public TToolHooks {
    Q_OBJECT
  public:
    ~TToolForm() override;

    /// The "Close" button (null for a tool without one); hides the tool.
    QPushButton* CloseButton = nullptr;
    /// The pop-up menu of the window's background (null until AddPopupMenu).
    QMenu* PopupMenu = nullptr;

    /// Shows the tool in front (the show command's handler).
    void ShowTool();
    /// Hides the tool.
    void CloseButtonClick();

    const TToolSetup& Setup() const { return setup_; }

  protected:
    /// Builds the window as a tool of mainForm and connects its show command. A command name that is
    /// not in the frame's command table throws std::logic_error: a wiring fault found at start-up.
    TToolForm(TMainForm& mainForm, TToolSetup setup);

    /// Runs after the tool was shown / hidden explicitly (a show command, Close, hide()).
    virtual void FormShow() {}
    virtual void FormHide() {}

    /// Gives a control (or a menu item) its name as objectName.
    template <typename T> static T* Named(T* object, const char* name) {
        object->setObjectName(QString::fromLatin1(name));
        return object;
    }

    /// Connects a signal of sender to a handler of the tool, run inside the guard: an error it throws
    /// is shown in an error box and the program goes on.
    template <typename Sender, typename Signal, typename Tool>
    void Bind(Sender* sender, Signal signal, void (Tool::*handler)()) {
        Tool* tool = static_cast<Tool*>(this);
        connect(sender, signal, this, [this, tool, handler] { Guarded([&] { (tool->*handler)(); }); });
    }
    /// Makes the (empty) pop-up menu "PopupMenu", shown on a right click on the window's background.
    QMenu* AddPopupMenu();
    /// Runs work inside the guard; false when it failed (its error was shown).
    bool Guarded(const std::function<void()>& work) { return RunGuarded(dialogs_, work); }

    /// Asks for a file to open; nothing when cancelled.
    std::optional<QString> ChooseOpenFile(const QString& filter, const QString& title = QString(),
                                          const QString& initialDir = QString());
    /// Asks for a file name to save under (the default extension follows the chosen filter).
    std::optional<QString> ChooseSaveFile(const QString& filter, const QString& defaultExt = QString(),
                                          const QString& title = QString());

    /// Shows image in the role window of that caption (made when missing) and returns the window.
    TMDIChildForm* ShowInRole(const QString& caption, const TGrayImage& image);
    /// Closes the document windows whose captions are the tool's role windows.
    void CloseRoleWindows();

    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool event(QEvent* event) override;

    TMainForm& main_;
    IDialogs& dialogs_;

  private:
    void SetLockedCommandsEnabled(bool enabled);
    /// Puts the tool beside the document area, clear of the other tools shown.
    void Place();
    /// The outer rectangles of the other tool windows shown.
    std::vector<QRect> OtherToolRects() const;
    TToolSetup setup_;
    std::vector<QPointer<QAction>> locked_;
    bool placed_ = false;
};

} // namespace corvane::ui
