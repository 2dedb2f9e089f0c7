#include "phase/ui/CarrierMoireWizard.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <charconv>

#include "image/TGrayImage.h"
#include "shell/Convert.h"
#include "shell/FileFilter.h"
#include "shell/Platform.h"
#include "shell/TMDIChildForm.h"
#include "shell/TMainForm.h"

namespace corvane::ui {

namespace {

const QString kPictureFilter = WithTiffPngEntry("Bitmaps (*.bmp)|*.bmp", "All Files(*.*)|*.*");

QLineEdit* MakeEdit(QWidget* parent, const char* name, const QString& text) {
    auto* edit = new QLineEdit(text, parent);
    edit->setObjectName(QString::fromLatin1(name));
    return edit;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& caption) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    return button;
}

QToolButton* MakeSpeedButton(QWidget* parent, const char* name) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setText(QStringLiteral("..."));
    return button;
}

QCheckBox* MakeCheckBox(QWidget* parent, const char* name, const QString& caption) {
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(QString::fromLatin1(name));
    return box;
}

std::int32_t IntOf(const QLineEdit* edit) {
    return StrToInt(edit);
}

float FloatOf(const QLineEdit* edit) {
    return static_cast<float>(StrToFloat(edit));
}

void SetNumber(QLineEdit* edit, std::int64_t value) {
    edit->setText(QString::number(value));
}

/// The shortest decimal text that reads back as the same float.
QString ShortestText(float value) {
    char buffer[48];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return QString::fromLatin1(buffer, static_cast<int>(result.ptr - buffer));
}

/// A row of label + edits in a grid.
void AddRow(QGridLayout* grid, int row, const QString& label, std::initializer_list<QWidget*> widgets,
            QWidget* parent) {
    grid->addWidget(new QLabel(label, parent), row, 0);
    int column = 1;
    for (QWidget* w : widgets)
        grid->addWidget(w, row, column++);
}

} // namespace

TCarrierMoireRoles::TCarrierMoireRoles(const QString& suffix)
    : RawImage(QStringLiteral("raw image:") + suffix), Spectra(QStringLiteral("Spectra:") + suffix),
      RefSpectra(QStringLiteral("Ref Spectra:") + suffix), Phase(QStringLiteral("phase:") + suffix),
      RefPhase(QStringLiteral("Ref phase:") + suffix), Unwrapped(QStringLiteral("unwrapped phase:") + suffix),
      RefUnwrapped(QStringLiteral("unwrapped ref phase:") + suffix),
      Absolute(QStringLiteral("absolute phase:") + suffix), Mask(QStringLiteral("Mask File")) {}

std::vector<QString> TCarrierMoireRoles::All() const {
    return {RawImage, Spectra, RefSpectra, Phase, RefPhase, Unwrapped, RefUnwrapped, Absolute, Mask};
}

TCarrierMoireWizard::TCarrierMoireWizard(TMainForm& mainForm, QWidget& form, QPushButton* closeButton,
                                         TCarrierMoireControls& controls, TConfig config)
    : Roles(config.Suffix), main_(mainForm), dialogs_(mainForm.Dialogs()), form_(form), c_(controls),
      config_(std::move(config)), moire_(config_.Method), saveTitle_(config_.TableTitle) {
    c_.WorkingDirLabel = new QLabel(QDir::currentPath(), &form_);
    c_.WorkingDirLabel->setObjectName(QStringLiteral("WorkingDirLabel"));
    c_.MoireNotebook = new QTabWidget(&form_);
    c_.MoireNotebook->setObjectName(QStringLiteral("MoireNotebook"));
    // The pages follow Next and Previous only: each step's processing runs when Next leaves it.
    c_.MoireNotebook->tabBar()->setEnabled(false);
    QWidget* pages[TCarrierMoirePages::kPageCount];
    for (int i = 0; i < TCarrierMoirePages::kPageCount; ++i) {
        pages[i] = new QWidget(c_.MoireNotebook);
        c_.MoireNotebook->addTab(pages[i], QStringLiteral("Step %1").arg(i + 1));
    }
    BuildStepOne(pages[0]);
    BuildStepTwo(pages[1]);
    BuildStepThree(pages[2]);
    BuildStepFour(pages[3]);
    BuildStepFive(pages[4]);

    c_.PreviousButton = MakeButton(&form_, "PreviousButton", QStringLiteral("<<  Previous"));
    c_.NextButton = MakeButton(&form_, "NextButton", QStringLiteral("Next   >>"));
    auto* dirRow = new QHBoxLayout;
    dirRow->addWidget(new QLabel(QStringLiteral("Working Directory:"), &form_));
    dirRow->addWidget(c_.WorkingDirLabel, 1);
    auto* buttons = new QHBoxLayout;
    if (closeButton) buttons->addWidget(closeButton);
    buttons->addStretch(1);
    buttons->addWidget(c_.PreviousButton);
    buttons->addWidget(c_.NextButton);
    auto* layout = new QVBoxLayout(&form_);
    layout->addLayout(dirRow);
    layout->addWidget(c_.MoireNotebook, 1);
    layout->addLayout(buttons);
    ShowPage();
    UpdateOptionalControls();
}

