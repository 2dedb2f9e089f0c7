#include "spectral/ui/TInverseFFTForm.h"

#include <QAction>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QStatusTipEvent>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <limits>

#include "shell/Convert.h"
#include "shell/FileFilter.h"
#include "shell/Platform.h"
#include "shell/TMainForm.h"
#include "spectral/TMyFFT.h"

namespace corvane::ui {

namespace {
const QString kFloatFilter = QStringLiteral("Float Data file( *flt)|*.flt|All Files (*.*)|*.*");
const QString kMaskFilter = WithTiffPngEntry("Mask Files (*.bmp)|*.bmp", "All files( *.*)|*.*");
const QString kSaveFilter = QStringLiteral("Bin Float file(*.flt)|*.flt|All files(*.*)|*.*");

// x + w for the far corner of the rectangle filter; a sum beyond the integer range only means
// "past the edge of the map".
std::int32_t FarCorner(std::int32_t origin, std::int32_t size) {
    const std::int64_t sum = std::int64_t{origin} + size;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(sum, std::numeric_limits<std::int32_t>::min(),
                                                              std::numeric_limits<std::int32_t>::max()));
}

// The rectangle and the circle exclude each other (the mask combines with either): checking one
// unchecks the other and disables its group.
void ExclusiveFilterClicked(QCheckBox* box, QGroupBox* group, QCheckBox* other, QGroupBox* otherGroup) {
    group->setEnabled(box->isChecked());
    if (!box->isChecked()) return;
    other->setChecked(false);
    otherGroup->setEnabled(false);
}
} // namespace

