#include "spectral/ui/TFFTToolForm.h"

#include <QAction>
#include <QBoxLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHideEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QShowEvent>

#include "image/TGrayImage.h"
#include "shell/Platform.h"
#include "shell/TMainForm.h"
#include "spectral/TMyFFT.h"

namespace corvane::ui {

TFFTToolForm::TFFTToolForm(TMainForm& mainForm, const char* name, const QString& title,
                           const char* commandName)
    : QWidget(&mainForm, Qt::Tool | Qt::WindowStaysOnTopHint), main_(mainForm), dialogs_(mainForm.Dialogs()),
      forwardCommand_(mainForm.Action(QStringLiteral("FFTAction"))),
      inverseCommand_(mainForm.Action(QStringLiteral("InverseFFTAction"))) {
    setObjectName(QString::fromLatin1(name));
    setWindowTitle(title);

    CloseButton = Named(new QPushButton(QStringLiteral("Close"), this), "CloseButton");
    connect(CloseButton, &QPushButton::clicked, this, &TFFTToolForm::CloseButtonClick);
    PopupMenu = Named(new QMenu(this), "PopupMenu");
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { PopupMenu->popup(mapToGlobal(pos)); });

    // The frame's command shows the tool; while it is shown, document windows only minimise.
    if (QAction* command = mainForm.Action(QString::fromLatin1(commandName))) {
        command->setEnabled(true);
        connect(command, &QAction::triggered, this, [this] {
            RunGuarded(dialogs_, [&] {
                show();
                raise();
                activateWindow();
            });
        });
    }
    mainForm.AddCloseGuard(this);
}

TFFTToolForm::~TFFTToolForm() = default;

void TFFTToolForm::CloseButtonClick() {
    RunGuarded(dialogs_, [&] { hide(); });
}

void TFFTToolForm::FormHide() {
    RunGuarded(dialogs_, [&] { fft_.reset(); });
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

void TFFTToolForm::SetCommandsEnabled(bool enabled) {
    if (forwardCommand_) forwardCommand_->setEnabled(enabled);
    if (inverseCommand_) inverseCommand_->setEnabled(enabled);
}

void TFFTToolForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous()) RunGuarded(dialogs_, [&] { SetCommandsEnabled(false); });
}

void TFFTToolForm::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    if (event->spontaneous()) return;
    FormHide();
    RunGuarded(dialogs_, [&] { SetCommandsEnabled(true); });
}

std::optional<QString> TFFTToolForm::ChooseFile(QLineEdit* edit, const QString& filter) {
    FileDialogRequest request;
    request.Filter = filter;
    request.FilterIndex = 1;
    const auto chosen = dialogs_.OpenFile(request);
    if (!chosen) return std::nullopt;
    edit->setText(chosen->FileName);
    return chosen->FileName;
}

void TFFTToolForm::ChoosePicture(QLineEdit* edit, const QString& filter, const QString& role) {
    const auto chosen = ChooseFile(edit, filter);
    if (!chosen) return;
    const TGrayImage image(chosen->toStdString());
    main_.ShowInRole(role, image);
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
    RunGuarded(dialogs_, [&] {
        if (!fft_) return;
        FileDialogRequest request;
        request.Filter = filter;
        request.FilterIndex = 1;
        request.DefaultExt = defaultExt;
        const auto chosen = dialogs_.SaveFile(request);
        if (!chosen) return;
        (realPart ? fft_->Real : fft_->Imag)->SaveFlt(chosen->FileName.toStdString());
    });
}

} // namespace corvane::ui
