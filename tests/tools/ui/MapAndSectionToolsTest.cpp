// The "Colour Map" and "Section" tool windows driven as a user drives them.
#include <QtWidgets>

#include <filesystem>

#include "image/ColourMap.h"
#include "image/LineProfile.h"
#include "support/CliRun.h"
#include "support/FloatMaps.h"
#include "support/GreyPictures.h"
#include "support/ui/DocumentMouse.h"
#include "support/ui/TestMainForm.h"
#include "tools/ui/TColourMapForm.h"
#include "tools/ui/TLineDistributionForm.h"

namespace corvane {
namespace {

using Kind = test::ScriptedDialogs::Kind;

// The "Colour Map" tool driven as a user drives it: the command on an opened float map, the picture
// under it, the opacity, the range and the table, the value under the mouse, and Save PNG, which writes
// the bytes `corvane-cli colour-map` writes.
class ColourMapTool : public test::ToolTest<ui::TColourMapForm> {
  protected:
    ColourMapTool() {
        // A dx map of 48 x 30 with a stretch of 1 % about column 24, one point not computed.
        auto map = test::MakeFloatMap(48, 30, [](int x, int) { return 0.01 * (x - 24); });
        map->SetPixel(40, 5, kNotComputedMarker);
        map->SaveFlt(Path("dx.flt"));
        test::MakeGreyPicture(48, 30, [](int x, int y) {
            return (x * 11 + y * 7) % 200;
        })->SaveBmp(Path("s0.bmp"));
    }
};

TEST_F(ColourMapTool, OpensTheActiveFloatWindowsMapAndSavesWhatTheVerbWrites) {
    frame->TriggerWithFile("FloatFileOpenAction", File("dx.flt"), 2);
    frame->Trigger("ColourMapAction"); // no file dialog: the active window names the map
    ASSERT_TRUE(tool && tool->isVisible());
    EXPECT_EQ(frame->Dialogs.Count(Kind::OpenFile), 1);
    EXPECT_EQ(tool->Picture().Table, ColourTable::Diverging);
    EXPECT_EQ(tool->LowEdit->text(), "-0.24");
    EXPECT_FALSE(tool->LowEdit->isEnabled());

    ClickWithFile(tool->PictureBrowseButton, File("s0.bmp"));
    tool->OpacityTrackBar->setValue(60);
    tool->TableComboBox->setCurrentIndex(1);
    tool->AutoRangeCheckBox->setChecked(false);
    tool->LowEdit->setText("-0.1");
    tool->HighEdit->setText("0.2");
    emit tool->HighEdit->editingFinished();
    EXPECT_EQ(tool->Picture().Range.High, 0.2f);
    ClickWithFile(tool->SavePngButton, File("window.png"));
    EXPECT_TRUE(frame->Dialogs.Errors().isEmpty()) << frame->Dialogs.Errors().join("\n").toStdString();

    test::TempDir cwd;
    ASSERT_TRUE(test::Runs(cwd, {"colour-map", Path("dx.flt"), "--over", Path("s0.bmp"), "--opacity", "0.6",
                                 "--table", "viridis", "--range", "-0.1", "0.2", "-o", Path("cli.png")}));
    EXPECT_EQ(test::ReadFileBytes(Path("window.png")), test::ReadFileBytes(Path("cli.png")));
}

TEST_F(ColourMapTool, AsksForAMapWithoutAFloatWindowAndShowsTheValueUnderTheMouse) {
    frame->Dialogs.QueueFileCancel();
    frame->Trigger("ColourMapAction");
    EXPECT_FALSE(tool->isVisible()); // asked for a map, cancelled: nothing shown
    EXPECT_EQ(frame->Dialogs.Count(Kind::OpenFile), 1);
    frame->TriggerWithFile("ColourMapAction", File("dx.flt"));
    ASSERT_TRUE(tool->isVisible());

    test::SendMouse(tool->ColourMapImage, QEvent::MouseMove, {30, 3});
    EXPECT_EQ(frame->Form->statusBar()->currentMessage(), "Position(30,3),value=0.06");
    EXPECT_EQ(tool->ValueHint(40, 5), "Position(40,5),value=not computed");
    EXPECT_EQ(tool->ValueHint(48, 5), "");

    // A picture of another size is refused and the map stays as it was.
    test::MakeGreyPicture(30, 48, [](int, int) { return 9; })->SaveBmp(Path("turned.bmp"));
    ClickWithFile(tool->PictureBrowseButton, File("turned.bmp"));
    EXPECT_EQ(frame->LastError(), "the picture is 30 x 48, the map is 48 x 30");
    EXPECT_TRUE(tool->PictureEdit->text().isEmpty());
    // A reversed range is refused; the picture shown stays the last good one.
    const ColourRange before = tool->Picture().Range;
    tool->AutoRangeCheckBox->setChecked(false);
    tool->LowEdit->setText("1");
    tool->HighEdit->setText("0");
    emit tool->LowEdit->editingFinished();
    EXPECT_EQ(frame->LastError(), "the colour range needs a low end below its high end");
    EXPECT_EQ(tool->Picture().Range.Low, before.Low);
}

// The "Section" tool driven as a user drives it: clicks in a document window, the direction, the
// pop-up menu's saves, and the line marker of the clicked window.
int Texture(int x, int y) {
    return (x * 7 + y * 13 + x * y) % 251;
}

bool SameRect(const ui::TSelectionRect& a, const ui::TSelectionRect& b) {
    return a.Left == b.Left && a.Top == b.Top && a.Right == b.Right && a.Bottom == b.Bottom;
}

using LineDistributionTool = test::ToolTest<ui::TLineDistributionForm>;

// A click takes the row through it, marks it in the window and saves its profile; switching to "Vertical"
// takes the column through the same click; hiding the tool removes the marker.
TEST_F(LineDistributionTool, ClickedRowIsSavedAndDirectionTakesTheColumn) {
    ui::TMDIChildForm& window = frame->Open("texture.bmp", *test::MakeGreyPicture(512, 40, Texture));
    frame->Trigger("LineDistributionAction");
    ASSERT_TRUE(tool && tool->isVisible());
    test::ClickOnPicture(window, QPoint(100, 17));
    EXPECT_EQ(tool->PosEdit->text(), "17");
    EXPECT_TRUE(SameRect(window.SecondMarquee(), {0, 17, 511, 19}));

    frame->Dialogs.QueueFile(File("row"));
    tool->SaveAsData->trigger();
    const std::string saved = test::ReadFileBytes(File("row.dat").toStdString());
    EXPECT_EQ(std::count(saved.begin(), saved.end(), '\n'), 512);
    EXPECT_NE(saved.find("\n 511   "), std::string::npos);
    EXPECT_TRUE(frame->Dialogs.FileRequests().back().ConfirmOverwrite);

    frame->Dialogs.QueueFile(File("plot"));
    tool->SaveAsImageMenuItem->trigger();
    const QImage plot(File("plot.bmp"));
    EXPECT_EQ(plot.convertToFormat(QImage::Format_RGB888),
              tool->PlotImage().convertToFormat(QImage::Format_RGB888));

    tool->VerticalRadioButton->click();
    EXPECT_EQ(tool->PosEdit->text(), "100");
    EXPECT_EQ(tool->Samples(),
              LineProfile(TGrayImage(File("texture.bmp").toStdString()), ProfileDirection::Vertical, 100));
    EXPECT_TRUE(SameRect(window.SecondMarquee(), {100, 0, 102, 39}));

    tool->close();
    EXPECT_TRUE(SameRect(window.SecondMarquee(), {}));
    test::ClickOnPicture(window, QPoint(5, 5)); // a hidden tool takes no clicks
    EXPECT_EQ(tool->PosEdit->text(), "100");
    EXPECT_TRUE(frame->Dialogs.Errors().isEmpty());
}

// Without a profile there is nothing to save: an error, no file dialog, no file. Switching direction
// with no document window clears the plot and leaves "none". A cancelled save writes nothing.
TEST_F(LineDistributionTool, WithoutAProfileNothingIsSaved) {
    frame->Trigger("LineDistributionAction");
    tool->VerticalRadioButton->click();
    EXPECT_EQ(tool->PosEdit->text(), "none");
    tool->SaveAsData->trigger();
    tool->SaveAsImageMenuItem->trigger();
    EXPECT_EQ(frame->Dialogs.Errors().size(), 2);
    EXPECT_EQ(frame->Dialogs.FileRequests().size(), 0u);

    ui::TMDIChildForm& window = frame->Open("texture.bmp", *test::MakeGreyPicture(30, 20, Texture));
    test::ClickOnPicture(window, QPoint(12, 4));
    frame->Dialogs.QueueFileCancel();
    tool->SaveAsData->trigger();
    for (const auto& entry : std::filesystem::directory_iterator(frame->Dir.Path()))
        EXPECT_NE(entry.path().extension(), ".dat") << entry.path();

    // A new window was never clicked: changing the direction there only clears the profile.
    ui::TMDIChildForm& flat = frame->Open(
        "flat.bmp", *test::MakeGreyPicture(512, 8, [](int, int y) { return y == 3 ? 90 : 10 * y; }));
    tool->HorizontalRadioButton->click();
    EXPECT_EQ(tool->PosEdit->text(), "none");
    EXPECT_TRUE(tool->Samples().empty());
    EXPECT_EQ(tool->PlotImage().convertToFormat(QImage::Format_RGB32).pixel(5, 5), qRgb(255, 255, 255));
    // A row of one level has no range: the plot is a flat line along its bottom row.
    test::ClickOnPicture(flat, QPoint(300, 3));
    const QImage plot = tool->PlotImage().convertToFormat(QImage::Format_RGB32);
    const int bottom = ui::TLineDistributionForm::PlotHeight - 1;
    for (int x = 0; x < plot.width(); ++x) {
        ASSERT_NE(plot.pixel(x, bottom), qRgb(255, 255, 255)) << x;
        ASSERT_EQ(plot.pixel(x, bottom - 1), qRgb(255, 255, 255)) << x;
    }
}

} // namespace
} // namespace corvane
