#include "spectral/ui/TForwardFFTForm.h"

#include <QAction>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHideEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include "image/TGrayImage.h"
#include "shell/Platform.h"
#include "shell/TMainForm.h"
#include "spectral/TMyFFT.h"
#include "spectral/ui/OnFailure.h"

namespace corvane::ui {

namespace {
const QString kPictureFilter =
    QStringLiteral("Bitmaps (*.bmp)|*.bmp|Binary float files(*.flt) |*.flt|All files(*.*)|*.*");
const QString kSaveFilter = QStringLiteral("Binary Float files(*.flt)|*.flt|All files(*.*)|*.*");

template <typename T> T* Named(T* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}
} // namespace

TForwardFFTForm::TForwardFFTForm(TMainForm& mainForm)
    : QWidget(&mainForm, Qt::Tool | Qt::WindowStaysOnTopHint), main_(mainForm), dialogs_(mainForm.Dialogs()),
      commands_(mainForm) {
    setObjectName(QStringLiteral("ForwardFFTForm"));
    setWindowTitle(QStringLiteral("Forward FFT"));

    FileNameEdit = Named(new QLineEdit(QStringLiteral("File Name"), this), "FileNameEdit");
    BrowseFileNameButton = Named(new QPushButton(QStringLiteral("..."), this), "BrowseFileNameButton");
    BrowseFileNameButton->setFixedWidth(32);
    ZrEdit = Named(new QLineEdit(QStringLiteral("Zr.flt"), this), "ZrEdit");
    ZiEdit = Named(new QLineEdit(QStringLiteral("Zi.flt"), this), "ZiEdit");
    SaveZrZiCheckBox = Named(new QCheckBox(QStringLiteral("SaveZrAndZi"), this), "SaveZrZiCheckBox");
    FFTButton = Named(new QPushButton(QStringLiteral("FFT"), this), "FFTButton");
    CloseButton = Named(new QPushButton(QStringLiteral("Close"), this), "CloseButton");

    PopupMenu = Named(new QMenu(this), "PopupMenu");
    SaveRealParttoMenuItem = Named(PopupMenu->addAction(QStringLiteral("Save Real Part to...")), "SaveRealParttoMenuItem");
    SaveImagineParttoMenuItem =
        Named(PopupMenu->addAction(QStringLiteral("Save Imagine Part to...")), "SaveImagineParttoMenuItem");
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { PopupMenu->popup(mapToGlobal(pos)); });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Gray Image File Name"), this));
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(FileNameEdit);
    fileRow->addWidget(BrowseFileNameButton);
    layout->addLayout(fileRow);
    auto* parts = Named(new QGroupBox(QStringLiteral("Real and Imagine Part "), this), "RealImagineGroupBox");
    auto* partsLayout = new QGridLayout(parts);
    partsLayout->addWidget(new QLabel(QStringLiteral("Zr"), parts), 0, 0);
    partsLayout->addWidget(ZrEdit, 0, 1);
    partsLayout->addWidget(new QLabel(QStringLiteral("Zi"), parts), 1, 0);
    partsLayout->addWidget(ZiEdit, 1, 1);
    layout->addWidget(parts);
    layout->addWidget(SaveZrZiCheckBox);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(FFTButton);
    buttons->addWidget(CloseButton);
    layout->addLayout(buttons);

    connect(BrowseFileNameButton, &QPushButton::clicked, this, &TForwardFFTForm::BrowseFileNameButtonClick);
    connect(FFTButton, &QPushButton::clicked, this, &TForwardFFTForm::FFTButtonClick);
    connect(CloseButton, &QPushButton::clicked, this, &TForwardFFTForm::CloseButtonClick);
    connect(SaveRealParttoMenuItem, &QAction::triggered, this, &TForwardFFTForm::SaveRealParttoMenuItemClick);
    connect(SaveImagineParttoMenuItem, &QAction::triggered, this,
            &TForwardFFTForm::SaveImagineParttoMenuItemClick);

    // The frame's command shows the tool; while it is shown, document windows only minimise.
    if (QAction* command = mainForm.Action(QStringLiteral("FFTAction"))) {
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

TForwardFFTForm::~TForwardFFTForm() = default;

void TForwardFFTForm::BrowseFileNameButtonClick() {
    RunGuarded(dialogs_, [&] {
        FileDialogRequest request;
        request.Filter = kPictureFilter;
        request.FilterIndex = 1;
        const auto chosen = dialogs_.OpenFile(request);
        if (!chosen) return;
        FileNameEdit->setText(chosen->FileName);
        const TGrayImage image(chosen->FileName.toStdString());
        main_.ShowInRole(QStringLiteral("Original Image"), image);
    });
}

void TForwardFFTForm::FFTButtonClick() {
    RunGuarded(dialogs_, [&] {
        fft_.reset();
        FFTButton->setEnabled(false);
        OnFailure undo([this] {
            fft_.reset();
            FFTButton->setEnabled(true);
        });
        fft_ = std::make_unique<TMyFFT>(FileNameEdit->text().toStdString());
        fft_->ForwardFFT();
        fft_->ShowSpectrum();
        if (SaveZrZiCheckBox->isChecked()) {
            fft_->Real->SaveFlt(ZrEdit->text().toStdString());
            fft_->Imag->SaveFlt(ZiEdit->text().toStdString());
        }
        undo.Dismiss();
        FFTButton->setEnabled(true);
        dialogs_.Beep();
        main_.ShowInRole(QStringLiteral("FFT Spectra"), *fft_->Phase->Gray);
    });
}

void TForwardFFTForm::SavePart(bool realPart) {
    RunGuarded(dialogs_, [&] {
        if (!fft_) return;
        FileDialogRequest request;
        request.Filter = kSaveFilter;
        request.FilterIndex = 1;
        const auto chosen = dialogs_.SaveFile(request);
        if (!chosen) return;
        (realPart ? fft_->Real : fft_->Imag)->SaveFlt(chosen->FileName.toStdString());
    });
}

void TForwardFFTForm::SaveRealParttoMenuItemClick() { SavePart(true); }

void TForwardFFTForm::SaveImagineParttoMenuItemClick() { SavePart(false); }

void TForwardFFTForm::CloseButtonClick() {
    RunGuarded(dialogs_, [&] { hide(); });
}

void TForwardFFTForm::FormHide() {
    RunGuarded(dialogs_, [&] { fft_.reset(); });
}

void TForwardFFTForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous()) RunGuarded(dialogs_, [&] { commands_.SetEnabled(false); });
}

void TForwardFFTForm::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    if (event->spontaneous()) return;
    FormHide();
    RunGuarded(dialogs_, [&] { commands_.SetEnabled(true); });
}

} // namespace corvane::ui