TInverseFFTForm::TInverseFFTForm(TMainForm& mainForm)
    : TFFTToolForm(mainForm, "InverseFFTForm", QStringLiteral("Inverse FFT"), "InverseFFTAction") {
    ZrEdit = Named(new QLineEdit(QStringLiteral("Zr.flt"), this), "ZrEdit");
    ZiEdit = Named(new QLineEdit(QStringLiteral("Zi.flt"), this), "ZiEdit");
    ZrButton = Named(new QPushButton(QStringLiteral("..."), this), "ZrButton");
    ZiButton = Named(new QPushButton(QStringLiteral("..."), this), "ZiButton");
    ShowAmSpeedButton = Named(new QToolButton(this), "ShowAmSpeedButton");
    ShowAmSpeedButton->setText(QStringLiteral("Display"));
    ShowAmSpeedButton->setToolTip(QStringLiteral("Display"));
    ShowAmSpeedButton->setStatusTip(QStringLiteral("display the spectra in gray level"));

    MaskFileCheckBox = Named(new QCheckBox(QStringLiteral("Use Mask File"), this), "MaskFileCheckBox");
    MaskFileGroupBox = Named(new QGroupBox(QStringLiteral("Mask File"), this), "MaskFileGroupBox");
    MaskFileGroupBox->setToolTip(QStringLiteral("white(255) is valid"));
    MaskFileEdit = Named(new QLineEdit(QStringLiteral("Mask.bmp"), MaskFileGroupBox), "MaskFileEdit");
    BrowseMaskFileButton =
        Named(new QPushButton(QStringLiteral("..."), MaskFileGroupBox), "BrowseMaskFileButton");

    RectFilterCheckBox =
        Named(new QCheckBox(QStringLiteral("Use Rectangle Filter"), this), "RectFilterCheckBox");
    RectGroupBox = Named(new QGroupBox(QStringLiteral("Rectangle Filter"), this), "RectGroupBox");
    XEdit = Named(new QLineEdit(QStringLiteral("0"), RectGroupBox), "XEdit");
    YEdit = Named(new QLineEdit(QStringLiteral("0"), RectGroupBox), "YEdit");
    WidthEdit = Named(new QLineEdit(QStringLiteral("0"), RectGroupBox), "WidthEdit");
    HeightEdit = Named(new QLineEdit(QStringLiteral("0"), RectGroupBox), "HeightEdit");

    CircleFilterCheckBox =
        Named(new QCheckBox(QStringLiteral("Use Circle Filter"), this), "CircleFilterCheckBox");
    CircleGroupBox = Named(new QGroupBox(QStringLiteral("Circle Filter"), this), "CircleGroupBox");
    CenterXEdit = Named(new QLineEdit(QStringLiteral("0"), CircleGroupBox), "CenterXEdit");
    CenterYEdit = Named(new QLineEdit(QStringLiteral("0"), CircleGroupBox), "CenterYEdit");
    RadiusEdit = Named(new QLineEdit(QStringLiteral("10"), CircleGroupBox), "RadiusEdit");

    InverseFFTButton = Named(new QPushButton(QStringLiteral("Inverse FFT"), this), "InverseFFTButton");
    SaveInverseFFTrealpartto1 =
        Named(PopupMenu->addAction(QStringLiteral("Save Inverse FFT real part to...")),
              "SaveInverseFFTrealpartto1");
    SaveInverseFFTimaginepartto1 =
        Named(PopupMenu->addAction(QStringLiteral("Save Inverse FFT imagine part to...")),
              "SaveInverseFFTimaginepartto1");

    // Layout: the spectrum files, the three filters, the buttons.
    auto* layout = new QVBoxLayout(this);
    QGridLayout* partsLayout = AddPartsGroup(layout, ZrEdit, ZiEdit);
    partsLayout->addWidget(ZrButton, 0, 2);
    partsLayout->addWidget(ZiButton, 1, 2);
    partsLayout->addWidget(ShowAmSpeedButton, 0, 3, 2, 1);

    layout->addWidget(MaskFileCheckBox);
    auto* maskLayout = new QHBoxLayout(MaskFileGroupBox);
    maskLayout->addWidget(MaskFileEdit);
    maskLayout->addWidget(BrowseMaskFileButton);
    layout->addWidget(MaskFileGroupBox);

    layout->addWidget(RectFilterCheckBox);
    auto* rectLayout = new QGridLayout(RectGroupBox);
    rectLayout->addWidget(new QLabel(QStringLiteral("Top Left Corner"), RectGroupBox), 0, 0);
    rectLayout->addWidget(XEdit, 0, 1);
    rectLayout->addWidget(YEdit, 0, 2);
    rectLayout->addWidget(new QLabel(QStringLiteral("Width"), RectGroupBox), 1, 0);
    rectLayout->addWidget(WidthEdit, 1, 1);
    rectLayout->addWidget(new QLabel(QStringLiteral("Height"), RectGroupBox), 2, 0);
    rectLayout->addWidget(HeightEdit, 2, 1);
    layout->addWidget(RectGroupBox);

    layout->addWidget(CircleFilterCheckBox);
    auto* circleLayout = new QGridLayout(CircleGroupBox);
    circleLayout->addWidget(new QLabel(QStringLiteral("Circle Center"), CircleGroupBox), 0, 0);
    circleLayout->addWidget(CenterXEdit, 0, 1);
    circleLayout->addWidget(CenterYEdit, 0, 2);
    circleLayout->addWidget(new QLabel(QStringLiteral("Radius"), CircleGroupBox), 1, 0);
    circleLayout->addWidget(RadiusEdit, 1, 1);
    layout->addWidget(CircleGroupBox);

    AddButtonRow(layout, InverseFFTButton);

    MaskFileGroupBox->setEnabled(false);
    RectGroupBox->setEnabled(false);
    CircleGroupBox->setEnabled(false);

    Bind(ZrButton, &QPushButton::clicked, &TInverseFFTForm::ZrButtonClick);
    Bind(ZiButton, &QPushButton::clicked, &TInverseFFTForm::ZiButtonClick);
    Bind(ShowAmSpeedButton, &QToolButton::clicked, &TInverseFFTForm::ShowAmSpeedButtonClick);
    Bind(MaskFileCheckBox, &QCheckBox::clicked, &TInverseFFTForm::MaskFileCheckBoxClick);
    Bind(RectFilterCheckBox, &QCheckBox::clicked, &TInverseFFTForm::RectFilterCheckBoxClick);
    Bind(CircleFilterCheckBox, &QCheckBox::clicked, &TInverseFFTForm::CircleFilterCheckBoxClick);
    Bind(BrowseMaskFileButton, &QPushButton::clicked, &TInverseFFTForm::BrowseMaskFileButtonClick);
    Bind(InverseFFTButton, &QPushButton::clicked, &TInverseFFTForm::InverseFFTButtonClick);
    Bind(SaveInverseFFTrealpartto1, &QAction::triggered, &TInverseFFTForm::SaveInverseFFTrealpartto1Click);
    Bind(SaveInverseFFTimaginepartto1, &QAction::triggered,
         &TInverseFFTForm::SaveInverseFFTimaginepartto1Click);
}

