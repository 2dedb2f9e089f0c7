#include "shell/TSixteenBitOptionForm.h"

#include "image/PictureFile.h"
#include "image/TGrayImage.h"
#include "shell/Platform.h"
#include "shell/TWorkbenchSettings.h"

#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace corvane::ui {

TSixteenBitOptionForm::TSixteenBitOptionForm(IDialogs& dialogs, const QString& fileName,
                                             const PictureInfo& info, SixteenBitScaling initial,
                                             QWidget* parent)
    : QDialog(parent), dialogs_(dialogs) {
    setObjectName(QStringLiteral("SixteenBitOptionForm"));
    setWindowTitle(QStringLiteral("16-Bit Picture"));
    DescribeLabel =
        new QLabel(QStringLiteral("File: \"") + QFileInfo(fileName).fileName() + QStringLiteral("\""), this);
    DescribeLabel->setObjectName(QStringLiteral("DescribeLabel"));
    SizeLabel = new QLabel(QStringLiteral("( ") + QString::number(info.Width) + QStringLiteral(" x ") +
                               QString::number(info.Height) + QStringLiteral(" pixels, 16 bits per sample )"),
                           this);
    SizeLabel->setObjectName(QStringLiteral("SizeLabel"));

    RuleGroupBox = new QGroupBox(QStringLiteral("   Conversion to 8 bits   "), this);
    RuleGroupBox->setObjectName(QStringLiteral("RuleGroupBox"));
    RangeRadioButton = new QRadioButton(QStringLiteral("The picture's minimum to maximum"), RuleGroupBox);
    RangeRadioButton->setObjectName(QStringLiteral("RangeRadioButton"));
    FullRadioButton = new QRadioButton(QStringLiteral("The full range: value / 257"), RuleGroupBox);
    FullRadioButton->setObjectName(QStringLiteral("FullRadioButton"));
    (initial == SixteenBitScaling::Full ? FullRadioButton : RangeRadioButton)->setChecked(true);
    auto* rules = new QVBoxLayout(RuleGroupBox);
    rules->addWidget(RangeRadioButton);
    rules->addWidget(FullRadioButton);

    Button1 = new QPushButton(QStringLiteral("OK"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setDefault(true);
    Button2 = new QPushButton(QStringLiteral("Cancel"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    buttons->addStretch(1);

    auto* fields = new QVBoxLayout;
    fields->addWidget(DescribeLabel);
    fields->addWidget(SizeLabel);
    fields->addWidget(RuleGroupBox);
    auto* top = new QHBoxLayout(this);
    top->addLayout(fields, 1);
    top->addLayout(buttons);

    connect(Button1, &QPushButton::clicked, this, &TSixteenBitOptionForm::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TSixteenBitOptionForm::Button2Click);
}

SixteenBitScaling TSixteenBitOptionForm::Scaling() const {
    return FullRadioButton->isChecked() ? SixteenBitScaling::Full : SixteenBitScaling::Range;
}

void TSixteenBitOptionForm::Button1Click() {
    RunGuarded(dialogs_, [&] { accept(); });
}

void TSixteenBitOptionForm::Button2Click() {
    RunGuarded(dialogs_, [&] { reject(); });
}

std::optional<TOpenedPicture> OpenTiffOrPng(IDialogs& dialogs, TWorkbenchSettings& settings,
                                            const QString& name, const std::string& path, QWidget* parent) {
    const PictureFileInfo probe = ProbePictureFile(path);
    if (probe.Format != PictureFormat::Tiff && probe.Format != PictureFormat::Png) return std::nullopt;
    TOpenedPicture opened;
    opened.Caption = name;
    if (probe.Info.Pages > 1)
        opened.Caption +=
            QStringLiteral(" (first page of ") + QString::number(probe.Info.Pages) + QStringLiteral(")");
    SixteenBitScaling scaling = settings.ReadSixteenBitScaling();
    if (probe.Info.Bits == 16) {
        TSixteenBitOptionForm form(dialogs, name, probe.Info, scaling, parent);
        if (dialogs.ExecModal(form) != QDialog::Accepted) return opened;
        scaling = form.Scaling();
        settings.WriteSixteenBitScaling(scaling);
    }
    opened.Image = std::make_unique<TGrayImage>(path, scaling);
    return opened;
}

} // namespace corvane::ui
