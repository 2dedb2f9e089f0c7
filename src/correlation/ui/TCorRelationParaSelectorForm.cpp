#include "correlation/ui/TCorRelationParaSelectorForm.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHideEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPushButton>
#include <QShowEvent>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <utility>
#include <vector>

#include "correlation/CorRelationConfig.h"
#include "correlation/CorRelationParaCheck.h"
#include "image/CorvaneError.h"
#include "image/TGrayImage.h"
#include "shell/Convert.h"
#include "shell/FileFilter.h"
#include "shell/Platform.h"
#include "shell/TMDIChildForm.h"
#include "shell/TMainForm.h"

namespace corvane::ui {

namespace {

const QString kInitialRole = QStringLiteral("CorRelation:Initial");
const QString kDeformedRole = QStringLiteral("CorRelation:Deformed");
const QString kMaskRole = QStringLiteral("CorRelation:Mask");

QLineEdit* MakeEdit(QWidget* parent, const char* name, const QString& text, bool readOnly = false) {
    auto* edit = new QLineEdit(text, parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setReadOnly(readOnly);
    return edit;
}

QLabel* MakeLabel(QWidget* parent, const QString& text, const char* name = nullptr) {
    auto* label = new QLabel(text, parent);
    if (name) label->setObjectName(QString::fromLatin1(name));
    return label;
}

QCheckBox* MakeCheckBox(QWidget* parent, const char* name, const QString& caption, bool checked) {
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setChecked(checked);
    return box;
}

QWidget* MakePage(QStackedWidget* pages, const char* name) {
    auto* page = new QWidget(pages);
    page->setObjectName(QString::fromLatin1(name));
    pages->addWidget(page);
    return page;
}

std::int32_t IntOf(const QLineEdit* edit) {
    return StrToInt(edit);
}
float FloatOf(const QLineEdit* edit) {
    return static_cast<float>(StrToFloat(edit));
}

std::string BareName(const std::string& name) {
    return std::filesystem::path(name).filename().string();
}

} // namespace

TCorRelationParaSelectorForm::TCorRelationParaSelectorForm(
    TMainForm& mainForm, std::function<void(const TCorRelationPara&)> startGroupJob)
    : TToolForm(mainForm, {.Name = "CorRelationParaSelectorForm",
                           .Title = QStringLiteral("Select CorRelation Parameters"),
                           .RoleWindows = {kInitialRole, kDeformedRole, kMaskRole},
                           .CloseRolesOnHide = true}),
      startGroupJob_(std::move(startGroupJob)) {

    Pages = new QStackedWidget(this);
    Pages->setObjectName(QStringLiteral("Pages"));
    InputFiles = MakePage(Pages, "InputFiles");
    OutputFiles = MakePage(Pages, "OutputFiles");
    SeedInfo = MakePage(Pages, "SeedInfo");
    SearchInfo = MakePage(Pages, "SearchInfo");
    ComputeDomain = MakePage(Pages, "ComputeDomain");
    OutputControl = MakePage(Pages, "OutputControl");
    BuildInputFiles();
    BuildOutputFiles();
    BuildSeedInfo();
    BuildSearchInfo();
    BuildComputeDomain();
    BuildOutputControl();

    PreviousButton = new QPushButton(QStringLiteral("<< Previous"), this);
    PreviousButton->setObjectName(QStringLiteral("PreviousButton"));
    PreviousButton->setEnabled(false);
    NextButton = new QPushButton(QStringLiteral("Next >>"), this);
    NextButton->setObjectName(QStringLiteral("NextButton"));

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(CloseButton);
    buttons->addStretch(1);
    buttons->addWidget(PreviousButton);
    buttons->addWidget(NextButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Pages, 1);
    layout->addLayout(buttons);

    Bind(PreviousButton, &QPushButton::clicked, &TCorRelationParaSelectorForm::PreviousButtonClick);
    Bind(NextButton, &QPushButton::clicked, &TCorRelationParaSelectorForm::NextButtonClick);
    Bind(InitialSpeedButton, &QToolButton::clicked, &TCorRelationParaSelectorForm::InitialSpeedButtonClick);
    Bind(DeformedSpeedButton, &QToolButton::clicked, &TCorRelationParaSelectorForm::DeformedSpeedButtonClick);
    Bind(MaskSpeedButton, &QToolButton::clicked, &TCorRelationParaSelectorForm::MaskSpeedButtonClick);
    Bind(OutputGrayCheckBox, &QCheckBox::toggled, &TCorRelationParaSelectorForm::OutputGrayCheckBoxClick);
    Bind(OutputBinFloatCheckBox, &QCheckBox::toggled,
         &TCorRelationParaSelectorForm::OutputBinFloatCheckBoxClick);
    Bind(SearchFieldMousePickerCheckBox, &QCheckBox::toggled,
         &TCorRelationParaSelectorForm::SearchFieldMousePickerCheckBoxClick);
    Bind(SearchWinMousePickerCheckBox, &QCheckBox::toggled,
         &TCorRelationParaSelectorForm::SearchWinMousePickerCheckBoxClick);
    Bind(FastComputeCheckBox, &QCheckBox::toggled, &TCorRelationParaSelectorForm::FastComputeCheckBoxClick);
    Bind(SaveParaTo1, &QAction::triggered, &TCorRelationParaSelectorForm::SaveParaTo1Click);

    connect(InitialEdit, &QLineEdit::editingFinished, this, [this] { Guarded([&] { InitialEditExit(); }); });
    for (QLineEdit* corner : {LeftEdit, TopEdit, RightEdit, BottomEdit})
        connect(corner, &QLineEdit::textChanged, this, [this] { UpdateDomainSize(); });
    for (QLineEdit* interval : {IntervalxEdit, IntervalyEdit})
        connect(interval, &QLineEdit::textChanged, this, [this] { FollowGridInterval(); });
    // clicked comes from the user only: from then on the box keeps what the user chose.
    connect(GridOnlyCheckBox, &QCheckBox::clicked, this, [this] { gridOnlySet_ = true; });
    // Messages name a field by what the user reads next to it.
    const std::pair<QLineEdit*, const char*> names[] = {
        {InitialEdit, "Initial"},
        {DeformedEdit, "Deformed"},
        {MaskEdit, "Mask"},
        {SeedxEdit, "Seed Col"},
        {SeedyEdit, "Seed Row"},
        {SeedDisplacexEdit, "Estimated Displacement x"},
        {SeedDisplaceyEdit, "Estimated Displacement y"},
        {LargeWinSizexEdit, "Seed Searching Window Size x"},
        {LargeWinSizeyEdit, "Seed Searching Window Size y"},
        {SeedFineEdit, "Seed Searching Precision"},
        {SearchFieldxEdit, "Searching Field x"},
        {SearchFieldyEdit, "Searching Field y"},
        {WinSizexEdit, "Searching Window x"},
        {WinSizeyEdit, "Searching Window y"},
        {LimitedDisplacementAmplitudeEdit, "Limited Displacement Amplitude"},
        {IntervalxEdit, "Output Interval x"},
        {IntervalyEdit, "Output Interval y"},
        {ScalexEdit, "Scale x"},
        {ScaleyEdit, "Scale y"},
        {FieldxEdit, "Filter Size x"},
        {FieldyEdit, "Filter Size y"},
        {AverageThresholdEdit, "Average Threshold"},
        {OutputLeftEdit, "Output Initial coordinate x"},
        {OutputTopEdit, "Output Initial coordinate y"},
        {MinCorrelationEdit, "Minimum Correlation"},
    };
    for (const auto& [edit, name] : names)
        edit->setAccessibleName(QString::fromLatin1(name));

    // FormCreate: the working directory is the current one; the filter is "Medium".
    WorkingDirLabel->setText(QDir::currentPath());
    FilterTypeComboBox->setCurrentIndex(2);
    UpdateModeControls();
}

TCorRelationParaSelectorForm::~TCorRelationParaSelectorForm() = default;

void TCorRelationParaSelectorForm::BuildInputFiles() {
    auto* page = InputFiles;
    InputFilesGroupBox = new QGroupBox(QStringLiteral("Input Files"), page);
    InputFilesGroupBox->setObjectName(QStringLiteral("InputFilesGroupBox"));
    InputFilesGroupBox->setToolTip(
        QStringLiteral("The three files should have the same size, in mask file, 255 is valid and output"));
    auto* box = InputFilesGroupBox;
    WorkingDirLabel = MakeLabel(box, QString(), "WorkingDirLabel");
    InitialEdit = MakeEdit(box, "InitialEdit", QString());
    DeformedEdit = MakeEdit(box, "DeformedEdit", QString());
    MaskEdit = MakeEdit(box, "MaskEdit", QStringLiteral("none"));
    const auto speedButton = [box](const char* name) {
        auto* button = new QToolButton(box);
        button->setObjectName(QString::fromLatin1(name));
        button->setText(QStringLiteral("..."));
        return button;
    };
    InitialSpeedButton = speedButton("InitialSpeedButton");
    DeformedSpeedButton = speedButton("DeformedSpeedButton");
    MaskSpeedButton = speedButton("MaskSpeedButton");

    auto* grid = new QGridLayout(box);
    grid->addWidget(MakeLabel(box, QStringLiteral("Working Directory")), 0, 0);
    grid->addWidget(WorkingDirLabel, 0, 1, 1, 2);
    grid->addWidget(MakeLabel(box, QStringLiteral("Initial")), 1, 0);
    grid->addWidget(InitialEdit, 1, 1);
    grid->addWidget(InitialSpeedButton, 1, 2);
    grid->addWidget(MakeLabel(box, QStringLiteral("Deformed")), 2, 0);
    grid->addWidget(DeformedEdit, 2, 1);
    grid->addWidget(DeformedSpeedButton, 2, 2);
    grid->addWidget(MakeLabel(box, QStringLiteral("Mask")), 3, 0);
    grid->addWidget(MaskEdit, 3, 1);
    grid->addWidget(MaskSpeedButton, 3, 2);

    FastComputeCheckBox = MakeCheckBox(page, "FastComputeCheckBox", QStringLiteral("Fast Compute"), false);
    InfoEdit = MakeEdit(page, "InfoEdit", QStringLiteral("Info.inf"));

    auto* layout = new QGridLayout(page);
    layout->addWidget(box, 0, 0, 1, 2);
    layout->addWidget(FastComputeCheckBox, 1, 0, 1, 2);
    layout->addWidget(MakeLabel(page, QStringLiteral("Save general Info to")), 2, 0);
    layout->addWidget(InfoEdit, 2, 1);
    layout->setRowStretch(3, 1);
}

void TCorRelationParaSelectorForm::BuildOutputFiles() {
    auto* page = OutputFiles;
    DisplacexyEdit = MakeEdit(page, "DisplacexyEdit", QStringLiteral("xy.dat"));
    DisplaceThetaREdit = MakeEdit(page, "DisplaceThetaREdit", QStringLiteral("ThetaR.dat"));
    OutputGrayCheckBox = MakeCheckBox(page, "OutputGrayCheckBox", QStringLiteral("Output Gray "), false);
    DxGrayLabel = MakeLabel(page, QStringLiteral("dx"), "DxGrayLabel");
    DxGrayEdit = MakeEdit(page, "DxGrayEdit", QStringLiteral("dx_gray.bmp"));
    DyGrayLabel = MakeLabel(page, QStringLiteral("dy"), "DyGrayLabel");
    DyGrayEdit = MakeEdit(page, "DyGrayEdit", QStringLiteral("dy_gray.bmp"));
    OutputBinFloatCheckBox =
        MakeCheckBox(page, "OutputBinFloatCheckBox", QStringLiteral("Output Binary Float "), true);
    DxBinLabel = MakeLabel(page, QStringLiteral("dx"), "DxBinLabel");
    DxBinEdit = MakeEdit(page, "DxBinEdit", QStringLiteral("dx_bin.flt"));
    DyBinLabel = MakeLabel(page, QStringLiteral("dy"), "DyBinLabel");
    DyBinEdit = MakeEdit(page, "DyBinEdit", QStringLiteral("dy_bin.flt"));
    ChangeYaxisCheckBox =
        MakeCheckBox(page, "ChangeYaxisCheckBox", QStringLiteral("Change Y axis to Up Direction"), true);

    auto* grid = new QGridLayout(page);
    grid->addWidget(MakeLabel(page, QStringLiteral("X and Y ")), 0, 0);
    grid->addWidget(DisplacexyEdit, 0, 1, 1, 3);
    grid->addWidget(MakeLabel(page, QStringLiteral("Theta and R")), 1, 0);
    grid->addWidget(DisplaceThetaREdit, 1, 1, 1, 3);
    grid->addWidget(OutputGrayCheckBox, 2, 0, 1, 4);
    grid->addWidget(DxGrayLabel, 3, 0);
    grid->addWidget(DxGrayEdit, 3, 1);
    grid->addWidget(DyGrayLabel, 3, 2);
    grid->addWidget(DyGrayEdit, 3, 3);
    grid->addWidget(OutputBinFloatCheckBox, 4, 0, 1, 4);
    grid->addWidget(DxBinLabel, 5, 0);
    grid->addWidget(DxBinEdit, 5, 1);
    grid->addWidget(DyBinLabel, 5, 2);
    grid->addWidget(DyBinEdit, 5, 3);
    grid->addWidget(ChangeYaxisCheckBox, 6, 0, 1, 4);
    grid->setRowStretch(7, 1);
}

void TCorRelationParaSelectorForm::BuildSeedInfo() {
    auto* page = SeedInfo;
    SeedInfoGroupBox = new QGroupBox(QStringLiteral("Seed Info"), page);
    SeedInfoGroupBox->setObjectName(QStringLiteral("SeedInfoGroupBox"));
    auto* box = SeedInfoGroupBox;
    SeedNumLabel = MakeLabel(box, QStringLiteral("How many seed included"), "SeedNumLabel");
    SeedxEdit = MakeEdit(box, "SeedxEdit", QStringLiteral("2"));
    SeedyEdit = MakeEdit(box, "SeedyEdit", QStringLiteral("2"));
    SeedDisplacexEdit = MakeEdit(box, "SeedDisplacexEdit", QStringLiteral("0"));
    SeedDisplaceyEdit = MakeEdit(box, "SeedDisplaceyEdit", QStringLiteral("0"));
    LargeWinSizeLabel = MakeLabel(box, QStringLiteral("Seed Searching Window Size"), "LargeWinSizeLabel");
    LargeWinSizexEdit = MakeEdit(box, "LargeWinSizexEdit", QStringLiteral("15"));
    LargeWinSizeyEdit = MakeEdit(box, "LargeWinSizeyEdit", QStringLiteral("15"));
    SeedFineLabel = MakeLabel(box, QStringLiteral("Seed Searching Precision"), "SeedFineLabel");
    SeedFineEdit = MakeEdit(box, "SeedFineEdit", QStringLiteral("0.1"), true);
    MousePickerCheckBox = MakeCheckBox(box, "MousePickerCheckBox", QStringLiteral("Mouse Picker"), false);

    auto* grid = new QGridLayout(box);
    grid->addWidget(MakeLabel(box, QStringLiteral("Col")), 0, 1);
    grid->addWidget(MakeLabel(box, QStringLiteral("Row")), 0, 2);
    grid->addWidget(SeedNumLabel, 1, 0);
    grid->addWidget(SeedxEdit, 1, 1);
    grid->addWidget(SeedyEdit, 1, 2);
    auto* dispLabels = new QVBoxLayout;
    dispLabels->addWidget(MakeLabel(box, QStringLiteral("Estimated Displacement")));
    dispLabels->addWidget(MakeLabel(box, QStringLiteral("(Rigidity displacement)")));
    grid->addLayout(dispLabels, 2, 0);
    grid->addWidget(SeedDisplacexEdit, 2, 1);
    grid->addWidget(SeedDisplaceyEdit, 2, 2);
    grid->addWidget(LargeWinSizeLabel, 3, 0);
    grid->addWidget(LargeWinSizexEdit, 3, 1);
    grid->addWidget(LargeWinSizeyEdit, 3, 2);
    grid->addWidget(SeedFineLabel, 4, 0);
    grid->addWidget(SeedFineEdit, 4, 1);
    grid->addWidget(MousePickerCheckBox, 5, 0, 1, 3);

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(box);
    layout->addStretch(1);
}

void TCorRelationParaSelectorForm::BuildSearchInfo() {
    auto* page = SearchInfo;
    SearchInfoGroupBox = new QGroupBox(QStringLiteral("Search Info"), page);
    SearchInfoGroupBox->setObjectName(QStringLiteral("SearchInfoGroupBox"));
    auto* box = SearchInfoGroupBox;
    SearchFieldxEdit = MakeEdit(box, "SearchFieldxEdit", QStringLiteral("20"));
    SearchFieldyEdit = MakeEdit(box, "SearchFieldyEdit", QStringLiteral("20"));
    WinSizexEdit = MakeEdit(box, "WinSizexEdit", QStringLiteral("13"));
    WinSizeyEdit = MakeEdit(box, "WinSizeyEdit", QStringLiteral("13"));
    SearchFieldMousePickerCheckBox =
        MakeCheckBox(box, "SearchFieldMousePickerCheckBox", QStringLiteral("Mouse Picker"), false);
    SearchWinMousePickerCheckBox =
        MakeCheckBox(box, "SearchWinMousePickerCheckBox", QStringLiteral("MousePicker"), false);
    // A new group is refined: the search alone gives 1/8-pixel steps, which show as stripes in
    // the displacement and strain. A configuration file without the line still runs without it.
    SubpixelRefinementCheck = MakeCheckBox(box, "SubpixelRefinementCheck",
                                           QStringLiteral("Sub-pixel refinement (Gauss-Newton)"), true);
    SubpixelRefinementCheck->setToolTip(
        QStringLiteral("Refine every point to a few thousandths of a pixel after the 1/8-pixel search"));

    auto* grid = new QGridLayout(box);
    grid->addWidget(MakeLabel(box, QStringLiteral("Searching Field(even number)")), 0, 0);
    grid->addWidget(SearchFieldxEdit, 0, 1);
    grid->addWidget(SearchFieldyEdit, 0, 2);
    grid->addWidget(SearchFieldMousePickerCheckBox, 0, 3);
    grid->addWidget(MakeLabel(box, QStringLiteral("Searching Window(odd number)")), 1, 0);
    grid->addWidget(WinSizexEdit, 1, 1);
    grid->addWidget(WinSizeyEdit, 1, 2);
    grid->addWidget(SearchWinMousePickerCheckBox, 1, 3);
    grid->addWidget(MakeLabel(box, QStringLiteral("Window Moving Range = ")), 2, 0);
    grid->addWidget(MakeLabel(box, QStringLiteral("Searching Field + Searching Window")), 2, 1, 1, 3);
    grid->addWidget(SubpixelRefinementCheck, 3, 0, 1, 4);

    NoInformationLabel = MakeLabel(page, QStringLiteral("No information in this page"), "NoInformationLabel");
    SkipPageLabel = MakeLabel(page, QStringLiteral("Skip this page"), "SkipPageLabel");
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(box);
    layout->addWidget(NoInformationLabel);
    layout->addWidget(SkipPageLabel);
    layout->addStretch(1);
}

void TCorRelationParaSelectorForm::BuildComputeDomain() {
    auto* page = ComputeDomain;
    LeftEdit = MakeEdit(page, "LeftEdit", QStringLiteral("30"));
    TopEdit = MakeEdit(page, "TopEdit", QStringLiteral("30"));
    RightEdit = MakeEdit(page, "RightEdit", QStringLiteral("70"));
    BottomEdit = MakeEdit(page, "BottomEdit", QStringLiteral("70"));
    WidthEdit = MakeEdit(page, "WidthEdit", QStringLiteral("41"), true);
    HeightEdit = MakeEdit(page, "HeightEdit", QStringLiteral("41"), true);
    ComputeDomainMousePickerCheckBox =
        MakeCheckBox(page, "ComputeDomainMousePickerCheckBox", QStringLiteral("Mouse Picker"), false);

    auto* grid = new QGridLayout(page);
    grid->addWidget(MakeLabel(page, QStringLiteral("Left")), 0, 0);
    grid->addWidget(LeftEdit, 0, 1);
    grid->addWidget(MakeLabel(page, QStringLiteral("Top")), 0, 2);
    grid->addWidget(TopEdit, 0, 3);
    grid->addWidget(MakeLabel(page, QStringLiteral("Right")), 1, 0);
    grid->addWidget(RightEdit, 1, 1);
    grid->addWidget(MakeLabel(page, QStringLiteral("Bottom")), 1, 2);
    grid->addWidget(BottomEdit, 1, 3);
    grid->addWidget(MakeLabel(page, QStringLiteral("Width")), 2, 0);
    grid->addWidget(WidthEdit, 2, 1);
    grid->addWidget(MakeLabel(page, QStringLiteral("Height")), 2, 2);
    grid->addWidget(HeightEdit, 2, 3);
    grid->addWidget(ComputeDomainMousePickerCheckBox, 3, 0, 1, 4);
    grid->setRowStretch(4, 1);
}

void TCorRelationParaSelectorForm::BuildOutputControl() {
    auto* page = OutputControl;
    OutputControlGroupBox = new QGroupBox(QStringLiteral("Output Control"), page);
    OutputControlGroupBox->setObjectName(QStringLiteral("OutputControlGroupBox"));
    auto* box = OutputControlGroupBox;
    SaveParaTo1 = new QAction(QStringLiteral("Save Para To..."), box);
    SaveParaTo1->setObjectName(QStringLiteral("SaveParaTo1"));
    box->addAction(SaveParaTo1);
    box->setContextMenuPolicy(Qt::ActionsContextMenu);

    LimitedDisplacementAmplitudeEdit =
        MakeEdit(box, "LimitedDisplacementAmplitudeEdit", QStringLiteral("20"));
    IntervalLabel = MakeLabel(box, QStringLiteral("Output Interval"), "IntervalLabel");
    IntervalxEdit = MakeEdit(box, "IntervalxEdit", QStringLiteral("5"));
    IntervalyEdit = MakeEdit(box, "IntervalyEdit", QStringLiteral("5"));
    GridOnlyCheckBox =
        MakeCheckBox(box, "GridOnlyCheckBox", QStringLiteral("Compute only the grid points"), true);
    GridOnlyCheckBox->setToolTip(QStringLiteral(
        "Correlate only the points of the output interval; the float and grey maps hold the grid"));
    ScalexEdit = MakeEdit(box, "ScalexEdit", QStringLiteral("1.0"));
    ScaleyEdit = MakeEdit(box, "ScaleyEdit", QStringLiteral("1.0"));
    FilterLabel = MakeLabel(box, QStringLiteral("Filter"), "FilterLabel");
    FilterTypeComboBox = new QComboBox(box);
    FilterTypeComboBox->setObjectName(QStringLiteral("FilterTypeComboBox"));
    FilterTypeComboBox->addItems(
        {QStringLiteral("none"), QStringLiteral("Average"), QStringLiteral("Medium")});
    FieldxEdit = MakeEdit(box, "FieldxEdit", QStringLiteral("3"));
    FieldyEdit = MakeEdit(box, "FieldyEdit", QStringLiteral("3"));
    AverageThresholdLabel = MakeLabel(box, QStringLiteral("Average Threshold"), "AverageThresholdLabel");
    AverageThresholdEdit = MakeEdit(box, "AverageThresholdEdit", QStringLiteral("0.5"));
    OutputLeftEdit = MakeEdit(box, "OutputLeftEdit", QStringLiteral("0"));
    OutputTopEdit = MakeEdit(box, "OutputTopEdit", QStringLiteral("0"));
    MinCorrelationEdit = MakeEdit(box, "MinCorrelationEdit", QStringLiteral("0"));
    MinCorrelationEdit->setToolTip(
        QStringLiteral("Points whose zero-normalised correlation is below this, and "
                       "points whose refinement diverged, are marked not computed in "
                       "the maps and left out of the tables"));

    auto* grid = new QGridLayout(box);
    grid->addWidget(MakeLabel(box, QStringLiteral("Limited Displacement Amplitude")), 0, 0);
    grid->addWidget(LimitedDisplacementAmplitudeEdit, 0, 1);
    grid->addWidget(IntervalLabel, 1, 0);
    grid->addWidget(IntervalxEdit, 1, 1);
    grid->addWidget(IntervalyEdit, 1, 2);
    grid->addWidget(GridOnlyCheckBox, 2, 1, 1, 3);
    grid->addWidget(MakeLabel(box, QStringLiteral("Scale")), 3, 0);
    grid->addWidget(ScalexEdit, 3, 1);
    grid->addWidget(ScaleyEdit, 3, 2);
    grid->addWidget(FilterLabel, 4, 0);
    grid->addWidget(FilterTypeComboBox, 4, 1);
    grid->addWidget(FieldxEdit, 4, 2);
    grid->addWidget(FieldyEdit, 4, 3);
    grid->addWidget(AverageThresholdLabel, 5, 0);
    grid->addWidget(AverageThresholdEdit, 5, 1);
    grid->addWidget(MakeLabel(box, QStringLiteral("Output Initial coordinate(pixels)")), 6, 0);
    grid->addWidget(OutputLeftEdit, 6, 1);
    grid->addWidget(OutputTopEdit, 6, 2);
    grid->addWidget(MakeLabel(box, QStringLiteral("Minimum Correlation(0=keep every point)")), 7, 0);
    grid->addWidget(MinCorrelationEdit, 7, 1);

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(box);
    layout->addStretch(1);
}

QString TCorRelationParaSelectorForm::CurrentPageName() const {
    const QWidget* page = Pages->currentWidget();
    return page ? page->objectName() : QString();
}

void TCorRelationParaSelectorForm::ShowPage(int index) {
    const int last = Pages->count() - 1;
    Pages->setCurrentIndex(index);
    PreviousButton->setEnabled(index != 0);
    NextButton->setEnabled(true);
    NextButton->setText(index == last ? QStringLiteral("Submit") : QStringLiteral("Next >>"));
}

void TCorRelationParaSelectorForm::UpdateModeControls() {
    const bool fast = FastComputeCheckBox->isChecked();
    const bool gray = !fast && OutputGrayCheckBox->isChecked();
    const bool bin = !fast && OutputBinFloatCheckBox->isChecked();

    OutputGrayCheckBox->setHidden(fast);
    OutputBinFloatCheckBox->setHidden(fast);
    for (QWidget* w : {static_cast<QWidget*>(DxGrayLabel), static_cast<QWidget*>(DxGrayEdit),
                       static_cast<QWidget*>(DyGrayLabel), static_cast<QWidget*>(DyGrayEdit)})
        w->setVisible(gray);
    for (QWidget* w : {static_cast<QWidget*>(DxBinLabel), static_cast<QWidget*>(DxBinEdit),
                       static_cast<QWidget*>(DyBinLabel), static_cast<QWidget*>(DyBinEdit)})
        w->setVisible(bin);

    SeedInfoGroupBox->setTitle(fast ? QStringLiteral(" Fast Computing Info") : QStringLiteral("Seed Info"));
    SeedNumLabel->setText(fast ? QStringLiteral("How many points to get")
                               : QStringLiteral("How many seed included"));
    LargeWinSizeLabel->setText(fast ? QStringLiteral("Fast Computing Window Size")
                                    : QStringLiteral("Seed Searching Window Size"));
    SeedFineLabel->setText(fast ? QStringLiteral("Fast Computing precision")
                                : QStringLiteral("Seed Searching Precision"));

    SearchInfoGroupBox->setHidden(fast);
    NoInformationLabel->setVisible(fast);
    SkipPageLabel->setVisible(fast);
    for (QWidget* w :
         {static_cast<QWidget*>(IntervalLabel), static_cast<QWidget*>(IntervalxEdit),
          static_cast<QWidget*>(IntervalyEdit), static_cast<QWidget*>(GridOnlyCheckBox),
          static_cast<QWidget*>(FilterLabel), static_cast<QWidget*>(FilterTypeComboBox),
          static_cast<QWidget*>(FieldxEdit), static_cast<QWidget*>(FieldyEdit),
          static_cast<QWidget*>(AverageThresholdLabel), static_cast<QWidget*>(AverageThresholdEdit)})
        w->setHidden(fast);
}

TCorRelationPara TCorRelationParaSelectorForm::FillGroup() const {
    TCorRelationPara p;
    QString dir = WorkingDirLabel->text();
    if (!dir.endsWith(QLatin1Char('/'))) dir += QLatin1Char('/');
    const auto name = [&dir](const QLineEdit* edit) { return (dir + edit->text()).toStdString(); };
    p.InitialFile = name(InitialEdit);
    p.DeformedFile = name(DeformedEdit);
    p.XYFile = name(DisplacexyEdit);
    p.ThetaRFile = name(DisplaceThetaREdit);
    p.MaskFile = name(MaskEdit);
    p.GrayXFile = name(DxGrayEdit);
    p.GrayYFile = name(DyGrayEdit);
    p.BinXFile = name(DxBinEdit);
    p.BinYFile = name(DyBinEdit);
    p.InfoFile = name(InfoEdit);
    p.OutputGray = OutputGrayCheckBox->isChecked() ? 1 : 0;
    p.OutputBin = OutputBinFloatCheckBox->isChecked() ? 1 : 0;

    p.SearchWinX = IntOf(WinSizexEdit);
    p.SearchWinY = IntOf(WinSizeyEdit);
    // The "Window Moving Range" is the searching field plus the searching window.
    p.WinMoveX = IntOf(SearchFieldxEdit) + p.SearchWinX;
    p.WinMoveY = IntOf(SearchFieldyEdit) + p.SearchWinY;
    p.LargeWinX = IntOf(LargeWinSizexEdit);
    p.LargeWinY = IntOf(LargeWinSizeyEdit);
    p.SeedNumX = IntOf(SeedxEdit);
    p.SeedNumY = IntOf(SeedyEdit);
    p.SeedDispX = IntOf(SeedDisplacexEdit);
    p.SeedDispY = IntOf(SeedDisplaceyEdit);
    p.SeedPrecision = FloatOf(SeedFineEdit);
    p.Left = IntOf(LeftEdit);
    p.Up = IntOf(TopEdit);
    p.Right = IntOf(RightEdit);
    p.Bottom = IntOf(BottomEdit);
    p.Amplitude = FloatOf(LimitedDisplacementAmplitudeEdit);
    p.GridX = IntOf(IntervalxEdit);
    p.GridY = IntOf(IntervalyEdit);
    p.OutLeft = IntOf(OutputLeftEdit);
    p.OutUp = IntOf(OutputTopEdit);
    p.ScaleX = FloatOf(ScalexEdit);
    p.ScaleY = FloatOf(ScaleyEdit);
    p.FilterType = FilterTypeComboBox->currentIndex();
    p.FilterSizeX = IntOf(FieldxEdit);
    p.FilterSizeY = IntOf(FieldyEdit);
    p.AverageThreshold = FloatOf(AverageThresholdEdit);
    p.FastCompute = FastComputeCheckBox->isChecked() ? 1 : 0;
    p.ChangeYaxis = ChangeYaxisCheckBox->isChecked() ? 1 : 0;
    p.SubpixelRefinement = SubpixelRefinementCheck->isChecked() ? 1 : 0;
    p.GridOnly = !p.FastCompute && GridOnlyCheckBox->isChecked() ? 1 : 0;
    p.MinCorrelation = FloatOf(MinCorrelationEdit);
    return p;
}

void TCorRelationParaSelectorForm::FormShow() {
    ShowPage(0);
}

void TCorRelationParaSelectorForm::NextButtonClick() {
    const int index = Pages->currentIndex();
    if (index == 0) InitialEditExit();
    if (index < Pages->count() - 1) {
        ShowPage(index + 1);
        return;
    }
    // Submit: a group the run cannot work with is refused here, naming its field, rather than by
    // the job after the wizard is gone. The job takes its own copy of the group; with no free slot
    // this throws and the wizard stays open on its last page.
    TCorRelationPara group;
    try {
        group = FillGroup();
    } catch (const CorvaneError& error) {
        // The conversion's message starts with the field's name: show that field.
        const QString message = QString::fromStdString(error.what());
        for (QLineEdit* field : NumberFields())
            if (message.startsWith(FieldName(field) + QStringLiteral(": "))) {
                FocusField(field);
                break;
            }
        throw;
    }
    CheckGroup(group);
    Group = group;
    startGroupJob_(Group);
    close();
}

void TCorRelationParaSelectorForm::PreviousButtonClick() {
    const int index = Pages->currentIndex();
    ShowPage(index > 0 ? index - 1 : 0);
}

bool TCorRelationParaSelectorForm::OpenPicture(QLineEdit* edit, const QString& roleCaption, int& width,
                                               int& height) {
    FileDialogRequest request;
    request.Filter = WithTiffPngEntry("Bitmaps (*.bmp)|*.bmp", "All files(*.*)|*.*");
    request.FilterIndex = 1;
    request.InitialDir = WorkingDirLabel->text();
    request.MustExist = true;
    const auto chosen = dialogs_.OpenFile(request);
    if (!chosen) return false;
    // The folder and the name are taken before the picture is read; a picture that cannot be
    // read leaves them shown with the error, and no window.
    const QFileInfo info(chosen->FileName);
    WorkingDirLabel->setText(info.absolutePath());
    edit->setText(info.fileName());
    const TGrayImage image(chosen->FileName.toStdString());
    main_.ShowInRole(roleCaption, image);
    width = image.Width;
    height = image.Height;
    return true;
}

void TCorRelationParaSelectorForm::InitialSpeedButtonClick() {
    int width = 0, height = 0;
    if (!OpenPicture(InitialEdit, kInitialRole, width, height)) return;
    initialShown_ = PictureFile(InitialEdit);
    SetDomainFromPicture(width, height);
}

void TCorRelationParaSelectorForm::SetDomainFromPicture(int width, int height) {
    RightEdit->setText(QString::number(width - 30));
    BottomEdit->setText(QString::number(height - 30));
    WidthEdit->setText(QString::number(IntOf(RightEdit) - IntOf(LeftEdit) + 1));
    HeightEdit->setText(QString::number(IntOf(BottomEdit) - IntOf(TopEdit) + 1));
}

void TCorRelationParaSelectorForm::FollowGridInterval() {
    if (gridOnlySet_) return;
    bool okX = false, okY = false;
    const int x = IntervalxEdit->text().trimmed().toInt(&okX);
    const int y = IntervalyEdit->text().trimmed().toInt(&okY);
    if (okX && okY) GridOnlyCheckBox->setChecked(x > 1 || y > 1);
}

void TCorRelationParaSelectorForm::UpdateDomainSize() {
    bool ok[4] = {};
    const int left = LeftEdit->text().trimmed().toInt(&ok[0]);
    const int top = TopEdit->text().trimmed().toInt(&ok[1]);
    const int right = RightEdit->text().trimmed().toInt(&ok[2]);
    const int bottom = BottomEdit->text().trimmed().toInt(&ok[3]);
    if (ok[0] && ok[2]) WidthEdit->setText(QString::number(static_cast<long long>(right) - left + 1));
    if (ok[1] && ok[3]) HeightEdit->setText(QString::number(static_cast<long long>(bottom) - top + 1));
}

QString TCorRelationParaSelectorForm::PictureFile(const QLineEdit* edit) const {
    const QString text = edit->text().trimmed();
    return text.isEmpty() ? QString() : QDir(WorkingDirLabel->text()).filePath(text);
}

void TCorRelationParaSelectorForm::InitialEditExit() {
    const QString file = PictureFile(InitialEdit);
    if (file.isEmpty() || file == initialShown_ || !QFileInfo(file).isFile()) return;
    // A typed path moves the working directory as the browse button does, so the group's names
    // stay the working directory and a bare name.
    const QFileInfo info(file);
    WorkingDirLabel->setText(info.absolutePath());
    InitialEdit->setText(info.fileName());
    initialShown_ = PictureFile(InitialEdit);
    const TGrayImage image(initialShown_.toStdString());
    main_.ShowInRole(kInitialRole, image);
    SetDomainFromPicture(image.Width, image.Height);
}

void TCorRelationParaSelectorForm::FocusField(QWidget* field) {
    for (int i = 0; i < Pages->count(); ++i)
        if (Pages->widget(i)->isAncestorOf(field)) ShowPage(i);
    field->setFocus(Qt::OtherFocusReason);
    if (auto* edit = qobject_cast<QLineEdit*>(field)) edit->selectAll();
}

std::vector<QLineEdit*> TCorRelationParaSelectorForm::NumberFields() const {
    return {WinSizexEdit,
            WinSizeyEdit,
            SearchFieldxEdit,
            SearchFieldyEdit,
            LargeWinSizexEdit,
            LargeWinSizeyEdit,
            SeedxEdit,
            SeedyEdit,
            SeedDisplacexEdit,
            SeedDisplaceyEdit,
            SeedFineEdit,
            LeftEdit,
            TopEdit,
            RightEdit,
            BottomEdit,
            LimitedDisplacementAmplitudeEdit,
            IntervalxEdit,
            IntervalyEdit,
            OutputLeftEdit,
            OutputTopEdit,
            ScalexEdit,
            ScaleyEdit,
            FieldxEdit,
            FieldyEdit,
            AverageThresholdEdit,
            MinCorrelationEdit};
}

QLineEdit* TCorRelationParaSelectorForm::FieldOf(const std::string& member) const {
    const bool fast = FastComputeCheckBox->isChecked();
    const std::pair<const char*, QLineEdit*> fields[] = {
        {"LargeWinX", LargeWinSizexEdit},
        {"LargeWinY", LargeWinSizeyEdit},
        {"WinMoveX", SearchFieldxEdit},
        {"WinMoveY", SearchFieldyEdit},
        // Fast compute correlates with the large window.
        {"SearchWinX", fast ? LargeWinSizexEdit : WinSizexEdit},
        {"SearchWinY", fast ? LargeWinSizeyEdit : WinSizeyEdit},
        {"SeedNumX", SeedxEdit},
        {"SeedNumY", SeedyEdit},
        {"SeedDispX", SeedDisplacexEdit},
        {"SeedDispY", SeedDisplaceyEdit},
        {"SeedPrecision", SeedFineEdit},
        {"Left", LeftEdit},
        {"Up", TopEdit},
        {"Right", RightEdit},
        {"Bottom", BottomEdit},
        {"GridX", IntervalxEdit},
        {"GridY", IntervalyEdit},
        {"FilterSizeX", FieldxEdit},
        {"FilterSizeY", FieldyEdit},
        {"MinCorrelation", MinCorrelationEdit},
    };
    for (const auto& [name, edit] : fields)
        if (member == name) return edit;
    return nullptr;
}

void TCorRelationParaSelectorForm::CheckGroup(const TCorRelationPara& group) {
    const auto refuse = [this](QLineEdit* field, const QString& reason) {
        FocusField(field);
        throw CorvaneError(std::string(kCheckParameters) + "\n" + FieldName(field).toStdString() + ": " +
                           reason.toStdString());
    };
    for (QLineEdit* picture : {InitialEdit, DeformedEdit}) {
        const QString file = PictureFile(picture);
        if (file.isEmpty()) refuse(picture, QStringLiteral("no picture is named"));
        if (!QFileInfo(file).isFile()) refuse(picture, QStringLiteral("%1: not exists").arg(file));
    }
    std::optional<TPictureExtent> extent;
    try {
        const TGrayImage initial(group.InitialFile);
        extent = TPictureExtent{initial.Width, initial.Height};
    } catch (const CorvaneError& error) {
        refuse(InitialEdit, QString::fromStdString(error.what()));
    }
    const auto fault = FindParaFault(group, FastComputeCheckBox->isChecked(), extent);
    if (!fault) return;
    QLineEdit* field = FieldOf(fault->Field);
    if (!field) throw CorvaneError(kCheckParameters);
    refuse(field, QString::fromStdString(fault->Reason));
}

void TCorRelationParaSelectorForm::DeformedSpeedButtonClick() {
    int width = 0, height = 0;
    OpenPicture(DeformedEdit, kDeformedRole, width, height);
}

void TCorRelationParaSelectorForm::MaskSpeedButtonClick() {
    int width = 0, height = 0;
    OpenPicture(MaskEdit, kMaskRole, width, height);
}

void TCorRelationParaSelectorForm::OutputGrayCheckBoxClick() {
    UpdateModeControls();
}

void TCorRelationParaSelectorForm::OutputBinFloatCheckBoxClick() {
    UpdateModeControls();
}

void TCorRelationParaSelectorForm::FastComputeCheckBoxClick() {
    UpdateModeControls();
}

void TCorRelationParaSelectorForm::SearchFieldMousePickerCheckBoxClick() {
    if (SearchFieldMousePickerCheckBox->isChecked()) SearchWinMousePickerCheckBox->setChecked(false);
}

void TCorRelationParaSelectorForm::SearchWinMousePickerCheckBoxClick() {
    if (SearchWinMousePickerCheckBox->isChecked()) SearchFieldMousePickerCheckBox->setChecked(false);
}

void TCorRelationParaSelectorForm::SaveParaTo1Click() {
    FileDialogRequest request;
    request.Title = QStringLiteral("Save the parameters to file");
    request.Filter = QStringLiteral("CorRelation Format Files(*.cor)|*.cor");
    request.FilterIndex = 1;
    request.InitialDir = QDir::currentPath();
    const auto chosen = dialogs_.SaveFile(request);
    if (!chosen) return;
    Group = FillGroup();
    // The file holds bare names: the reader resolves them against the file's own folder.
    TCorRelationPara bare = Group;
    for (const auto field : TCorRelationPara::FileNameFields())
        bare.*field = BareName(bare.*field);
    WriteConfigFile(chosen->FileName.toStdString(), bare);
}

void TCorRelationParaSelectorForm::DocumentDragged(TMDIChildForm& /*child*/, int x1, int y1, int x2, int y2) {
    const QString page = CurrentPageName();
    const auto set = [](QLineEdit* edit, int value) { edit->setText(QString::number(value)); };
    if (page == QLatin1String("SeedInfo")) {
        if (MousePickerCheckBox->isChecked()) {
            set(LargeWinSizexEdit, std::abs(x1 - x2));
            set(LargeWinSizeyEdit, std::abs(y1 - y2));
        }
    } else if (page == QLatin1String("SearchInfo")) {
        if (SearchFieldMousePickerCheckBox->isChecked()) {
            set(SearchFieldxEdit, std::abs(x1 - x2));
            set(SearchFieldyEdit, std::abs(y1 - y2));
        } else if (SearchWinMousePickerCheckBox->isChecked()) {
            set(WinSizexEdit, std::abs(x1 - x2));
            set(WinSizeyEdit, std::abs(y1 - y2));
        }
    } else if (page == QLatin1String("ComputeDomain")) {
        if (ComputeDomainMousePickerCheckBox->isChecked()) {
            set(LeftEdit, std::min(x1, x2));
            set(RightEdit, std::max(x1, x2));
            set(TopEdit, std::min(y1, y2));
            set(BottomEdit, std::max(y1, y2));
            set(WidthEdit, std::abs(x1 - x2) + 1);
            set(HeightEdit, std::abs(y1 - y2) + 1);
        }
    }
}

} // namespace corvane::ui
