#include "phase/ui/TEqual4StepPhaseShiftForm.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "image/CorvaneError.h"
#include "image/TGrayImage.h"
#include "phase/MoireSimulation.h"
#include "shell/Convert.h"
#include "shell/Platform.h"
#include "shell/TMainForm.h"

namespace corvane::ui {

namespace {
const QString kDeformedRole = QStringLiteral("Deformed Grid:Equal 4 Step");
const QString kReferenceRole = QStringLiteral("Reference Grid:Equal 4 Step");
} // namespace

TEqual4StepPhaseShiftForm::TEqual4StepPhaseShiftForm(TMainForm& mainForm)
    : TToolForm(mainForm, PhaseShiftToolPlacement("Equal4StepPhaseShiftForm",
                                                  QStringLiteral("Equal 4 Step Phase Shifting(E4S)"),
                                                  "Equal4StepAction")) {
    E4SPageControl = Named(new QTabWidget(this), "E4SPageControl");
    E4STabSheet = Named(new QWidget(E4SPageControl), "E4STabSheet");
    SimulationE4STabSheet = Named(new QWidget(E4SPageControl), "SimulationE4STabSheet");
    E4SPageControl->addTab(E4STabSheet, QStringLiteral("E4S 4 Step Info"));
    E4SPageControl->addTab(SimulationE4STabSheet, QStringLiteral("Simulation E4S"));
    (new QVBoxLayout(this))->addWidget(E4SPageControl);

    // The step page: the controls the three phase-shifting tools share.
    steps_ = std::make_unique<PhaseShiftSteps>(mainForm, E4STabSheet, PhaseShiftMethod::Equal4Step,
                                               QStringLiteral("E4S"), QStringLiteral("phase:Equal 4 Step"));
    steps_->LayOut(E4STabSheet);
    Step1Edit = steps_->StepEdits[0];
    Step2Edit = steps_->StepEdits[1];
    Step3Edit = steps_->StepEdits[2];
    Step4Edit = steps_->StepEdits[3];
    Step1SpeedButton = steps_->StepSpeedButtons[0];
    Step2SpeedButton = steps_->StepSpeedButtons[1];
    Step3SpeedButton = steps_->StepSpeedButtons[2];
    Step4SpeedButton = steps_->StepSpeedButtons[3];
    WorkingDirLabel = steps_->WorkingDirLabel;
    ComputePhaseButton = steps_->ComputePhaseButton;
    SaveToFloatButton = steps_->SaveToFloatButton;
    Read4ImageButton = steps_->ReadImageButton;

    // The simulation page.
    QWidget* sim = SimulationE4STabSheet;
    auto* group = new QGroupBox(QStringLiteral("  Two Grid Image Simulation E4S "), sim);
    MoireImageFileNameEdit =
        Named(new QLineEdit(QStringLiteral("Deformed Grid Image"), group), "MoireImageFileNameEdit");
    BrowseMoireIMageFileSpeedButton = Named(new QToolButton(group), "BrowseMoireIMageFileSpeedButton");
    BrowseMoireIMageFileSpeedButton->setText(QStringLiteral("..."));
    RefImageFileNameEdit =
        Named(new QLineEdit(QStringLiteral("Ref Grid Image"), group), "RefImageFileNameEdit");
    SpeedButton1 = Named(new QToolButton(group), "SpeedButton1");
    SpeedButton1->setText(QStringLiteral("..."));
    StepSizeEdit = Named(new QLineEdit(QStringLiteral("0"), group), "StepSizeEdit");
    CarrierSizeEdit = Named(new QLineEdit(QStringLiteral("0"), group), "CarrierSizeEdit");
    DirectionRadioGroup =
        Named(new QGroupBox(QStringLiteral("Fringe Main Direction"), group), "DirectionRadioGroup");
    direction_ = new QButtonGroup(DirectionRadioGroup);
    auto* directionLayout = new QVBoxLayout(DirectionRadioGroup);
    const QString directions[] = {QStringLiteral("Horizental"), QStringLiteral("Vertical")};
    for (int i = 0; i < 2; ++i) {
        auto* item = new QRadioButton(directions[i], DirectionRadioGroup);
        direction_->addButton(item, i);
        directionLayout->addWidget(item);
    }
    GenerateMoireButton =
        Named(new QPushButton(QStringLiteral("Generate Moire"), group), "GenerateMoireButton");
    ComputePhase2Button = Named(new QPushButton(QStringLiteral("Compute Phase"), sim), "ComputePhase2Button");
    SaveToFloat2Button = Named(new QPushButton(QStringLiteral("Save To Float"), sim), "SaveToFloat2Button");

    auto* grid = new QGridLayout(group);
    grid->addWidget(new QLabel(QStringLiteral("Deformed Grid Image"), group), 0, 0);
    grid->addWidget(MoireImageFileNameEdit, 0, 1);
    grid->addWidget(BrowseMoireIMageFileSpeedButton, 0, 2);
    grid->addWidget(new QLabel(QStringLiteral("Reference Grid Image"), group), 1, 0);
    grid->addWidget(RefImageFileNameEdit, 1, 1);
    grid->addWidget(SpeedButton1, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Shifting Step Size"), group), 2, 0);
    grid->addWidget(StepSizeEdit, 2, 1);
    grid->addWidget(new QLabel(QStringLiteral(" ( pixel )"), group), 2, 2);
    grid->addWidget(new QLabel(QStringLiteral("How many Fringe"), group), 3, 0);
    grid->addWidget(CarrierSizeEdit, 3, 1);
    grid->addWidget(DirectionRadioGroup, 4, 0, 1, 3);
    grid->addWidget(GenerateMoireButton, 5, 0, 1, 3);
    auto* simLayout = new QVBoxLayout(sim);
    simLayout->addWidget(group);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(ComputePhase2Button);
    buttons->addWidget(SaveToFloat2Button);
    simLayout->addLayout(buttons);

    Bind(Step1SpeedButton, &QToolButton::clicked, &TEqual4StepPhaseShiftForm::Step1SpeedButtonClick);
    Bind(Step2SpeedButton, &QToolButton::clicked, &TEqual4StepPhaseShiftForm::Step2SpeedButtonClick);
    Bind(Step3SpeedButton, &QToolButton::clicked, &TEqual4StepPhaseShiftForm::Step3SpeedButtonClick);
    Bind(Step4SpeedButton, &QToolButton::clicked, &TEqual4StepPhaseShiftForm::Step4SpeedButtonClick);
    Bind(Read4ImageButton, &QPushButton::clicked, &TEqual4StepPhaseShiftForm::Read4ImageButtonClick);
    Bind(ComputePhaseButton, &QPushButton::clicked, &TEqual4StepPhaseShiftForm::ComputePhaseButtonClick);
    Bind(SaveToFloatButton, &QPushButton::clicked, &TEqual4StepPhaseShiftForm::SaveToFloatButtonClick);
    Bind(ComputePhase2Button, &QPushButton::clicked, &TEqual4StepPhaseShiftForm::ComputePhaseButtonClick);
    Bind(SaveToFloat2Button, &QPushButton::clicked, &TEqual4StepPhaseShiftForm::SaveToFloatButtonClick);
    Bind(BrowseMoireIMageFileSpeedButton, &QToolButton::clicked,
         &TEqual4StepPhaseShiftForm::BrowseMoireIMageFileSpeedButtonClick);
    Bind(SpeedButton1, &QToolButton::clicked, &TEqual4StepPhaseShiftForm::SpeedButton1Click);
    Bind(GenerateMoireButton, &QPushButton::clicked, &TEqual4StepPhaseShiftForm::GenerateMoireButtonClick);
    Bind(CarrierSizeEdit, &QLineEdit::editingFinished, &TEqual4StepPhaseShiftForm::CarrierSizeEditExit);
}

TEqual4StepPhaseShiftForm::~TEqual4StepPhaseShiftForm() = default;

int TEqual4StepPhaseShiftForm::DirectionIndex() const {
    return direction_->checkedId();
}

void TEqual4StepPhaseShiftForm::SetDirectionIndex(int index) {
    if (QAbstractButton* item = direction_->button(index)) item->setChecked(true);
}

void TEqual4StepPhaseShiftForm::FormShow() {
    steps_->Forget();
    deformed_.reset();
    E4SPageControl->setCurrentWidget(E4STabSheet);
}

void TEqual4StepPhaseShiftForm::FormHide() {
    steps_->ReleaseSteps();
    deformed_.reset();
}

void TEqual4StepPhaseShiftForm::BrowseMoireIMageFileSpeedButtonClick() {
    steps_->BrowsePicture(MoireImageFileNameEdit, kDeformedRole);
}

void TEqual4StepPhaseShiftForm::SpeedButton1Click() {
    steps_->BrowsePicture(RefImageFileNameEdit, kReferenceRole);
}

void TEqual4StepPhaseShiftForm::CarrierSizeEditExit() {
    try {
        StrToInt(CarrierSizeEdit);
    } catch (const CorvaneError&) {
        dialogs_.Information(QString::fromLatin1(kNeedIntegerNumberMessage));
    }
}

void TEqual4StepPhaseShiftForm::GenerateMoireButtonClick() {
    MoireSimulationOptions options;
    options.StepSize = StrToInt(StepSizeEdit);
    options.CarrierCount = StrToInt(CarrierSizeEdit);
    options.Direction = DirectionIndex() == 0 ? MoireShiftDirection::AlongX : MoireShiftDirection::AlongY;
    // Refused before anything held is released or read.
    if (options.CarrierCount <= 0) throw CorvaneError(kCarrierCountMessage);

    deformed_.reset();
    steps_->ReleaseSteps();
    steps_->EnterWorkingDir();
    deformed_ = std::make_unique<TGrayImage>(steps_->FileOf(MoireImageFileNameEdit));
    const TGrayImage reference(steps_->FileOf(RefImageFileNameEdit));
    const MoireSimulationResult result = SimulateMoire(*deformed_, reference, options);
    for (int k = 1; k <= 4; ++k)
        main_.ShowInRole(steps_->StepRole(k), *result.Steps[static_cast<std::size_t>(k - 1)]);
}

} // namespace corvane::ui
