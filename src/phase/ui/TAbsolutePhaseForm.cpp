#include "phase/ui/TAbsolutePhaseForm.h"

#include <QCheckBox>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

#include "image/TFloatImage.h"
#include "image/TGrayImage.h"
#include "phase/AbsolutePhase.h"
#include "phase/ui/UnwrapToolFiles.h"
#include "shell/Convert.h"
#include "shell/FileFilter.h"
#include "shell/Platform.h"
#include "shell/TMDIChildForm.h"
#include "shell/TMainForm.h"

namespace corvane::ui {

namespace {

const QString kMapRole = QStringLiteral("Relative Phase");
const QString kMaskRole = QStringLiteral("Phase Mask");

const QString kOpenFilter = QStringLiteral("Float Phase File(*.flt)|*.flt|All files(*.*)|*.*");
const QString kSaveFilter =
    QStringLiteral("Float Phase File(*.flt)|*.flt|Data files(*.dat)|*.dat|All files(*.*)|*.*");
const QString kPictureFilter = WithTiffPngEntry("Bitmaps (*.bmp)|*.bmp", "All Files(*.*)|*.*");

QLineEdit* Edit(QWidget* parent, const char* name, const QString& text) {
    auto* edit = new QLineEdit(text, parent);
    edit->setObjectName(QString::fromLatin1(name));
    return edit;
}

QLabel* Label(QWidget* parent, const char* text) {
    return new QLabel(QString::fromUtf8(text), parent);
}

} // namespace

TAbsolutePhaseForm::TAbsolutePhaseForm(TMainForm& mainForm)
    : TToolForm(mainForm, {.Name = "AbsolutePhaseForm",
                           .Title = QStringLiteral("Absolute Displacement"),
                           .ShowCommand = "AbsolutePhaseAction",
                           .LockedCommands = {},
                           .GuardsDocuments = false,
                           .RoleWindows = {kMapRole, kMaskRole}}) {
    AbsolutePhasePageControl = Named(new QTabWidget(this), "AbsolutePhasePageControl");
    InputPage = Named(new QWidget(AbsolutePhasePageControl), "InputPage");
    DisplacementPage = Named(new QWidget(AbsolutePhasePageControl), "DisplacementPage");
    OutputPage = Named(new QWidget(AbsolutePhasePageControl), "OutputPage");
    AbsolutePhasePageControl->addTab(InputPage, QStringLiteral("Input"));
    AbsolutePhasePageControl->addTab(DisplacementPage, QStringLiteral("Absolute Displacement"));
    AbsolutePhasePageControl->addTab(OutputPage, QStringLiteral("Output"));

    // "Input"
    WorkingDirLabel = Named(new QLabel(InputPage), "WorkingDirLabel");
    WorkingDirLabel->setWordWrap(true);
    UnwrappedPhaseSpeedButton = Named(new QToolButton(InputPage), "UnwrappedPhaseSpeedButton");
    UnwrappedPhaseSpeedButton->setText(QStringLiteral("  Unwrapped Phase  "));
    PhaseFileNameEdit = Edit(InputPage, "PhaseFileNameEdit", QStringLiteral("Unwrapped phase file"));
    auto* input = new QVBoxLayout(InputPage);
    input->addWidget(WorkingDirLabel);
    input->addWidget(UnwrappedPhaseSpeedButton);
    input->addWidget(PhaseFileNameEdit);
    input->addStretch(1);

    // "Absolute Displacement"
    auto* order = new QGroupBox(QStringLiteral("1. Integer Fringe Numbe"), DisplacementPage);
    PhaseIntegerXEdit = Edit(order, "PhaseIntegerXEdit", QStringLiteral("0"));
    PhaseIntegerYEdit = Edit(order, "PhaseIntegerYEdit", QStringLiteral("0"));
    PhaseIntegerEdit = Edit(order, "PhaseIntegerEdit", QStringLiteral("0"));
    PhaseIntegerButton = Named(new QPushButton(QStringLiteral("Phase Integer"), order), "PhaseIntegerButton");
    auto* orderGrid = new QGridLayout(order);
    orderGrid->addWidget(Label(order, "X"), 0, 0);
    orderGrid->addWidget(PhaseIntegerXEdit, 0, 1);
    orderGrid->addWidget(Label(order, "Y"), 0, 2);
    orderGrid->addWidget(PhaseIntegerYEdit, 0, 3);
    orderGrid->addWidget(Label(order, "N"), 1, 0);
    orderGrid->addWidget(PhaseIntegerEdit, 1, 1);
    orderGrid->addWidget(PhaseIntegerButton, 1, 2, 1, 2);

    auto* pitch = new QGroupBox(QStringLiteral("2. The grid's parameter P=?"), DisplacementPage);
    PEdit = Edit(pitch, "PEdit", QStringLiteral("1.00000000"));
    GridFrequencyEdit = Edit(pitch, "GridFrequencyEdit", QStringLiteral("1.00000000"));
    ConvertButton = Named(new QPushButton(QStringLiteral("Convert"), pitch), "ConvertButton");
    auto* pitchGrid = new QGridLayout(pitch);
    pitchGrid->addWidget(Label(pitch, "P"), 0, 0);
    pitchGrid->addWidget(PEdit, 0, 1);
    pitchGrid->addWidget(ConvertButton, 0, 2);
    pitchGrid->addWidget(Label(pitch, "or the frequency of the  grid"), 1, 0, 1, 2);
    pitchGrid->addWidget(GridFrequencyEdit, 2, 1);

    auto* known = new QGroupBox(QStringLiteral("3.  Convert to Absolute Displacement"), DisplacementPage);
    AbsXEdit = Edit(known, "AbsXEdit", QStringLiteral("0"));
    AbsYEdit = Edit(known, "AbsYEdit", QStringLiteral("0"));
    AbsoluteDisplacementEdit = Edit(known, "AbsoluteDisplacementEdit", QStringLiteral("0.0"));
    ConvertToAbsoluteDisplacementButton =
        Named(new QPushButton(QStringLiteral("3.  Convert to Absolute Displacement"), known),
              "ConvertToAbsoluteDisplacementButton");
    auto* knownGrid = new QGridLayout(known);
    knownGrid->addWidget(Label(known, "X"), 0, 0);
    knownGrid->addWidget(AbsXEdit, 0, 1);
    knownGrid->addWidget(Label(known, "Y"), 0, 2);
    knownGrid->addWidget(AbsYEdit, 0, 3);
    knownGrid->addWidget(Label(known, "Displacement"), 1, 0);
    knownGrid->addWidget(AbsoluteDisplacementEdit, 1, 1, 1, 3);
    knownGrid->addWidget(ConvertToAbsoluteDisplacementButton, 2, 0, 1, 4);

    auto* displacement = new QVBoxLayout(DisplacementPage);
    displacement->addWidget(Label(DisplacementPage, "Notes: Use 1 or 3 "));
    displacement->addWidget(order);
    displacement->addWidget(pitch);
    displacement->addWidget(known);
    displacement->addStretch(1);

    // "Output"
    UseOutputGridCheckBox =
        Named(new QCheckBox(QStringLiteral("Output Grids"), OutputPage), "UseOutputGridCheckBox");
    OutputGridPanel = Named(new QWidget(OutputPage), "OutputGridPanel");
    GridxEdit = Edit(OutputGridPanel, "GridxEdit", QStringLiteral("5"));
    GridyEdit = Edit(OutputGridPanel, "GridyEdit", QStringLiteral("5"));
    auto* gridRow = new QHBoxLayout(OutputGridPanel);
    gridRow->setContentsMargins(16, 0, 0, 0);
    gridRow->addWidget(Label(OutputGridPanel, "X"));
    gridRow->addWidget(GridxEdit);
    gridRow->addWidget(Label(OutputGridPanel, "Y"));
    gridRow->addWidget(GridyEdit);

    OutputRangeCheckBox =
        Named(new QCheckBox(QStringLiteral("OutputRange"), OutputPage), "OutputRangeCheckBox");
    OutputRangePanel = Named(new QWidget(OutputPage), "OutputRangePanel");
    LeftEdit = Edit(OutputRangePanel, "LeftEdit", QStringLiteral("0"));
    TopEdit = Edit(OutputRangePanel, "TopEdit", QStringLiteral("0"));
    RightEdit = Edit(OutputRangePanel, "RightEdit", QStringLiteral("0"));
    BottomEdit = Edit(OutputRangePanel, "BottomEdit", QStringLiteral("0"));
    auto* rangeGrid = new QGridLayout(OutputRangePanel);
    rangeGrid->setContentsMargins(16, 0, 0, 0);
    rangeGrid->addWidget(Label(OutputRangePanel, "Left"), 0, 0);
    rangeGrid->addWidget(LeftEdit, 0, 1);
    rangeGrid->addWidget(Label(OutputRangePanel, "Top"), 0, 2);
    rangeGrid->addWidget(TopEdit, 0, 3);
    rangeGrid->addWidget(Label(OutputRangePanel, "Right"), 1, 0);
    rangeGrid->addWidget(RightEdit, 1, 1);
    rangeGrid->addWidget(Label(OutputRangePanel, "Bottom"), 1, 2);
    rangeGrid->addWidget(BottomEdit, 1, 3);

    UseMaskCheckBox =
        Named(new QCheckBox(QStringLiteral("Use Mask Files(white is valid)"), OutputPage), "UseMaskCheckBox");
    MaskPanel = Named(new QWidget(OutputPage), "MaskPanel");
    MaskFileEdit = Edit(MaskPanel, "MaskFileEdit", QStringLiteral("MaskFile"));
    MaskFileSpeedButton = Named(new QToolButton(MaskPanel), "MaskFileSpeedButton");
    MaskFileSpeedButton->setText(QStringLiteral("..."));
    auto* maskRow = new QHBoxLayout(MaskPanel);
    maskRow->setContentsMargins(16, 0, 0, 0);
    maskRow->addWidget(MaskFileEdit, 1);
    maskRow->addWidget(MaskFileSpeedButton);

    SaveToAsciiButton =
        Named(new QPushButton(QStringLiteral("Save to ASCII Data"), OutputPage), "SaveToAsciiButton");
    SaveToFloatButton =
        Named(new QPushButton(QStringLiteral("Save to Float Data"), OutputPage), "SaveToFloatButton");
    auto* output = new QVBoxLayout(OutputPage);
    output->addWidget(UseOutputGridCheckBox);
    output->addWidget(OutputGridPanel);
    output->addWidget(OutputRangeCheckBox);
    output->addWidget(OutputRangePanel);
    output->addWidget(UseMaskCheckBox);
    output->addWidget(MaskPanel);
    output->addStretch(1);
    auto* saves = new QHBoxLayout;
    saves->addWidget(SaveToAsciiButton);
    saves->addWidget(SaveToFloatButton);
    output->addLayout(saves);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(AbsolutePhasePageControl, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(CloseButton);
    layout->addLayout(buttons);

    Bind(UnwrappedPhaseSpeedButton, &QToolButton::clicked,
         &TAbsolutePhaseForm::UnwrappedPhaseSpeedButtonClick);
    Bind(PhaseIntegerButton, &QPushButton::clicked, &TAbsolutePhaseForm::PhaseIntegerButtonClick);
    Bind(ConvertButton, &QPushButton::clicked, &TAbsolutePhaseForm::ConvertButtonClick);
    Bind(ConvertToAbsoluteDisplacementButton, &QPushButton::clicked,
         &TAbsolutePhaseForm::ConvertToAbsoluteDisplacementButtonClick);
    Bind(PEdit, &QLineEdit::editingFinished, &TAbsolutePhaseForm::PEditExit);
    Bind(GridFrequencyEdit, &QLineEdit::editingFinished, &TAbsolutePhaseForm::GridFrequencyEditExit);
    Bind(UseOutputGridCheckBox, &QCheckBox::toggled, &TAbsolutePhaseForm::UseOutputGridCheckBoxClick);
    Bind(OutputRangeCheckBox, &QCheckBox::toggled, &TAbsolutePhaseForm::OutputRangeCheckBoxClick);
    Bind(UseMaskCheckBox, &QCheckBox::toggled, &TAbsolutePhaseForm::UseMaskCheckBoxClick);
    Bind(MaskFileSpeedButton, &QToolButton::clicked, &TAbsolutePhaseForm::MaskFileSpeedButtonClick);
    Bind(SaveToAsciiButton, &QPushButton::clicked, &TAbsolutePhaseForm::SaveToAsciiButtonClick);
    Bind(SaveToFloatButton, &QPushButton::clicked, &TAbsolutePhaseForm::SaveToFloatButtonClick);

    acceptedPitch_ = PEdit->text();
    acceptedFrequency_ = GridFrequencyEdit->text();
    OutputGridPanel->setVisible(false);
    OutputRangePanel->setVisible(false);
    MaskPanel->setVisible(false);
    WorkingDirLabel->setText(QDir::currentPath());
}

TAbsolutePhaseForm::~TAbsolutePhaseForm() = default;

void TAbsolutePhaseForm::FormShow() {
    AbsolutePhasePageControl->setCurrentWidget(InputPage);
    WorkingDirLabel->setText(QDir::currentPath());
}

void TAbsolutePhaseForm::UnwrappedPhaseSpeedButtonClick() {
    FileDialogRequest request;
    request.Filter = kOpenFilter;
    request.DefaultExt = QStringLiteral("*.flt");
    const auto chosen = ChooseIntoWorkingDir(dialogs_, request, *PhaseFileNameEdit, *WorkingDirLabel);
    if (!chosen) return;
    auto map = std::make_unique<TFloatImage>(chosen->toStdString());
    map_ = std::move(map);
    ShowFloatMap(main_, kMapRole, *map_);
}

void TAbsolutePhaseForm::PhaseIntegerButtonClick() {
    if (!map_) return;
    map_->SetFringeOrder(StrToInt(PhaseIntegerXEdit), StrToInt(PhaseIntegerYEdit),
                         StrToInt(PhaseIntegerEdit));
}

void TAbsolutePhaseForm::ConvertButtonClick() {
    if (!map_) return;
    ConvertToDisplacement(*map_, static_cast<float>(StrToFloat(PEdit)));
}

void TAbsolutePhaseForm::ConvertToAbsoluteDisplacementButtonClick() {
    if (!map_) return;
    const std::int32_t x = StrToInt(AbsXEdit);
    const std::int32_t y = StrToInt(AbsYEdit);
    map_->ShiftToValue(x, y, static_cast<float>(StrToFloat(AbsoluteDisplacementEdit)));
}

void TAbsolutePhaseForm::UpdateReciprocal(QLineEdit* edit, QLineEdit* other) {
    QString text;
    try {
        text = QString::fromStdString(ReciprocalText(StrToFloat(edit)));
    } catch (...) {
        // A refused value goes back to the last accepted one, so the pair stays reciprocal and
        // Convert never meets a pitch the user was told is wrong.
        edit->setText(edit == PEdit ? acceptedPitch_ : acceptedFrequency_);
        throw;
    }
    other->setText(text);
    acceptedPitch_ = PEdit->text();
    acceptedFrequency_ = GridFrequencyEdit->text();
}

void TAbsolutePhaseForm::PEditExit() {
    UpdateReciprocal(PEdit, GridFrequencyEdit);
}

void TAbsolutePhaseForm::GridFrequencyEditExit() {
    UpdateReciprocal(GridFrequencyEdit, PEdit);
}

void TAbsolutePhaseForm::UseOutputGridCheckBoxClick() {
    OutputGridPanel->setVisible(UseOutputGridCheckBox->isChecked());
}

void TAbsolutePhaseForm::OutputRangeCheckBoxClick() {
    OutputRangePanel->setVisible(OutputRangeCheckBox->isChecked());
}

void TAbsolutePhaseForm::UseMaskCheckBoxClick() {
    MaskPanel->setVisible(UseMaskCheckBox->isChecked());
}

void TAbsolutePhaseForm::MaskFileSpeedButtonClick() {
    FileDialogRequest request;
    request.Filter = kPictureFilter;
    const auto chosen = ChooseIntoWorkingDir(dialogs_, request, *MaskFileEdit, *WorkingDirLabel);
    if (!chosen) return;
    const TGrayImage mask(chosen->toStdString());
    ShowInRole(kMaskRole, mask);
}

std::optional<FileDialogResult> TAbsolutePhaseForm::AskSaveName(int filterIndex, const QString& defaultExt) {
    FileDialogRequest request;
    request.Filter = kSaveFilter;
    request.FilterIndex = filterIndex;
    request.DefaultExt = defaultExt;
    request.InitialDir = WorkingDirLabel->text();
    return dialogs_.SaveFile(request);
}

void TAbsolutePhaseForm::SaveToAsciiButtonClick() {
    if (!map_) return;
    const auto chosen = AskSaveName(2, QStringLiteral("*.dat"));
    if (!chosen) return;
    DisplacementTableOptions options;
    options.UseOutputGrid = UseOutputGridCheckBox->isChecked();
    if (options.UseOutputGrid) {
        options.GridX = StrToInt(GridxEdit);
        options.GridY = StrToInt(GridyEdit);
    }
    options.UseOutputRange = OutputRangeCheckBox->isChecked();
    if (options.UseOutputRange) {
        options.Left = StrToInt(LeftEdit);
        options.Top = StrToInt(TopEdit);
        options.Right = StrToInt(RightEdit);
        options.Bottom = StrToInt(BottomEdit);
    }
    options.UseMask = UseMaskCheckBox->isChecked();
    options.MaskFile = WorkingFile(*WorkingDirLabel, MaskFileEdit->text()).toStdString();
    SaveDisplacementTable(*map_, chosen->FileName.toStdString(), options);
}

void TAbsolutePhaseForm::SaveToFloatButtonClick() {
    if (!map_) return;
    const auto chosen = AskSaveName(1, QStringLiteral("*.flt"));
    if (!chosen) return;
    map_->SaveFlt(chosen->FileName.toStdString());
}

void TAbsolutePhaseForm::DocumentClicked(TMDIChildForm& child, int x, int y) {
    if (child.Caption() != kMapRole) return;
    for (QLineEdit* edit : {PhaseIntegerXEdit, AbsXEdit})
        edit->setText(QString::number(x));
    for (QLineEdit* edit : {PhaseIntegerYEdit, AbsYEdit})
        edit->setText(QString::number(y));
    if (!map_) return;
    if (const auto value = PixelValueText(*map_, x, y))
        AbsoluteDisplacementEdit->setText(QString::fromStdString(*value));
}

void TAbsolutePhaseForm::DocumentDragged(TMDIChildForm& child, int x1, int y1, int x2, int y2) {
    if (child.Caption() != kMapRole || AbsolutePhasePageControl->currentWidget() != OutputPage) return;
    LeftEdit->setText(QString::number(std::min(x1, x2)));
    TopEdit->setText(QString::number(std::min(y1, y2)));
    RightEdit->setText(QString::number(std::max(x1, x2)));
    BottomEdit->setText(QString::number(std::max(y1, y2)));
}

} // namespace corvane::ui
