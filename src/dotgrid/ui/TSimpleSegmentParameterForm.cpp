#include "dotgrid/ui/TSimpleSegmentParameterForm.h"

#include <QAction>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include <functional>
#include <memory>
#include <utility>

#include "dotgrid/TThresholdSegment.h"
#include "image/CorvaneError.h"
#include "image/GrayHistogram.h"
#include "image/TGrayImage.h"
#include "shell/Convert.h"
#include "shell/TMDIChildForm.h"
#include "shell/TMainForm.h"

namespace corvane::ui {

namespace {

constexpr int kLevels = 256;

/// Shown by its own handler of "Simple Segment", which needs a picture to be open.
TToolSetup ToolSpec() {
    TToolSetup setup;
    setup.Name = "SimpleSegmentParameterForm";
    setup.Title = QStringLiteral("Simple Segment Parameter");
    return setup;
}

/// The histogram picture control: shows the form's picture and reports the mouse to it.
class THistogramPicture : public QWidget {
  public:
    THistogramPicture(QWidget* parent, const QImage& picture, std::function<void(int, int)> moved,
                      std::function<void()> clicked)
        : QWidget(parent), picture_(picture), moved_(std::move(moved)), clicked_(std::move(clicked)) {
        setFixedSize(picture.size());
        setMouseTracking(true);
        setCursor(Qt::CrossCursor);
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.drawImage(0, 0, picture_);
    }
    void mouseMoveEvent(QMouseEvent* event) override { moved_(event->pos().x(), event->pos().y()); }
    void mousePressEvent(QMouseEvent* event) override { moved_(event->pos().x(), event->pos().y()); }
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton && rect().contains(event->pos())) clicked_();
    }

  private:
    const QImage& picture_;
    std::function<void(int, int)> moved_;
    std::function<void()> clicked_;
};

} // namespace

TSimpleSegmentParameterForm::TSimpleSegmentParameterForm(TMainForm& mainForm)
    : TToolForm(mainForm, ToolSpec()), picture_(kLevels, kHistogramHeight, QImage::Format_RGB32) {
    picture_.fill(Qt::white);
    HistogramImage =
        Named(new THistogramPicture(
                  this, picture_, [this](int x, int y) { Guarded([&] { HistogramImageMouseMove(x, y); }); },
                  [this] { Guarded([&] { HistogramImageClick(); }); }),
              "HistogramImage");
    SimpleSegmentThresholdEdit =
        Named(new QLineEdit(QStringLiteral("128"), this), "SimpleSegmentThresholdEdit");
    WhiteSpeckleCheckBox =
        Named(new QCheckBox(QStringLiteral("White Speckle"), this), "WhiteSpeckleCheckBox");
    WhiteSpeckleCheckBox->setChecked(true);
    SegmentButton = Named(new QPushButton(QStringLiteral("Segment"), this), "SegmentButton");

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(HistogramImage, 0, Qt::AlignHCenter);
    auto* thresholdRow = new QHBoxLayout;
    thresholdRow->addWidget(new QLabel(QStringLiteral("Threshold"), this));
    thresholdRow->addWidget(SimpleSegmentThresholdEdit);
    thresholdRow->addWidget(WhiteSpeckleCheckBox);
    layout->addLayout(thresholdRow);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(SegmentButton);
    buttons->addWidget(CloseButton);
    layout->addLayout(buttons);

    // The command shows the window only while there is a picture to segment.
    QAction* command = mainForm.RequireAction("SimpleSegmentAction");
    command->setEnabled(true);
    connect(command, &QAction::triggered, this, [this] { Guarded([&] { SimpleSegmentActionExecute(); }); });
    Bind(SimpleSegmentThresholdEdit, &QLineEdit::textChanged,
         &TSimpleSegmentParameterForm::SimpleSegmentThresholdEditChange);
    Bind(SegmentButton, &QPushButton::clicked, &TSimpleSegmentParameterForm::SegmentButtonClick);
}

