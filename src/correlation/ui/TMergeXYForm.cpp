#include "correlation/ui/TMergeXYForm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
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
#include <charconv>
#include <initializer_list>
#include <system_error>

#include "image/CorvaneError.h"
#include "image/FloatMapDisplay.h"
#include "image/TFloatImage.h"
#include "image/TGrayImage.h"
#include "shell/Convert.h"
#include "shell/FileFilter.h"
#include "shell/Platform.h"
#include "shell/TMDIChildForm.h"
#include "shell/TMainForm.h"

namespace corvane::ui {

namespace {

const QString kXRole = QStringLiteral("X displacement: to Merge");
const QString kYRole = QStringLiteral("Y displacement: to Merge");
const QString kMaskRole = QStringLiteral(" Output Mask Image: to Merge");

/// The shortest text that reads back as the same single-precision value, so that a header scale
/// shown in an edit and read back is the scale of the file.
QString FloatText(float value) {
    char text[64];
    const auto [end, ec] = std::to_chars(text, text + sizeof text, value);
    if (ec != std::errc()) return QStringLiteral("0.0");
    QString shown = QString::fromLatin1(text, static_cast<int>(end - text));
    // Whole numbers keep a decimal point, as the edits' defaults show them ("1.0").
    if (!shown.contains(QLatin1Char('.')) && !shown.contains(QLatin1Char('e')) && shown.back().isDigit())
        shown += QStringLiteral(".0");
    return shown;
}

float FloatOf(const QLineEdit* edit) {
    return static_cast<float>(StrToFloat(edit));
}

int IntOf(const QLineEdit* edit) {
    return StrToInt(edit);
}

QToolButton* SpeedButton(QWidget* parent, const char* name) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setText(QStringLiteral("..."));
    return button;
}

} // namespace

TMergeXYForm::TMergeXYForm(TMainForm& mainForm)
    : TToolForm(mainForm, {.Name = "MergeXYForm",
                           .Title = QStringLiteral("Sample X/Y displacement"),
                           .ShowCommand = "MergeXandYDisplacementAction",
                           .LockedCommands = {},
                           .RoleWindows = {kXRole, kYRole, kMaskRole}}) {
    PageControl = Named(new QTabWidget(this), "PageControl");
    InputPage = Named(new QWidget(PageControl), "InputPage");
    OutputPage = Named(new QWidget(PageControl), "OutputPage");
    PageControl->addTab(InputPage, QStringLiteral("Input"));
    PageControl->addTab(OutputPage, QStringLiteral("Output"));
    BuildInputPage();
    BuildOutputPage();

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(CloseButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PageControl, 1);
    layout->addLayout(buttons);

    Bind(DisplaceXSpeedButton, &QToolButton::clicked, &TMergeXYForm::DisplaceXSpeedButtonClick);
    Bind(DisplaceYSpeedButton, &QToolButton::clicked, &TMergeXYForm::DisplaceYSpeedButtonClick);
    Bind(ShowContentButton, &QPushButton::clicked, &TMergeXYForm::ShowContentButtonClick);
    Bind(ModifyUScaleButton, &QPushButton::clicked, &TMergeXYForm::ModifyUScaleButtonClick);
    Bind(ModifyVScaleButton, &QPushButton::clicked, &TMergeXYForm::ModifyVScaleButtonClick);
    Bind(MaskFileSpeedButton, &QToolButton::clicked, &TMergeXYForm::MaskFileSpeedButtonClick);
    Bind(SaveResultButton, &QPushButton::clicked, &TMergeXYForm::SaveResultButtonClick);
    Bind(UseOutputGridCheckBox, &QCheckBox::toggled, &TMergeXYForm::UseOutputGridCheckBoxClick);
    Bind(OutputRangeCheckBox, &QCheckBox::toggled, &TMergeXYForm::OutputRangeCheckBoxClick);
    Bind(UseMaskFileCheckBox, &QCheckBox::toggled, &TMergeXYForm::UseMaskFileCheckBoxClick);

    WorkingDirLabel->setText(QDir::currentPath());
    UseOutputGridCheckBoxClick();
    OutputRangeCheckBoxClick();
    UseMaskFileCheckBoxClick();
}

