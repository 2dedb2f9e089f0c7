#include "phase/ui/PhaseShiftSteps.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include "image/TGrayImage.h"
#include "shell/FileFilter.h"
#include "shell/Platform.h"
#include "shell/TMainForm.h"

namespace corvane::ui {

namespace {
const QString kOpenPictureFilter = WithTiffPngEntry("Bitmaps (*.bmp)|*.bmp", "All Files(*.*)|*.*");
const QString kSaveFilter = QStringLiteral(
    "Result Data(*.dat,*.data)|*.dat;*.data|Float Phase  Files(*.flt)|*.flt|All files(*.*)|*.*");

template <typename T> T* NamedChild(T* object, const QString& name) {
    object->setObjectName(name);
    return object;
}
} // namespace

TToolSetup PhaseShiftToolPlacement(const char* name, const QString& title, const char* showCommand) {
    return TToolSetup{.Name = name,
                      .Title = title,
                      .ShowCommand = showCommand,
                      .LockedCommands = {},
                      .GuardsDocuments = false,
                      .RoleWindows = {},
                      .CloseRolesOnHide = false,
                      .HasCloseButton = false};
}

std::string ToFilePath(const QString& name) {
    return QFile::encodeName(name).toStdString();
}

PhaseShiftSteps::PhaseShiftSteps(TMainForm& mainForm, QWidget* page, PhaseShiftMethod method,
                                 const QString& tag, const QString& phaseRole)
    : main_(mainForm), dialogs_(mainForm.Dialogs()), method_(method), count_(PhaseShiftStepCount(method)),
      tag_(tag), phaseRole_(phaseRole) {
    for (int k = 1; k <= count_; ++k) {
        StepEdits[k - 1] = NamedChild(new QLineEdit(QStringLiteral("Step %1").arg(k), page),
                                      QStringLiteral("Step%1Edit").arg(k));
        auto* button = NamedChild(new QToolButton(page), QStringLiteral("Step%1SpeedButton").arg(k));
        button->setText(QStringLiteral("..."));
        StepSpeedButtons[k - 1] = button;
    }
    WorkingDirLabel = NamedChild(new QLabel(QDir::currentPath(), page), QStringLiteral("WorkingDirLabel"));
    WorkingDirLabel->setWordWrap(true);
    ComputePhaseButton = NamedChild(new QPushButton(QStringLiteral("Compute Phase"), page),
                                    QStringLiteral("ComputePhaseButton"));
    SaveToFloatButton = NamedChild(new QPushButton(QStringLiteral("Save To Float"), page),
                                   QStringLiteral("SaveToFloatButton"));
    ReadImageButton = NamedChild(new QPushButton(QStringLiteral("Read Data"), page),
                                 QStringLiteral("Read%1ImageButton").arg(count_));
    ReadImageButton->hide();
}

PhaseShiftSteps::~PhaseShiftSteps() = default;

void PhaseShiftSteps::LayOut(QWidget* page) {
    auto* layout = new QVBoxLayout(page);
    auto* grid = new QGridLayout;
    for (int k = 1; k <= count_; ++k) {
        grid->addWidget(new QLabel(QStringLiteral("Step %1").arg(k), page), k - 1, 0);
        grid->addWidget(StepEdits[k - 1], k - 1, 1);
        grid->addWidget(StepSpeedButtons[k - 1], k - 1, 2);
    }
    layout->addLayout(grid);
    layout->addWidget(WorkingDirLabel);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(ComputePhaseButton);
    buttons->addWidget(SaveToFloatButton);
    buttons->addWidget(ReadImageButton);
    layout->addLayout(buttons);
    // On the equal-step tool's taller page the controls stay together at the top.
    layout->addStretch();
}

QString PhaseShiftSteps::StepRole(int k) const {
    return QStringLiteral("Phase Shifting Step %1:%2").arg(k).arg(tag_);
}

QString PhaseShiftSteps::EnterWorkingDir() const {
    const QString dir = WorkingDirLabel->text();
    QDir::setCurrent(dir);
    return dir;
}

std::string PhaseShiftSteps::FileOf(const QLineEdit* edit) const {
    return ToFilePath(QDir(WorkingDirLabel->text()).filePath(edit->text()));
}

void PhaseShiftSteps::BrowsePicture(QLineEdit* edit, const QString& role) {
    FileDialogRequest request;
    request.Filter = kOpenPictureFilter;
    request.InitialDir = WorkingDirLabel->text();
    const auto chosen = dialogs_.OpenFile(request);
    if (!chosen) return;
    const QFileInfo file(chosen->FileName);
    edit->setText(file.fileName());
    WorkingDirLabel->setText(file.absolutePath());
    EnterWorkingDir();
    // The window keeps only its picture; the image goes at once.
    const TGrayImage picture(ToFilePath(file.absoluteFilePath()));
    main_.ShowInRole(role, picture);
}

void PhaseShiftSteps::BrowseStep(int k) {
    BrowsePicture(StepEdits[k - 1], StepRole(k));
}

void PhaseShiftSteps::ReadSteps() {
    steps_.clear();
    EnterWorkingDir();
    for (int k = 1; k <= count_; ++k) {
        steps_.push_back(std::make_unique<TGrayImage>(FileOf(StepEdits[k - 1])));
        main_.ShowInRole(StepRole(k), *steps_.back());
    }
}

void PhaseShiftSteps::ComputePhase() {
    ReadSteps();
    std::vector<const TGrayImage*> steps;
    for (const auto& step : steps_)
        steps.push_back(step.get());
    PhaseShiftResult computed = ComputePhaseShift(method_, steps);
    // The old binding borrows the old maps: it goes before they do.
    result_.reset();
    result_.emplace(std::move(computed));
    main_.ShowInRole(phaseRole_, *result_->Phase->Gray);
}

void PhaseShiftSteps::SaveToFloat() {
    // Asking for a name that nothing would be written under only hides that there is nothing yet.
    if (!result_) {
        dialogs_.Information(kNoPhaseToSaveMessage);
        return;
    }
    FileDialogRequest request;
    request.Title = QStringLiteral("Save Phase To");
    request.Filter = kSaveFilter;
    request.FilterIndex = 2;
    request.DefaultExt = QStringLiteral("*.flt");
    request.InitialDir = WorkingDirLabel->text();
    const auto chosen = dialogs_.SaveFile(request);
    if (!chosen) return;
    SavePhaseShiftFlt(*result_->Phase->Phase, static_cast<float>(main_.ScaleX),
                      static_cast<float>(main_.ScaleY), ToFilePath(chosen->FileName));
}

void PhaseShiftSteps::Forget() {
    steps_.clear();
    result_.reset();
}

} // namespace corvane::ui
