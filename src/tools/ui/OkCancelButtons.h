#pragma once

class QDialog;
class QHBoxLayout;
class QPushButton;

namespace corvane::ui {

/// The OK and Cancel buttons of a dialog (objectNames "BitBtn1" and "BitBtn2", OK the default) and
/// the row that holds them at its right end; the caller connects them and places the row.
struct OkCancelButtons {
    QPushButton* Ok = nullptr;
    QPushButton* Cancel = nullptr;
    QHBoxLayout* Row = nullptr;
};

/// Makes the two buttons as children of dialog, OK first.
OkCancelButtons MakeOkCancelButtons(QDialog* dialog);

} // namespace corvane::ui