TMergeXYForm::~TMergeXYForm() = default;

void TMergeXYForm::BuildInputPage() {
    InputGroupBox = Named(new QGroupBox(QStringLiteral("Input Files"), InputPage), "InputGroupBox");
    InputGroupBox->setToolTip(QStringLiteral("All files should be in the same directory"));
    auto* box = InputGroupBox;
    WorkingDirLabel = Named(new QLabel(box), "WorkingDirLabel");
    DisplaceXFileEdit = Named(new QLineEdit(box), "DisplaceXFileEdit");
    DisplaceXSpeedButton = SpeedButton(box, "DisplaceXSpeedButton");
    DisplaceYFileEdit = Named(new QLineEdit(box), "DisplaceYFileEdit");
    DisplaceYSpeedButton = SpeedButton(box, "DisplaceYSpeedButton");
    const auto scaleEdit = [box](const char* name) {
        return Named(new QLineEdit(QStringLiteral("1.0"), box), name);
    };
    UScaleXEdit = scaleEdit("UScaleXEdit");
    UScaleYEdit = scaleEdit("UScaleYEdit");
    UValueScaleEdit = scaleEdit("UValueScaleEdit");
    VScaleXEdit = scaleEdit("VScaleXEdit");
    VScaleYEdit = scaleEdit("VScaleYEdit");
    VValueScaleEdit = scaleEdit("VValueScaleEdit");
    ModifyUScaleButton = Named(new QPushButton(QStringLiteral("Modify"), box), "ModifyUScaleButton");
    ModifyVScaleButton = Named(new QPushButton(QStringLiteral("Modify"), box), "ModifyVScaleButton");

    auto* grid = new QGridLayout(box);
    grid->addWidget(new QLabel(QStringLiteral("Working Directory"), box), 0, 0);
    grid->addWidget(WorkingDirLabel, 0, 1, 1, 4);
    grid->addWidget(new QLabel(QStringLiteral("x scale"), box), 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("y scale"), box), 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("value scale"), box), 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("U Field"), box), 2, 0);
    grid->addWidget(DisplaceXFileEdit, 2, 1, 1, 3);
    grid->addWidget(DisplaceXSpeedButton, 2, 4);
    grid->addWidget(UScaleXEdit, 3, 1);
    grid->addWidget(UScaleYEdit, 3, 2);
    grid->addWidget(UValueScaleEdit, 3, 3);
    grid->addWidget(ModifyUScaleButton, 3, 4);
    grid->addWidget(new QLabel(QStringLiteral("V Field"), box), 4, 0);
    grid->addWidget(DisplaceYFileEdit, 4, 1, 1, 3);
    grid->addWidget(DisplaceYSpeedButton, 4, 4);
    grid->addWidget(VScaleXEdit, 5, 1);
    grid->addWidget(VScaleYEdit, 5, 2);
    grid->addWidget(VValueScaleEdit, 5, 3);
    grid->addWidget(ModifyVScaleButton, 5, 4);

    MaskValueCheckBox = Named(new QCheckBox(QStringLiteral("Invalid value"), InputPage), "MaskValueCheckBox");
    MaskValueEdit = Named(new QLineEdit(QStringLiteral("1000"), InputPage), "MaskValueEdit");
    // A correlation result holds the not-computed marker outside its points: invalid by default.
    MaskValueCheckBox->setChecked(true);
    ShowContentButton = Named(new QPushButton(QStringLiteral("Show"), InputPage), "ShowContentButton");

    auto* invalid = new QHBoxLayout;
    invalid->addWidget(MaskValueCheckBox);
    invalid->addWidget(MaskValueEdit);
    invalid->addStretch(1);
    invalid->addWidget(ShowContentButton);
    auto* layout = new QVBoxLayout(InputPage);
    layout->addWidget(InputGroupBox);
    layout->addLayout(invalid);
    layout->addStretch(1);
}

