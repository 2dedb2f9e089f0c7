#pragma once
#include <QMainWindow>
#include <QRect>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QAction;
class QMdiArea;
class QSettings;

namespace corvane {
class TGrayImage;
}

namespace corvane::ui {

class IDialogs;
class TMDIChildForm;
class TToolHooks;
class TWorkbenchSettings;

/// The main frame "Corvane": menus, tool bars, status bar, the command table, the document
/// windows and the persistent settings. Tool windows are created once at start-up.
class TMainForm : public QMainWindow {
    Q_OBJECT
  public:
    /// dialogs and settings are the platform layer; tests pass scripted ones. Writes the default
    /// settings on first use and reads the image scale.
    TMainForm(IDialogs& dialogs, QSettings& settings, QWidget* parent = nullptr);
    ~TMainForm() override;

    IDialogs& Dialogs() const { return dialogs_; }
    TWorkbenchSettings& Settings() const { return *settings_; }

    /// Image scale, read at start-up and written back on exit.
    double ScaleX = 1.0;
    double ScaleY = 1.0;

    // Document windows, addressed by index in creation order; a window that accepted a close is
    // no longer counted, although Qt deletes it only when control returns to the event loop.
    int MDIChildCount() const;
    TMDIChildForm* MDIChild(int index) const;
    TMDIChildForm* ActiveMDIChild() const;
    /// First exact caption match, or -1.
    int FindMDIChild(const QString& caption) const;
    /// Finds the window and prepares it for a w x h picture (cleared, zoom 1); -1 when missing.
    int PrepareMDIChild(const QString& caption, int width, int height);
    /// Opens a BMP or RAW file into a new window, or makes an empty window captioned name.
    /// Errors propagate (the caller's guard shows them); no window is left on error.
    void CreateMDIChild(const QString& name);
    /// File > Open: opens a picture file into a new window. A missing file ("<name>: not exists"), a
    /// kind of file that is not read and a picture without pixels are refused with a message that
    /// starts with the name, and no window is made. A cancelled RAW dialog makes none either.
    void OpenPictureFile(const QString& name);
    /// Opens an FLT map into the window captioned with its name (made or prepared for it), shown in
    /// grey without the not-computed marker; the window keeps the map for the status bar. Throws
    /// the reader's errors.
    TMDIChildForm* OpenFloatMap(const QString& name);
    /// The tools' pattern: prepare the role window at the image's size (creating it when
    /// missing), paint the image into it, and return it. Throws what CreateMDIChild throws.
    TMDIChildForm* ShowInRole(const QString& caption, const TGrayImage& image);
    QMdiArea* MdiArea() const { return mdiArea_; }
    /// The part of the document area (viewport coordinates) that no tool window shown covers: where
    /// document windows are placed and tiled.
    QRect DocumentArea() const;
    /// Moves a document window that does not lie in DocumentArea into it (cascaded from its top-left
    /// corner) and fits it there.
    void KeepInDocumentArea(TMDIChildForm& child);

    /// A tool window takes part in the document windows' mouse events while it is visible.
    void RegisterToolHooks(QWidget* toolWindow, TToolHooks* hooks);
    /// Visible tools' hooks, in registration order.
    std::vector<TToolHooks*> VisibleToolHooks() const;
    /// While one of these tool windows is visible, closing a document window only minimises it.
    void AddCloseGuard(QWidget* toolWindow);
    bool DocumentsCloseOnlyMinimize() const;

    /// The action with this objectName (every action of the command table has its given name).
    /// Commands of tool windows start disabled; a tool enables its command when it connects to it.
    QAction* Action(const QString& objectName) const;
    /// The same for a tool connecting at start-up: a name that is not in the command table is a
    /// programming error (std::logic_error naming it), never a silently unconnected button.
    QAction* RequireAction(const char* objectName) const;

    /// Writes the image scale and ends the program, after "Do you really want to Exit ?".
    void closeEvent(QCloseEvent* event) override;

    /// Shows a document window's hint text (position and colour under the mouse) in the status bar.
    void ShowStatusHint(const QString& text);
    /// Shows the active picture's size and zoom in the status bar (nothing without a picture).
    void ShowPictureInfo();

    /// Asks whether to save a window's changes (Yes / No / Cancel); Yes saves as Save does. False
    /// when the user cancelled, or the save was cancelled or failed: the window must stay.
    bool AskToSaveChanges(TMDIChildForm& child);
    /// A document window accepted its close: the commands that need a picture follow.
    void DocumentClosed();
    /// A shown tool locks (or releases) a command; a locked command stays disabled whatever else
    /// holds, and its tooltip names the tool.
    void LockCommand(QAction* command, bool locked, const QString& byTool);

    // Command handlers of the frame (each runs guarded; document commands do nothing without
    // an active document window).
    void FileOpenActionExecute();
    void FloatFileOpenActionExecute();
    void SaveActionExecute();
    void FileSaveAsActionExecute();
    void SaveAsFloatActionExecute();
    /// Writes the active window's picture (grey or colour, as shown) as a PNG file.
    void ExportPngActionExecute();
    /// Saves the active window's float map (an opened FLT map, a tool's result) for other programs:
    /// float TIFF, CSV or NumPy array by the chosen name's extension.
    void ExportMapActionExecute();
    void CloseActionExecute();
    void CloseAllActionExecute();
    void FileExitActionExecute();
    void EditCut1Execute();
    void EditCopy1Execute();
    void EditPaste1Execute();
    void AmplifyActionExecute();
    void EditOriginalSizeActionExecute();
    void ShrinkActionExecute();
    void InvertActionExecute();
    void Rotate90ActionExecute();
    void StatusBarActionExecute();
    void ToolBarActionExecute();
    void WindowCascade1Execute();
    void WindowTileHorizontal1Execute();
    void WindowTileVertical1Execute();
    void WindowMinimizeAll1Execute();
    void WindowArrangeAll1Execute();
    void HelpAboutActionExecute();

  signals:
    /// The user confirmed Exit; the application ends its message loop on it.
    void ExitAccepted();

  private:
    void CreateActions();
    void BindFrameCommands();
    void CreateMenusAndToolBars();
    void RefreshWindowMenu();
    /// Saves a window's picture under fileName: ".bmp" as the 24-bit picture itself, anything else
    /// through a grey image and SaveToFile (with the extension replaced by ".raw" when asked),
    /// followed by the RAW information message naming the file written. A window opened from a
    /// file becomes the file written (caption, tooltip, what Save writes next).
    void SaveChild(TMDIChildForm& child, const QString& fileName, bool replaceExtensionWithRaw);
    std::optional<QString> AskSavePictureName();
    /// Save as the command does: the window's own file when it exists and is a BMP or RAW file,
    /// else a chosen name. False when the dialog was cancelled.
    bool SaveChildToItsFile(TMDIChildForm& child);
    void ActivateChild(TMDIChildForm* child);
    /// A document window captioned name, with the picture of the file of that name when readFile
    /// and the file exists; requirePicture refuses (throws) instead of opening an empty window.
    void MakeMDIChild(const QString& name, bool requirePicture, bool readFile = true);
    /// An empty document window for a tool's role caption; no file is read.
    void CreateRoleMDIChild(const QString& caption);
    /// Enables the commands that need a picture exactly while a document window is there (and no tool
    /// locks them), with a tooltip that says why a greyed one is unavailable.
    void UpdateCommandStates();

    IDialogs& dialogs_;
    std::unique_ptr<TWorkbenchSettings> settings_;
    QMdiArea* mdiArea_ = nullptr;
    struct Private;
    std::unique_ptr<Private> d_;
};

} // namespace corvane::ui
