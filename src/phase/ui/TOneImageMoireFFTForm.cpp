#include "phase/ui/TOneImageMoireFFTForm.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <cstdlib>

#include "shell/Convert.h"
#include "shell/TMDIChildForm.h"

namespace corvane::ui {

namespace {
const QString kSuffix = QStringLiteral("One Image");
const QString kSaveFilter =
    QStringLiteral("Result Data(*.dat,*.data)|*.dat;*.data|Bin Files(*.flt)|*.flt|All fils(*.*)|*.*");
} // namespace

TOneImageMoireFFTForm::TOneImageMoireFFTForm(TMainForm& mainForm)
    : TToolForm(mainForm, {.Name = "OneImageMoireFFTForm",
                           .Title = QStringLiteral("One Image Moire FFT"),
                           .ShowCommand = "OneGridImageFFTAction",
                           .LockedCommands = {"OneGridImageFFTAction", "TwoGridImageFFTAction"},
                           .RoleWindows = TCarrierMoireRoles(kSuffix).All(),
                           .CloseRolesOnHide = true}),
      wizard_(mainForm, *this, CloseButton, *this,
              {.Method = TCarrierMethod::OneImage,
               .Suffix = kSuffix,
               .TableTitle = QStringLiteral("Save Result To"),
               .SaveFilter = kSaveFilter,
               .MaskDefault = QString(),
               .PictureLabel = QStringLiteral("Moire image (its undeformed strip is the reference)")}) {
    QWidget* stepOne = wizard_.PageWidget(0);
    RefDirectionRadioGroup =
        Named(new QGroupBox(QStringLiteral("Direction"), stepOne), "RefDirectionRadioGroup");
    HorizontalRadioButton = Named(new QRadioButton(QStringLiteral("  Horizatal"), RefDirectionRadioGroup),
                                  "HorizontalRadioButton");
    VerticalRadioButton =
        Named(new QRadioButton(QStringLiteral("  Vertical"), RefDirectionRadioGroup), "VerticalRadioButton");
    HorizontalRadioButton->setChecked(true);
    auto* directions = new QVBoxLayout(RefDirectionRadioGroup);
    directions->addWidget(HorizontalRadioButton);
    directions->addWidget(VerticalRadioButton);
    RefSizeEdit = Named(new QLineEdit(QStringLiteral("32"), stepOne), "RefSizeEdit");
    QGridLayout* grid = wizard_.StepOneGrid();
    grid->addWidget(RefDirectionRadioGroup, 1, 0, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("Size"), stepOne), 2, 0);
    grid->addWidget(RefSizeEdit, 2, 1);

    ModifyButton = Named(new QPushButton(QStringLiteral("Modify"), wizard_.PageWidget(1)), "ModifyButton");
    wizard_.CarrierGrid()->addWidget(ModifyButton, 1, 2);

    AddPopupMenu();
    MoireNotebook->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(MoireNotebook, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { PopupMenu->popup(MoireNotebook->mapToGlobal(pos)); });
    SavetoBinFileMenuItem =
        Named(PopupMenu->addAction(QStringLiteral("Save to Bin File...")), "SavetoBinFileMenuItem");
    SaveReftoBinFile1 =
        Named(PopupMenu->addAction(QStringLiteral("Save Ref to Bin File...")), "SaveReftoBinFile1");

    using F = TOneImageMoireFFTForm;
    Bind(BrowseMoireIMageFileSpeedButton, &QToolButton::clicked, &F::BrowseMoireIMageFileSpeedButtonClick);
    Bind(NextButton, &QPushButton::clicked, &F::NextButtonClick);
    Bind(PreviousButton, &QPushButton::clicked, &F::PreviousButtonClick);
    Bind(ComputeCarrierButton, &QPushButton::clicked, &F::ComputeCarrierButtonClick);
    Bind(ModifyButton, &QPushButton::clicked, &F::ModifyButtonClick);
    Bind(AdjustButton, &QPushButton::clicked, &F::AdjustButtonClick);
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
    Bind(SavetoBinFileMenuItem, &QAction::triggered, &F::SavetoBinFileMenuItemClick);
    Bind(SaveReftoBinFile1, &QAction::triggered, &F::SaveReftoBinFile1Click);
}