void TInverseFFTForm::ZrButtonClick() {
    ChooseFile(ZrEdit, kFloatFilter);
}

void TInverseFFTForm::ZiButtonClick() {
    ChooseFile(ZiEdit, kFloatFilter);
}

void TInverseFFTForm::MaskFileCheckBoxClick() {
    MaskFileGroupBox->setEnabled(MaskFileCheckBox->isChecked());
}

void TInverseFFTForm::RectFilterCheckBoxClick() {
    ExclusiveFilterClicked(RectFilterCheckBox, RectGroupBox, CircleFilterCheckBox, CircleGroupBox);
}

void TInverseFFTForm::CircleFilterCheckBoxClick() {
    ExclusiveFilterClicked(CircleFilterCheckBox, CircleGroupBox, RectFilterCheckBox, RectGroupBox);
}

void TInverseFFTForm::BrowseMaskFileButtonClick() {
    ChoosePicture(MaskFileEdit, kMaskFilter, QStringLiteral("Mask File"));
}

void TInverseFFTForm::ShowAmSpeedButtonClick() {
    fft_.reset();
    TMyFFT spectrum(ZrEdit->text().toStdString(), ZiEdit->text().toStdString());
    spectrum.ShowSpectrum();
    main_.ShowInRole(QStringLiteral("FFT Spectra"), *spectrum.Phase->Gray);
}

void TInverseFFTForm::InverseFFTButtonClick() {
    Transform(InverseFFTButton, [&] {
        // The filters act in the order mask, rectangle, circle, each clearing the same pixels
        // of both parts; each filter's fields are read when its turn comes.
        fft_ = std::make_unique<TMyFFT>(ZrEdit->text().toStdString(), ZiEdit->text().toStdString());
        const auto clear = [&](const auto& filter) {
            filter(*fft_->Real);
            filter(*fft_->Imag);
        };
        if (MaskFileCheckBox->isChecked()) {
            const std::string mask = MaskFileEdit->text().toStdString();
            clear([&](TFloatImage& part) { part.ApplyMaskFile(0.0f, mask); });
        }
        if (RectFilterCheckBox->isChecked()) {
            const std::int32_t x = StrToInt(XEdit);
            const std::int32_t y = StrToInt(YEdit);
            const std::int32_t w = StrToInt(WidthEdit);
            const std::int32_t h = StrToInt(HeightEdit);
            clear([&](TFloatImage& part) {
                part.FillRect(0.0f, x, y, FarCorner(x, w), FarCorner(y, h), false);
            });
        }
        if (CircleFilterCheckBox->isChecked()) {
            const std::int32_t cx = StrToInt(CenterXEdit);
            const std::int32_t cy = StrToInt(CenterYEdit);
            const double radius = StrToFloat(RadiusEdit);
            clear([&](TFloatImage& part) { part.FillCircle(0.0f, cx, cy, radius, false); });
        }
        fft_->InverseFFT();
        fft_->Phase->LinearSpectrum = true;
        fft_->ShowSpectrum();
        main_.ShowInRole(QStringLiteral("IFFT Spectra"), *fft_->Phase->Gray);
    });
}

void TInverseFFTForm::SaveInverseFFTrealpartto1Click() {
    SaveHeldPart(true, kSaveFilter, QStringLiteral("*.flt"));
}

void TInverseFFTForm::SaveInverseFFTimaginepartto1Click() {
    SaveHeldPart(false, kSaveFilter, QStringLiteral("*.flt"));
}

void TInverseFFTForm::DocumentDragged(TMDIChildForm& /*child*/, int x1, int y1, int x2, int y2) {
    if (!RectFilterCheckBox->isChecked()) return;
    // The filter keeps (x, y) to (x + w, y + h), corners included: exactly the dragged pixels.
    XEdit->setText(QString::number(std::min(x1, x2)));
    YEdit->setText(QString::number(std::min(y1, y2)));
    WidthEdit->setText(QString::number(std::abs(x2 - x1)));
    HeightEdit->setText(QString::number(std::abs(y2 - y1)));
}

} // namespace corvane::ui
