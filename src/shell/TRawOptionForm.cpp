#include "shell/TRawOptionForm.h"

#include "shell/Convert.h"
#include "shell/Platform.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <cmath>
#include <cstdlib>

namespace corvane::ui {

std::optional<std::pair<std::int64_t, std::int64_t>> GuessRawDimensions(std::int64_t n) {
    if (n < 4) return std::nullopt;
    const auto limit = static_cast<std::int64_t>(std::sqrt(static_cast<double>(n)) + 2.0);
    std::optional<std::pair<std::int64_t, std::int64_t>> best;
    std::int64_t bestDistance = 0;
    for (std::int64_t d = 2; d < limit; ++d) {
        if (n % d != 0) continue;
        const std::int64_t other = n / d;
        const std::int64_t distance = std::llabs(d - other);
        if (!best || distance < bestDistance) {
            best = std::make_pair(other, d);
            bestDistance = distance;
        }
    }
    return best;
}

namespace {

QLineEdit* MakeEdit(const char* name, const char* text, QWidget* parent) {
    auto* edit = new QLineEdit(QString::fromLatin1(text), parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setMaximumWidth(90);
    return edit;
}

QLabel* MakeLabel(const QString& text, QWidget* buddy, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    if (buddy) label->setBuddy(buddy);
    return label;
}

} // namespace

TRawOptionForm::TRawOptionForm(IDialogs& dialogs, const QString& fileName, QWidget* parent)
    : QDialog(parent), dialogs_(dialogs) {
    setObjectName(QStringLiteral("RawOptionForm"));
    setWindowTitle(QStringLiteral("Raw Options"));
    const QFileInfo info(fileName);
    fileName_ = info.fileName();
    fileSize_ = info.exists() ? static_cast<std::uint64_t>(info.size()) : 0;

    DescribeLabel = new QLabel(QStringLiteral("File: \"") + fileName_ + QStringLiteral("\""), this);
    DescribeLabel->setObjectName(QStringLiteral("DescribeLabel"));
    SizeLabel =
        new QLabel(QStringLiteral("( ") + QString::number(fileSize_) + QStringLiteral(" bytes )"), this);
    SizeLabel->setObjectName(QStringLiteral("SizeLabel"));

    DimensionsGroupBox = new QGroupBox(QStringLiteral("   Dimensions   "), this);
    DimensionsGroupBox->setObjectName(QStringLiteral("DimensionsGroupBox"));
    WidthEdit = MakeEdit("WidthEdit", "512", DimensionsGroupBox);
    HeightEdit = MakeEdit("HeightEdit", "512", DimensionsGroupBox);
    auto* dimensions = new QGridLayout(DimensionsGroupBox);
    dimensions->addWidget(MakeLabel(QStringLiteral("&Width:"), WidthEdit, DimensionsGroupBox), 0, 0);
    dimensions->addWidget(WidthEdit, 0, 1);
    dimensions->addWidget(new QLabel(QStringLiteral("pixels"), DimensionsGroupBox), 0, 2);
    dimensions->addWidget(MakeLabel(QStringLiteral("&Height:"), HeightEdit, DimensionsGroupBox), 1, 0);
    dimensions->addWidget(HeightEdit, 1, 1);
    dimensions->addWidget(new QLabel(QStringLiteral("pixels"), DimensionsGroupBox), 1, 2);

    HeaderGroupBox = new QGroupBox(QStringLiteral("   Header   "), this);
    HeaderGroupBox->setObjectName(QStringLiteral("HeaderGroupBox"));
    HeaderEdit = MakeEdit("HeaderEdit", "0", HeaderGroupBox);
    auto* header = new QHBoxLayout(HeaderGroupBox);
    header->addWidget(MakeLabel(QStringLiteral("Size:"), HeaderEdit, HeaderGroupBox));
    header->addWidget(HeaderEdit);
    header->addWidget(new QLabel(QStringLiteral("bytes"), HeaderGroupBox));

    ChannelsGroupBox = new QGroupBox(QStringLiteral("   Channels   "), this);
    ChannelsGroupBox->setObjectName(QStringLiteral("ChannelsGroupBox"));
    ChannelCountEdit = MakeEdit("ChannelCountEdit", "1", ChannelsGroupBox);
    RadioButton1 = new QRadioButton(QStringLiteral("8Bits"), ChannelsGroupBox);
    RadioButton1->setObjectName(QStringLiteral("RadioButton1"));
    RadioButton1->setChecked(true);
    RadioButton2 = new QRadioButton(QStringLiteral("16Bits"), ChannelsGroupBox);
    RadioButton2->setObjectName(QStringLiteral("RadioButton2"));
    RadioButton2->setEnabled(false);
    auto* channels = new QGridLayout(ChannelsGroupBox);
    channels->addWidget(MakeLabel(QStringLiteral("Count:"), ChannelCountEdit, ChannelsGroupBox), 0, 0);
    channels->addWidget(ChannelCountEdit, 0, 1, 1, 2);
    channels->addWidget(new QLabel(QStringLiteral("Depth:"), ChannelsGroupBox), 1, 0);
    channels->addWidget(RadioButton1, 1, 1);
    channels->addWidget(RadioButton2, 1, 2);

    CheckBox1 = new QCheckBox(QStringLiteral("Retain When Saving"), this);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    CheckBox1->setEnabled(false);

    Button1 = new QPushButton(QStringLiteral("OK"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setDefault(true);
    Button2 = new QPushButton(QStringLiteral("Cancel"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button3 = new QPushButton(QStringLiteral("&Swap"), this);
    Button3->setObjectName(QStringLiteral("Button3"));
    Button4 = new QPushButton(QStringLiteral("&Guess"), this);
    Button4->setObjectName(QStringLiteral("Button4"));

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    buttons->addSpacing(12);
    buttons->addWidget(Button3);
    buttons->addWidget(Button4);
    buttons->addStretch(1);

    auto* fields = new QVBoxLayout;
    fields->addWidget(DescribeLabel);
    fields->addWidget(SizeLabel);
    fields->addWidget(DimensionsGroupBox);
    fields->addWidget(HeaderGroupBox);
    fields->addWidget(ChannelsGroupBox);
    fields->addWidget(CheckBox1);

    auto* top = new QHBoxLayout(this);
    top->addLayout(fields, 1);
    top->addLayout(buttons);

    connect(Button1, &QPushButton::clicked, this, &TRawOptionForm::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TRawOptionForm::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TRawOptionForm::Button3Click);
    connect(Button4, &QPushButton::clicked, this, &TRawOptionForm::Button4Click);
}

void TRawOptionForm::Button1Click() {
    RunGuarded(dialogs_, [&] { accept(); });
}

void TRawOptionForm::Button2Click() {
    RunGuarded(dialogs_, [&] { reject(); });
}

void TRawOptionForm::Button3Click() {
    RunGuarded(dialogs_, [&] {
        const QString width = WidthEdit->text();
        WidthEdit->setText(HeightEdit->text());
        HeightEdit->setText(width);
    });
}

void TRawOptionForm::Button4Click() {
    RunGuarded(dialogs_, [&] {
        const std::int64_t n = static_cast<std::int64_t>(fileSize_) - StrToInt(HeaderEdit);
        if (const auto guess = GuessRawDimensions(n)) {
            WidthEdit->setText(QString::number(guess->first));
            HeightEdit->setText(QString::number(guess->second));
        }
    });
}

std::optional<TGrayImage::RawDescription> AskRawDescription(IDialogs& dialogs, const QString& fileName,
                                                            const std::string& path, QWidget* parent) {
    TRawOptionForm form(dialogs, fileName, parent);
    if (dialogs.ExecModal(form) != QDialog::Accepted) return std::nullopt;
    TGrayImage::RawDescription raw;
    raw.FileName = path;
    raw.Header = StrToInt(form.HeaderEdit);
    raw.Width = StrToInt(form.WidthEdit);
    raw.Height = StrToInt(form.HeightEdit);
    return raw;
}

} // namespace corvane::ui
