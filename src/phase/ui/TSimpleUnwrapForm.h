#pragma once
#include "phase/SimpleUnwrap.h"
#include "shell/TToolForm.h"

class QLabel;
class QLineEdit;
class QSlider;
class QTabWidget;
class QToolButton;

namespace corvane::ui {

/// "Simple Unwrap": scan-line unwrapping of a wrapped phase FLT map (rows from the start column
/// outwards, then columns from the start row outwards), with median filtering of the input before
/// and of the result after, each with its own window size. The maps are shown in the
/// "...:Simple Unwrap" document windows and the result is saved as FLT. A click in a document
/// window sets the start point.
class TSimpleUnwrapForm : public TToolForm {
    Q_OBJECT
  public:
    /// Builds the window as a tool of mainForm and wires SimpleUnwrapAction to show it.
    explicit TSimpleUnwrapForm(TMainForm& mainForm);
    ~TSimpleUnwrapForm() override;

    QTabWidget* UnwrapPageControl = nullptr;
    QWidget* InputPage = nullptr;
    QWidget* UnwrapPage = nullptr;
    QWidget* OutputPage = nullptr;

    // "Input"
    QLabel* WorkingDirLabel = nullptr;
    QLineEdit* PhaseImageFileNameEdit = nullptr;
    QToolButton* PhaseImageSpeedButton = nullptr;
    QSlider* MedianFilterTrackBar = nullptr;
    QLineEdit* PositionEdit = nullptr;
    QPushButton* MedianInputButton = nullptr;
    QLabel* MedianInputNoteLabel = nullptr; ///< Median Input filters the wrapped phase

    // "Unwrap"
    QLineEdit* ThresholdEdit = nullptr;
    QLineEdit* XEdit = nullptr;
    QLineEdit* YEdit = nullptr;
    QPushButton* UnwrapButton = nullptr;

    // "Output"
    QSlider* TrackBar1 = nullptr;
    QLineEdit* OutPositionEdit = nullptr;
    QPushButton* MedianOutputButton = nullptr;
    QPushButton* SaveToFloatButton = nullptr;

    /// Chooses the wrapped phase file, loads it into "Phase Image:Simple Unwrap"; the output map
    /// becomes all zero.
    void PhaseImageSpeedButtonClick();
    /// Each track bar writes its position into the read-only edit beside it.
    void MedianFilterTrackBarChange();
    /// Median filter of the input map with the input window; nothing without an input map.
    void MedianInputButtonClick();
    /// Median filter of the output map with the output window; nothing without an output map.
    void MedianOutputButtonClick();
    /// Output = the input as it stands, unwrapped by scan lines from the start point.
    void UnwrapButtonClick();
    /// Saves the output map as FLT; nothing without one.
    void SaveToFloatButtonClick();

    /// A click in a document window sets the start point.
    void DocumentClicked(TMDIChildForm& child, int x, int y) override;

    /// The input and output maps held.
    const SimpleUnwrapModel& Model() const { return model_; }

  protected:
    /// The "Input" page, and the current directory as the working directory.
    void FormShow() override;
    /// Releases both maps.
    void FormHide() override;

  private:
    SimpleUnwrapModel model_;
};

} // namespace corvane::ui