QWidget* TCarrierMoireWizard::PageWidget(int index) const {
    return c_.MoireNotebook->widget(index);
}

void TCarrierMoireWizard::BuildStepOne(QWidget* page) {
    c_.MoireImageFileNameEdit = MakeEdit(page, "MoireImageFileNameEdit", QStringLiteral("Moire Image"));
    c_.BrowseMoireIMageFileSpeedButton = MakeSpeedButton(page, "BrowseMoireIMageFileSpeedButton");
    auto* column = new QVBoxLayout(page);
    if (!config_.PictureLabel.isEmpty()) column->addWidget(new QLabel(config_.PictureLabel, page));
    stepOneGrid_ = new QGridLayout;
    column->addLayout(stepOneGrid_, 1);
    stepOneGrid_->addWidget(c_.MoireImageFileNameEdit, 0, 0, 1, 2);
    stepOneGrid_->addWidget(c_.BrowseMoireIMageFileSpeedButton, 0, 2);
    stepOneGrid_->setRowStretch(10, 1);
    stepOneGrid_->setColumnStretch(1, 1);
}

void TCarrierMoireWizard::BuildStepTwo(QWidget* page) {
    c_.XEdit = MakeEdit(page, "XEdit", QStringLiteral("0"));
    c_.YEdit = MakeEdit(page, "YEdit", QStringLiteral("0"));
    c_.WidthEdit = MakeEdit(page, "WidthEdit", QStringLiteral("0"));
    c_.HeightEdit = MakeEdit(page, "HeightEdit", QStringLiteral("0"));
    c_.ComputeCarrierButton = MakeButton(page, "ComputeCarrierButton", QStringLiteral("Compute"));
    c_.CarrierXEdit = MakeEdit(page, "CarrierXEdit", QStringLiteral("0"));
    c_.CarrierYEdit = MakeEdit(page, "CarrierYEdit", QStringLiteral("0"));
    c_.CarrierSignLabel = new QLabel(page);
    c_.CarrierSignLabel->setObjectName(QStringLiteral("CarrierSignLabel"));
    c_.CarrierSignLabel->setWordWrap(true);
    c_.ReverseSignCheckBox = MakeCheckBox(page, "ReverseSignCheckBox", QStringLiteral("Reverse sign"));
    c_.ReverseSignCheckBox->setToolTip(
        QStringLiteral("Turns the wrapped phases over, as picking the opposite carrier peak would"));
    c_.MovingWidthEdit = MakeEdit(page, "MovingWidthEdit", QStringLiteral("0"));
    c_.MovingHeightEdit = MakeEdit(page, "MovingHeightEdit", QStringLiteral("0"));
    c_.AdjustButton = MakeButton(page, "AdjustButton", QStringLiteral("Adjust"));

    auto* search = new QGroupBox(QStringLiteral("1. Search the carrier in the reference spectrum"), page);
    auto* searchGrid = new QGridLayout(search);
    AddRow(searchGrid, 0, QStringLiteral("X, Y"), {c_.XEdit, c_.YEdit}, search);
    AddRow(searchGrid, 1, QStringLiteral("Width, Height"), {c_.WidthEdit, c_.HeightEdit}, search);
    searchGrid->addWidget(c_.ComputeCarrierButton, 2, 2);
    auto* carrier = new QGroupBox(QStringLiteral("2. Carrier"), page);
    auto* carrierGrid = new QGridLayout(carrier);
    AddRow(carrierGrid, 0, QStringLiteral("Carrier X, Y"), {c_.CarrierXEdit, c_.CarrierYEdit}, carrier);
    carrierGrid->addWidget(c_.CarrierSignLabel, 2, 0, 1, 3);
    carrierGrid->addWidget(c_.ReverseSignCheckBox, 3, 0, 1, 3);
    carrierGrid_ = carrierGrid;
    for (QLineEdit* edit : {c_.CarrierXEdit, c_.CarrierYEdit})
        QObject::connect(edit, &QLineEdit::textChanged, page, [this] { UpdateCarrierSign(); });
    QObject::connect(c_.ReverseSignCheckBox, &QCheckBox::toggled, page, [this] { UpdateCarrierSign(); });
    UpdateCarrierSign();
    auto* moving = new QGroupBox(QStringLiteral("3. Select Moving Range"), page);
    auto* movingGrid = new QGridLayout(moving);
    AddRow(movingGrid, 0, QStringLiteral("Width, Height"), {c_.MovingWidthEdit, c_.MovingHeightEdit}, moving);
    movingGrid->addWidget(c_.AdjustButton, 1, 2);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(search);
    layout->addWidget(carrier);
    layout->addWidget(moving);
    layout->addStretch(1);
}

