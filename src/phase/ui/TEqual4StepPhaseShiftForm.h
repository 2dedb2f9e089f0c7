#pragma once
#include "phase/ui/PhaseShiftSteps.h"
#include "shell/TToolForm.h"

class QButtonGroup;
class QGroupBox;
class QTabWidget;

namespace corvane::ui {

/// "Equal 4 Step Phase Shifting(E4S)": the wrapped phase of four pictures shifted by equal steps of
/// unknown size, shown in "phase:Equal 4 Step" and saved as FLT; its second page simulates the four
/// shifted moire pictures from a deformed and a reference grid. Shown by Equal4StepAction.
class TEqual4StepPhaseShiftForm : public TToolForm {
    Q_OBJECT
  public:
    explicit TEqual4StepPhaseShiftForm(TMainForm& mainForm);
    ~TEqual4StepPhaseShiftForm() override;

    QTabWidget* E4SPageControl = nullptr;
    QWidget* E4STabSheet = nullptr;
    QWidget* SimulationE4STabSheet = nullptr;

    // Page "E4S 4 Step Info".
    QLineEdit* Step1Edit = nullptr;
    QLineEdit* Step2Edit = nullptr;
    QLineEdit* Step3Edit = nullptr;
    QLineEdit* Step4Edit = nullptr;
    QToolButton* Step1SpeedButton = nullptr;
    QToolButton* Step2SpeedButton = nullptr;
    QToolButton* Step3SpeedButton = nullptr;
    QToolButton* Step4SpeedButton = nullptr;
    QLabel* WorkingDirLabel = nullptr;
    QPushButton* ComputePhaseButton = nullptr;
    QPushButton* SaveToFloatButton = nullptr;
    QPushButton* Read4ImageButton = nullptr;

    // Page "Simulation E4S".
    QLineEdit* MoireImageFileNameEdit = nullptr;
    QToolButton* BrowseMoireIMageFileSpeedButton = nullptr;
    QLineEdit* RefImageFileNameEdit = nullptr;
    QToolButton* SpeedButton1 = nullptr;
    QLineEdit* StepSizeEdit = nullptr;
    QLineEdit* CarrierSizeEdit = nullptr;
    QGroupBox* DirectionRadioGroup = nullptr; ///< "Horizental" (0), "Vertical" (1); none at first
    QPushButton* GenerateMoireButton = nullptr;
    QPushButton* ComputePhase2Button = nullptr;
    QPushButton* SaveToFloat2Button = nullptr;

    /// DirectionRadioGroup's item index, -1 when none is selected.
    int DirectionIndex() const;
    void SetDirectionIndex(int index);

    void Step1SpeedButtonClick() { steps_->BrowseStep(1); }
    void Step2SpeedButtonClick() { steps_->BrowseStep(2); }
    void Step3SpeedButtonClick() { steps_->BrowseStep(3); }
    void Step4SpeedButtonClick() { steps_->BrowseStep(4); }
    void Read4ImageButtonClick() { steps_->ReadSteps(); }
    void ComputePhaseButtonClick() { steps_->ComputePhase(); }
    void SaveToFloatButtonClick() { steps_->SaveToFloat(); }
    /// The deformed grid picture, shown in "Deformed Grid:Equal 4 Step".
    void BrowseMoireIMageFileSpeedButtonClick();
    /// The reference grid picture, shown in "Reference Grid:Equal 4 Step".
    void SpeedButton1Click();
    /// Simulates the four shifted moire pictures and shows them in the step windows. A line count
    /// of 0 or below is refused before anything changes.
    void GenerateMoireButtonClick();
    /// Leaving CarrierSizeEdit: " need integer number" when it does not hold a whole number.
    void CarrierSizeEditExit();

    const PhaseShiftSteps& Steps() const { return *steps_; }
    /// The deformed grid read by the last simulation (null when released).
    const TGrayImage* DeformedGrid() const { return deformed_.get(); }

  protected:
    void FormShow() override;
    void FormHide() override;

  private:
    std::unique_ptr<PhaseShiftSteps> steps_;
    QButtonGroup* direction_ = nullptr;
    std::unique_ptr<TGrayImage> deformed_;
};

} // namespace corvane::ui
