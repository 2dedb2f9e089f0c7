#include "tools/ui/THistogramForm.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

#include "shell/Platform.h"

namespace corvane::ui {

namespace {

constexpr int kPlotWidth = 257; // column 0 is left blank, level i sits in column i + 1
constexpr int kRampWidth = 258; // levels in columns 1..256 inside a frame

RgbBitmapView ViewOf(const QImage& rgb) {
    RgbBitmapView view;
    view.Data = rgb.constBits();
    view.Width = rgb.width();
    view.Height = rgb.height();
    view.Stride = static_cast<std::size_t>(rgb.bytesPerLine());
    view.BytesPerPixel = 3; // QImage::Format_RGB888 keeps red, green and blue in that order
    return view;
}

QLabel* MakeLabel(const char* name, const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setMinimumWidth(150);
    return label;
}

} // namespace

THistogramForm::THistogramForm(IDialogs& dialogs, const QImage& bitmap, QWidget* parent)
    : QDialog(parent), dialogs_(dialogs) {
    setObjectName(QStringLiteral("HistogramForm"));
    setWindowTitle(QStringLiteral("Histogram"));
    const QImage rgb =
        bitmap.format() == QImage::Format_RGB888 ? bitmap : bitmap.convertToFormat(QImage::Format_RGB888);
    channels_ = ColourHistograms(ViewOf(rgb));

    ChannelComboBox = new QComboBox(this);
    ChannelComboBox->setObjectName(QStringLiteral("ChannelComboBox"));
    ChannelComboBox->addItems({QStringLiteral("Gray Level"), QStringLiteral("Red"), QStringLiteral("Green"),
                               QStringLiteral("Blue")});
    ChannelComboBox->setCurrentIndex(0);

    HistogramImage = MakeLabel("HistogramImage", QString(), this);
    HistogramImage->setFixedSize(kPlotWidth, PlotHeight);
    HistogramImage->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    HistogramImage->setCursor(Qt::CrossCursor);
    HistogramImage->setMouseTracking(true);
    HistogramImage->installEventFilter(this);
    ChannelImage = MakeLabel("ChannelImage", QString(), this);
    ChannelImage->setFixedSize(kRampWidth, RampHeight);

    LevelLabel = MakeLabel("LevelLabel", QStringLiteral("Level:"), this);
    CountLabel = MakeLabel("CountLabel", QStringLiteral("Count:"), this);
    PercentileLabel = MakeLabel("PercentileLabel", QStringLiteral("Percentile:"), this);
    MeanLabel = MakeLabel("MeanLabel", QString(), this);
    StdDevLabel = MakeLabel("StdDevLabel", QString(), this);
    MedianLabel = MakeLabel("MedianLabel", QString(), this);
    PixelsLabel = MakeLabel("PixelsLabel", QString(), this);
    Button1 = new QPushButton(QStringLiteral("OK"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setDefault(true);

    auto* layout = new QVBoxLayout(this);
    auto* channelRow = new QHBoxLayout;
    channelRow->addWidget(new QLabel(QStringLiteral("Channel:"), this));
    channelRow->addWidget(ChannelComboBox, 1);
    layout->addLayout(channelRow);
    layout->addWidget(HistogramImage, 0, Qt::AlignHCenter);
    layout->addWidget(ChannelImage, 0, Qt::AlignHCenter);
    auto* values = new QGridLayout;
    values->addWidget(MeanLabel, 0, 0);
    values->addWidget(LevelLabel, 0, 1);
    values->addWidget(StdDevLabel, 1, 0);
    values->addWidget(CountLabel, 1, 1);
    values->addWidget(MedianLabel, 2, 0);
    values->addWidget(PercentileLabel, 2, 1);
    values->addWidget(PixelsLabel, 3, 0);
    layout->addLayout(values);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Button1);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(ChannelComboBox, &QComboBox::currentIndexChanged, this,
            [this] { RunGuarded(dialogs_, [this] { ChannelComboBoxChange(); }); });
    connect(Button1, &QPushButton::clicked, this,
            [this] { RunGuarded(dialogs_, [this] { Button1Click(); }); });
    ChannelComboBoxChange();
}

HistogramChannel THistogramForm::Channel() const {
    return static_cast<HistogramChannel>(std::clamp(ChannelComboBox->currentIndex(), 0, 3));
}

const HistogramStatistics& THistogramForm::Statistics(HistogramChannel channel) const {
    return channels_[static_cast<std::size_t>(channel)];
}

QImage THistogramForm::PlotImage() const {
    return HistogramImage->pixmap().toImage();
}

void THistogramForm::ChannelComboBoxChange() {
    const HistogramLabels labels = LabelsOf(Statistics(Channel()));
    MeanLabel->setText(QString::fromStdString(labels.Mean));
    StdDevLabel->setText(QString::fromStdString(labels.StdDev));
    MedianLabel->setText(QString::fromStdString(labels.Median));
    PixelsLabel->setText(QString::fromStdString(labels.Pixels));
    DrawPlot();
    DrawRamp();
}

void THistogramForm::DrawPlot(int markLow, int markHigh) {
    const HistogramStatistics& statistics = Statistics(Channel());
    QImage plot(kPlotWidth, PlotHeight, QImage::Format_RGB32);
    plot.fill(palette().color(QPalette::Button));
    QPainter painter(&plot);
    if (markLow <= markHigh) // the chosen range on a pale band, its bars in red
        painter.fillRect(markLow + 1, 0, markHigh - markLow + 1, PlotHeight, QColor(255, 232, 190));
    for (int level = 0; level < 256; ++level) {
        const bool marked = level >= markLow && level <= markHigh;
        painter.setPen(marked ? QColor(200, 0, 0) : QColor(Qt::black));
        const int top = HistogramBarTop(statistics.Counts[static_cast<std::size_t>(level)],
                                        statistics.MaxCount, PlotHeight);
        painter.drawLine(level + 1, PlotHeight - 1, level + 1, top);
    }
    painter.end();
    HistogramImage->setPixmap(QPixmap::fromImage(plot));
}

void THistogramForm::DrawRamp() {
    QImage ramp(kRampWidth, RampHeight, QImage::Format_RGB32);
    ramp.fill(palette().color(QPalette::Button));
    QPainter painter(&ramp);
    const HistogramChannel channel = Channel();
    for (int v = 0; v < 256; ++v) {
        const int r = channel == HistogramChannel::Gray || channel == HistogramChannel::Red ? v : 0;
        const int g = channel == HistogramChannel::Gray || channel == HistogramChannel::Green ? v : 0;
        const int b = channel == HistogramChannel::Gray || channel == HistogramChannel::Blue ? v : 0;
        painter.setPen(QColor(r, g, b));
        painter.drawLine(v + 1, 1, v + 1, RampHeight - 2);
    }
    painter.setPen(QColor(Qt::black));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(0, 0, kRampWidth - 1, RampHeight - 1);
    painter.end();
    ChannelImage->setPixmap(QPixmap::fromImage(ramp));
}

void THistogramForm::HistogramImageMouseDown(int x) {
    level_ = HistogramLevelAt(x);
    startLevel_ = level_;
    dragging_ = true;
}

void THistogramForm::HistogramImageMouseMove(int x) {
    level_ = HistogramLevelAt(x);
    const HistogramStatistics& statistics = Statistics(Channel());
    const HistogramReadout readout =
        dragging_ ? RangeReadout(statistics, startLevel_, level_) : LevelReadout(statistics, level_);
    LevelLabel->setText(QString::fromStdString(readout.Level));
    CountLabel->setText(QString::fromStdString(readout.Count));
    PercentileLabel->setText(QString::fromStdString(readout.Percentile));
    if (dragging_) DrawPlot(std::min(startLevel_, level_), std::max(startLevel_, level_));
}

void THistogramForm::HistogramImageMouseUp(int x) {
    level_ = HistogramLevelAt(x);
    dragging_ = false;
    DrawPlot();
}

void THistogramForm::Button1Click() {
    accept();
}

bool THistogramForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == HistogramImage) {
        const auto type = event->type();
        if (type == QEvent::MouseButtonPress || type == QEvent::MouseMove ||
            type == QEvent::MouseButtonRelease) {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            const int x = mouse->position().toPoint().x();
            if (type == QEvent::MouseButtonPress && mouse->button() == Qt::LeftButton)
                RunGuarded(dialogs_, [&] { HistogramImageMouseDown(x); });
            else if (type == QEvent::MouseMove)
                RunGuarded(dialogs_, [&] { HistogramImageMouseMove(x); });
            else if (type == QEvent::MouseButtonRelease && mouse->button() == Qt::LeftButton)
                RunGuarded(dialogs_, [&] { HistogramImageMouseUp(x); });
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace corvane::ui