void TCarrierMoireWizard::BuildStepThree(QWidget* page) {
    c_.CoefEdit = MakeEdit(page, "CoefEdit", QStringLiteral("0.7"));
    c_.StartingXEdit = MakeEdit(page, "StartingXEdit", QStringLiteral("1"));
    c_.StartingYEdit = MakeEdit(page, "StartingYEdit", QStringLiteral("1"));
    c_.RefStartingXEdit = MakeEdit(page, "RefStartingXEdit", QStringLiteral("1"));
    c_.RefStartingYEdit = MakeEdit(page, "RefStartingYEdit", QStringLiteral("1"));
    c_.BoundaryEdit = MakeEdit(page, "BoundaryEdit", QStringLiteral("4"));
    c_.SaveReferencePhaseButton =
        MakeButton(page, "SaveReferencePhaseButton", QStringLiteral("Reference Phase"));
    c_.SaveDeformedPhaseButton =
        MakeButton(page, "SaveDeformedPhaseButton", QStringLiteral("Deformed Grid Phase"));
    c_.ALabel = new QLabel(QStringLiteral("Double Linear Simulate  A="), page);
    c_.ALabel->setObjectName(QStringLiteral("ALabel"));
    c_.BLabel = new QLabel(QStringLiteral("Double Linear Simulate  B="), page);
    c_.BLabel->setObjectName(QStringLiteral("BLabel"));

    auto* grid = new QGridLayout(page);
    AddRow(grid, 0, QStringLiteral("Unwrap Coef ( 0.0--->1.0 )"), {c_.CoefEdit}, page);
    AddRow(grid, 1, QStringLiteral("Starting Point X, Y"), {c_.StartingXEdit, c_.StartingYEdit}, page);
    AddRow(grid, 2, QStringLiteral("Ref Starting Point X, Y"), {c_.RefStartingXEdit, c_.RefStartingYEdit},
           page);
    AddRow(grid, 4, QStringLiteral("Reference fringe: Remove Boundary Width"), {c_.BoundaryEdit}, page);
    auto* saves = new QGroupBox(QStringLiteral("Save Wrapped Phase"), page);
    auto* saveRow = new QHBoxLayout(saves);
    saveRow->addWidget(c_.SaveReferencePhaseButton);
    saveRow->addWidget(c_.SaveDeformedPhaseButton);
    grid->addWidget(saves, 5, 0, 1, 3);
    grid->addWidget(c_.ALabel, 6, 0, 1, 3);
    grid->addWidget(c_.BLabel, 7, 0, 1, 3);
    grid->setRowStretch(8, 1);
    stepThreeGrid_ = grid;
}

