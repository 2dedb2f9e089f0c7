#include "tools/ui/TFilterForm.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

#include "tools/ui/OkCancelButtons.h"

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

    AppliedSizeLabel = new QLabel(this);
    AppliedSizeLabel->setObjectName(QStringLiteral("AppliedSizeLabel"));

    const OkCancelButtons okCancel = MakeOkCancelButtons(this);
    BitBtn1 = okCancel.Ok;
    BitBtn2 = okCancel.Cancel;

    auto* fields = new QGridLayout;
    auto* filterLabel = new QLabel(QStringLiteral("Filter:"), this);
    filterLabel->setBuddy(FilterTypeComboBox);
    fields->addWidget(filterLabel, 0, 0);
    fields->addWidget(FilterTypeComboBox, 0, 1, 1, 2);
    fields->addWidget(new QLabel(QStringLiteral("Size:"), this), 1, 0);
    fields->addWidget(MedianFilterTrackBar, 1, 1);
    fields->addWidget(TrackBarValueLabel, 1, 2);
    fields->addWidget(AppliedSizeLabel, 2, 1, 1, 2);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addLayout(okCancel.Row);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(MedianFilterTrackBar, &QSlider::valueChanged, this, &TFilterForm::MedianFilterTrackBarChange);
    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
    MedianFilterTrackBarChange();
}

void TFilterForm::MedianFilterTrackBarChange() {
    const int size = MedianFilterTrackBar->value();
    TrackBarValueLabel->setText(QString::number(size));
    // The median works on odd windows: an even size is raised by one.
    const int applied = size % 2 == 0 ? size + 1 : size;
    AppliedSizeLabel->setText(QStringLiteral("filters with a %1 x %1 window").arg(applied));
}

int TFilterForm::WindowSize() const {
    return FilterTypeComboBox->currentText() == kMedianFilter ? MedianFilterTrackBar->value() : kDefaultSize;
}

} // namespace corvane::ui
