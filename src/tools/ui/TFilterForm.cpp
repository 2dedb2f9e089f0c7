#include "tools/ui/TFilterForm.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

namespace corvane::ui {

namespace {
const QString kMedianFilter = QStringLiteral("Median Filter");
constexpr int kDefaultSize = 3;
} // namespace

TFilterForm::TFilterForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName(QStringLiteral("FilterForm"));
    setWindowTitle(QStringLiteral("Filter"));

    FilterTypeComboBox = new QComboBox(this);
    FilterTypeComboBox->setObjectName(QStringLiteral("FilterTypeComboBox"));
    FilterTypeComboBox->addItem(kMedianFilter);
    FilterTypeComboBox->setCurrentIndex(0);

    MedianFilterTrackBar = new QSlider(Qt::Horizontal, this);
    MedianFilterTrackBar->setObjectName(QStringLiteral("MedianFilterTrackBar"));
    MedianFilterTrackBar->setRange(SmallestSize, LargestSize);
    MedianFilterTrackBar->setTickPosition(QSlider::TicksBelow);
    MedianFilterTrackBar->setTickInterval(1);
    MedianFilterTrackBar->setSingleStep(1);
    MedianFilterTrackBar->setPageStep(1);
    MedianFilterTrackBar->setValue(kDefaultSize);
    MedianFilterTrackBar->setMinimumWidth(200);

    TrackBarValueLabel = new QLabel(QString::number(kDefaultSize), this);
    TrackBarValueLabel->setObjectName(QStringLiteral("TrackBarValueLabel"));
    TrackBarValueLabel->setMinimumWidth(24);

    BitBtn1 = new QPushButton(QStringLiteral("OK"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setDefault(true);
    BitBtn2 = new QPushButton(QStringLiteral("Cancel"), this);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));

    auto* fields = new QGridLayout;
    auto* filterLabel = new QLabel(QStringLiteral("Filter:"), this);
    filterLabel->setBuddy(FilterTypeComboBox);
    fields->addWidget(filterLabel, 0, 0);
    fields->addWidget(FilterTypeComboBox, 0, 1, 1, 2);
    fields->addWidget(new QLabel(QStringLiteral("Size:"), this), 1, 0);
    fields->addWidget(MedianFilterTrackBar, 1, 1);
    fields->addWidget(TrackBarValueLabel, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(BitBtn1);
    buttons->addWidget(BitBtn2);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(MedianFilterTrackBar, &QSlider::valueChanged, this, &TFilterForm::MedianFilterTrackBarChange);
    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
}

void TFilterForm::MedianFilterTrackBarChange() {
    TrackBarValueLabel->setText(QString::number(MedianFilterTrackBar->value()));
}

int TFilterForm::WindowSize() const {
    return FilterTypeComboBox->currentText() == kMedianFilter ? MedianFilterTrackBar->value() : kDefaultSize;
}

} // namespace corvane::ui