void TCarrierMoireWizard::BuildStepFour(QWidget* page) {
    c_.PhaseIntegerXEdit = MakeEdit(page, "PhaseIntegerXEdit", QStringLiteral("0"));
    c_.PhaseIntegerYEdit = MakeEdit(page, "PhaseIntegerYEdit", QStringLiteral("0"));
    c_.PhaseIntegerEdit = MakeEdit(page, "PhaseIntegerEdit", QStringLiteral("0"));
    c_.PhaseIntegerButton = MakeButton(page, "PhaseIntegerButton", QStringLiteral("Convert"));
    c_.PEdit = MakeEdit(page, "PEdit", QStringLiteral("6.28319"));
    c_.ConvertButton = MakeButton(page, "ConvertButton", QStringLiteral("Convert"));
    c_.BaseXEdit = MakeEdit(page, "BaseXEdit", QStringLiteral("0"));
    c_.BaseYEdit = MakeEdit(page, "BaseYEdit", QStringLiteral("0"));
    c_.BaseWidthEdit = MakeEdit(page, "BaseWidthEdit", QStringLiteral("0"));
    c_.BaseHeightEdit = MakeEdit(page, "BaseHeightEdit", QStringLiteral("0"));
    c_.ComputeBaseValueButton = MakeButton(page, "ComputeBaseValueButton", QStringLiteral("Compute Average"));
    c_.AbsXEdit = MakeEdit(page, "AbsXEdit", QStringLiteral("0"));
    c_.AbsYEdit = MakeEdit(page, "AbsYEdit", QStringLiteral("0"));
    c_.AbsoluteDisplacementEdit = MakeEdit(page, "AbsoluteDisplacementEdit", QStringLiteral("0.0"));
    c_.ConvertToAbsoluteDisplacementButton =
        MakeButton(page, "ConvertToAbsoluteDisplacementButton", QStringLiteral("Convert"));
    c_.PhaseEdit = MakeEdit(page, "PhaseEdit", QStringLiteral("0.0"));
    c_.PhaseEdit->setReadOnly(true);

    auto* order = new QGroupBox(QStringLiteral("1. Integer Fringe Numbe"), page);
    auto* orderGrid = new QGridLayout(order);
    AddRow(orderGrid, 0, QStringLiteral("X, Y"), {c_.PhaseIntegerXEdit, c_.PhaseIntegerYEdit}, order);
    AddRow(orderGrid, 1, QStringLiteral("Fringe order"), {c_.PhaseIntegerEdit, c_.PhaseIntegerButton}, order);
    auto* pitch = new QGroupBox(QStringLiteral("2. The grid's parameter P=?"), page);
    auto* pitchGrid = new QGridLayout(pitch);
    AddRow(pitchGrid, 0, QStringLiteral("P"), {c_.PEdit, c_.ConvertButton}, pitch);
    auto* absolute = new QGroupBox(QStringLiteral("3.  Convert to Absolute Displacement"), page);
    auto* absoluteGrid = new QGridLayout(absolute);
    AddRow(absoluteGrid, 0, QStringLiteral("Base X, Y"), {c_.BaseXEdit, c_.BaseYEdit}, absolute);
    AddRow(absoluteGrid, 1, QStringLiteral("Base Width, Height"), {c_.BaseWidthEdit, c_.BaseHeightEdit},
           absolute);
    absoluteGrid->addWidget(c_.ComputeBaseValueButton, 2, 2);
    AddRow(absoluteGrid, 3, QStringLiteral("X, Y"), {c_.AbsXEdit, c_.AbsYEdit}, absolute);
    AddRow(absoluteGrid, 4, QStringLiteral("Value"),
           {c_.AbsoluteDisplacementEdit, c_.ConvertToAbsoluteDisplacementButton}, absolute);
    auto* under = new QHBoxLayout;
    under->addWidget(new QLabel(QStringLiteral("Phase or Displace"), page));
    under->addWidget(c_.PhaseEdit, 1);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(order);
    layout->addWidget(pitch);
    layout->addWidget(absolute);
    layout->addLayout(under);
    layout->addStretch(1);
}

