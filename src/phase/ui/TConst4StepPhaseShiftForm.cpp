#include "phase/ui/TConst4StepPhaseShiftForm.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

namespace corvane::ui {

TConst4StepPhaseShiftForm::TConst4StepPhaseShiftForm(TMainForm& mainForm)
    : TToolForm(mainForm,
                PhaseShiftToolPlacement("Const4StepPhaseShiftForm",
                                        QStringLiteral("Const 4 Step Phase Shifting(C4S)"), "PI4StepAction")),
      steps_(mainForm, this, PhaseShiftMethod::Const4Step, QStringLiteral("C4S"),
             QStringLiteral("phase:Const 4 Step")) {
    Step1Edit = steps_.StepEdits[0];
    Step2Edit = steps_.StepEdits[1];
    Step3Edit = steps_.StepEdits[2];
    Step1SpeedButton = steps_.StepSpeedButtons[0];
    Step2SpeedButton = steps_.StepSpeedButtons[1];
    Step3SpeedButton = steps_.StepSpeedButtons[2];
    Step4Edit = steps_.StepEdits[3];
    Step4SpeedButton = steps_.StepSpeedButtons[3];
    WorkingDirLabel = steps_.WorkingDirLabel;
    ComputePhaseButton = steps_.ComputePhaseButton;
    SaveToFloatButton = steps_.SaveToFloatButton;
    Read4ImageButton = steps_.ReadImageButton;
    steps_.LayOut(this);

    Bind(Step1SpeedButton, &QToolButton::clicked, &TConst4StepPhaseShiftForm::Step1SpeedButtonClick);
    Bind(Step2SpeedButton, &QToolButton::clicked, &TConst4StepPhaseShiftForm::Step2SpeedButtonClick);
    Bind(Step3SpeedButton, &QToolButton::clicked, &TConst4StepPhaseShiftForm::Step3SpeedButtonClick);
    Bind(Step4SpeedButton, &QToolButton::clicked, &TConst4StepPhaseShiftForm::Step4SpeedButtonClick);
    Bind(Read4ImageButton, &QPushButton::clicked, &TConst4StepPhaseShiftForm::Read4ImageButtonClick);
    Bind(ComputePhaseButton, &QPushButton::clicked, &TConst4StepPhaseShiftForm::ComputePhaseButtonClick);
    Bind(SaveToFloatButton, &QPushButton::clicked, &TConst4StepPhaseShiftForm::SaveToFloatButtonClick);
}

} // namespace corvane::ui
