#include "spectral/ui/TFFTToolForm.h"

#include <QBoxLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "image/TGrayImage.h"
#include "shell/TMainForm.h"
#include "spectral/TMyFFT.h"

namespace corvane::ui {

TFFTToolForm::TFFTToolForm(TMainForm& mainForm, const char* name, const QString& title,
                           const char* showCommand)
    : TToolForm(mainForm, {.Name = name,
                           .Title = title,
                           .ShowCommand = showCommand,
                           .LockedCommands = {"FFTAction", "InverseFFTAction"},
                           .GuardsDocuments = true}) {
    AddPopupMenu();
}

TFFTToolForm::~TFFTToolForm() = default;

void TFFTToolForm::FormHide() {
    fft_.reset();
}

QGridLayout* TFFTToolForm::AddPartsGroup(QBoxLayout* layout, QLineEdit* zrEdit, QLineEdit* ziEdit) {
    auto* parts = Named(new QGroupBox(QStringLiteral("Real and Imagine Part "), this), "RealImagineGroupBox");
    auto* grid = new QGridLayout(parts);
    grid->addWidget(new QLabel(QStringLiteral("Zr"), parts), 0, 0);
    grid->addWidget(zrEdit, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Zi"), parts), 1, 0);
    grid->addWidget(ziEdit, 1, 1);
    layout->addWidget(parts);
    return grid;
}

void TFFTToolForm::AddButtonRow(QBoxLayout* layout, QPushButton* command) {
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(command);
    buttons->addWidget(CloseButton);
    layout->addLayout(buttons);
    setTabOrder(command, CloseButton);
}

std::optional<QString> TFFTToolForm::ChooseFile(QLineEdit* edit, const QString& filter) {
    const auto chosen = ChooseOpenFile(filter);
    if (chosen) edit->setText(*chosen);
    return chosen;
}

void TFFTToolForm::ChoosePicture(QLineEdit* edit, const QString& filter, const QString& role) {
    const auto chosen = ChooseFile(edit, filter);
    if (!chosen) return;
    const TGrayImage image(chosen->toStdString());
    ShowInRole(role, image);
}

void TFFTToolForm::Transform(QPushButton* button, const std::function<void()>& work) {
    fft_.reset();
    button->setEnabled(false);
    try {
        work();
    } catch (...) {
        // A command that fails midway leaves the tool in a known state: nothing held, button on.
        fft_.reset();
        button->setEnabled(true);
        throw;
    }
    button->setEnabled(true);
    dialogs_.Beep();
}

void TFFTToolForm::SaveHeldPart(bool realPart, const QString& filter, const QString& defaultExt) {
    if (!fft_) return;
    const auto chosen = ChooseSaveFile(filter, defaultExt);
    if (!chosen) return;
    (realPart ? fft_->Real : fft_->Imag)->SaveFlt(chosen->toStdString());
}

} // namespace corvane::ui
