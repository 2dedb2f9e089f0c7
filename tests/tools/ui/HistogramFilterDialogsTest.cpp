// The dialogs the frame's commands run on the active picture: "Histogram...", "Filter" and
// "Resize the Encode Coordinate System".
#include <QtWidgets>

#include <functional>

#include "image/MedianFilterTool.h"
#include "shell/TWorkbenchSettings.h"
#include "support/GreyPictures.h"
#include "support/ui/DocumentMouse.h"
#include "support/ui/TestMainForm.h"
#include "tools/ui/TFilterForm.h"
#include "tools/ui/THistogramForm.h"
#include "tools/ui/TReSetCoordinateForm.h"

namespace corvane {
namespace {

using Kind = test::ScriptedDialogs::Kind;

// The histogram dialog run from the frame's "Histogram..." command as a user runs it: the active
// window's picture, the channel list, the readouts while moving and dragging over the plot.

QStringList Readouts(const ui::THistogramForm& form) {
    return {form.LevelLabel->text(), form.CountLabel->text(), form.PercentileLabel->text()};
}

QStringList StatisticsShown(const ui::THistogramForm& form) {
    return {form.MeanLabel->text(), form.StdDevLabel->text(), form.MedianLabel->text(),
            form.PixelsLabel->text()};
}

// Pixels of the plot drawn in the colour that marks a chosen range.
long MarkedPixels(const QImage& plot) {
    const QImage rgb = plot.convertToFormat(QImage::Format_RGB32);
    const auto* pixels = reinterpret_cast<const QRgb*>(rgb.constBits());
    return std::count(pixels, pixels + rgb.sizeInBytes() / 4, qRgb(200, 0, 0));
}

// A texture with isolated salt pixels, which every median window removes differently.
int Noisy(int x, int y) {
    return (x * 31 + y * 17) % 23 == 0 ? 255 : (x * 3 + y * 5) % 120;
}

class InspectionDialogs : public test::ToolTest<ui::TFilterForm> {
  protected:
    ui::TMDIChildForm& Open(const char* name) {
        return frame->Open(name, *test::MakeGreyPicture(60, 50, Noisy));
    }
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
    // Runs "Filter..." with the track bar at position, closed with OK (or Cancel).
    void Filter(int position, bool ok = true) {
        frame->Dialogs.QueueModal([=](QDialog& dialog) {
            auto& form = dynamic_cast<ui::TFilterForm&>(dialog);
            form.MedianFilterTrackBar->setValue(position);
            EXPECT_EQ(form.TrackBarValueLabel->text(), QString::number(position));
            (ok ? form.BitBtn1 : form.BitBtn2)->click();
            return form.result();
        });
        frame->Trigger("FilterAction");
    }
    // Runs "Coordinate Size": checks the values shown, enters x and y, presses OK; the result code.
    int Coordinates(const QString& shownX, const QString& x, const QString& y) {
        int result = -1;
        frame->Dialogs.QueueModal([&](QDialog& dialog) {
            auto& form = dynamic_cast<ui::TReSetCoordinateForm&>(dialog);
            EXPECT_EQ(form.MaxNxEdit->text(), shownX);
            form.MaxNxEdit->setText(x);
            form.MaxNyEdit->setText(y);
            form.BitBtn1->click();
            return result = form.result();
        });
        frame->Trigger("ModifyCoordinateSizeAction");
        return result;
    }
    std::pair<int, int> Stored() const {
        int x = 0, y = 0;
        frame->Form->Settings().ReadEncodeCoordinate(x, y);
        return {x, y};
    }
};

// Without a document window "Histogram..." shows nothing (an unscripted dialog would fail the
// test). A picture of one grey level: its statistics, the level's full share, and a dragged range.
// The colour channels count the window's bytes, and the ramp under the plot follows the channel.
TEST_F(InspectionDialogs, HistogramReadsLevelsRangesAndChannels) {
    frame->Trigger("HistogramAction");
    EXPECT_TRUE(frame->Dialogs.Log.empty());
    frame->Open("flat.bmp", *test::MakeGreyPicture(40, 30, [](int, int) { return 77; }));
    RunHistogram([](ui::THistogramForm& form) {
        EXPECT_EQ(StatisticsShown(form),
                  QStringList({"Mean: 77.000", "StdDev:  0.000", "Median: 77", "Pixels: 1200"}));
        EXPECT_EQ(form.ChannelComboBox->currentText(), "Gray Level");
        QWidget* plot = form.HistogramImage;
        test::SendMouse(plot, QEvent::MouseMove, {78, 20});
        EXPECT_EQ(Readouts(form), QStringList({"Level: 77", "Count: 1200", "Percentile: 100.000"}));
        // Dragged leftwards: the range reads low to high and is marked only while the button is held.
        test::SendMouse(plot, QEvent::MouseButtonPress, {200, 20}, true);
        test::SendMouse(plot, QEvent::MouseMove, {50, 20}, true);
        EXPECT_EQ(Readouts(form), QStringList({"Level: 49...199", "Count: 1200", "Percentile: 100.000"}));
        EXPECT_GT(MarkedPixels(form.PlotImage()), 0);
        test::SendMouse(plot, QEvent::MouseButtonRelease, {50, 20});
        EXPECT_EQ(MarkedPixels(form.PlotImage()), 0);
        EXPECT_FALSE(form.Dragging());

        // The level's bar rises over most of the plot; an empty level keeps only the bottom pixel.
        const QImage shown = form.PlotImage();
        EXPECT_EQ(shown.pixel(78, ui::THistogramForm::PlotHeight / 4), qRgb(0, 0, 0));
        EXPECT_NE(shown.pixel(10, ui::THistogramForm::PlotHeight - 2), qRgb(0, 0, 0));
    });
    EXPECT_TRUE(frame->Dialogs.Errors().isEmpty());

    Open("texture.bmp");
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
        test::SendMouse(form.HistogramImage, QEvent::MouseMove, {101, 20});
        EXPECT_EQ(Readouts(form), QStringList({"Level: 100", "Count: 100", "Percentile: 50.000"}));
    });
}

