// The "Colour Map" tool driven as a user drives it: the command on an opened float map, the picture
// under it, the opacity, the range and the table, the value under the mouse, and Save PNG, which writes
// the bytes `corvane-cli colour-map` writes.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QSlider>
#include <QStatusBar>

#include <gtest/gtest.h>

#include "image/ColourMap.h"
#include "image/TFloatImage.h"
#include "image/TGrayImage.h"
#include "support/CliRun.h"
#include "support/FloatMaps.h"
#include "support/GreyPictures.h"
#include "support/ui/TestMainForm.h"
#include "tools/ui/TColourMapForm.h"

namespace corvane {
namespace {

using Kind = test::ScriptedDialogs::Kind;

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
    ASSERT_NE(frame->Window(File("dx.flt")), nullptr);
    frame->Trigger("ColourMapAction"); // no file dialog: the active window names the map
    ASSERT_TRUE(tool && tool->isVisible());
    EXPECT_EQ(frame->Dialogs.Count(Kind::OpenFile), 1);
    EXPECT_EQ(tool->Picture().Table, ColourTable::Diverging);
    EXPECT_EQ(tool->LowEdit->text(), "-0.24");
    EXPECT_FALSE(tool->LowEdit->isEnabled());

    frame->Dialogs.QueueFile(File("s0.bmp"));
    tool->PictureBrowseButton->click();
    tool->OpacityTrackBar->setValue(60);
    tool->TableComboBox->setCurrentIndex(1);
    tool->AutoRangeCheckBox->setChecked(false);
    tool->LowEdit->setText("-0.1");
    tool->HighEdit->setText("0.2");
    emit tool->HighEdit->editingFinished();
    EXPECT_EQ(tool->Picture().Range.High, 0.2f);
    frame->Dialogs.QueueFile(File("window.png"));
    tool->SavePngButton->click();
    EXPECT_TRUE(frame->Dialogs.Errors().isEmpty()) << frame->Dialogs.Errors().join("\n").toStdString();

    test::TempDir cwd;
    const test::ProgramRun run =
        test::Cli(cwd, {"colour-map", Path("dx.flt"), "--over", Path("s0.bmp"), "--opacity", "0.6", "--table",
                        "viridis", "--range", "-0.1", "0.2", "-o", Path("cli.png")});
    ASSERT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(test::ReadFileBytes(Path("window.png")), test::ReadFileBytes(Path("cli.png")));
}

TEST_F(ColourMapTool, AsksForAMapWithoutAFloatWindowAndShowsTheValueUnderTheMouse) {
    frame->Dialogs.QueueFileCancel();
    frame->Trigger("ColourMapAction");
    EXPECT_FALSE(tool->isVisible()); // asked for a map, cancelled: nothing shown
    EXPECT_EQ(frame->Dialogs.Count(Kind::OpenFile), 1);
    frame->TriggerWithFile("ColourMapAction", File("dx.flt"));
    ASSERT_TRUE(tool->isVisible());

    QMouseEvent move(QEvent::MouseMove, QPointF(30, 3), QPointF(30, 3), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(tool->ColourMapImage, &move);
    EXPECT_EQ(frame->Form->statusBar()->currentMessage(), "Position(30,3),value=0.06");
    EXPECT_EQ(tool->ValueHint(40, 5), "Position(40,5),value=not computed");
    EXPECT_EQ(tool->ValueHint(48, 5), "");

    // A picture of another size is refused and the map stays as it was.
    test::MakeGreyPicture(30, 48, [](int, int) { return 9; })->SaveBmp(Path("turned.bmp"));
    frame->Dialogs.QueueFile(File("turned.bmp"));
    tool->PictureBrowseButton->click();
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

} // namespace
} // namespace corvane
