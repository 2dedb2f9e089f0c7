#include "shell/TQtDialogs.h"

#include "shell/FileFilter.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>

#include <algorithm>

namespace corvane::ui {

QWidget* TQtDialogs::DialogParent() const {
    // Tool windows stay on top of the frame: a dialog asked for from one of them belongs to it, or it
    // would open behind it.
    if (QWidget* active = QApplication::activeWindow()) return active;
    return parent_;
}

void PrepareDialog(QDialog& dialog, QWidget* asking) {
    // Above every stay-on-top tool window, so that no tool hides part of it.
    dialog.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    // Centred on the window that asked, then moved whole onto that window's screen.
    dialog.adjustSize();
    const QScreen* screen = asking ? asking->screen() : dialog.screen();
    if (!screen) return;
    const QRect room = screen->availableGeometry();
    // A title bar and a border the window system adds are kept on the screen too.
    const QSize frame(8, 32);
    const QSize size = dialog.size().boundedTo(room.size() - frame);
    if (size != dialog.size()) dialog.resize(size);
    const QRect over = asking && asking->isVisible() ? asking->frameGeometry() : room;
    const QPoint centred = over.center() - QPoint(size.width() / 2, size.height() / 2);
    dialog.move(std::clamp(centred.x(), room.left(), room.right() + 1 - size.width() - frame.width()),
                std::clamp(centred.y(), room.top(), room.bottom() + 1 - size.height() - frame.height()));
    // A message box settles its size only when shown: once it is up, it is moved back onto the
    // screen should that size, or the real frame, reach past an edge.
    QTimer::singleShot(0, &dialog, [&dialog, room] {
        const QRect outer = dialog.frameGeometry();
        const QPoint inside(
            std::clamp(outer.left(), room.left(), std::max(room.left(), room.right() + 1 - outer.width())),
            std::clamp(outer.top(), room.top(), std::max(room.top(), room.bottom() + 1 - outer.height())));
        if (inside != outer.topLeft()) dialog.move(inside);
    });
}

QMessageBox::StandardButton TQtDialogs::ShowMessage(QMessageBox::Icon icon, const QString& text,
                                                    QMessageBox::StandardButtons buttons,
                                                    QMessageBox::StandardButton defaultButton) {
    QWidget* asking = DialogParent();
    QMessageBox box(icon, QApplication::applicationName(), text, buttons, asking);
    box.setDefaultButton(defaultButton);
    PrepareDialog(box, asking);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

std::optional<FileDialogResult> TQtDialogs::RunFileDialog(const FileDialogRequest& request, bool save) {
    const QString title = !request.Title.isEmpty() ? request.Title
                          : save                   ? QStringLiteral("Save As")
                                                   : QStringLiteral("Open");
    QWidget* asking = DialogParent();
    QFileDialog dialog(asking, title);
    dialog.setDirectory(request.InitialDir.isEmpty() ? QDir::currentPath() : request.InitialDir);
    if (!request.InitialFile.isEmpty()) dialog.selectFile(request.InitialFile);
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
    PrepareDialog(dialog, asking);
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
    ShowMessage(QMessageBox::Information, text, QMessageBox::Ok, QMessageBox::Ok);
}

bool TQtDialogs::WarningYesNo(const QString& text) {
    return ShowMessage(QMessageBox::Warning, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No) ==
           QMessageBox::Yes;
}

TAnswer TQtDialogs::QuestionYesNoCancel(const QString& text) {
    switch (ShowMessage(QMessageBox::Question, text, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
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
    ShowMessage(QMessageBox::Critical, text, QMessageBox::Ok, QMessageBox::Ok);
}

void TQtDialogs::Beep() {
    QApplication::beep();
}

int TQtDialogs::ExecModal(QDialog& dialog) {
    PrepareDialog(dialog, DialogParent());
    return dialog.exec();
}

} // namespace corvane::ui
