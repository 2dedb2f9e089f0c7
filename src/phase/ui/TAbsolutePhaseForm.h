#pragma once
#include "shell/TToolForm.h"

#include <memory>

class QCheckBox;
class QLabel;
class QLineEdit;
class QTabWidget;
class QToolButton;

namespace corvane {
class TFloatImage;
}

namespace corvane::ui {

/// "Absolute Displacement": turns an unwrapped relative phase FLT map into an absolute displacement
/// map, shown in "Relative Phase": the fringe order at a reference pixel, phase to displacement with
/// the grid pitch, and a shift that gives a chosen pixel a known displacement, each applied to the
/// loaded map in place; the map is saved as FLT or as an x, y, value table. A click in "Relative
/// Phase" picks the reference pixels; a drag there on the "Output" page picks the output range.
class TAbsolutePhaseForm : public TToolForm {
    Q_OBJECT
  public:
    /// Builds the window as a tool of mainForm and wires AbsolutePhaseAction to show it.
    explicit TAbsolutePhaseForm(TMainForm& mainForm);
    ~TAbsolutePhaseForm() override;

    QTabWidget* AbsolutePhasePageControl = nullptr;
    QWidget* InputPage = nullptr;
    QWidget* DisplacementPage = nullptr;
    QWidget* OutputPage = nullptr;

    // "Input"
    QLabel* WorkingDirLabel = nullptr;
    QLineEdit* PhaseFileNameEdit = nullptr;
    QToolButton* UnwrappedPhaseSpeedButton = nullptr;

    // "Absolute Displacement"
    QLineEdit* PhaseIntegerXEdit = nullptr;
    QLineEdit* PhaseIntegerYEdit = nullptr;
    QLineEdit* PhaseIntegerEdit = nullptr;
    QPushButton* PhaseIntegerButton = nullptr;
    QLineEdit* PEdit = nullptr;
    QLineEdit* GridFrequencyEdit = nullptr;
    QPushButton* ConvertButton = nullptr;
    QLineEdit* AbsXEdit = nullptr;
    QLineEdit* AbsYEdit = nullptr;
    QLineEdit* AbsoluteDisplacementEdit = nullptr;
    QPushButton* ConvertToAbsoluteDisplacementButton = nullptr;

    // "Output"
    QCheckBox* UseOutputGridCheckBox = nullptr;
    QWidget* OutputGridPanel = nullptr; ///< the step edits and their labels
    QLineEdit* GridxEdit = nullptr;
    QLineEdit* GridyEdit = nullptr;
    QCheckBox* OutputRangeCheckBox = nullptr;
    QWidget* OutputRangePanel = nullptr; ///< the corner edits and their labels
    QLineEdit* LeftEdit = nullptr;
    QLineEdit* TopEdit = nullptr;
    QLineEdit* RightEdit = nullptr;
    QLineEdit* BottomEdit = nullptr;
    QCheckBox* UseMaskCheckBox = nullptr;
    QWidget* MaskPanel = nullptr; ///< the mask file's edit and button
    QLineEdit* MaskFileEdit = nullptr;
    QToolButton* MaskFileSpeedButton = nullptr;
    QPushButton* SaveToAsciiButton = nullptr;
    QPushButton* SaveToFloatButton = nullptr;

    /// Chooses the unwrapped phase file and loads it into "Relative Phase" (replacing the map).
    void UnwrappedPhaseSpeedButtonClick();
    /// Shifts the map by whole fringes so that the chosen pixel lies in the given fringe order.
    void PhaseIntegerButtonClick();
    /// Phase to displacement with the pitch in PEdit (values and value scale).
    void ConvertButtonClick();
    /// Shifts the map so that the chosen pixel holds the known displacement.
    void ConvertToAbsoluteDisplacementButtonClick();
    /// Leaving PEdit sets GridFrequencyEdit to 1 / P ("%15.8f"), and the other way round; 0 or
    /// text that is not a number is refused and both edits keep their last values.
    void PEditExit();
    void GridFrequencyEditExit();
    /// Each check box shows or hides its controls.
    void UseOutputGridCheckBoxClick();
    void OutputRangeCheckBoxClick();
    void UseMaskCheckBoxClick();
    /// Chooses the output mask picture and shows it in "Phase Mask".
    void MaskFileSpeedButtonClick();
    /// Saves the map as the x, y, value table over the chosen steps, range and mask.
    void SaveToAsciiButtonClick();
    /// Saves the map as FLT with its header as loaded and converted.
    void SaveToFloatButtonClick();

    /// A click in "Relative Phase" sets both reference pixels and, inside the map, the known value.
    void DocumentClicked(TMDIChildForm& child, int x, int y) override;
    /// A drag in "Relative Phase" while the "Output" page is shown sets the output range.
    void DocumentDragged(TMDIChildForm& child, int x1, int y1, int x2, int y2) override;

    /// The map held (null before a file is loaded).
    const TFloatImage* Map() const { return map_.get(); }

  protected:
    /// The "Input" page, and the current directory as the working directory.
    void FormShow() override;

  private:
    /// The save dialog of the two saves, on the given filter, in the working directory.
    std::optional<FileDialogResult> AskSaveName(int filterIndex, const QString& defaultExt);
    /// Sets the other edit of the pitch / frequency pair to the reciprocal of edit's value.
    void UpdateReciprocal(QLineEdit* edit, QLineEdit* other);

    std::unique_ptr<TFloatImage> map_;
    /// The pitch and frequency texts last accepted, restored when a refused value is left.
    QString acceptedPitch_;
    QString acceptedFrequency_;
};

} // namespace corvane::ui
