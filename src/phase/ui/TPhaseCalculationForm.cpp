#include "phase/ui/TPhaseCalculationForm.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

#include "image/CorvaneError.h"
#include "image/TFloatImage.h"
#include "image/TGrayImage.h"
#include "phase/PhaseCalculation.h"
#include "phase/ui/PhaseShiftSteps.h"
#include "shell/Convert.h"
#include "shell/Platform.h"
#include "shell/TMDIChildForm.h"
#include "shell/TMainForm.h"

namespace corvane::ui {

namespace {
const QString kFilter = QStringLiteral("Float Phase files( *.flt)|*.flt|All files(*.*)|*.*");
const QString kSource1Role = QStringLiteral("Source1:phase calculation");
const QString kSource2Role = QStringLiteral("Source2:phase calculation");
const QString kResultRole = QStringLiteral("Result: Source1 ? Source2");

QToolButton* SpeedButton(QWidget* parent, const char* name, const QString& text) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setText(text);
    return button;
}
} // namespace

TPhaseCalculationForm::TPhaseCalculationForm(TMainForm& mainForm)
    : TToolForm(mainForm, TToolSetup{.Name = "PhaseCalculationForm",
                                     .Title = QStringLiteral("Phase Calculation"),
                                     .ShowCommand = "PhaseCalculationAction",
                                     .LockedCommands = {},
                                     .GuardsDocuments = false,
                                     .RoleWindows = {},
                                     .CloseRolesOnHide = false,
                                     .HasCloseButton = true}) {
    Source1Edit = Named(new QLineEdit(QStringLiteral("Source1"), this), "Source1Edit");
    SpeedButton1 = SpeedButton(this, "SpeedButton1", QStringLiteral("  Source1  "));
    Source2Edit = Named(new QLineEdit(QStringLiteral("Source2"), this), "Source2Edit");
    SpeedButton2 = SpeedButton(this, "SpeedButton2", QStringLiteral("Source2"));
    MethodComboBox = Named(new QComboBox(this), "MethodComboBox");
    MethodComboBox->addItems(
        {QStringLiteral("source1 - source2"), QStringLiteral("source1 - Linear(source2)")});
    MethodComboBox->setCurrentIndex(0);
    Source2LinearFitInfoGroupBox = Named(new QGroupBox(QStringLiteral("  Source2 Linear Fit Info "), this),
                                         "Source2LinearFitInfoGroupBox");
    QGroupBox* fit = Source2LinearFitInfoGroupBox;
    LeftEdit = Named(new QLineEdit(QStringLiteral("0"), fit), "LeftEdit");
    TopEdit = Named(new QLineEdit(QStringLiteral("0"), fit), "TopEdit");
    RightEdit = Named(new QLineEdit(QStringLiteral("0"), fit), "RightEdit");
    BottomEdit = Named(new QLineEdit(QStringLiteral("0"), fit), "BottomEdit");
    ALabel = Named(new QLabel(QStringLiteral("A="), fit), "ALabel");
    BLabel = Named(new QLabel(QStringLiteral("B="), fit), "BLabel");
    WorkingDirLabel = Named(new QLabel(QDir::currentPath(), this), "WorkingDirLabel");
    WorkingDirLabel->setWordWrap(true);
    CalculationButton = Named(new QPushButton(QStringLiteral("Calculation"), this), "CalculationButton");
    SaveToFloatButton = Named(new QPushButton(QStringLiteral("Save To Float"), this), "SaveToFloatButton");

    auto* layout = new QVBoxLayout(this);
    auto* sources = new QGridLayout;
    sources->addWidget(SpeedButton1, 0, 0);
    sources->addWidget(Source1Edit, 0, 1);
    sources->addWidget(SpeedButton2, 1, 0);
    sources->addWidget(Source2Edit, 1, 1);
    sources->addWidget(new QLabel(QStringLiteral("  Method  "), this), 2, 0);
    sources->addWidget(MethodComboBox, 2, 1);
    layout->addLayout(sources);
    auto* fitGrid = new QGridLayout(fit);
    fitGrid->addWidget(new QLabel(QStringLiteral("Left"), fit), 0, 0);
    fitGrid->addWidget(LeftEdit, 0, 1);
    fitGrid->addWidget(new QLabel(QStringLiteral("Top"), fit), 0, 2);
    fitGrid->addWidget(TopEdit, 0, 3);
    fitGrid->addWidget(new QLabel(QStringLiteral("Right"), fit), 1, 0);
    fitGrid->addWidget(RightEdit, 1, 1);
    fitGrid->addWidget(new QLabel(QStringLiteral("Bottom"), fit), 1, 2);
    fitGrid->addWidget(BottomEdit, 1, 3);
    fitGrid->addWidget(ALabel, 2, 0, 1, 4);
    fitGrid->addWidget(BLabel, 3, 0, 1, 4);
    layout->addWidget(fit);
    // Right under the fit group, so that it takes the group's place when the group is hidden.
    layout->addWidget(WorkingDirLabel);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(CalculationButton);
    buttons->addWidget(SaveToFloatButton);
    buttons->addWidget(CloseButton);
    layout->addLayout(buttons);

    Bind(SpeedButton1, &QToolButton::clicked, &TPhaseCalculationForm::SpeedButton1Click);
    Bind(SpeedButton2, &QToolButton::clicked, &TPhaseCalculationForm::SpeedButton2Click);
    Bind(MethodComboBox, &QComboBox::currentIndexChanged, &TPhaseCalculationForm::MethodComboBoxChange);
    Bind(CalculationButton, &QPushButton::clicked, &TPhaseCalculationForm::CalculationButtonClick);
    Bind(SaveToFloatButton, &QPushButton::clicked, &TPhaseCalculationForm::SaveToFloatButtonClick);
    MethodComboBoxChange();
}

