#include "phase/ui/TGenerateGridForm.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "image/TGrayImage.h"
#include "phase/GridGenerator.h"
#include "shell/Convert.h"
#include "shell/TMainForm.h"

namespace corvane::ui {

namespace {
/// A group of radio items whose button ids are the item indexes; item 0 selected.
QButtonGroup* RadioItems(QGroupBox* box, const QStringList& items) {
    auto* group = new QButtonGroup(box);
    auto* layout = new QVBoxLayout(box);
    for (int i = 0; i < items.size(); ++i) {
        auto* item = new QRadioButton(items[i], box);
        group->addButton(item, i);
        layout->addWidget(item);
    }
    group->button(0)->setChecked(true);
    return group;
}

void Check(QButtonGroup* group, int index) {
    if (QAbstractButton* item = group->button(index)) item->setChecked(true);
}

float FloatOf(const QLineEdit* edit) {
    return static_cast<float>(StrToFloat(edit));
}
} // namespace

TGenerateGridForm::TGenerateGridForm(TMainForm& mainForm)
    : TToolForm(mainForm, TToolSetup{.Name = "GenerateGridForm",
                                     .Title = QStringLiteral("Generate Grid"),
                                     .ShowCommand = "GenerateGridAction",
                                     .LockedCommands = {},
                                     .GuardsDocuments = false,
                                     .RoleWindows = {},
                                     .CloseRolesOnHide = false,
                                     .HasCloseButton = false}) {
    const GridOptions defaults;
    FileNameEdit = Named(new QLineEdit(QString::fromStdString(defaults.Title), this), "FileNameEdit");
    WidthEdit = Named(new QLineEdit(QString::number(defaults.Width), this), "WidthEdit");
    HeightEdit = Named(new QLineEdit(QString::number(defaults.Height), this), "HeightEdit");
    XCarrierEdit = Named(new QLineEdit(QStringLiteral("16"), this), "XCarrierEdit");
    YCarrierEdit = Named(new QLineEdit(QStringLiteral("16"), this), "YCarrierEdit");
    LeanYEdit = Named(new QLineEdit(QStringLiteral("0"), this), "LeanYEdit");
    LeanXEdit = Named(new QLineEdit(QStringLiteral("0"), this), "LeanXEdit");
    InitPhaseEdit = Named(new QLineEdit(QStringLiteral("0"), this), "InitPhaseEdit");
    DirectionRadioGroup = Named(new QGroupBox(QStringLiteral("Direction"), this), "DirectionRadioGroup");
    direction_ = RadioItems(DirectionRadioGroup,
                            {QStringLiteral("X "), QStringLiteral("Y "), QStringLiteral("X and Y ")});
    DeformationRadioGroup =
        Named(new QGroupBox(QStringLiteral("Deformation"), this), "DeformationRadioGroup");
    deformation_ = RadioItems(DeformationRadioGroup,
                              {QStringLiteral("none"), QStringLiteral("cylinder"), QStringLiteral("1/r")});
    Button1 = Named(new QPushButton(QStringLiteral("Generate!!!"), this), "Button1");

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("The Title displayed in the window"), this));
    layout->addWidget(FileNameEdit);
    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("Size"), this), 0, 0);
    grid->addWidget(WidthEdit, 0, 1);
    grid->addWidget(HeightEdit, 0, 2);
    grid->addWidget(new QLabel(QStringLiteral("How Many Carrier"), this), 1, 0);
    grid->addWidget(XCarrierEdit, 1, 1);
    grid->addWidget(YCarrierEdit, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Lean y"), this), 2, 0);
    grid->addWidget(LeanYEdit, 2, 1);
    grid->addWidget(new QLabel(QStringLiteral("Lean x"), this), 3, 0);
    grid->addWidget(LeanXEdit, 3, 1);
    grid->addWidget(new QLabel(QStringLiteral("Init Phase"), this), 4, 0);
    grid->addWidget(InitPhaseEdit, 4, 1);
    grid->addWidget(new QLabel(QStringLiteral("X PI"), this), 4, 2);
    layout->addLayout(grid);
    auto* groups = new QHBoxLayout;
    groups->addWidget(DirectionRadioGroup);
    groups->addWidget(DeformationRadioGroup);
    layout->addLayout(groups);
    layout->addWidget(Button1);

    Bind(Button1, &QPushButton::clicked, &TGenerateGridForm::Button1Click);
}

int TGenerateGridForm::DirectionIndex() const {
    return direction_->checkedId();
}
void TGenerateGridForm::SetDirectionIndex(int index) {
    Check(direction_, index);
}
int TGenerateGridForm::DeformationIndex() const {
    return deformation_->checkedId();
}
void TGenerateGridForm::SetDeformationIndex(int index) {
    Check(deformation_, index);
}

void TGenerateGridForm::Button1Click() {
    GridOptions options;
    options.Title = FileNameEdit->text().toStdString();
    options.Width = StrToInt(WidthEdit);
    options.Height = StrToInt(HeightEdit);
    options.XCarrier = FloatOf(XCarrierEdit);
    options.YCarrier = FloatOf(YCarrierEdit);
    options.LeanY = FloatOf(LeanYEdit);
    options.LeanX = FloatOf(LeanXEdit);
    options.InitPhase = FloatOf(InitPhaseEdit);
    options.Direction = static_cast<GridDirection>(DirectionIndex());
    options.Deformation = static_cast<GridDeformation>(DeformationIndex());
    const auto grid = GenerateGrid(options);
    main_.ShowInRole(FileNameEdit->text(), *grid);
    if (GridDrawsNothing(options)) dialogs_.Information(QString::fromLatin1(kGridDrawsNothingMessage));
}

} // namespace corvane::ui
