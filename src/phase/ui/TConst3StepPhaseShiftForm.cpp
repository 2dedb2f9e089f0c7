#include "phase/ui/TConst3StepPhaseShiftForm.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

namespace corvane::ui {

TConst3StepPhaseShiftForm::TConst3StepPhaseShiftForm(TMainForm& mainForm)
    : TToolForm(mainForm,
                PhaseShiftToolPlacement("Const3StepPhaseShiftForm",
                                        QStringLiteral("Const 3 Step Phase Shifting(C3S)"), "PI3StepAction")),
      steps_(mainForm, this, PhaseShiftMethod::Const3Step, QStringLiteral("C3S"),
             QStringLiteral("phase:Const 3 Step")) {
    Step1Edit = steps_.StepEdits[0];
    Step2Edit = steps_.StepEdits[1];
    Step3Edit = steps_.StepEdits[2];
    Step1SpeedButton = steps_.StepSpeedButtons[0];
    Step2SpeedButton = steps_.StepSpeedButtons[1];
    Step3SpeedButton = steps_.StepSpeedButtons[2];
    WorkingDirLabel = steps_.WorkingDirLabel;
    ComputePhaseButton = steps_.ComputePhaseButton;
    SaveToFloatButton = steps_.SaveToFloatButton;
    Read3ImageButton = steps_.ReadImageButton;
    steps_.LayOut(this);

    Bind(Step1SpeedButton, &QToolButton::clicked, &TConst3StepPhaseShiftForm::Step1SpeedButtonClick);
    Bind(Step2SpeedButton, &QToolButton::clicked, &TConst3StepPhaseShiftForm::Step2SpeedButtonClick);
    Bind(Step3SpeedButton, &QToolButton::clicked, &TConst3StepPhaseShiftForm::Step3SpeedButtonClick);
    Bind(Read3ImageButton, &QPushButton::clicked, &TConst3StepPhaseShiftForm::Read3ImageButtonClick);
    Bind(ComputePhaseButton, &QPushButton::clicked, &TConst3StepPhaseShiftForm::ComputePhaseButtonClick);
    Bind(SaveToFloatButton, &QPushButton::clicked, &TConst3StepPhaseShiftForm::SaveToFloatButtonClick);
}

} // namespace corvane::ui
