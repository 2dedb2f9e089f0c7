#include "phase/ui/TTwoImageMoireFFTForm.h"

#include <QAction>
#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>

#include "shell/TMDIChildForm.h"

namespace corvane::ui {

namespace {
const QString kSuffix = QStringLiteral("Two Image");
const QString kSaveFilter =
    QStringLiteral("Result Data(*.dat,*.data)|*.dat;*.data|Bin Files(*.flt)|*.flt|All files(*.*)|*.*");

std::vector<QString> RoleWindows() {
    std::vector<QString> roles = TCarrierMoireRoles(kSuffix).All();
    roles.push_back(TTwoImageMoireFFTForm::kRawRefImageRole);
    return roles;
}
} // namespace

const QString TTwoImageMoireFFTForm::kRawRefImageRole = QStringLiteral("raw ref image:Two Image");

TTwoImageMoireFFTForm::TTwoImageMoireFFTForm(TMainForm& mainForm)
    : TToolForm(mainForm, {.Name = "TwoImageMoireFFTForm",
                           .Title = QStringLiteral("Two Image Moire FFT"),
                           .ShowCommand = "TwoGridImageFFTAction",
                           .LockedCommands = {"OneGridImageFFTAction", "TwoGridImageFFTAction"},
                           .RoleWindows = RoleWindows(),
                           .CloseRolesOnHide = true}),
      wizard_(mainForm, *this, CloseButton, *this,
              {.Method = TCarrierMethod::TwoImages,
               .Suffix = kSuffix,
               .TableTitle = QStringLiteral("Save Phase To"),
               .SaveFilter = kSaveFilter,
               .MaskDefault = QStringLiteral("MaskFileEdit")}) {
    QWidget* stepOne = wizard_.PageWidget(0);
    RefImageFileNameEdit = Named(new QLineEdit(QStringLiteral("Ref Image"), stepOne), "RefImageFileNameEdit");
    SpeedButton1 = Named(new QToolButton(stepOne), "SpeedButton1");
    SpeedButton1->setText(QStringLiteral("..."));
    QGridLayout* grid = wizard_.StepOneGrid();
    grid->addWidget(new QLabel(QStringLiteral("Reference fringe image"), stepOne), 1, 0, 1, 3);
    grid->addWidget(RefImageFileNameEdit, 2, 0, 1, 2);
    grid->addWidget(SpeedButton1, 2, 2);

    QWidget* stepThree = wizard_.PageWidget(2);
    UseBiLinearSimulateCheckBox = Named(new QCheckBox(QStringLiteral("Use BiLinear Simulate"), stepThree),
                                        "UseBiLinearSimulateCheckBox");
    wizard_.StepThreeGrid()->addWidget(UseBiLinearSimulateCheckBox, 3, 0, 1, 3);
    BoundaryEdit->setEnabled(false);
    ALabel->hide();
    BLabel->hide();

    AddPopupMenu();
    MoireNotebook->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(MoireNotebook, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { PopupMenu->popup(MoireNotebook->mapToGlobal(pos)); });
    SaveToBinFileMenuItem =
        Named(PopupMenu->addAction(QStringLiteral("Save  To Bin File...")), "SaveToBinFileMenuItem");
    SaveReftoBinFile1 =
        Named(PopupMenu->addAction(QStringLiteral("Save Ref to Bin File...")), "SaveReftoBinFile1");

    using F = TTwoImageMoireFFTForm;
    Bind(BrowseMoireIMageFileSpeedButton, &QToolButton::clicked, &F::BrowseMoireIMageFileSpeedButtonClick);
    Bind(SpeedButton1, &QToolButton::clicked, &F::SpeedButton1Click);
    Bind(NextButton, &QPushButton::clicked, &F::NextButtonClick);
    Bind(PreviousButton, &QPushButton::clicked, &F::PreviousButtonClick);
    Bind(ComputeCarrierButton, &QPushButton::clicked, &F::ComputeCarrierButtonClick);
    Bind(AdjustButton, &QPushButton::clicked, &F::AdjustButtonClick);
    Bind(UseBiLinearSimulateCheckBox, &QCheckBox::toggled, &F::UseBiLinearSimulateCheckBoxClick);
    Bind(SaveReferencePhaseButton, &QPushButton::clicked, &F::SaveReferencePhaseButtonClick);
    Bind(SaveDeformedPhaseButton, &QPushButton::clicked, &F::SaveDeformedPhaseButtonClick);
    Bind(PhaseIntegerButton, &QPushButton::clicked, &F::PhaseIntegerButtonClick);
    Bind(ConvertButton, &QPushButton::clicked, &F::ConvertButtonClick);
    Bind(ComputeBaseValueButton, &QPushButton::clicked, &F::ComputeBaseValueButtonClick);
    Bind(ConvertToAbsoluteDisplacementButton, &QPushButton::clicked,
         &F::ConvertToAbsoluteDisplacementButtonClick);
    Bind(SaveButton, &QPushButton::clicked, &F::SaveButtonClick);
    Bind(MaskFileSpeedButton, &QToolButton::clicked, &F::MaskFileSpeedButtonClick);
    Bind(UseOutputGridCheckBox, &QCheckBox::toggled, &F::UseOutputGridCheckBoxClick);
    Bind(UseMaskCheckBox, &QCheckBox::toggled, &F::UseMaskCheckBoxClick);
    Bind(OutputRangeCheckBox, &QCheckBox::toggled, &F::OutputRangeCheckBoxClick);
    Bind(SaveToBinFileMenuItem, &QAction::triggered, &F::SaveToBinFileMenuItemClick);
    Bind(SaveReftoBinFile1, &QAction::triggered, &F::SaveReftoBinFile1Click);
}

void TTwoImageMoireFFTForm::FormShow() {
    wizard_.Shown();
}

void TTwoImageMoireFFTForm::FormHide() {
    wizard_.Hidden();
}

void TTwoImageMoireFFTForm::BrowseMoireIMageFileSpeedButtonClick() {
    wizard_.ChoosePicture(MoireImageFileNameEdit, wizard_.Roles.RawImage);
}

void TTwoImageMoireFFTForm::SpeedButton1Click() {
    wizard_.ChoosePicture(RefImageFileNameEdit, kRawRefImageRole);
}

void TTwoImageMoireFFTForm::NextButtonClick() {
    const auto source = [this] {
        TCarrierSource files;
        files.ImageFile = wizard_.FileOf(MoireImageFileNameEdit);
        files.ReferenceFile = wizard_.FileOf(RefImageFileNameEdit);
        return files;
    };
    if (wizard_.Page() == 0) wizard_.Moire().RequireFiles(source());
    wizard_.Next(source, [this] {
        return UseBiLinearSimulateCheckBox->isChecked() ? TReferenceRemoval::Plane
                                                        : TReferenceRemoval::PixelByPixel;
    });
}

void TTwoImageMoireFFTForm::PreviousButtonClick() {
    wizard_.Previous();
}

void TTwoImageMoireFFTForm::ComputeCarrierButtonClick() {
    wizard_.ComputeCarrier();
}

void TTwoImageMoireFFTForm::AdjustButtonClick() {
    wizard_.Adjust();
}

void TTwoImageMoireFFTForm::UseBiLinearSimulateCheckBoxClick() {
    BoundaryEdit->setEnabled(UseBiLinearSimulateCheckBox->isChecked());
}

void TTwoImageMoireFFTForm::SaveReferencePhaseButtonClick() {
    wizard_.SaveMap(TMoireMap::Reference, TValueScaleRule::One,
                    QStringLiteral("Save Reference to Float format"));
}

void TTwoImageMoireFFTForm::SaveDeformedPhaseButtonClick() {
    wizard_.SaveMap(TMoireMap::Image, TValueScaleRule::One,
                    QStringLiteral("Save Deformed Grid Phase to Float Format"));
}

void TTwoImageMoireFFTForm::SaveToBinFileMenuItemClick() {
    wizard_.SaveMap(TMoireMap::Image, TValueScaleRule::Keep, QString());
}

void TTwoImageMoireFFTForm::SaveReftoBinFile1Click() {
    wizard_.SaveMap(TMoireMap::Reference, TValueScaleRule::Keep, QString());
}

void TTwoImageMoireFFTForm::PhaseIntegerButtonClick() {
    wizard_.SetFringeOrder();
}

void TTwoImageMoireFFTForm::ConvertButtonClick() {
    wizard_.ConvertPitch();
}

void TTwoImageMoireFFTForm::ComputeBaseValueButtonClick() {
    wizard_.ComputeAverage();
}

void TTwoImageMoireFFTForm::ConvertToAbsoluteDisplacementButtonClick() {
    wizard_.ConvertToAbsolute();
}

void TTwoImageMoireFFTForm::SaveButtonClick() {
    wizard_.SaveTable();
}

void TTwoImageMoireFFTForm::MaskFileSpeedButtonClick() {
    wizard_.ChooseMask();
}

void TTwoImageMoireFFTForm::UseOutputGridCheckBoxClick() {
    wizard_.UpdateOptionalControls();
}

void TTwoImageMoireFFTForm::UseMaskCheckBoxClick() {
    wizard_.UpdateOptionalControls();
}

void TTwoImageMoireFFTForm::OutputRangeCheckBoxClick() {
    wizard_.UpdateOptionalControls();
}

void TTwoImageMoireFFTForm::DocumentDragged(TMDIChildForm& child, int x1, int y1, int x2, int y2) {
    wizard_.Dragged(child, x1, y1, x2, y2);
}

void TTwoImageMoireFFTForm::DocumentMouseMoved(TMDIChildForm& child, int x, int y) {
    wizard_.MouseMoved(child, x, y);
}

} // namespace corvane::ui
