#pragma once
#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace corvane::ui {

class IDialogs;
class TWorkbenchSettings;

/// "Resize the Encode Coordinate System": edits the stored half ranges "Max X" and "Max Y" of the
/// dot-grid coordinate system. Document windows read them when they are made, so a change affects
/// only windows opened afterwards. A modal dialog made each time its command runs.
class TReSetCoordinateForm : public QDialog {
    Q_OBJECT
  public:
    /// Shows the stored values (writing the defaults first when none are stored). Errors of OK are
    /// shown through dialogs.
    TReSetCoordinateForm(IDialogs& dialogs, TWorkbenchSettings& settings, QWidget* parent = nullptr);

    QLineEdit* MaxNxEdit = nullptr;
    QLineEdit* MaxNyEdit = nullptr;
    QLabel* Label3 = nullptr;
    QPushButton* BitBtn1 = nullptr; ///< OK
    QPushButton* BitBtn2 = nullptr; ///< Cancel

    /// Stores both values and closes the dialog. A value that is not an integer throws the
    /// conversion error, stores nothing and keeps the dialog open for a correction.
    void BitBtn1Click();

  private:
    IDialogs& dialogs_;
    TWorkbenchSettings& settings_;
};

} // namespace corvane::ui
