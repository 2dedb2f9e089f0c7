#pragma once
#include <QString>

#include <optional>

class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QToolButton;
class QVBoxLayout;
class QWidget;

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

/// What the unwrapping tools' windows share: the page control with its pages "Input", "Unwrap" and
/// "Output", and at the top of the input page the working directory (the current one at first) and
/// the phase file's button and edit, laid out from the top in input, where the tool adds its own
/// input controls.
struct UnwrapToolPages {
    QTabWidget* UnwrapPageControl = nullptr;
    QWidget* InputPage = nullptr;
    QWidget* UnwrapPage = nullptr;
    QWidget* OutputPage = nullptr;
    QLabel* WorkingDirLabel = nullptr;
    QToolButton* PhaseImageSpeedButton = nullptr;
    QLineEdit* PhaseImageFileNameEdit = nullptr;
    QVBoxLayout* Input = nullptr;
};

/// Makes the shared pages and controls as children of tool, each named as its member.
UnwrapToolPages MakeUnwrapToolPages(QWidget* tool);

/// The "Starting Point" row of the unwrap page: labels "X" and "Y" before their edits.
QHBoxLayout* StartingPointRow(QWidget* unwrapPage, QLineEdit* xEdit, QLineEdit* yEdit);

/// Lays an unwrapping tool out: its page control above, its Close button at the bottom right.
void LayOutUnwrapTool(QWidget* tool, QTabWidget* pageControl, QPushButton* closeButton);

} // namespace corvane::ui
