#pragma once
#include "shell/Platform.h"

#include <QMessageBox>
#include <QPointer>
#include <QWidget>

namespace corvane::ui {

/// Readies a dialog to open above the window that asked: above every tool window that stays on
/// top, centred on asking, whole and on its screen.
void PrepareDialog(QDialog& dialog, QWidget* asking);

/// The workbench's dialogs: Qt file dialogs and message boxes, the system beep, QDialog::exec.
class TQtDialogs : public IDialogs {
  public:
    /// Message boxes and file dialogs are centred on parent (the main frame) once it is set.
    void SetParent(QWidget* parent) { parent_ = parent; }

    std::optional<FileDialogResult> OpenFile(const FileDialogRequest& request) override;
    std::optional<FileDialogResult> SaveFile(const FileDialogRequest& request) override;
    void Information(const QString& text) override;
    bool WarningYesNo(const QString& text) override;
    TAnswer QuestionYesNoCancel(const QString& text) override;
    void Error(const QString& text) override;
    void Beep() override;
    int ExecModal(QDialog& dialog) override;

  private:
    /// The window a dialog belongs to: the active window (a tool window stays on top), else the frame.
    QWidget* DialogParent() const;
    std::optional<FileDialogResult> RunFileDialog(const FileDialogRequest& request, bool save);
    QMessageBox::StandardButton ShowMessage(QMessageBox::Icon icon, const QString& text,
                                            QMessageBox::StandardButtons buttons,
                                            QMessageBox::StandardButton defaultButton);
    QPointer<QWidget> parent_;
};

} // namespace corvane::ui
