#include "correlation/ui/TComputeStrainForm.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "image/CorvaneError.h"
#include "image/FloatMapDisplay.h"
#include "shell/Convert.h"
#include "shell/FileFilter.h"
#include "shell/TMDIChildForm.h"
#include "shell/TMainForm.h"

namespace corvane::ui {

namespace {

const QString kUFieldRole = QStringLiteral(" U Field");
const QString kVFieldRole = QStringLiteral(" V Field");
const QString kMaskFileRole = QStringLiteral(" Mask File");
const QString kStrainMaskRole = QStringLiteral("Strain Mask");
const QString kFieldFilter = QStringLiteral("Float Displacement File(*.flt)|*.flt");
const QString kMaskFilter = QStringLiteral("Bitmap Files(*.bmp)|*.bmp");

QString RoleOf(StrainComponent component) {
    static const char* const kRoles[] = {" Ux ",  " Uy ",  " Vx ", " Vy ", " Shear Strain ", " exx ",
                                         " eyy ", " exy ", " e1 ", " e2 ", " evm "};
    return QString::fromLatin1(kRoles[static_cast<std::size_t>(component)]);
}

QToolButton* ActionButton(QAction* action, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setDefaultAction(action);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    return button;
}

} // namespace

TComputeStrainForm::TComputeStrainForm(TMainForm& mainForm)
    : TToolForm(mainForm, {.Name = "ComputeStrainForm",
                           .Title = QStringLiteral("Compute Strain"),
                           .ShowCommand = "StrainAction",
                           .LockedCommands = {},
                           .RoleWindows = {kUFieldRole, kVFieldRole, kMaskFileRole, kStrainMaskRole,
                                           RoleOf(StrainComponent::Ux), RoleOf(StrainComponent::Uy),
                                           RoleOf(StrainComponent::Vx), RoleOf(StrainComponent::Vy),
                                           RoleOf(StrainComponent::Shear), RoleOf(StrainComponent::Exx),
                                           RoleOf(StrainComponent::Eyy), RoleOf(StrainComponent::Exy),
                                           RoleOf(StrainComponent::E1), RoleOf(StrainComponent::E2),
                                           RoleOf(StrainComponent::Evm)}}) {
    WorkingDirLabel = Named(new QLabel(QDir::currentPath(), this), "WorkingDirLabel");
    UFieldEdit = Named(new QLineEdit(QStringLiteral("U Field"), this), "UFieldEdit");
    VFieldEdit = Named(new QLineEdit(QStringLiteral("V Field"), this), "VFieldEdit");
    MaskValueCheckBox = Named(new QCheckBox(QStringLiteral("Invalid value"), this), "MaskValueCheckBox");
    MaskValueEdit = Named(new QLineEdit(QStringLiteral("1000"), this), "MaskValueEdit");
    UseMaskFileCheckBox =
        Named(new QCheckBox(QStringLiteral("Use Mask File(white=valid)"), this), "UseMaskFileCheckBox");
    MaskFileEdit = Named(new QLineEdit(QStringLiteral("mask file"), this), "MaskFileEdit");
    // A correlation result holds the not-computed marker outside its points; they are invalid by
    // default so that they take no part in the derivatives nor in the grey range.
    MaskValueCheckBox->setChecked(true);
    StrainWindowEdit = Named(new QLineEdit(this), "StrainWindowEdit");
    StrainWindowEdit->setPlaceholderText(QStringLiteral("finite differences"));
    StrainWindowEdit->setToolTip(QStringLiteral(
        "odd number of points N >= 3: least-squares plane over N x N points; empty: differences "
        "of the neighbours"));

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
    ExxAction = action(QStringLiteral("exx"), "ExxAction");
    EyyAction = action(QStringLiteral("eyy"), "EyyAction");
    ExyAction = action(QStringLiteral("exy"), "ExyAction");
    E1Action = action(QStringLiteral("e1"), "E1Action");
    E2Action = action(QStringLiteral("e2"), "E2Action");
    EvmAction = action(QStringLiteral("evm"), "EvmAction");
    ShowColourMapAction = action(QStringLiteral("Colour Map"), "ShowColourMapAction");
    ShowColourMapAction->setToolTip(QStringLiteral("show the last result in Colour Map"));
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
    SaveExxAction = saveItem(QStringLiteral("Save exx to Float"), "SaveExxAction");
    SaveEyyAction = saveItem(QStringLiteral("Save eyy to Float"), "SaveEyyAction");
    SaveExyAction = saveItem(QStringLiteral("Save exy to Float"), "SaveExyAction");
    SaveE1Action = saveItem(QStringLiteral("Save e1 to Float"), "SaveE1Action");
    SaveE2Action = saveItem(QStringLiteral("Save e2 to Float"), "SaveE2Action");
    SaveEvmAction = saveItem(QStringLiteral("Save evm to Float"), "SaveEvmAction");
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
    files->addWidget(new QLabel(QStringLiteral("Strain window"), this), 5, 0);
    files->addWidget(StrainWindowEdit, 5, 1);
    files->setColumnStretch(1, 1);

    auto* commands = new QHBoxLayout;
    for (QAction* command : {UxAction, UyAction, VxAction, VyAction, UyVxAction})
        commands->addWidget(ActionButton(command, this));
    commands->addStretch(1);
    auto* tensor = new QHBoxLayout;
    for (QAction* command : {ExxAction, EyyAction, ExyAction, E1Action, E2Action, EvmAction})
        tensor->addWidget(ActionButton(command, this));
    tensor->addStretch(1);
    tensor->addWidget(ActionButton(ShowColourMapAction, this));
    tensor->addWidget(CloseButton);

    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(MainMenu);
    layout->addLayout(files);
    layout->addLayout(commands);
    layout->addLayout(tensor);

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
    Bind(ExxAction, &QAction::triggered, &TComputeStrainForm::ExxActionExecute);
    Bind(EyyAction, &QAction::triggered, &TComputeStrainForm::EyyActionExecute);
    Bind(ExyAction, &QAction::triggered, &TComputeStrainForm::ExyActionExecute);
    Bind(E1Action, &QAction::triggered, &TComputeStrainForm::E1ActionExecute);
    Bind(E2Action, &QAction::triggered, &TComputeStrainForm::E2ActionExecute);
    Bind(EvmAction, &QAction::triggered, &TComputeStrainForm::EvmActionExecute);
    Bind(ShowColourMapAction, &QAction::triggered, &TComputeStrainForm::ShowColourMapActionExecute);
    Bind(SaveExxAction, &QAction::triggered, &TComputeStrainForm::SaveExxActionExecute);
    Bind(SaveEyyAction, &QAction::triggered, &TComputeStrainForm::SaveEyyActionExecute);
    Bind(SaveExyAction, &QAction::triggered, &TComputeStrainForm::SaveExyActionExecute);
    Bind(SaveE1Action, &QAction::triggered, &TComputeStrainForm::SaveE1ActionExecute);
    Bind(SaveE2Action, &QAction::triggered, &TComputeStrainForm::SaveE2ActionExecute);
    Bind(SaveEvmAction, &QAction::triggered, &TComputeStrainForm::SaveEvmActionExecute);
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

int TComputeStrainForm::FitWindow() const {
    if (StrainWindowEdit->text().trimmed().isEmpty()) return 0;
    const int window = StrToInt(StrainWindowEdit);
    CheckStrainWindow(window);
    return window;
}

void TComputeStrainForm::ShowResult(StrainComponent component, const TGrayImage& mask) {
    const TFloatImage& result = results_.Get(component);
    const std::unique_ptr<TGrayImage> gray = StrainToGray(result, mask);
    TMDIChildForm* window = ShowInRole(RoleOf(component), *gray);
    // The window tells the strain under the mouse; it keeps its own copy of the values.
    if (window) window->SetFloatMap(CopyFloatMap(result));
    lastRole_ = RoleOf(component);
}

void TComputeStrainForm::ComputeComponent(StrainComponent component) {
    StrainRequest request;
    request.Component = component;
    request.Mask = MaskOptions();
    request.FitWindow = FitWindow();
    StrainResult result =
        ComputeStrainFromFiles(request, InWorkingDir(UFieldEdit->text()), InWorkingDir(VFieldEdit->text()));
    results_.Set(component, std::move(result.Map));
    mask_ = std::move(result.Mask);
    ShowResult(component, *mask_);
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
    if (FitWindow() != 0) {
        ComputeComponent(StrainComponent::Shear);
        return;
    }
    const TFloatImage& shear = results_.ComputeShear();
    // Shown through the mask of the last derivative when it covers the map, else over every point.
    if (mask_ && mask_->Width == shear.Width && mask_->Height == shear.Height) {
        ShowResult(StrainComponent::Shear, *mask_);
    } else {
        TGrayImage all(nullptr, shear.Width, shear.Height);
        std::fill(all.Data, all.Data + all.Size, std::uint8_t{255});
        ShowResult(StrainComponent::Shear, all);
    }
}

void TComputeStrainForm::ShowColourMapActionExecute() {
    const int index = lastRole_.isEmpty() ? -1 : main_.FindMDIChild(lastRole_);
    TMDIChildForm* window = index < 0 ? nullptr : main_.MDIChild(index);
    if (!window || !window->FloatMap()) throw CorvaneError("compute a strain first");
    if (window->SubWindow()) main_.MdiArea()->setActiveSubWindow(window->SubWindow());
    main_.RequireAction("ColourMapAction")->trigger();
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
