#include "phase/ui/TNewUnwrapForm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "image/TFloatImage.h"
#include "image/TGrayImage.h"
#include "phase/ui/UnwrapToolFiles.h"
#include "shell/Convert.h"
#include "shell/FileFilter.h"
#include "shell/Platform.h"
#include "shell/TMainForm.h"

namespace corvane::ui {

namespace {

const QString kPhaseRole = QStringLiteral("Phase Image");
const QString kInvalidRole = QStringLiteral("Invalid Area");
const QString kUnwrappedRole = QStringLiteral("Unwrapped Phase Image");
const QString kFinalRole = QStringLiteral("Final Phase Image");
const QString kQualityRole = QStringLiteral("Quality");

const QString kRegionHint =
    QStringLiteral("Region growing: the fastest; right on clean fringes. On noisy fringes one wrong step "
                   "spreads, and Mask Noise hides most pixels.");
const QString kQualityHint =
    QStringLiteral("Quality guided: for noisy fringes and bad areas; noise stays local, no Mask Noise "
                   "needed. Slower; ignores Threshold. Reliability in \"Quality\".");

const QString kPhaseFilter = QStringLiteral("Float Phase File(*.flt)|*.flt|All files(*.*)|*.*");
const QString kPictureFilter =
    WithTiffPngEntry("Bitmaps (*.bmp)|*.bmp", "Phase Image, Float Format( *.flt)|*.flt|All files(*.*)|*.*");

} // namespace

TNewUnwrapForm::TNewUnwrapForm(TMainForm& mainForm)
    : TToolForm(mainForm,
                {.Name = "NewUnwrapForm",
                 .Title = QStringLiteral("New Unwrap"),
                 .ShowCommand = "UnwrapAction",
                 .LockedCommands = {},
                 .GuardsDocuments = false,
                 .RoleWindows = {kPhaseRole, kInvalidRole, kUnwrappedRole, kFinalRole, kQualityRole}}) {
    const UnwrapToolPages pages = MakeUnwrapToolPages(this);
    UnwrapPageControl = pages.UnwrapPageControl;
    InputPage = pages.InputPage;
    UnwrapPage = pages.UnwrapPage;
    OutputPage = pages.OutputPage;

    // "Input"
    WorkingDirLabel = pages.WorkingDirLabel;
    PhaseImageSpeedButton = pages.PhaseImageSpeedButton;
    PhaseImageFileNameEdit = pages.PhaseImageFileNameEdit;
    UseInvalidAreaFileCheckBox = Named(new QCheckBox(QStringLiteral("Use Invalid Area File"), InputPage),
                                       "UseInvalidAreaFileCheckBox");
    InvalidAreaFileNameSpeedButton = Named(new QToolButton(InputPage), "InvalidAreaFileNameSpeedButton");
    InvalidAreaFileNameSpeedButton->setText(QStringLiteral("Invalid Area File( 255=invalid )"));
    InvalidAreaFileNameEdit = Named(new QLineEdit(InputPage), "InvalidAreaFileNameEdit");
    InvalidAreaFileNameEdit->setEnabled(false);
    InvalidAreaFileNameSpeedButton->setEnabled(false);
    QVBoxLayout* input = pages.Input;
    input->addSpacing(8);
    input->addWidget(UseInvalidAreaFileCheckBox);
    input->addWidget(InvalidAreaFileNameSpeedButton);
    input->addWidget(InvalidAreaFileNameEdit);
    input->addStretch(1);

    // "Unwrap"
    MethodComboBox = Named(new QComboBox(UnwrapPage), "MethodComboBox");
    MethodComboBox->addItems({QStringLiteral("Region growing"), QStringLiteral("Quality guided")});
    MethodComboBox->setToolTip(QStringLiteral(
        "Region growing grows from the start point; the fastest, for clean fringes. On noisy fringes one "
        "wrong step spreads over the rest of the map, and Mask Noise marks most pixels invalid.\n"
        "Quality guided joins the pixels from the smoothest down, so noise and bad areas stay local; for "
        "noisy fringes, speckle and maps with bad areas. Two to five times slower."));
    MethodHintLabel = Named(new QLabel(kRegionHint, UnwrapPage), "MethodHintLabel");
    MethodHintLabel->setWordWrap(true);
    ThresholdEdit = Named(new QLineEdit(QStringLiteral("0.5"), UnwrapPage), "ThresholdEdit");
    InvalidThresholdEdit = Named(new QLineEdit(QStringLiteral("0.001"), UnwrapPage), "InvalidThresholdEdit");
    XEdit = Named(new QLineEdit(QStringLiteral("128"), UnwrapPage), "XEdit");
    YEdit = Named(new QLineEdit(QStringLiteral("128"), UnwrapPage), "YEdit");
    MaskNoiseButton = Named(new QPushButton(QStringLiteral("Mask Noise"), UnwrapPage), "MaskNoiseButton");
    UnwrapButton = Named(new QPushButton(QStringLiteral("Unwrap"), UnwrapPage), "UnwrapButton");
    // Mask Noise takes the same edit as Unwrap but without the factor 2 pi: said where it is set.
    MaskNoiseNoteLabel = Named(new QLabel(QStringLiteral("Mask Noise reads Threshold in radians, not X 2PI: "
                                                         "with 0.5 it marks clean fringes steeper than "
                                                         "0.5 rad per pixel as noise."),
                                          UnwrapPage),
                               "MaskNoiseNoteLabel");
    MaskNoiseNoteLabel->setWordWrap(true);
    MaskNoiseButton->setToolTip(MaskNoiseNoteLabel->text());
    auto* unwrap = new QGridLayout(UnwrapPage);
    unwrap->addWidget(new QLabel(QStringLiteral("Method"), UnwrapPage), 0, 0);
    unwrap->addWidget(MethodComboBox, 0, 1, 1, 2);
    unwrap->addWidget(MethodHintLabel, 1, 0, 1, 3);
    unwrap->addWidget(new QLabel(QStringLiteral("Threshold"), UnwrapPage), 2, 0);
    unwrap->addWidget(ThresholdEdit, 2, 1);
    unwrap->addWidget(new QLabel(QStringLiteral("X 2PI"), UnwrapPage), 2, 2);
    unwrap->addWidget(new QLabel(QStringLiteral("Invalid Threshold"), UnwrapPage), 3, 0);
    unwrap->addWidget(InvalidThresholdEdit, 3, 1);
    unwrap->addWidget(MaskNoiseNoteLabel, 4, 0, 1, 3);
    unwrap->addWidget(new QLabel(QStringLiteral("Starting Point"), UnwrapPage), 5, 0);
    unwrap->addLayout(StartingPointRow(UnwrapPage, XEdit, YEdit), 5, 1, 1, 2);
    unwrap->addWidget(MaskNoiseButton, 6, 0);
    unwrap->addWidget(UnwrapButton, 6, 1);
    unwrap->setRowStretch(7, 1);

    // "Output"
    SaveToFloatButton =
        Named(new QPushButton(QStringLiteral("Save To Float"), OutputPage), "SaveToFloatButton");
    auto* output = new QVBoxLayout(OutputPage);
    output->addWidget(SaveToFloatButton);
    output->addStretch(1);

    LayOutUnwrapTool(this, UnwrapPageControl, CloseButton);

    Bind(PhaseImageSpeedButton, &QToolButton::clicked, &TNewUnwrapForm::PhaseImageSpeedButtonClick);
    Bind(InvalidAreaFileNameSpeedButton, &QToolButton::clicked,
         &TNewUnwrapForm::InvalidAreaFileNameSpeedButtonClick);
    Bind(UseInvalidAreaFileCheckBox, &QCheckBox::toggled, &TNewUnwrapForm::UseInvalidAreaFileCheckBoxClick);
    Bind(MaskNoiseButton, &QPushButton::clicked, &TNewUnwrapForm::MaskNoiseButtonClick);
    Bind(UnwrapButton, &QPushButton::clicked, &TNewUnwrapForm::UnwrapButtonClick);
    Bind(MethodComboBox, &QComboBox::currentIndexChanged, &TNewUnwrapForm::MethodComboBoxChange);
    Bind(SaveToFloatButton, &QPushButton::clicked, &TNewUnwrapForm::SaveToFloatButtonClick);
}

TNewUnwrapForm::~TNewUnwrapForm() = default;

void TNewUnwrapForm::FormShow() {
    UnwrapPageControl->setCurrentWidget(InputPage);
    WorkingDirLabel->setText(QDir::currentPath());
}

void TNewUnwrapForm::FormHide() {
    model_.Phase.reset();
    model_.Quality.reset();
}

NewUnwrapOptions TNewUnwrapForm::Options(bool withStart) const {
    NewUnwrapOptions options;
    options.Threshold = static_cast<float>(StrToFloat(ThresholdEdit));
    options.InvalidThreshold = static_cast<float>(StrToFloat(InvalidThresholdEdit));
    if (withStart) {
        options.StartX = StrToInt(XEdit);
        options.StartY = StrToInt(YEdit);
    }
    options.PhaseFile = WorkingFile(*WorkingDirLabel, PhaseImageFileNameEdit->text()).toStdString();
    options.Method =
        MethodComboBox->currentIndex() == 1 ? UnwrapMethod::QualityGuided : UnwrapMethod::RegionGrowing;
    options.UseInvalidAreaFile = UseInvalidAreaFileCheckBox->isChecked();
    options.InvalidAreaFile = WorkingFile(*WorkingDirLabel, InvalidAreaFileNameEdit->text()).toStdString();
    return options;
}

void TNewUnwrapForm::PhaseImageSpeedButtonClick() {
    FileDialogRequest request;
    request.Filter = kPhaseFilter;
    const auto chosen = ChooseIntoWorkingDir(dialogs_, request, *PhaseImageFileNameEdit, *WorkingDirLabel);
    if (!chosen) return;
    model_.OpenPhase(chosen->toStdString());
    ShowFloatMap(main_, kPhaseRole, *model_.Phase);
}

void TNewUnwrapForm::InvalidAreaFileNameSpeedButtonClick() {
    FileDialogRequest request;
    request.Filter = kPictureFilter;
    const auto chosen = ChooseIntoWorkingDir(dialogs_, request, *InvalidAreaFileNameEdit, *WorkingDirLabel);
    if (!chosen) return;
    model_.OpenInvalidArea(chosen->toStdString());
    ShowInRole(kInvalidRole, *model_.InvalidArea);
}

void TNewUnwrapForm::UseInvalidAreaFileCheckBoxClick() {
    const bool use = UseInvalidAreaFileCheckBox->isChecked();
    InvalidAreaFileNameEdit->setEnabled(use);
    InvalidAreaFileNameSpeedButton->setEnabled(use);
}

void TNewUnwrapForm::MaskNoiseButtonClick() {
    model_.MaskNoise(Options(false));
    ShowInRole(kInvalidRole, *model_.InvalidArea);
}

void TNewUnwrapForm::UnwrapButtonClick() {
    model_.Unwrap(Options(true),
                  [this](const TFloatImage& grown) { ShowFloatMap(main_, kUnwrappedRole, grown); });
    ShowFloatMap(main_, kFinalRole, *model_.Phase);
    if (model_.Quality) ShowFloatMap(main_, kQualityRole, *model_.Quality);
}

void TNewUnwrapForm::MethodComboBoxChange() {
    MethodHintLabel->setText(MethodComboBox->currentIndex() == 1 ? kQualityHint : kRegionHint);
}

void TNewUnwrapForm::SaveToFloatButtonClick() {
    // Without a phase map there is nothing to write, so no file name is asked for.
    if (!model_.Phase) return;
    const auto chosen = ChooseSaveFile(kPhaseFilter, QStringLiteral("*.flt"));
    if (!chosen || !model_.Phase) return;
    model_.Phase->SaveFlt(chosen->toStdString());
}

void TNewUnwrapForm::DocumentClicked(TMDIChildForm& /*child*/, int x, int y) {
    XEdit->setText(QString::number(x));
    YEdit->setText(QString::number(y));
}

} // namespace corvane::ui
