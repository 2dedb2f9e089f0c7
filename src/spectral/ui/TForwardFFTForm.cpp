#include "spectral/ui/TForwardFFTForm.h"

#include <QAction>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>

#include "shell/FileFilter.h"
#include "shell/TMainForm.h"
#include "spectral/TMyFFT.h"

namespace corvane::ui {

namespace {
const QString kPictureFilter =
    WithTiffPngEntry("Bitmaps (*.bmp)|*.bmp", "Binary float files(*.flt) |*.flt|All files(*.*)|*.*");
const QString kSaveFilter = QStringLiteral("Binary Float files(*.flt)|*.flt|All files(*.*)|*.*");
} // namespace

TForwardFFTForm::TForwardFFTForm(TMainForm& mainForm)
    : TFFTToolForm(mainForm, "ForwardFFTForm", QStringLiteral("Forward FFT"), "FFTAction") {
    FileNameEdit = Named(new QLineEdit(QStringLiteral("File Name"), this), "FileNameEdit");
    BrowseFileNameButton = Named(new QPushButton(QStringLiteral("..."), this), "BrowseFileNameButton");
    BrowseFileNameButton->setFixedWidth(32);
    ZrEdit = Named(new QLineEdit(QStringLiteral("Zr.flt"), this), "ZrEdit");
    ZiEdit = Named(new QLineEdit(QStringLiteral("Zi.flt"), this), "ZiEdit");
    SaveZrZiCheckBox = Named(new QCheckBox(QStringLiteral("SaveZrAndZi"), this), "SaveZrZiCheckBox");
    FFTButton = Named(new QPushButton(QStringLiteral("FFT"), this), "FFTButton");
    SaveRealParttoMenuItem =
        Named(PopupMenu->addAction(QStringLiteral("Save Real Part to...")), "SaveRealParttoMenuItem");
    SaveImagineParttoMenuItem =
        Named(PopupMenu->addAction(QStringLiteral("Save Imagine Part to...")), "SaveImagineParttoMenuItem");

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Gray Image File Name"), this));
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(FileNameEdit);
    fileRow->addWidget(BrowseFileNameButton);
    layout->addLayout(fileRow);
    AddPartsGroup(layout, ZrEdit, ZiEdit);
    layout->addWidget(SaveZrZiCheckBox);
    AddButtonRow(layout, FFTButton);

    Bind(BrowseFileNameButton, &QPushButton::clicked, &TForwardFFTForm::BrowseFileNameButtonClick);
    Bind(FFTButton, &QPushButton::clicked, &TForwardFFTForm::FFTButtonClick);
    Bind(SaveRealParttoMenuItem, &QAction::triggered, &TForwardFFTForm::SaveRealParttoMenuItemClick);
    Bind(SaveImagineParttoMenuItem, &QAction::triggered, &TForwardFFTForm::SaveImagineParttoMenuItemClick);
}

void TForwardFFTForm::BrowseFileNameButtonClick() {
    ChoosePicture(FileNameEdit, kPictureFilter, QStringLiteral("Original Image"));
}

void TForwardFFTForm::FFTButtonClick() {
    Transform(FFTButton, [&] {
        fft_ = std::make_unique<TMyFFT>(FileNameEdit->text().toStdString());
        fft_->ForwardFFT();
        fft_->ShowSpectrum();
        if (SaveZrZiCheckBox->isChecked()) {
            fft_->Real->SaveFlt(ZrEdit->text().toStdString());
            fft_->Imag->SaveFlt(ZiEdit->text().toStdString());
        }
    });
    ShowInRole(QStringLiteral("FFT Spectra"), *fft_->Phase->Gray);
}

void TForwardFFTForm::SaveRealParttoMenuItemClick() {
    SaveHeldPart(true, kSaveFilter);
}

void TForwardFFTForm::SaveImagineParttoMenuItemClick() {
    SaveHeldPart(false, kSaveFilter);
}

} // namespace corvane::ui
