#pragma once
#include "phase/ui/PhaseShiftSteps.h"
#include "shell/TToolForm.h"

namespace corvane::ui {

/// "Const 4 Step Phase Shifting(C4S)": the wrapped phase of 4 pictures shifted by a constant
/// pi / 2 each, shown in "phase:Const 4 Step" and saved as FLT. Shown by PI4StepAction.
class TConst4StepPhaseShiftForm : public TToolForm {
    Q_OBJECT
  public:
    explicit TConst4StepPhaseShiftForm(TMainForm& mainForm);

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

    /// "...": a step picture, shown in its step window.
    void Step1SpeedButtonClick() { steps_.BrowseStep(1); }
    void Step2SpeedButtonClick() { steps_.BrowseStep(2); }
    void Step3SpeedButtonClick() { steps_.BrowseStep(3); }
    void Step4SpeedButtonClick() { steps_.BrowseStep(4); }
    /// Reads the step pictures named in the edits.
    void Read4ImageButtonClick() { steps_.ReadSteps(); }
    /// Reads the steps and computes the wrapped phase.
    void ComputePhaseButtonClick() { steps_.ComputePhase(); }
    /// Saves the phase computed since the tool was shown as FLT.
    void SaveToFloatButtonClick() { steps_.SaveToFloat(); }

    const PhaseShiftSteps& Steps() const { return steps_; }

  protected:
    void FormShow() override { steps_.Forget(); }
    void FormHide() override { steps_.ReleaseSteps(); }

  private:
    PhaseShiftSteps steps_;
};

} // namespace corvane::ui
