#include "correlation/ui/TComputeStrainForm.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdint>

#include "image/CorvaneError.h"
#include "shell/Convert.h"
#include "shell/FileFilter.h"
#include "shell/TMainForm.h"

namespace corvane::ui {

namespace {

const QString kUFieldRole = QStringLiteral(" U Field");
const QString kVFieldRole = QStringLiteral(" V Field");
const QString kMaskFileRole = QStringLiteral(" Mask File");
const QString kStrainMaskRole = QStringLiteral("Strain Mask");
const QString kShearRole = QStringLiteral(" Shear Strain ");
const QString kFieldFilter = QStringLiteral("Float Displacement File(*.flt)|*.flt");
const QString kMaskFilter = QStringLiteral("Bitmap Files(*.bmp)|*.bmp");

QString RoleOf(StrainComponent component) {
    switch (component) {
    case StrainComponent::Ux:
        return QStringLiteral(" Ux ");
    case StrainComponent::Uy:
        return QStringLiteral(" Uy ");
    case StrainComponent::Vx:
        return QStringLiteral(" Vx ");
    case StrainComponent::Vy:
        return QStringLiteral(" Vy ");
    case StrainComponent::Shear:
        break;
    }
    return kShearRole;
}

QToolButton* ActionButton(QAction* action, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setDefaultAction(action);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    return button;
}

} // namespace

TComputeStrainForm::TComputeStrainForm(TMainForm& mainForm)
    : TToolForm(mainForm,
                {.Name = "ComputeStrainForm",
                 .Title = QStringLiteral("Compute Strain"),
                 .ShowCommand = "StrainAction",
                 .LockedCommands = {},
                 .RoleWindows = {kUFieldRole, kVFieldRole, kMaskFileRole, kStrainMaskRole,
                                 RoleOf(StrainComponent::Ux), RoleOf(StrainComponent::Uy),
                                 RoleOf(StrainComponent::Vx), RoleOf(StrainComponent::Vy), kShearRole}}) {
    WorkingDirLabel = Named(new QLabel(QDir::currentPath(), this), "WorkingDirLabel");
    UFieldEdit = Named(new QLineEdit(QStringLiteral("U Field"), this), "UFieldEdit");
    VFieldEdit = Named(new QLineEdit(QStringLiteral("V Field"), this), "VFieldEdit");
    MaskValueCheckBox = Named(new QCheckBox(QStringLiteral("Invalid value"), this), "MaskValueCheckBox");
    MaskValueEdit = Named(new QLineEdit(QStringLiteral("1000"), this), "MaskValueEdit");
    UseMaskFileCheckBox =
        Named(new QCheckBox(QStringLiteral("Use Mask File(white=valid)"), this), "UseMaskFileCheckBox");
    MaskFileEdit = Named(new QLineEdit(QStringLiteral("mask file"), this), "MaskFileEdit");

    const auto action = [this](const QString& text, const char* name) {
        return Named(new QAction(text, this), name);
    };
    UxAction = action(QStringLiteral("Ux"), "UxAction");
    UyAction = action(QStringLiteral("Uy"), "UyAction");
    VxAction = action(QStringLiteral("Vx"), "VxAction");
    VyAction = action(QStringLiteral("Vy"), "VyAction");
    UyVxAction = action(QStringLiteral("Shear Strain"), "UyVxAction");
    UyVxAction->setStatusTip(QStringLiteral("compute the shear strain"));
    UyVxAction->setToolTip(QStringLiteral("compute the shear strain"));
    OpenUFieldFileAction = action(QStringLiteral("..."), "OpenUFieldFileAction");
    OpenVFieldFileAction = action(QStringLiteral("..."), "OpenVFieldFileAction");
    OpenMaskFileAction = action(QStringLiteral("..."), "OpenMaskFileAction");
    // A tool button shows an action's icon text, which drops a trailing "..." unless it is set.
    for (QAction* open : {OpenUFieldFileAction, OpenVFieldFileAction, OpenMaskFileAction})
        open->setIconText(QStringLiteral("..."));

    MainMenu = Named(new QMenuBar(this), "MainMenu");
    SaveStrainMenu = Named(MainMenu->addMenu(QStringLiteral("Save Strain")), "SaveStrainMenu");
    const auto saveItem = [this](const QString& text, const char* name) {
        return Named(SaveStrainMenu->addAction(text), name);
    };
    SaveUxAction = saveItem(QStringLiteral("Save Ux to Float"), "SaveUxAction");
    SaveUyAction = saveItem(QStringLiteral("Save Uy to Float"), "SaveUyAction");
    SaveVxAction = saveItem(QStringLiteral("Save Vx to Float"), "SaveVxAction");
    SaveVyAction = saveItem(QStringLiteral("Save Vy to Float"), "SaveVyAction");
    SaveShearStrainAction = saveItem(QStringLiteral("Save Shear Strain"), "SaveShearStrainAction");
    SaveStrainMenu->addSeparator();
    SaveMaskAction = saveItem(QStringLiteral("Save Mask"), "SaveMaskAction");

    auto* files = new QGridLayout;
    files->addWidget(new QLabel(QStringLiteral("Working Directory"), this), 0, 0);
    files->addWidget(WorkingDirLabel, 0, 1, 1, 2);
    files->addWidget(new QLabel(QStringLiteral("U Field"), this), 1, 0);
    files->addWidget(UFieldEdit, 1, 1);
    files->addWidget(ActionButton(OpenUFieldFileAction, this), 1, 2);
    files->addWidget(new QLabel(QStringLiteral("V Field"), this), 2, 0);
    files->addWidget(VFieldEdit, 2, 1);
    files->addWidget(ActionButton(OpenVFieldFileAction, this), 2, 2);
    files->addWidget(MaskValueCheckBox, 3, 0);
    files->addWidget(MaskValueEdit, 3, 1);
    files->addWidget(UseMaskFileCheckBox, 4, 0);
    files->addWidget(MaskFileEdit, 4, 1);
    files->addWidget(ActionButton(OpenMaskFileAction, this), 4, 2);
    files->setColumnStretch(1, 1);

    auto* commands = new QHBoxLayout;
    for (QAction* command : {UxAction, UyAction, VxAction, VyAction, UyVxAction})
        commands->addWidget(ActionButton(command, this));
    commands->addStretch(1);
    commands->addWidget(CloseButton);

    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(MainMenu);
    layout->addLayout(files);
    layout->addLayout(commands);

    Bind(OpenUFieldFileAction, &QAction::triggered, &TComputeStrainForm::OpenUFieldFileActionExecute);
    Bind(OpenVFieldFileAction, &QAction::triggered, &TComputeStrainForm::OpenVFieldFileActionExecute);
    Bind(OpenMaskFileAction, &QAction::triggered, &TComputeStrainForm::OpenMaskFileActionExecute);
    Bind(UxAction, &QAction::triggered, &TComputeStrainForm::UxActionExecute);
    Bind(UyAction, &QAction::triggered, &TComputeStrainForm::UyActionExecute);
    Bind(VxAction, &QAction::triggered, &TComputeStrainForm::VxActionExecute);
    Bind(VyAction, &QAction::triggered, &TComputeStrainForm::VyActionExecute);
    Bind(UyVxAction, &QAction::triggered, &TComputeStrainForm::UyVxActionExecute);
    Bind(SaveUxAction, &QAction::triggered, &TComputeStrainForm::SaveUxActionExecute);
    Bind(SaveUyAction, &QAction::triggered, &TComputeStrainForm::SaveUyActionExecute);
    Bind(SaveVxAction, &QAction::triggered, &TComputeStrainForm::SaveVxActionExecute);
    Bind(SaveVyAction, &QAction::triggered, &TComputeStrainForm::SaveVyActionExecute);
    Bind(SaveShearStrainAction, &QAction::triggered, &TComputeStrainForm::SaveShearStrainActionExecute);
    Bind(SaveMaskAction, &QAction::triggered, &TComputeStrainForm::SaveMaskActionExecute);
}

TComputeStrainForm::~TComputeStrainForm() = default;

std::string TComputeStrainForm::InWorkingDir(const QString& name) const {
    // A name typed with its folder stands as it is; a bare name is in the working directory.
    return QDir(WorkingDirLabel->text()).filePath(name).toStdString();
}

StrainMaskOptions TComputeStrainForm::MaskOptions() const {
    StrainMaskOptions options;
    options.UseInvalidValue = MaskValueCheckBox->isChecked();
    if (options.UseInvalidValue) options.InvalidValue = static_cast<float>(StrToFloat(MaskValueEdit));
    options.UseMaskFile = UseMaskFileCheckBox->isChecked();
    if (options.UseMaskFile) options.MaskFile = InWorkingDir(MaskFileEdit->text());
    return options;
}

void TComputeStrainForm::OpenField(QLineEdit* edit, const QString& roleCaption) {
    const auto chosen =
        ChooseOpenFile(kFieldFilter, QStringLiteral("Open Displacement File"), WorkingDirLabel->text());
    if (!chosen) return;
    const QFileInfo info(*chosen);
    edit->setText(info.fileName());
    WorkingDirLabel->setText(info.absolutePath());
    const TFloatImage field(chosen->toStdString());
    // The correlation's not-computed marker would take the whole grey range when it were shown.
    std::unique_ptr<TGrayImage> gray;
    if (MaskValueCheckBox->isChecked())
        field.ToGrayImage(gray, static_cast<float>(StrToFloat(MaskValueEdit)));
    else
        field.ToGrayImage(gray);
    ShowInRole(roleCaption, *gray);
}

void TComputeStrainForm::OpenUFieldFileActionExecute() {
    OpenField(UFieldEdit, kUFieldRole);
}

void TComputeStrainForm::OpenVFieldFileActionExecute() {
    OpenField(VFieldEdit, kVFieldRole);
}

void TComputeStrainForm::OpenMaskFileActionExecute() {
    const auto chosen = ChooseOpenFile(WithTiffPngEntry("Bitmap Files(*.bmp)|*.bmp", ""),
                                       QStringLiteral("Open Mask File"), WorkingDirLabel->text());
    if (!chosen) return;
    MaskFileEdit->setText(QFileInfo(*chosen).fileName());
    const TGrayImage mask(chosen->toStdString());
    ShowInRole(kMaskFileRole, mask);
}

void TComputeStrainForm::ComputeComponent(StrainComponent component) {
    const bool onU = component == StrainComponent::Ux || component == StrainComponent::Uy;
    const bool alongX = component == StrainComponent::Ux || component == StrainComponent::Vx;
    const StrainMaskOptions options = MaskOptions();
    const std::unique_ptr<TFloatImage> field =
        LoadStrainField(InWorkingDir((onU ? UFieldEdit : VFieldEdit)->text()));
    std::unique_ptr<TGrayImage> mask = MakeStrainMask(*field, options);
    std::unique_ptr<TFloatImage> result =
        ComputeDerivative(*field, *mask, alongX ? StrainDirection::AlongX : StrainDirection::AlongY);
    const std::unique_ptr<TGrayImage> gray = StrainToGray(*result, *mask);
    results_.Set(component, std::move(result));
    mask_ = std::move(mask);
    ShowInRole(RoleOf(component), *gray);
    ShowInRole(kStrainMaskRole, *mask_);
}

void TComputeStrainForm::UxActionExecute() {
    ComputeComponent(StrainComponent::Ux);
}

void TComputeStrainForm::UyActionExecute() {
    ComputeComponent(StrainComponent::Uy);
}

void TComputeStrainForm::VxActionExecute() {
    ComputeComponent(StrainComponent::Vx);
}

void TComputeStrainForm::VyActionExecute() {
    ComputeComponent(StrainComponent::Vy);
}

void TComputeStrainForm::UyVxActionExecute() {
    const TFloatImage& shear = results_.ComputeShear();
    // Shown through the mask of the last derivative when it covers the map, else over every point.
    std::unique_ptr<TGrayImage> gray;
    if (mask_ && mask_->Width == shear.Width && mask_->Height == shear.Height) {
        gray = StrainToGray(shear, *mask_);
    } else {
        TGrayImage all(nullptr, shear.Width, shear.Height);
        std::fill(all.Data, all.Data + all.Size, std::uint8_t{255});
        gray = StrainToGray(shear, all);
    }
    ShowInRole(kShearRole, *gray);
}

void TComputeStrainForm::SaveComponent(StrainComponent component) {
    results_.Get(component); // "compute ... first" before any dialog
    const auto chosen =
        ChooseSaveFile(kFieldFilter, QStringLiteral("*.flt"), QStringLiteral("Save To Float Strain File"));
    if (!chosen) return;
    results_.Save(component, chosen->toStdString());
}

void TComputeStrainForm::SaveUxActionExecute() {
    SaveComponent(StrainComponent::Ux);
}

void TComputeStrainForm::SaveUyActionExecute() {
    SaveComponent(StrainComponent::Uy);
}

void TComputeStrainForm::SaveVxActionExecute() {
    SaveComponent(StrainComponent::Vx);
}

void TComputeStrainForm::SaveVyActionExecute() {
    SaveComponent(StrainComponent::Vy);
}

void TComputeStrainForm::SaveShearStrainActionExecute() {
    SaveComponent(StrainComponent::Shear);
}

void TComputeStrainForm::SaveMaskActionExecute() {
    if (!mask_) throw CorvaneError("compute a strain first");
    const auto chosen = ChooseSaveFile(kMaskFilter, QStringLiteral("*.bmp"), QStringLiteral("Save Mask"));
    if (!chosen) return;
    mask_->SaveBmp(chosen->toStdString());
}

} // namespace corvane::ui