TPhaseCalculationForm::~TPhaseCalculationForm() = default;

std::unique_ptr<TFloatImage> TPhaseCalculationForm::ChooseSource(QLineEdit* edit, const QString& role) {
    const auto chosen = ChooseOpenFile(kFilter);
    if (!chosen) return nullptr;
    const QFileInfo file(*chosen);
    auto map = LoadPhaseCalculationSource(ToFilePath(file.absoluteFilePath()));
    edit->setText(*chosen);
    WorkingDirLabel->setText(file.absolutePath());
    QDir::setCurrent(file.absolutePath());
    std::unique_ptr<TGrayImage> gray;
    map->ToGrayImage(gray);
    main_.ShowInRole(role, *gray);
    return map;
}

void TPhaseCalculationForm::SpeedButton1Click() {
    if (auto map = ChooseSource(Source1Edit, kSource1Role)) source1_ = std::move(map);
}

void TPhaseCalculationForm::SpeedButton2Click() {
    auto map = ChooseSource(Source2Edit, kSource2Role);
    if (!map) return;
    source2_ = std::move(map);
    LeftEdit->setText(QStringLiteral("0"));
    TopEdit->setText(QStringLiteral("0"));
    RightEdit->setText(QString::number(source2_->Width));
    BottomEdit->setText(QString::number(source2_->Height));
    ALabel->setText(QStringLiteral("A="));
    BLabel->setText(QStringLiteral("B="));
}

void TPhaseCalculationForm::MethodComboBoxChange() {
    Source2LinearFitInfoGroupBox->setVisible(MethodComboBox->currentIndex() == 1);
    // The window follows: full height with the group, shortened by the group's height without it.
    layout()->activate();
    adjustSize();
}

void TPhaseCalculationForm::CalculationButtonClick() {
    const QString dir = WorkingDirLabel->text();
    const auto fileOf = [&](const QLineEdit* edit) {
        return ToFilePath(QFileInfo(QDir(dir).filePath(edit->text())).absoluteFilePath());
    };
    const std::string file1 = fileOf(Source1Edit), file2 = fileOf(Source2Edit);
    // A source whose edit now names another file is read again from that file.
    if (source1_ && source1_->FileName != file1) source1_.reset();
    if (source2_ && source2_->FileName != file2) source2_.reset();
    if (!source1_ || !source2_) {
        QDir::setCurrent(dir);
        LoadMissingPhaseCalculationSources(source1_, source2_, file1, file2);
    }
    PhaseCalculationOptions options;
    options.Method = static_cast<PhaseCalculationMethod>(std::clamp(MethodComboBox->currentIndex(), -1, 1));
    if (options.Method == PhaseCalculationMethod::LinearFitOfSource2) {
        options.Fit.Left = StrToInt(LeftEdit);
        options.Fit.Top = StrToInt(TopEdit);
        options.Fit.Right = StrToInt(RightEdit);
        options.Fit.Bottom = StrToInt(BottomEdit);
    }
    // A failed calculation (a fit rectangle outside Source 2, a Source 2 too small) keeps the
    // earlier result: the map, the picture shown and what Save To Float writes stay the same.
    PhaseCalculationResult calculated = CalculatePhase(*source1_, *source2_, options);
    result_ = std::move(calculated.Result);
    if (calculated.Fitted) {
        ALabel->setText(QString::fromStdString(FitCoefficientLabel("A", calculated.A)));
        BLabel->setText(QString::fromStdString(FitCoefficientLabel("B", calculated.B)));
    }
    std::unique_ptr<TGrayImage> gray;
    result_->ToGrayImage(gray);
    main_.ShowInRole(kResultRole, *gray);
}

void TPhaseCalculationForm::SaveToFloatButtonClick() {
    if (!result_) throw CorvaneError(kCalculateFirstMessage);
    const auto chosen = ChooseSaveFile(kFilter, QStringLiteral("*.flt"));
    if (!chosen) return;
    result_->SaveFlt(ToFilePath(*chosen));
}

void TPhaseCalculationForm::DocumentDragged(TMDIChildForm& child, int x1, int y1, int x2, int y2) {
    if (child.Caption() != kSource2Role) return;
    LeftEdit->setText(QString::number(std::min(x1, x2)));
    RightEdit->setText(QString::number(std::max(x1, x2)));
    TopEdit->setText(QString::number(std::min(y1, y2)));
    BottomEdit->setText(QString::number(std::max(y1, y2)));
}

void TPhaseCalculationForm::FormHide() {
    source1_.reset();
    source2_.reset();
    result_.reset();
}

} // namespace corvane::ui