void TCarrierMoireWizard::BuildStepFive(QWidget* page) {
    c_.SaveButton = MakeButton(page, "SaveButton", QStringLiteral("Save Result"));
    c_.UseOutputGridCheckBox = MakeCheckBox(page, "UseOutputGridCheckBox", QStringLiteral("Output Grids"));
    c_.GridxEdit = MakeEdit(page, "GridxEdit", QStringLiteral("5"));
    c_.GridyEdit = MakeEdit(page, "GridyEdit", QStringLiteral("5"));
    c_.UseMaskCheckBox = MakeCheckBox(page, "UseMaskCheckBox", QStringLiteral("Use Mask Files"));
    c_.MaskFileEdit = MakeEdit(page, "MaskFileEdit", config_.MaskDefault);
    c_.MaskFileSpeedButton = MakeSpeedButton(page, "MaskFileSpeedButton");
    c_.OutputRangeCheckBox = MakeCheckBox(page, "OutputRangeCheckBox", QStringLiteral("OutputRange"));
    c_.LeftEdit = MakeEdit(page, "LeftEdit", QStringLiteral("0"));
    c_.TopEdit = MakeEdit(page, "TopEdit", QStringLiteral("0"));
    c_.RightEdit = MakeEdit(page, "RightEdit", QStringLiteral("0"));
    c_.BottomEdit = MakeEdit(page, "BottomEdit", QStringLiteral("0"));

    auto* grid = new QGridLayout(page);
    grid->addWidget(c_.UseOutputGridCheckBox, 0, 0, 1, 3);
    gridLabels_ = {new QLabel(QStringLiteral("Grid x, y"), page)};
    grid->addWidget(gridLabels_.front(), 1, 0);
    grid->addWidget(c_.GridxEdit, 1, 1);
    grid->addWidget(c_.GridyEdit, 1, 2);
    grid->addWidget(c_.UseMaskCheckBox, 2, 0, 1, 3);
    grid->addWidget(c_.MaskFileEdit, 3, 0, 1, 2);
    grid->addWidget(c_.MaskFileSpeedButton, 3, 2);
    grid->addWidget(c_.OutputRangeCheckBox, 4, 0, 1, 3);
    rangeLabels_ = {new QLabel(QStringLiteral("Left, Top"), page),
                    new QLabel(QStringLiteral("Right, Bottom"), page)};
    grid->addWidget(rangeLabels_[0], 5, 0);
    grid->addWidget(c_.LeftEdit, 5, 1);
    grid->addWidget(c_.TopEdit, 5, 2);
    grid->addWidget(rangeLabels_[1], 6, 0);
    grid->addWidget(c_.RightEdit, 6, 1);
    grid->addWidget(c_.BottomEdit, 6, 2);
    grid->addWidget(c_.SaveButton, 7, 2);
    grid->setRowStretch(8, 1);
}

void TCarrierMoireWizard::UpdateOptionalControls() {
    const bool grid = c_.UseOutputGridCheckBox->isChecked();
    for (QWidget* w : {static_cast<QWidget*>(c_.GridxEdit), static_cast<QWidget*>(c_.GridyEdit)})
        w->setVisible(grid);
    for (QLabel* label : gridLabels_)
        label->setVisible(grid);
    const bool mask = c_.UseMaskCheckBox->isChecked();
    c_.MaskFileEdit->setVisible(mask);
    c_.MaskFileSpeedButton->setVisible(mask);
    const bool range = c_.OutputRangeCheckBox->isChecked();
    for (QWidget* w : {c_.LeftEdit, c_.TopEdit, c_.RightEdit, c_.BottomEdit})
        w->setVisible(range);
    for (QLabel* label : rangeLabels_)
        label->setVisible(range);
}

void TCarrierMoireWizard::ShowPage() {
    c_.MoireNotebook->setCurrentIndex(pages_.Page());
    c_.NextButton->setEnabled(pages_.NextEnabled());
    c_.PreviousButton->setEnabled(pages_.PreviousEnabled());
}

void TCarrierMoireWizard::Shown() {
    pages_.Reset();
    ShowPage();
}

void TCarrierMoireWizard::Hidden() {
    moire_.Release();
    pages_.Reset();
    ShowPage();
    // What the tool showed goes with its state: the next run starts without an earlier plane.
    c_.ALabel->setText(QStringLiteral("Double Linear Simulate  A="));
    c_.BLabel->setText(QStringLiteral("Double Linear Simulate  B="));
    c_.ALabel->setVisible(true);
    c_.BLabel->setVisible(true);
}

bool TCarrierMoireWizard::RequireState() {
    if (moire_.HasState()) return true;
    dialogs_.Information(QString::fromLatin1(kNothingComputedMessage));
    return false;
}