// Without a window no dialog is shown; position 1 and Cancel leave the picture as it was; position 4
// filters the window in place with a 5 x 5 window.
TEST_F(InspectionDialogs, TrackBarFourFiltersFiveByFiveOneAndCancelLeaveThePicture) {
    frame->Trigger("FilterAction"); // an unscripted dialog would fail the test
    ui::TMDIChildForm& window = Open("noisy.bmp");
    const auto before = Levels(window);
    Filter(1);
    EXPECT_EQ(Levels(window), before);
    Filter(5, false);
    EXPECT_EQ(Levels(window), before);
    Filter(4);
    TGrayImage expected(Path("noisy.bmp")), threeByThree(Path("noisy.bmp"));
    ApplyMedianFilterTool(expected, 4);
    ApplyMedianFilterTool(threeByThree, 3);
    EXPECT_EQ(Levels(window), test::Levels(expected));
    EXPECT_NE(Levels(window), test::Levels(threeByThree));
    EXPECT_EQ(frame->Dialogs.Count(Kind::Modal), 3);
    EXPECT_TRUE(frame->Dialogs.Errors().isEmpty());
}

// "Max X" 20 is stored and taken by windows opened afterwards only; an entry that is not an integer
// is reported, stores nothing and keeps the dialog open.
TEST_F(InspectionDialogs, CoordinateSizeAffectsOnlyNewWindows) {
    ui::TMDIChildForm& before = Open("a.bmp");
    EXPECT_EQ(Coordinates("50", "20", "50"), QDialog::Accepted);
    EXPECT_EQ(Stored(), std::pair(20, 50));
    EXPECT_EQ(before.MaxX, 50);
    ui::TMDIChildForm& after = Open("b.bmp");
    EXPECT_EQ(std::pair(after.MaxX, after.MaxY), std::pair(20, 50));

    EXPECT_NE(Coordinates("20", "7", "1.5"), QDialog::Accepted);
    EXPECT_EQ(frame->Dialogs.Errors().size(), 1);
    EXPECT_EQ(Stored(), std::pair(20, 50));
}

} // namespace
} // namespace corvane