void TMergeXYForm::BuildOutputPage() {
    QWidget* page = OutputPage;
    ResultTypeComboBox = Named(new QComboBox(page), "ResultTypeComboBox");
    ResultTypeComboBox->addItems({QStringLiteral("x   y     dx     dy"),
                                  QStringLiteral("x   y    theta    r"), QStringLiteral("x   y     dx"),
                                  QStringLiteral("x   y     dy"), QStringLiteral("Matrix ( U )"),
                                  QStringLiteral("Matrix ( V )")});
    const auto label = [page](const QString& text, const char* name) {
        return Named(new QLabel(text, page), name);
    };
    const auto edit = [page](const QString& text, const char* name) {
        return Named(new QLineEdit(text, page), name);
    };
    UseOutputGridCheckBox =
        Named(new QCheckBox(QStringLiteral("Output Grids"), page), "UseOutputGridCheckBox");
    GridxLabel = label(QStringLiteral("x"), "GridxLabel");
    GridxEdit = edit(QStringLiteral("5"), "GridxEdit");
    GridyLabel = label(QStringLiteral("y"), "GridyLabel");
    GridyEdit = edit(QStringLiteral("5"), "GridyEdit");
    OutputRangeCheckBox = Named(new QCheckBox(QStringLiteral("OutputRange"), page), "OutputRangeCheckBox");
    LeftLabel = label(QStringLiteral("Left"), "LeftLabel");
    LeftEdit = edit(QStringLiteral("0"), "LeftEdit");
    RightLabel = label(QStringLiteral("Right"), "RightLabel");
    RightEdit = edit(QStringLiteral("0"), "RightEdit");
    TopLabel = label(QStringLiteral("Top"), "TopLabel");
    TopEdit = edit(QStringLiteral("0"), "TopEdit");
    BottomLabel = label(QStringLiteral("Bottom"), "BottomLabel");
    BottomEdit = edit(QStringLiteral("0"), "BottomEdit");
    UseMaskFileCheckBox = Named(new QCheckBox(QStringLiteral("Use Mask Files"), page), "UseMaskFileCheckBox");
    UseMaskFileCheckBox->setToolTip(QStringLiteral("White is valid"));
    MaskFileEdit = edit(QStringLiteral("MaskFile"), "MaskFileEdit");
    MaskFileSpeedButton = SpeedButton(page, "MaskFileSpeedButton");
    ChangeYaxisCheckBox = Named(new QCheckBox(QStringLiteral("Change Y axis"), page), "ChangeYaxisCheckBox");
    ScaleXEdit = edit(QStringLiteral("1.0"), "ScaleXEdit");
    ScaleYEdit = edit(QStringLiteral("1.0"), "ScaleYEdit");
    DisplacementCheckBox =
        Named(new QCheckBox(QStringLiteral("Use Scale to Displacement"), page), "DisplacementCheckBox");
    SaveResultButton = Named(new QPushButton(QStringLiteral("Save to File"), page), "SaveResultButton");

    auto* grid = new QGridLayout(page);
    int row = 0;
    grid->addWidget(new QLabel(QStringLiteral("Result Type"), page), row, 0);
    grid->addWidget(ResultTypeComboBox, row++, 1, 1, 4);
    grid->addWidget(UseOutputGridCheckBox, row, 0);
    grid->addWidget(GridxLabel, row, 1);
    grid->addWidget(GridxEdit, row, 2);
    grid->addWidget(GridyLabel, row, 3);
    grid->addWidget(GridyEdit, row++, 4);
    grid->addWidget(OutputRangeCheckBox, row, 0);
    grid->addWidget(LeftLabel, row, 1);
    grid->addWidget(LeftEdit, row, 2);
    grid->addWidget(RightLabel, row, 3);
    grid->addWidget(RightEdit, row++, 4);
    grid->addWidget(TopLabel, row, 1);
    grid->addWidget(TopEdit, row, 2);
    grid->addWidget(BottomLabel, row, 3);
    grid->addWidget(BottomEdit, row++, 4);
    grid->addWidget(UseMaskFileCheckBox, row, 0);
    grid->addWidget(MaskFileEdit, row, 1, 1, 3);
    grid->addWidget(MaskFileSpeedButton, row++, 4);
    grid->addWidget(ChangeYaxisCheckBox, row++, 0);
    grid->addWidget(new QLabel(QStringLiteral("Scale"), page), row, 0);
    grid->addWidget(ScaleXEdit, row, 1, 1, 2);
    grid->addWidget(ScaleYEdit, row++, 3, 1, 2);
    grid->addWidget(DisplacementCheckBox, row++, 0, 1, 3);
    grid->addWidget(SaveResultButton, row++, 4);
    grid->setRowStretch(row, 1);
}