TSimpleSegmentParameterForm::~TSimpleSegmentParameterForm() = default;

void TSimpleSegmentParameterForm::SimpleSegmentActionExecute() {
    if (main_.MDIChildCount() > 0) ShowTool();
}

void TSimpleSegmentParameterForm::FormShow() {
    if (main_.MDIChildCount() > 0) ShowHistogramOf(main_.ActiveMDIChild());
}

void TSimpleSegmentParameterForm::FormHide() {
    counts_.fill(0);
    maxCount_ = 1;
    picture_.fill(Qt::white);
    HistogramImage->update();
}

void TSimpleSegmentParameterForm::DocumentActivated(TMDIChildForm& child) {
    ShowHistogramOf(&child);
}

void TSimpleSegmentParameterForm::ShowHistogramOf(TMDIChildForm* window) {
    if (!window || window->Bitmap().isNull()) return;
    std::unique_ptr<TGrayImage> gray;
    window->GetGrayImage(gray);
    const HistogramStatistics histogram = GrayHistogram(*gray);
    counts_ = histogram.Counts;
    maxCount_ = histogram.MaxCount;
    DrawHistogram();
}

void TSimpleSegmentParameterForm::DrawColumn(int column, QRgb colour) {
    for (int y = 0; y < kHistogramHeight; ++y)
        picture_.setPixel(column, y, colour);
}

void TSimpleSegmentParameterForm::DrawBar(int level) {
    // From the bottom row up to, not onto, the bar's top row: an empty level shows no bar.
    const int top = HistogramBarTop(counts_[static_cast<std::size_t>(level)], maxCount_, kHistogramHeight);
    for (int y = kHistogramHeight - 1; y > top && y >= 0; --y)
        picture_.setPixel(level, y, qRgb(0, 0, 0));
}

void TSimpleSegmentParameterForm::DrawHistogram() {
    picture_.fill(Qt::white);
    for (int level = 0; level < kLevels; ++level)
        DrawBar(level);
    DrawColumn(thresholdColumn_, qRgb(255, 0, 0));
    HistogramImage->update();
}

void TSimpleSegmentParameterForm::MoveThresholdLine(int column) {
    DrawColumn(thresholdColumn_, qRgb(255, 255, 255));
    DrawBar(thresholdColumn_);
    thresholdColumn_ = column;
    DrawColumn(thresholdColumn_, qRgb(255, 0, 0));
    HistogramImage->update();
}

void TSimpleSegmentParameterForm::HistogramImageMouseMove(int x, int y) {
    mouseX_ = x;
    mouseY_ = y;
}

void TSimpleSegmentParameterForm::HistogramImageClick() {
    if (mouseX_ < 0 || mouseX_ >= kLevels) return;
    MoveThresholdLine(mouseX_);
    SimpleSegmentThresholdEdit->setText(QString::number(mouseX_));
}

void TSimpleSegmentParameterForm::SimpleSegmentThresholdEditChange() {
    // While a number is being typed the text may be empty or partial; Segment reports it then.
    bool ok = false;
    const int level = SimpleSegmentThresholdEdit->text().trimmed().toInt(&ok);
    if (ok && level >= 0 && level < kLevels && level != thresholdColumn_) MoveThresholdLine(level);
}

void TSimpleSegmentParameterForm::SegmentButtonClick() {
    TMDIChildForm* source = main_.ActiveMDIChild();
    if (!source) throw CorvaneError("Open an file and then analysis");
    TSimpleSegmentOptions options;
    options.Level = StrToInt(SimpleSegmentThresholdEdit);
    options.WhiteDots = WhiteSpeckleCheckBox->isChecked();
    const QString caption = source->Caption();
    std::unique_ptr<TGrayImage> gray;
    source->GetGrayImage(gray);
    SegmentSimple(*gray, options);
    ShowInRole(caption + QStringLiteral(":Simple Segment"), *gray);
    gray.reset();
    ShowHistogramOf(main_.ActiveMDIChild());
}

} // namespace corvane::ui