void TCarrierMoireWizard::Next(const std::function<TCarrierSource()>& source,
                               const std::function<TReferenceRemoval()>& removal) {
    // Steps 2 and 3 run on what Step 1 built: without it the page stays and says why.
    if ((pages_.Page() == 1 || pages_.Page() == 2) && !RequireState()) return;
    const std::optional<int> left = pages_.Next();
    if (!left) return;
    ShowPage();
    switch (*left) {
    case 0:
        // The previous state goes first, so a refused strip or picture leaves none.
        moire_.Release();
        LeaveStepOne(source());
        break;
    case 1:
        LeaveStepTwo();
        break;
    case 2:
        LeaveStepThree(removal());
        break;
    default:
        break;
    }
}

void TCarrierMoireWizard::Previous() {
    pages_.Previous();
    ShowPage();
}

void TCarrierMoireWizard::LeaveStepOne(const TCarrierSource& source) {
    moire_.Build(source);
    const TMyFFT& field = *moire_.Field();
    main_.ShowInRole(Roles.Spectra, *field.Phase->Gray);
    main_.ShowInRole(Roles.RefSpectra, *field.RefPhase->Gray);
}

void TCarrierMoireWizard::LeaveStepTwo() {
    if (!RequireState()) return;
    const TMovingWindow window{IntOf(c_.MovingWidthEdit), IntOf(c_.MovingHeightEdit)};
    const TPhaseSign sign = c_.ReverseSignCheckBox->isChecked() ? TPhaseSign::Reversed : TPhaseSign::AsPicked;
    const TStartPoints starts = *moire_.RemoveCarrier(window, sign);
    const TMyFFT& field = *moire_.Field();
    main_.ShowInRole(Roles.RefPhase, *field.RefPhase->Gray);
    main_.ShowInRole(Roles.Phase, *field.Phase->Gray);
    SetNumber(c_.StartingXEdit, starts.Image.X);
    SetNumber(c_.StartingYEdit, starts.Image.Y);
    SetNumber(c_.RefStartingXEdit, starts.Reference.X);
    SetNumber(c_.RefStartingYEdit, starts.Reference.Y);
}

void TCarrierMoireWizard::LeaveStepThree(TReferenceRemoval removal) {
    if (!RequireState()) return;
    TUnwrapOptions options;
    options.Coef = FloatOf(c_.CoefEdit);
    options.Start = {IntOf(c_.StartingXEdit), IntOf(c_.StartingYEdit)};
    options.RefStart = {IntOf(c_.RefStartingXEdit), IntOf(c_.RefStartingYEdit)};
    options.Removal = removal;
    // The border matters only for the plane; its edit is not read when the plane is not fitted.
    if (config_.Method == TCarrierMethod::OneImage || removal == TReferenceRemoval::Plane)
        options.Boundary = IntOf(c_.BoundaryEdit);
    moire_.Unwrap(options);
    const TMyFFT& field = *moire_.Field();
    main_.ShowInRole(Roles.Unwrapped, *moire_.UnwrappedPicture());
    main_.ShowInRole(Roles.RefUnwrapped, *field.RefPhase->Gray);
    main_.ShowInRole(Roles.Absolute, *field.Phase->Gray);
    const std::optional<TReferencePlane> plane = moire_.Plane();
    c_.ALabel->setVisible(plane.has_value());
    c_.BLabel->setVisible(plane.has_value());
    if (plane) {
        c_.ALabel->setText(QStringLiteral("Double Linear Simulate  A=") + ShortestText(plane->A));
        c_.BLabel->setText(QStringLiteral("Double Linear Simulate  B=") + ShortestText(plane->B));
    }
}

std::string TCarrierMoireWizard::FileOf(const QLineEdit* edit) const {
    const QString text = edit->text();
    if (text.isEmpty()) return {};
    return QDir(c_.WorkingDirLabel->text()).absoluteFilePath(text).toStdString();
}

void TCarrierMoireWizard::ChoosePicture(QLineEdit* edit, const QString& role) {
    FileDialogRequest request;
    request.Filter = kPictureFilter;
    request.FilterIndex = 1;
    request.InitialDir = c_.WorkingDirLabel->text();
    request.MustExist = true;
    const auto chosen = dialogs_.OpenFile(request);
    if (!chosen) return;
    // The name and the folder are taken before the picture is read: a picture that cannot be read
    // leaves them shown with the error, and no window.
    const QFileInfo info(chosen->FileName);
    edit->setText(info.absoluteFilePath());
    c_.WorkingDirLabel->setText(info.absolutePath());
    QDir::setCurrent(info.absolutePath());
    const TGrayImage image(info.absoluteFilePath().toStdString());
    main_.ShowInRole(role, image);
}