void TMergeXYForm::FormShow() {
    WorkingDirLabel->setText(QDir::currentPath());
    u_.reset();
    v_.reset();
    mask_.reset();
    ResultTypeComboBox->setCurrentIndex(0);
}

void TMergeXYForm::FormHide() {
    u_.reset();
    v_.reset();
    mask_.reset();
}

std::string TMergeXYForm::InWorkingDir(const QString& name) const {
    return QDir(WorkingDirLabel->text()).filePath(name).toStdString();
}

void TMergeXYForm::LoadField(bool isU) {
    const auto chosen =
        ChooseOpenFile(QStringLiteral("Binary Float  Data(*.flt)|*.flt"), QString(), WorkingDirLabel->text());
    if (!chosen) return;
    const QFileInfo info(*chosen);
    (isU ? DisplaceXFileEdit : DisplaceYFileEdit)->setText(info.fileName());
    WorkingDirLabel->setText(info.absolutePath());
    auto field = std::make_unique<TFloatImage>(chosen->toStdString());
    (isU ? UScaleXEdit : VScaleXEdit)->setText(FloatText(field->ScaleX));
    (isU ? UScaleYEdit : VScaleYEdit)->setText(FloatText(field->ScaleY));
    (isU ? UValueScaleEdit : VValueScaleEdit)->setText(FloatText(field->ValueScale));
    // The output scales follow the map loaded last.
    ScaleXEdit->setText(FloatText(field->ScaleX));
    ScaleYEdit->setText(FloatText(field->ScaleY));
    (isU ? u_ : v_) = std::move(field);
}

void TMergeXYForm::DisplaceXSpeedButtonClick() {
    LoadField(true);
}

void TMergeXYForm::DisplaceYSpeedButtonClick() {
    LoadField(false);
}

void TMergeXYForm::ShowContentButtonClick() {
    // Both are read before either is held or shown, so a missing one changes nothing.
    auto u = std::make_unique<TFloatImage>(InWorkingDir(DisplaceXFileEdit->text()));
    auto v = std::make_unique<TFloatImage>(InWorkingDir(DisplaceYFileEdit->text()));
    const bool excludeInvalid = MaskValueCheckBox->isChecked();
    const float invalid = excludeInvalid ? FloatOf(MaskValueEdit) : 0.0f;
    std::unique_ptr<TGrayImage> uGray, vGray;
    if (excludeInvalid) {
        u->ToGrayImage(uGray, invalid);
        v->ToGrayImage(vGray, invalid);
    } else {
        u->ToGrayImage(uGray);
        v->ToGrayImage(vGray);
    }
    u_ = std::move(u);
    v_ = std::move(v);
    // The windows tell the displacement under the mouse and open in Colour Map as they are.
    if (TMDIChildForm* window = ShowInRole(kXRole, *uGray)) window->SetFloatMap(CopyFloatMap(*u_));
    if (TMDIChildForm* window = ShowInRole(kYRole, *vGray)) window->SetFloatMap(CopyFloatMap(*v_));
}

void TMergeXYForm::ModifyScales(bool isU) {
    TFloatImage* field = (isU ? u_ : v_).get();
    const QString which = isU ? QStringLiteral("X") : QStringLiteral("Y");
    if (!field) {
        dialogs_.Information(QStringLiteral("No %1 displacement map is loaded: choose its file with \"...\" "
                                            "first. No file was changed.")
                                 .arg(which));
        return;
    }
    QLineEdit* xEdit = isU ? UScaleXEdit : VScaleXEdit;
    QLineEdit* yEdit = isU ? UScaleYEdit : VScaleYEdit;
    const float scaleX = FloatOf(xEdit);
    const float scaleY = FloatOf(yEdit);
    const float valueScale = FloatOf(isU ? UValueScaleEdit : VValueScaleEdit);
    RewriteHeaderScales(*field, scaleX, scaleY, valueScale);
    ScaleXEdit->setText(xEdit->text());
    ScaleYEdit->setText(yEdit->text());
    // The file on disk changed: say which, and to what.
    dialogs_.Information(
        QStringLiteral("The header of %1 was rewritten: x scale %2, y scale %3, value scale %4.")
            .arg(QString::fromStdString(field->FileName), FloatText(scaleX), FloatText(scaleY),
                 FloatText(valueScale)));
}

