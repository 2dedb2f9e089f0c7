#pragma once
#include "shell/TToolForm.h"

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QRadioButton;

namespace corvane::ui {

/// "Compute Scale": the picture scale, the length of one pixel along x and along y, typed in or
/// computed from a length measured on a picture (dragged in a document window) and its known actual
/// length. "Apply" stores it in the frame, which keeps it in the settings; later FLT maps and code
/// files are saved with it.
class TComputeScaleForm : public TToolForm {
    Q_OBJECT
  public:
    /// Builds the window as a tool of mainForm and wires ImageScaleAction to show it.
    explicit TComputeScaleForm(TMainForm& mainForm);

    QCheckBox* SetScaleCheckBox = nullptr;
    QGroupBox* SetScaleGroupBox = nullptr;
    QLineEdit* ScaleXEdit = nullptr;
    QLineEdit* ScaleYEdit = nullptr;
    QGroupBox* ComputeScaleGroupBox = nullptr;
    QGroupBox* ScaleXYRadioGroup = nullptr;
    QRadioButton* ScaleXRadioButton = nullptr; ///< item "X"
    QRadioButton* ScaleYRadioButton = nullptr; ///< item "Y"
    QLineEdit* ImageScaleXEdit = nullptr;
    QLineEdit* ImageScaleYEdit = nullptr;
    QLineEdit* ActualScaleXEdit = nullptr;
    QLineEdit* ActualScaleYEdit = nullptr;
    QPushButton* ApplyScaleButton = nullptr;

    /// Checked: the scale is typed in (the measurement is off); unchecked: it is computed.
    void SetScaleCheckBoxClick();
    /// Stores the typed or computed scale in the frame. Text that is not a number, or a measured
    /// length of 0 pixels, is refused with its message and nothing is stored.
    void ApplyScaleButtonClick();

    /// While the scale is computed, a drag measures the length along the selected axis.
    void DocumentDragged(TMDIChildForm& child, int x1, int y1, int x2, int y2) override;

  protected:
    /// Shows the frame's scale.
    void FormShow() override;
};

} // namespace corvane::ui
