#include "phase/ui/UnwrapToolFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>

#include "image/TFloatImage.h"
#include "image/TGrayImage.h"
#include "shell/Platform.h"
#include "shell/TMainForm.h"

namespace corvane::ui {

QString WorkingFile(const QLabel& workingDirLabel, const QString& name) {
    if (name.isEmpty()) return {};
    return QDir(workingDirLabel.text()).filePath(name);
}

std::optional<QString> ChooseIntoWorkingDir(IDialogs& dialogs, const FileDialogRequest& request,
                                            QLineEdit& edit, QLabel& workingDirLabel) {
    const auto chosen = dialogs.OpenFile(request);
    if (!chosen) return std::nullopt;
    // The name and the folder are taken before the file is read, so a file that cannot be read
    // stays named beside its error.
    const QFileInfo info(chosen->FileName);
    edit.setText(info.fileName());
    workingDirLabel.setText(info.absolutePath());
    QDir::setCurrent(info.absolutePath());
    return info.absoluteFilePath();
}

void ShowFloatMap(TMainForm& mainForm, const QString& caption, const TFloatImage& map) {
    std::unique_ptr<TGrayImage> gray;
    map.ToGrayImage(gray);
    mainForm.ShowInRole(caption, *gray);
}

} // namespace corvane::ui