void TCarrierMoireWizard::ChooseMask() {
    ChoosePicture(c_.MaskFileEdit, Roles.Mask);
}

void TCarrierMoireWizard::ComputeCarrier() {
    if (!RequireState()) return;
    const TMapRect search{IntOf(c_.XEdit), IntOf(c_.YEdit), IntOf(c_.WidthEdit), IntOf(c_.HeightEdit)};
    const TCarrierOffset carrier = *moire_.ComputeCarrier(search);
    SetNumber(c_.CarrierXEdit, carrier.X);
    SetNumber(c_.CarrierYEdit, carrier.Y);
}

void TCarrierMoireWizard::ModifyCarrier() {
    if (!RequireState()) return;
    moire_.ModifyCarrier({IntOf(c_.CarrierXEdit), IntOf(c_.CarrierYEdit)});
}

void TCarrierMoireWizard::Adjust() {
    if (!RequireState()) return;
    const TMovingWindow requested{IntOf(c_.MovingWidthEdit), IntOf(c_.MovingHeightEdit)};
    const TCarrierOffset carrier{IntOf(c_.CarrierXEdit), IntOf(c_.CarrierYEdit)};
    const TAdjustedWindow adjusted = *moire_.Adjust(requested, carrier);
    SetNumber(c_.MovingWidthEdit, adjusted.Window.Width);
    SetNumber(c_.MovingHeightEdit, adjusted.Window.Height);
    Outline(Roles.Spectra, adjusted.ImageOutline);
    Outline(Roles.RefSpectra, adjusted.ReferenceOutline);
}

void TCarrierMoireWizard::Outline(const QString& caption, const TMapCorners& corners) {
    const int index = main_.FindMDIChild(caption);
    if (index < 0) return;
    TMDIChildForm* window = main_.MDIChild(index);
    // The window remembers the outline as its selection; the new one replaces the old.
    window->SetSelection(corners.Left, corners.Top, corners.Right + 1, corners.Bottom + 1);
    if (!window->MarqueeShown()) window->ToggleMarquee();
}

std::optional<QString> TCarrierMoireWizard::AskSaveName(int filterIndex, const QString& defaultExt) {
    FileDialogRequest request;
    request.Title = saveTitle_;
    request.Filter = config_.SaveFilter;
    request.FilterIndex = filterIndex;
    request.DefaultExt = defaultExt;
    const auto chosen = dialogs_.SaveFile(request);
    if (!chosen) return std::nullopt;
    return chosen->FileName;
}

void TCarrierMoireWizard::SaveMap(TMoireMap map, TValueScaleRule rule, const QString& title) {
    if (!RequireState()) return;
    if (!title.isEmpty()) saveTitle_ = title;
    const auto name = AskSaveName(2, QStringLiteral("*.flt"));
    if (!name) return;
    moire_.SaveFlt(name->toStdString(), map, rule, main_.ScaleX, main_.ScaleY);
}

void TCarrierMoireWizard::SaveTable() {
    if (!RequireState()) return;
    // The table is always asked for under its own title, whatever an FLT save showed before.
    saveTitle_ = config_.TableTitle;
    const auto name = AskSaveName(1, QStringLiteral("*.dat"));
    if (!name) return;
    TResultTableOptions options;
    if (c_.UseOutputGridCheckBox->isChecked()) {
        options.GridX = IntOf(c_.GridxEdit);
        options.GridY = IntOf(c_.GridyEdit);
    }
    if (c_.OutputRangeCheckBox->isChecked())
        options.Range =
            TMapCorners{IntOf(c_.LeftEdit), IntOf(c_.TopEdit), IntOf(c_.RightEdit), IntOf(c_.BottomEdit)};
    if (c_.UseMaskCheckBox->isChecked())
        options.MaskFile = FileOf(c_.MaskFileEdit);
    else if (config_.Method == TCarrierMethod::TwoImages)
        options.MaskFile = kNoMaskFileName;
    options.ScaleX = main_.ScaleX;
    options.ScaleY = main_.ScaleY;
    moire_.SaveTable(name->toStdString(), options);
}

