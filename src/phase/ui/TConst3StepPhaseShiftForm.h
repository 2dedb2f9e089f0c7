#pragma once
#include "phase/ui/PhaseShiftSteps.h"
#include "shell/TToolForm.h"

namespace corvane::ui {

/// "Const 3 Step Phase Shifting(C3S)": the wrapped phase of 3 pictures shifted by a constant
/// 2 pi / 3 each, shown in "phase:Const 3 Step" and saved as FLT. Shown by PI3StepAction.
class TConst3StepPhaseShiftForm : public TToolForm {
    Q_OBJECT
  public:
    explicit TConst3StepPhaseShiftForm(TMainForm& mainForm);

    QLineEdit* Step1Edit = nullptr;
    QLineEdit* Step2Edit = nullptr;
    QLineEdit* Step3Edit = nullptr;
    QToolButton* Step1SpeedButton = nullptr;
    QToolButton* Step2SpeedButton = nullptr;
    QToolButton* Step3SpeedButton = nullptr;
    QLabel* WorkingDirLabel = nullptr;
    QPushButton* ComputePhaseButton = nullptr;
    QPushButton* SaveToFloatButton = nullptr;
    QPushButton* Read3ImageButton = nullptr;

    /// "...": a step picture, shown in its step window.
    void Step1SpeedButtonClick() { steps_.BrowseStep(1); }
    void Step2SpeedButtonClick() { steps_.BrowseStep(2); }
    void Step3SpeedButtonClick() { steps_.BrowseStep(3); }
    /// Reads the step pictures named in the edits.
    void Read3ImageButtonClick() { steps_.ReadSteps(); }
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