void TMergeXYForm::ModifyUScaleButtonClick() {
    ModifyScales(true);
}

void TMergeXYForm::ModifyVScaleButtonClick() {
    ModifyScales(false);
}

void TMergeXYForm::MaskFileSpeedButtonClick() {
    const auto chosen =
        ChooseOpenFile(WithTiffPngEntry("Bitmaps (*.bmp)|*.bmp", ""), QString(), WorkingDirLabel->text());
    if (!chosen) return;
    MaskFileEdit->setText(QFileInfo(*chosen).fileName());
    auto mask = std::make_unique<TGrayImage>(chosen->toStdString());
    ShowInRole(kMaskRole, *mask);
    mask_ = std::move(mask);
}

SampleOptions TMergeXYForm::Options() const {
    SampleOptions o;
    o.Type = static_cast<SampleResultType>(std::max(ResultTypeComboBox->currentIndex(), 0));
    if (UseOutputGridCheckBox->isChecked()) {
        o.GridX = IntOf(GridxEdit);
        o.GridY = IntOf(GridyEdit);
        // The sampling would take a step below 1 as 1: refused, as corvane-cli sample refuses it.
        if (o.GridX < 1 || o.GridY < 1) throw CorvaneError("Output Grids: the steps must be at least 1");
    }
    if (OutputRangeCheckBox->isChecked()) {
        o.UseRange = true;
        o.Range = {IntOf(LeftEdit), IntOf(TopEdit), IntOf(RightEdit), IntOf(BottomEdit)};
    }
    o.ChangeYaxis = ChangeYaxisCheckBox->isChecked();
    o.UseInvalidValue = MaskValueCheckBox->isChecked();
    if (o.UseInvalidValue) o.InvalidValue = FloatOf(MaskValueEdit);
    // Read in single precision, as the header scales they usually come from.
    o.ScaleX = static_cast<double>(FloatOf(ScaleXEdit));
    o.ScaleY = static_cast<double>(FloatOf(ScaleYEdit));
    o.ScaleDisplacement = DisplacementCheckBox->isChecked();
    if (UseMaskFileCheckBox->isChecked()) o.MaskFile = InWorkingDir(MaskFileEdit->text());
    return o;
}

void TMergeXYForm::SaveResultButtonClick() {
    // Refused before the dialog: missing maps, or maps of different sizes.
    CheckSampleFields(u_.get(), v_.get());
    const SampleOptions options = Options();
    FileDialogRequest request;
    request.Filter = QStringLiteral("Data file(*.dat)|*.dat|Data file(*.data)|*.data|All file(*.*)|*.*");
    request.FilterIndex = 1;
    request.DefaultExt = QStringLiteral("*.dat");
    request.InitialDir = WorkingDirLabel->text();
    const auto chosen = dialogs_.SaveFile(request);
    if (!chosen) return;
    SaveDisplacementSamples(chosen->FileName.toStdString(), u_.get(), v_.get(), options);
}

void TMergeXYForm::UseOutputGridCheckBoxClick() {
    const bool on = UseOutputGridCheckBox->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*>{GridxLabel, GridxEdit, GridyLabel, GridyEdit})
        w->setVisible(on);
}

void TMergeXYForm::OutputRangeCheckBoxClick() {
    const bool on = OutputRangeCheckBox->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*>{LeftLabel, LeftEdit, RightLabel, RightEdit, TopLabel,
                                                      TopEdit, BottomLabel, BottomEdit})
        w->setVisible(on);
}

void TMergeXYForm::UseMaskFileCheckBoxClick() {
    const bool on = UseMaskFileCheckBox->isChecked();
    MaskFileEdit->setVisible(on);
    MaskFileSpeedButton->setVisible(on);
}

} // namespace corvane::ui
