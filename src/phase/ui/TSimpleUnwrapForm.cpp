#include "phase/ui/TSimpleUnwrapForm.h"

#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "image/TFloatImage.h"
#include "phase/ui/UnwrapToolFiles.h"
#include "shell/Convert.h"
#include "shell/Platform.h"
#include "shell/TMainForm.h"

namespace corvane::ui {

namespace {

const QString kPhaseRole = QStringLiteral("Phase Image:Simple Unwrap");
const QString kMedianInputRole = QStringLiteral("Median Result,input:Simple Unwrap");
const QString kMedianOutputRole = QStringLiteral("Median Result,output:Simple Unwrap");
const QString kUnwrappedRole = QStringLiteral("Unwrapped Phase Image:Simple Unwrap");

const QString kPhaseFilter = QStringLiteral("Float Phase File(*.flt)|*.flt|All files(*.*)|*.*");

/// A median window track bar: 1 to 11, ticks every 2, at 3.
QSlider* MedianTrackBar(QWidget* parent) {
    auto* bar = new QSlider(Qt::Horizontal, parent);
    bar->setRange(1, 11);
    bar->setTickInterval(2);
    bar->setTickPosition(QSlider::TicksBelow);
    bar->setPageStep(2);
    bar->setValue(3);
    return bar;
}

QLineEdit* PositionBox(QWidget* parent) {
    auto* edit = new QLineEdit(QStringLiteral("3"), parent);
    edit->setReadOnly(true);
    edit->setMaximumWidth(48);
    return edit;
}

} // namespace

TSimpleUnwrapForm::TSimpleUnwrapForm(TMainForm& mainForm)
    : TToolForm(mainForm,
                {.Name = "SimpleUnwrapForm",
                 .Title = QStringLiteral("Simple Unwrap"),
                 .ShowCommand = "SimpleUnwrapAction",
                 .LockedCommands = {},
                 .GuardsDocuments = false,
                 .RoleWindows = {kPhaseRole, kMedianInputRole, kMedianOutputRole, kUnwrappedRole}}) {
    const UnwrapToolPages pages = MakeUnwrapToolPages(this);
    UnwrapPageControl = pages.UnwrapPageControl;
    InputPage = pages.InputPage;
    UnwrapPage = pages.UnwrapPage;
    OutputPage = pages.OutputPage;

    // "Input"
    WorkingDirLabel = pages.WorkingDirLabel;
    PhaseImageSpeedButton = pages.PhaseImageSpeedButton;
    PhaseImageFileNameEdit = pages.PhaseImageFileNameEdit;
    MedianFilterTrackBar = Named(MedianTrackBar(InputPage), "MedianFilterTrackBar");
    PositionEdit = Named(PositionBox(InputPage), "PositionEdit");
    MedianInputButton =
        Named(new QPushButton(QStringLiteral("Median Input"), InputPage), "MedianInputButton");
    // The input is the wrapped phase: said where its median is chosen.
    MedianInputNoteLabel =
        Named(new QLabel(QStringLiteral("Median Input filters the wrapped phase: it smears "
                                        "the 2PI jumps and Unwrap then goes wrong in "
                                        "streaks. Prefer Median Output after Unwrap."),
                         InputPage),
              "MedianInputNoteLabel");
    MedianInputNoteLabel->setWordWrap(true);
    MedianInputButton->setToolTip(MedianInputNoteLabel->text());
    QVBoxLayout* input = pages.Input;
    auto* inputMedian = new QHBoxLayout;
    inputMedian->addWidget(MedianFilterTrackBar, 1);
    inputMedian->addWidget(PositionEdit);
    inputMedian->addWidget(MedianInputButton);
    input->addLayout(inputMedian);
    input->addWidget(MedianInputNoteLabel);
    input->addStretch(1);

    // "Unwrap"
    ThresholdEdit = Named(new QLineEdit(QStringLiteral("0.5"), UnwrapPage), "ThresholdEdit");
    XEdit = Named(new QLineEdit(QStringLiteral("128"), UnwrapPage), "XEdit");
    YEdit = Named(new QLineEdit(QStringLiteral("128"), UnwrapPage), "YEdit");
    UnwrapButton = Named(new QPushButton(QStringLiteral("Unwrap"), UnwrapPage), "UnwrapButton");
    auto* unwrap = new QGridLayout(UnwrapPage);
    unwrap->addWidget(new QLabel(QStringLiteral("Threshold"), UnwrapPage), 0, 0);
    unwrap->addWidget(ThresholdEdit, 0, 1);
    unwrap->addWidget(new QLabel(QStringLiteral("X 2PI"), UnwrapPage), 0, 2);
    unwrap->addWidget(new QLabel(QStringLiteral("Starting Point"), UnwrapPage), 1, 0);
    unwrap->addLayout(StartingPointRow(UnwrapPage, XEdit, YEdit), 1, 1, 1, 2);
    unwrap->addWidget(UnwrapButton, 2, 1);
    unwrap->setRowStretch(3, 1);

    // "Output"
    TrackBar1 = Named(MedianTrackBar(OutputPage), "TrackBar1");
    OutPositionEdit = Named(PositionBox(OutputPage), "OutPositionEdit");
    MedianOutputButton =
        Named(new QPushButton(QStringLiteral("Median Output"), OutputPage), "MedianOutputButton");
    SaveToFloatButton =
        Named(new QPushButton(QStringLiteral("Save To Float"), OutputPage), "SaveToFloatButton");
    auto* output = new QVBoxLayout(OutputPage);
    auto* outputMedian = new QHBoxLayout;
    outputMedian->addWidget(TrackBar1, 1);
    outputMedian->addWidget(OutPositionEdit);
    outputMedian->addWidget(MedianOutputButton);
    output->addLayout(outputMedian);
    output->addWidget(SaveToFloatButton);
    output->addStretch(1);

    LayOutUnwrapTool(this, UnwrapPageControl, CloseButton);

    Bind(PhaseImageSpeedButton, &QToolButton::clicked, &TSimpleUnwrapForm::PhaseImageSpeedButtonClick);
    Bind(MedianFilterTrackBar, &QSlider::valueChanged, &TSimpleUnwrapForm::MedianFilterTrackBarChange);
    Bind(TrackBar1, &QSlider::valueChanged, &TSimpleUnwrapForm::MedianFilterTrackBarChange);
    Bind(MedianInputButton, &QPushButton::clicked, &TSimpleUnwrapForm::MedianInputButtonClick);
    Bind(MedianOutputButton, &QPushButton::clicked, &TSimpleUnwrapForm::MedianOutputButtonClick);
    Bind(UnwrapButton, &QPushButton::clicked, &TSimpleUnwrapForm::UnwrapButtonClick);
    Bind(SaveToFloatButton, &QPushButton::clicked, &TSimpleUnwrapForm::SaveToFloatButtonClick);
}

TSimpleUnwrapForm::~TSimpleUnwrapForm() = default;

void TSimpleUnwrapForm::FormShow() {
    UnwrapPageControl->setCurrentWidget(InputPage);
    WorkingDirLabel->setText(QDir::currentPath());
}

void TSimpleUnwrapForm::FormHide() {
    model_.Input.reset();
    model_.Output.reset();
}

void TSimpleUnwrapForm::PhaseImageSpeedButtonClick() {
    FileDialogRequest request;
    request.Filter = kPhaseFilter;
    request.DefaultExt = QStringLiteral("*.flt");
    const auto chosen = ChooseIntoWorkingDir(dialogs_, request, *PhaseImageFileNameEdit, *WorkingDirLabel);
    if (!chosen) return;
    model_.OpenPhase(chosen->toStdString());
    ShowFloatMap(main_, kPhaseRole, *model_.Input);
}

void TSimpleUnwrapForm::MedianFilterTrackBarChange() {
    PositionEdit->setText(QString::number(MedianFilterTrackBar->value()));
    OutPositionEdit->setText(QString::number(TrackBar1->value()));
}

void TSimpleUnwrapForm::MedianInputButtonClick() {
    if (model_.MedianInput(StrToInt(PositionEdit))) ShowFloatMap(main_, kMedianInputRole, *model_.Input);
}

void TSimpleUnwrapForm::MedianOutputButtonClick() {
    if (model_.MedianOutput(StrToInt(OutPositionEdit)))
        ShowFloatMap(main_, kMedianOutputRole, *model_.Output);
}

void TSimpleUnwrapForm::UnwrapButtonClick() {
    const float coef = static_cast<float>(StrToFloat(ThresholdEdit));
    const std::int32_t x = StrToInt(XEdit);
    const std::int32_t y = StrToInt(YEdit);
    model_.Unwrap(coef, x, y);
    ShowFloatMap(main_, kUnwrappedRole, *model_.Output);
}

void TSimpleUnwrapForm::SaveToFloatButtonClick() {
    // Without an output map there is nothing to write, so no file name is asked for.
    if (!model_.Output) return;
    const auto chosen = ChooseSaveFile(kPhaseFilter, QStringLiteral("*.flt"));
    if (!chosen || !model_.Output) return;
    model_.Output->SaveFlt(chosen->toStdString());
}

void TSimpleUnwrapForm::DocumentClicked(TMDIChildForm& /*child*/, int x, int y) {
    XEdit->setText(QString::number(x));
    YEdit->setText(QString::number(y));
}

} // namespace corvane::ui
