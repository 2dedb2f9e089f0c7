#include "correlation/ui/TComputeScaleForm.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "correlation/ImageScale.h"
#include "shell/Convert.h"
#include "shell/TMainForm.h"

namespace corvane::ui {

namespace {

float FloatOf(const QLineEdit* edit) {
    return static_cast<float>(StrToFloat(edit));
}

/// The scale as decimal text that reads back as the same value; whole numbers keep a decimal point,
/// as the edits' defaults show them ("1.0").
QString TextOf(double scale) {
    QString shown = QString::fromStdString(ScaleText(scale));
    if (!shown.contains(QLatin1Char('.')) && !shown.contains(QLatin1Char('e')) && shown.back().isDigit())
        shown += QStringLiteral(".0");
    return shown;
}

} // namespace

TComputeScaleForm::TComputeScaleForm(TMainForm& mainForm)
    : TToolForm(mainForm, {.Name = "ComputeScaleForm",
                           .Title = QStringLiteral("Compute Scale"),
                           .ShowCommand = "ImageScaleAction",
                           .LockedCommands = {},
                           .RoleWindows = {}}) {
    SetScaleCheckBox = Named(new QCheckBox(QStringLiteral("Set Scale"), this), "SetScaleCheckBox");
    SetScaleCheckBox->setChecked(true);

    SetScaleGroupBox = Named(new QGroupBox(QStringLiteral("Set Scale"), this), "SetScaleGroupBox");
    ScaleXEdit = Named(new QLineEdit(QStringLiteral("1.0"), SetScaleGroupBox), "ScaleXEdit");
    ScaleYEdit = Named(new QLineEdit(QStringLiteral("1.0"), SetScaleGroupBox), "ScaleYEdit");
    auto* set = new QGridLayout(SetScaleGroupBox);
    set->addWidget(new QLabel(QStringLiteral("Scale X"), SetScaleGroupBox), 0, 0);
    set->addWidget(ScaleXEdit, 0, 1);
    set->addWidget(new QLabel(QStringLiteral("Scale Y"), SetScaleGroupBox), 1, 0);
    set->addWidget(ScaleYEdit, 1, 1);

    ComputeScaleGroupBox =
        Named(new QGroupBox(QStringLiteral("   Compute Scale   "), this), "ComputeScaleGroupBox");
    QGroupBox* compute = ComputeScaleGroupBox;
    ScaleXYRadioGroup = Named(new QGroupBox(compute), "ScaleXYRadioGroup");
    ScaleXRadioButton = Named(new QRadioButton(QStringLiteral("X"), ScaleXYRadioGroup), "ScaleXRadioButton");
    ScaleYRadioButton = Named(new QRadioButton(QStringLiteral("Y"), ScaleXYRadioGroup), "ScaleYRadioButton");
    ScaleXRadioButton->setChecked(true);
    auto* axes = new QHBoxLayout(ScaleXYRadioGroup);
    axes->addWidget(ScaleXRadioButton);
    axes->addWidget(ScaleYRadioButton);
    ImageScaleXEdit = Named(new QLineEdit(QStringLiteral("1"), compute), "ImageScaleXEdit");
    ImageScaleYEdit = Named(new QLineEdit(QStringLiteral("1"), compute), "ImageScaleYEdit");
    ActualScaleXEdit = Named(new QLineEdit(QStringLiteral("1.0"), compute), "ActualScaleXEdit");
    ActualScaleYEdit = Named(new QLineEdit(QStringLiteral("1.0"), compute), "ActualScaleYEdit");
    auto* measure = new QGridLayout(compute);
    measure->addWidget(ScaleXYRadioGroup, 0, 0, 1, 3);
    measure->addWidget(new QLabel(QStringLiteral("In  The Image"), compute), 1, 1);
    measure->addWidget(new QLabel(QStringLiteral("Actual Length"), compute), 1, 2);
    measure->addWidget(new QLabel(QStringLiteral("X"), compute), 2, 0);
    measure->addWidget(ImageScaleXEdit, 2, 1);
    measure->addWidget(ActualScaleXEdit, 2, 2);
    measure->addWidget(new QLabel(QStringLiteral("Y"), compute), 3, 0);
    measure->addWidget(ImageScaleYEdit, 3, 1);
    measure->addWidget(ActualScaleYEdit, 3, 2);
    measure->addWidget(new QLabel(QStringLiteral("(pixels)"), compute), 4, 1);
    measure->addWidget(new QLabel(QStringLiteral("(actual unit)"), compute), 4, 2);

    ApplyScaleButton = Named(new QPushButton(QStringLiteral("Apply"), this), "ApplyScaleButton");
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ApplyScaleButton);
    buttons->addWidget(CloseButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(SetScaleCheckBox);
    layout->addWidget(SetScaleGroupBox);
    layout->addWidget(ComputeScaleGroupBox);
    layout->addLayout(buttons);

    Bind(SetScaleCheckBox, &QCheckBox::toggled, &TComputeScaleForm::SetScaleCheckBoxClick);
    Bind(ApplyScaleButton, &QPushButton::clicked, &TComputeScaleForm::ApplyScaleButtonClick);
    SetScaleCheckBoxClick();
}

void TComputeScaleForm::FormShow() {
    ScaleXEdit->setText(TextOf(main_.ScaleX));
    ScaleYEdit->setText(TextOf(main_.ScaleY));
}

void TComputeScaleForm::SetScaleCheckBoxClick() {
    const bool set = SetScaleCheckBox->isChecked();
    SetScaleGroupBox->setEnabled(set);
    ComputeScaleGroupBox->setEnabled(!set);
}

void TComputeScaleForm::ApplyScaleButtonClick() {
    ImageScale scale;
    if (SetScaleCheckBox->isChecked()) {
        scale.ScaleX = StrToFloat(ScaleXEdit);
        scale.ScaleY = StrToFloat(ScaleYEdit);
    } else {
        ScaleMeasurement measurement;
        measurement.ImageLengthX = FloatOf(ImageScaleXEdit);
        measurement.ImageLengthY = FloatOf(ImageScaleYEdit);
        measurement.ActualLengthX = FloatOf(ActualScaleXEdit);
        measurement.ActualLengthY = FloatOf(ActualScaleYEdit);
        scale = ComputeImageScale(measurement);
        ScaleXEdit->setText(TextOf(scale.ScaleX));
        ScaleYEdit->setText(TextOf(scale.ScaleY));
    }
    main_.ScaleX = scale.ScaleX;
    main_.ScaleY = scale.ScaleY;
}

void TComputeScaleForm::DocumentDragged(TMDIChildForm& /*child*/, int x1, int y1, int x2, int y2) {
    if (SetScaleCheckBox->isChecked()) return;
    if (ScaleXRadioButton->isChecked())
        ImageScaleXEdit->setText(QString::number(MeasuredPixels(x1, x2)));
    else
        ImageScaleYEdit->setText(QString::number(MeasuredPixels(y1, y2)));
}

} // namespace corvane::ui
