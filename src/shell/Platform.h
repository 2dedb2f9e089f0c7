#pragma once
#include <QString>

#include <functional>
#include <optional>

class QDialog;

namespace corvane::ui {

/// A file dialog as the tools describe it. Filter uses the "Description|pattern|Description|pattern"
/// form; FilterIndex counts from 1; DefaultExt ("*.bmp" style) follows the chosen filter.
struct FileDialogRequest {
    QString Title{};
    QString Filter{};
    int FilterIndex = 1;
    QString DefaultExt{};
    QString InitialDir{};          ///< empty: the process's current directory
    QString InitialFile{};         ///< the file name the dialog starts with (empty: none)
    bool MustExist = false;        ///< open dialogs: the chosen file must exist
    bool ConfirmOverwrite = false; ///< save dialogs: ask before an existing file is chosen
};

/// The answer to a question with Yes, No and Cancel.
enum class TAnswer { Yes, No, Cancel };

struct FileDialogResult {
    QString FileName;    ///< full name, default extension already applied
    int FilterIndex = 1; ///< the filter chosen, counting from 1
};

/// Every dialog, message box and beep of the workbench goes through this interface, so tests
/// can script the answers and read back what was shown.
class IDialogs {
  public:
    virtual ~IDialogs() = default;
    virtual std::optional<FileDialogResult> OpenFile(const FileDialogRequest& request) = 0;
    virtual std::optional<FileDialogResult> SaveFile(const FileDialogRequest& request) = 0;
    virtual void Information(const QString& text) = 0;
    /// Warning box with Yes and No; true for Yes.
    virtual bool WarningYesNo(const QString& text) = 0;
    /// Question box with Yes, No and Cancel (Cancel also when the box is closed).
    virtual TAnswer QuestionYesNoCancel(const QString& text) = 0;
    virtual void Error(const QString& text) = 0;
    virtual void Beep() = 0;
    /// Runs a modal dialog and returns its result code (QDialog::Accepted or Rejected).
    virtual int ExecModal(QDialog& dialog) = 0;
};

/// Asks dialogs for a file to open; the chosen name, nothing when cancelled.
std::optional<QString> AskOpenFileName(IDialogs& dialogs, const FileDialogRequest& request);
/// Asks dialogs for a name to save under; the chosen name, nothing when cancelled.
std::optional<QString> AskSaveFileName(IDialogs& dialogs, const FileDialogRequest& request);

/// Start-up of the workbench, after the QApplication is made (which adopts the user's locale):
/// names the application and its settings store ("Halvorn Lab.", "Corvane"), keeps it running
/// while tool windows close, and sets LC_NUMERIC to "C" so that every text file is written with
/// a '.' decimal point.
void PrepareApplication();

/// Runs one command; a CorvaneError, std::bad_alloc or std::exception it throws is shown with
/// dialogs.Error(text) and the program goes on. Returns false when the command failed.
bool RunGuarded(IDialogs& dialogs, const std::function<void()>& command);

} // namespace corvane::ui
