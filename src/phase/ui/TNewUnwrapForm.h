#pragma once
#include "phase/NewUnwrapModel.h"
#include "shell/TToolForm.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QTabWidget;
class QToolButton;

namespace corvane::ui {

/// "New Unwrap": unwraps a wrapped phase FLT map from a start pixel, by breadth-first region growing
/// or by quality-guided merging (MethodComboBox), over the pixels left valid by an invalid-area
/// picture and by the residue test (Mask Noise); the invalid pixels of each row are then filled
/// from their valid neighbours. The steps are shown in "Phase Image", "Invalid Area", "Unwrapped
/// Phase Image" and "Final Phase Image", the quality-guided method's reliability map in "Quality",
/// and the result is saved as FLT. A click in a document window sets the start point.
class TNewUnwrapForm : public TToolForm {
    Q_OBJECT
  public:
    /// Builds the window as a tool of mainForm and wires UnwrapAction to show it.
    explicit TNewUnwrapForm(TMainForm& mainForm);
    ~TNewUnwrapForm() override;

    QTabWidget* UnwrapPageControl = nullptr;
    QWidget* InputPage = nullptr;
    QWidget* UnwrapPage = nullptr;
    QWidget* OutputPage = nullptr;

    // "Input"
    QLabel* WorkingDirLabel = nullptr;
    QLineEdit* PhaseImageFileNameEdit = nullptr;
    QToolButton* PhaseImageSpeedButton = nullptr;
    QCheckBox* UseInvalidAreaFileCheckBox = nullptr;
    QLineEdit* InvalidAreaFileNameEdit = nullptr;
    QToolButton* InvalidAreaFileNameSpeedButton = nullptr;

    // "Unwrap"
    QComboBox* MethodComboBox = nullptr; ///< "Region growing" (default), "Quality guided"
    QLabel* MethodHintLabel = nullptr;   ///< when to choose the method shown
    QLineEdit* ThresholdEdit = nullptr;
    QLabel* MaskNoiseNoteLabel = nullptr; ///< Mask Noise reads Threshold in radians
    QLineEdit* InvalidThresholdEdit = nullptr;
    QLineEdit* XEdit = nullptr;
    QLineEdit* YEdit = nullptr;
    QPushButton* MaskNoiseButton = nullptr;
    QPushButton* UnwrapButton = nullptr;

    // "Output"
    QPushButton* SaveToFloatButton = nullptr;

    /// Chooses the wrapped phase file, loads it into "Phase Image" and drops the invalid-area map.
    void PhaseImageSpeedButtonClick();
    /// Chooses the invalid-area picture (255 = invalid) and shows it in "Invalid Area".
    void InvalidAreaFileNameSpeedButtonClick();
    /// The invalid-area file's edit and button follow the check box.
    void UseInvalidAreaFileCheckBoxClick();
    /// Reloads the phase map and marks the 2 x 2 cells with a residue invalid ("Invalid Area").
    void MaskNoiseButtonClick();
    /// Reloads the phase map, unwraps it from the start point by the chosen method and fills the
    /// invalid runs; the quality-guided method also shows its reliability map in "Quality".
    void UnwrapButtonClick();
    /// MethodHintLabel says when to choose the method chosen.
    void MethodComboBoxChange();
    /// Saves the phase map held as FLT; nothing without one.
    void SaveToFloatButtonClick();

    /// A click in a document window sets the start point.
    void DocumentClicked(TMDIChildForm& child, int x, int y) override;

    /// The phase map and invalid-area map held.
    const NewUnwrapModel& Model() const { return model_; }

  protected:
    /// The "Input" page, and the current directory as the working directory.
    void FormShow() override;
    /// Releases the phase map (the invalid-area map stays for the next run).
    void FormHide() override;

  private:
    /// The controls' settings; the start point only when withStart (Mask Noise does not read it).
    NewUnwrapOptions Options(bool withStart) const;

    NewUnwrapModel model_;
};

} // namespace corvane::ui
