#include "shell/TQtDialogs.h"

#include "shell/FileFilter.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>

namespace corvane::ui {

QWidget* TQtDialogs::DialogParent() const {
    // Tool windows stay on top of the frame: a dialog asked for from one of them belongs to it, or it
    // would open behind it.
    if (QWidget* active = QApplication::activeWindow()) return active;
    return parent_;
}

std::optional<FileDialogResult> TQtDialogs::RunFileDialog(const FileDialogRequest& request, bool save) {
    const QString title = !request.Title.isEmpty() ? request.Title
                          : save                   ? QStringLiteral("Save As")
                                                   : QStringLiteral("Open");
    QFileDialog dialog(DialogParent(), title);
    dialog.setDirectory(request.InitialDir.isEmpty() ? QDir::currentPath() : request.InitialDir);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    // A save dialog asks before an existing file is chosen only where its command says so.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.ConfirmOverwrite);
    dialog.setFileMode(save ? QFileDialog::AnyFile
                            : (request.MustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile));
    dialog.setNameFilters(ToQtNameFilters(request.Filter));
    // The dialog tidies the filters' blanks; choose and identify them by the texts it shows.
    const QStringList filters = dialog.nameFilters();
    int index = request.FilterIndex;
    if (index >= 1 && index <= filters.size())
        dialog.selectNameFilter(filters[index - 1]);
    else
        index = 1;
    // The default extension follows the filter the user picks.
    dialog.setDefaultSuffix(DefaultSuffixFor(request.Filter, index));
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                     [&dialog, &request, filters](const QString& f) {
                         dialog.setDefaultSuffix(
                             DefaultSuffixFor(request.Filter, static_cast<int>(filters.indexOf(f)) + 1));
                     });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    FileDialogResult result;
    result.FilterIndex = static_cast<int>(filters.indexOf(dialog.selectedNameFilter())) + 1;
    if (result.FilterIndex < 1) result.FilterIndex = 1;
    result.FileName = ApplyDefaultSuffix(QDir::toNativeSeparators(dialog.selectedFiles().first()),
                                         request.Filter, result.FilterIndex);
    return result;
}

std::optional<FileDialogResult> TQtDialogs::OpenFile(const FileDialogRequest& request) {
    return RunFileDialog(request, false);
}

std::optional<FileDialogResult> TQtDialogs::SaveFile(const FileDialogRequest& request) {
    return RunFileDialog(request, true);
}

void TQtDialogs::Information(const QString& text) {
    QMessageBox::information(DialogParent(), QApplication::applicationName(), text);
}

bool TQtDialogs::WarningYesNo(const QString& text) {
    return QMessageBox::warning(DialogParent(), QApplication::applicationName(), text,
                                QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
}

TAnswer TQtDialogs::QuestionYesNoCancel(const QString& text) {
    switch (QMessageBox::question(DialogParent(), QApplication::applicationName(), text,
                                  QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                                  QMessageBox::Cancel)) {
    case QMessageBox::Yes:
        return TAnswer::Yes;
    case QMessageBox::No:
        return TAnswer::No;
    default:
        return TAnswer::Cancel;
    }
}

void TQtDialogs::Error(const QString& text) {
    QMessageBox::critical(DialogParent(), QApplication::applicationName(), text);
}

void TQtDialogs::Beep() {
    QApplication::beep();
}

int TQtDialogs::ExecModal(QDialog& dialog) {
    return dialog.exec();
}

} // namespace corvane::ui
