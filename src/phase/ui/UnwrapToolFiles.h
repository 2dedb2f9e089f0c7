#pragma once
#include <QString>

#include <optional>

class QLabel;
class QLineEdit;

namespace corvane {
class TFloatImage;
}

namespace corvane::ui {

struct FileDialogRequest;
class IDialogs;
class TMainForm;

// What the unwrapping and absolute-phase tools share: file names in their edits are relative to
// the working directory shown in their WorkingDirLabel, and float maps are shown as grey pictures.

/// The full name of a file named in an edit: name taken relative to the working directory shown in
/// workingDirLabel (an absolute name stays as it is); empty when the name is empty.
QString WorkingFile(const QLabel& workingDirLabel, const QString& name);

/// Runs the file dialog; on OK the edit gets the chosen file's name, workingDirLabel and the
/// process's current directory its folder, and the full name is returned. Nothing when cancelled.
std::optional<QString> ChooseIntoWorkingDir(IDialogs& dialogs, const FileDialogRequest& request,
                                            QLineEdit& edit, QLabel& workingDirLabel);

/// Shows the map in the role window of that caption, as grey scaled from its minimum to its maximum.
void ShowFloatMap(TMainForm& mainForm, const QString& caption, const TFloatImage& map);

} // namespace corvane::ui