void TCarrierMoireWizard::UpdateCarrierSign() {
    bool okX = false, okY = false;
    const TCarrierOffset carrier{c_.CarrierXEdit->text().toInt(&okX), c_.CarrierYEdit->text().toInt(&okY)};
    const bool reversing = okX && okY && CarrierReversesSign(carrier);
    const bool warn = reversing && !c_.ReverseSignCheckBox->isChecked();
    QString text =
        QStringLiteral("The peak right of the centre (below it, for a carrier mainly along y) gives the "
                       "phase with its sign reversed.");
    if (reversing)
        text = QStringLiteral("Carrier (%1, %2) lies right of (or below) the centre: the phase has its sign "
                              "reversed")
                   .arg(carrier.X)
                   .arg(carrier.Y) +
               (warn ? QStringLiteral("; check \"Reverse sign\" to turn it back.")
                     : QStringLiteral(", and \"Reverse sign\" turns it back."));
    c_.CarrierSignLabel->setText(text);
    c_.CarrierSignLabel->setStyleSheet(warn ? QStringLiteral("color: #b00000;") : QString());
}

void TCarrierMoireWizard::ShowFinalMap() {
    main_.ShowInRole(Roles.Absolute, *moire_.Field()->Phase->Gray);
}

void TCarrierMoireWizard::SetFringeOrder() {
    if (!RequireState()) return;
    moire_.SetFringeOrder({IntOf(c_.PhaseIntegerXEdit), IntOf(c_.PhaseIntegerYEdit)},
                          IntOf(c_.PhaseIntegerEdit));
    ShowFinalMap();
}

void TCarrierMoireWizard::ConvertPitch() {
    if (!RequireState()) return;
    moire_.ConvertPitch(FloatOf(c_.PEdit));
    ShowFinalMap();
}

void TCarrierMoireWizard::ComputeAverage() {
    if (!RequireState()) return;
    const TMapRect rect{IntOf(c_.BaseXEdit), IntOf(c_.BaseYEdit), IntOf(c_.BaseWidthEdit),
                        IntOf(c_.BaseHeightEdit)};
    c_.AbsoluteDisplacementEdit->setText(ShortestText(*moire_.Average(rect)));
}

void TCarrierMoireWizard::ConvertToAbsolute() {
    if (!RequireState()) return;
    moire_.ConvertToAbsolute({IntOf(c_.AbsXEdit), IntOf(c_.AbsYEdit)}, FloatOf(c_.AbsoluteDisplacementEdit));
    ShowFinalMap();
}

void TCarrierMoireWizard::Dragged(TMDIChildForm& child, int x1, int y1, int x2, int y2) {
    const int left = std::min(x1, x2), right = std::max(x1, x2);
    const int top = std::min(y1, y2), bottom = std::max(y1, y2);
    const QString caption = child.Caption();
    if (caption == Roles.RefSpectra) {
        SetNumber(c_.XEdit, left);
        SetNumber(c_.YEdit, top);
        SetNumber(c_.WidthEdit, right - left + 1);
        SetNumber(c_.HeightEdit, bottom - top + 1);
    }
    if (caption == Roles.Spectra) {
        SetNumber(c_.MovingWidthEdit, right - left + 1);
        SetNumber(c_.MovingHeightEdit, bottom - top + 1);
    }
    // The average runs from X to X + Width, both ends included: the dragged pixels exactly.
    if (pages_.Page() == 3) {
        SetNumber(c_.BaseXEdit, left);
        SetNumber(c_.BaseYEdit, top);
        SetNumber(c_.BaseWidthEdit, right - left);
        SetNumber(c_.BaseHeightEdit, bottom - top);
    }
    if (c_.OutputRangeCheckBox->isChecked()) {
        SetNumber(c_.LeftEdit, left);
        SetNumber(c_.TopEdit, top);
        SetNumber(c_.RightEdit, right);
        SetNumber(c_.BottomEdit, bottom);
    }
}

void TCarrierMoireWizard::MouseMoved(TMDIChildForm& child, int x, int y) {
    if (pages_.Page() != 3 || child.Caption() != Roles.Absolute) return;
    if (const std::optional<float> value = moire_.ValueAt({x, y}))
        c_.PhaseEdit->setText(ShortestText(*value));
}

} // namespace corvane::ui
