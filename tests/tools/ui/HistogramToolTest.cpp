// The histogram dialog run from the frame's "Histogram..." command as a user runs it: the active
// window's picture, the channel list, the readouts while moving and dragging over the plot.
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>

#include <gtest/gtest.h>

#include <functional>

#include "support/GreyPictures.h"
#include "support/ui/TestMainForm.h"
#include "tools/ui/THistogramForm.h"

namespace corvane {
namespace {

using Kind = test::ScriptedDialogs::Kind;

void Mouse(QWidget* plot, QEvent::Type type, int x, bool held) {
    const QPointF at(x, 20);
    QMouseEvent event(type, at, plot->mapToGlobal(at),
                      type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                      held ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(plot, &event);
}

QStringList Readouts(const ui::THistogramForm& form) {
    return {form.LevelLabel->text(), form.CountLabel->text(), form.PercentileLabel->text()};
}

QStringList StatisticsShown(const ui::THistogramForm& form) {
    return {form.MeanLabel->text(), form.StdDevLabel->text(), form.MedianLabel->text(),
            form.PixelsLabel->text()};
}

// Pixels of the plot drawn in the colour that marks a chosen range.
int MarkedPixels(const QImage& plot) {
    int marked = 0;
    for (int y = 0; y < plot.height(); ++y)
        for (int x = 0; x < plot.width(); ++x)
            if (plot.pixel(x, y) == qRgb(200, 0, 0)) ++marked;
    return marked;
}

class HistogramTool : public test::ToolTest<ui::THistogramForm> {
  protected:
    // Runs "Histogram..." with the dialog handed to use, then closed with OK.
    void RunHistogram(const std::function<void(ui::THistogramForm&)>& use) {
        frame->Dialogs.QueueModal([&](QDialog& dialog) {
            auto& form = dynamic_cast<ui::THistogramForm&>(dialog);
            use(form);
            form.Button1->click();
            return form.result();
        });
        const int shown = frame->Dialogs.Count(Kind::Modal);
        frame->Trigger("HistogramAction");
        EXPECT_EQ(frame->Dialogs.Count(Kind::Modal), shown + 1);
    }
};

// A picture of one grey level: its statistics, the level's full share, and a dragged range.
TEST_F(HistogramTool, UniformPictureReadsItsLevelAndADraggedRange) {
    frame->Open("flat.bmp", *test::MakeGreyPicture(40, 30, [](int, int) { return 77; }));
    RunHistogram([](ui::THistogramForm& form) {
        EXPECT_EQ(StatisticsShown(form),
                  QStringList({"Mean: 77.000", "StdDev:  0.000", "Median: 77", "Pixels: 1200"}));
        EXPECT_EQ(form.ChannelComboBox->currentText(), "Gray Level");
        QWidget* plot = form.HistogramImage;
        Mouse(plot, QEvent::MouseMove, 78, false);
        EXPECT_EQ(Readouts(form), QStringList({"Level: 77", "Count: 1200", "Percentile: 100.000"}));
        // Dragged leftwards: the range reads low to high and is marked only while the button is held.
        Mouse(plot, QEvent::MouseButtonPress, 200, true);
        Mouse(plot, QEvent::MouseMove, 50, true);
        EXPECT_EQ(Readouts(form), QStringList({"Level: 49...199", "Count: 1200", "Percentile: 100.000"}));
        EXPECT_GT(MarkedPixels(form.PlotImage()), 0);
        Mouse(plot, QEvent::MouseButtonRelease, 50, false);
        EXPECT_EQ(MarkedPixels(form.PlotImage()), 0);
        EXPECT_FALSE(form.Dragging());

        // The level's bar rises over most of the plot; an empty level keeps only the bottom pixel.
        const QImage shown = form.PlotImage();
        EXPECT_EQ(shown.pixel(78, ui::THistogramForm::PlotHeight / 4), qRgb(0, 0, 0));
        EXPECT_NE(shown.pixel(10, ui::THistogramForm::PlotHeight - 2), qRgb(0, 0, 0));
    });
    EXPECT_TRUE(frame->Dialogs.Errors().isEmpty());
}

// Without a document window the command shows nothing (an unscripted dialog would fail the test);
// the colour channels count the window's bytes, and the ramp under the plot follows the channel.
TEST_F(HistogramTool, ChannelsFollowTheList) {
    frame->Trigger("HistogramAction");
    EXPECT_TRUE(frame->Dialogs.Log.empty());
    frame->Open("texture.bmp",
                *test::MakeGreyPicture(64, 48, [](int x, int y) { return (x * 7 + y * 13 + x * y) % 251; }));
    // Left half red 200, right half blue 100: grey levels 67 and 33.
    QImage colour(20, 10, QImage::Format_RGB888);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 20; ++x)
            colour.setPixel(x, y, x < 10 ? qRgb(200, 0, 0) : qRgb(0, 0, 100));
    frame->Active().SetBitmap(colour);
    RunHistogram([](ui::THistogramForm& form) {
        EXPECT_EQ(form.MeanLabel->text(), "Mean: 50.000");
        form.ChannelComboBox->setCurrentIndex(1);
        EXPECT_EQ(StatisticsShown(form),
                  QStringList({"Mean: 100.000", "StdDev: 100.000", "Median: 0", "Pixels: 200"}));
        EXPECT_EQ(form.ChannelImage->pixmap().toImage().pixel(201, 5), qRgb(200, 0, 0));
        form.ChannelComboBox->setCurrentIndex(3);
        EXPECT_EQ(form.MeanLabel->text(), "Mean: 50.000");
        EXPECT_EQ(form.ChannelImage->pixmap().toImage().pixel(101, 5), qRgb(0, 0, 100));
        Mouse(form.HistogramImage, QEvent::MouseMove, 101, false);
        EXPECT_EQ(Readouts(form), QStringList({"Level: 100", "Count: 100", "Percentile: 50.000"}));
    });
}

} // namespace
} // namespace corvane