int TOneImageMoireFFTForm::RefDirectionIndex() const {
    return VerticalRadioButton->isChecked() ? 1 : 0;
}

void TOneImageMoireFFTForm::FormShow() {
    wizard_.Shown();
}

void TOneImageMoireFFTForm::FormHide() {
    wizard_.Hidden();
}

void TOneImageMoireFFTForm::BrowseMoireIMageFileSpeedButtonClick() {
    wizard_.ChoosePicture(MoireImageFileNameEdit, wizard_.Roles.RawImage);
}

void TOneImageMoireFFTForm::NextButtonClick() {
    if (wizard_.Page() == 0) {
        TCarrierSource files;
        files.ImageFile = wizard_.FileOf(MoireImageFileNameEdit);
        wizard_.Moire().RequireFiles(files);
    }
    wizard_.Next(
        [this] {
            TCarrierSource source;
            source.ImageFile = wizard_.FileOf(MoireImageFileNameEdit);
            source.Strip = RefDirectionIndex() == 1 ? TStripDirection::Columns : TStripDirection::Rows;
            source.StripSize = StrToInt(RefSizeEdit);
            return source;
        },
        [] { return TReferenceRemoval::Plane; });
}

void TOneImageMoireFFTForm::PreviousButtonClick() {
    wizard_.Previous();
}

void TOneImageMoireFFTForm::ComputeCarrierButtonClick() {
    wizard_.ComputeCarrier();
}

void TOneImageMoireFFTForm::ModifyButtonClick() {
    wizard_.ModifyCarrier();
}

void TOneImageMoireFFTForm::AdjustButtonClick() {
    wizard_.Adjust();
}

void TOneImageMoireFFTForm::SaveReferencePhaseButtonClick() {
    wizard_.SaveMap(TMoireMap::Reference, TValueScaleRule::One,
                    QStringLiteral("Save Reference to Float format"));
}

void TOneImageMoireFFTForm::SaveDeformedPhaseButtonClick() {
    wizard_.SaveMap(TMoireMap::Image, TValueScaleRule::One,
                    QStringLiteral("Save Deformed Grid Phase to Float Format"));
}

void TOneImageMoireFFTForm::SavetoBinFileMenuItemClick() {
    wizard_.SaveMap(TMoireMap::Image, TValueScaleRule::Keep,
                    QStringLiteral("Save Deformed grid phase/ displacement"));
}

void TOneImageMoireFFTForm::SaveReftoBinFile1Click() {
    wizard_.SaveMap(TMoireMap::Reference, TValueScaleRule::Keep,
                    QStringLiteral("Save Reference grid phase/ displacement"));
}

void TOneImageMoireFFTForm::PhaseIntegerButtonClick() {
    wizard_.SetFringeOrder();
}

void TOneImageMoireFFTForm::ConvertButtonClick() {
    wizard_.ConvertPitch();
}

void TOneImageMoireFFTForm::ComputeBaseValueButtonClick() {
    wizard_.ComputeAverage();
}

void TOneImageMoireFFTForm::ConvertToAbsoluteDisplacementButtonClick() {
    wizard_.ConvertToAbsolute();
}

void TOneImageMoireFFTForm::SaveButtonClick() {
    wizard_.SaveTable();
}

void TOneImageMoireFFTForm::MaskFileSpeedButtonClick() {
    wizard_.ChooseMask();
}

void TOneImageMoireFFTForm::UseOutputGridCheckBoxClick() {
    wizard_.UpdateOptionalControls();
}

void TOneImageMoireFFTForm::UseMaskCheckBoxClick() {
    wizard_.UpdateOptionalControls();
}

void TOneImageMoireFFTForm::OutputRangeCheckBoxClick() {
    wizard_.UpdateOptionalControls();
}

void TOneImageMoireFFTForm::DocumentDragged(TMDIChildForm& child, int x1, int y1, int x2, int y2) {
    const int size = RefDirectionIndex() == 1 ? std::abs(x2 - x1) + 1 : std::abs(y2 - y1) + 1;
    RefSizeEdit->setText(QString::number(size));
    wizard_.Dragged(child, x1, y1, x2, y2);
}

void TOneImageMoireFFTForm::DocumentMouseMoved(TMDIChildForm& child, int x, int y) {
    wizard_.MouseMoved(child, x, y);
}

} // namespace corvane::ui
