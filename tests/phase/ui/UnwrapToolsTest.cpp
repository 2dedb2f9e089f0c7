// The region-growing and the simple unwrap tools driven as a user would: the frame's commands,
// named controls, clicks in the document windows and scripted dialogs. What they save is compared
// with what corvane-cli writes for the same settings.
#include <QCheckBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>
#include <QToolButton>

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "app/ToolWindows.h"
#include "image/TFloatImage.h"
#include "phase/SimpleUnwrap.h"
#include "phase/ui/TNewUnwrapForm.h"
#include "phase/ui/TSimpleUnwrapForm.h"
#include "shell/TMDIChildForm.h"
#include "support/FloatMaps.h"
#include "support/GreyPictures.h"
#include "support/TestSupport.h"
#include "support/WrappedPhaseMaps.h"
#include "support/ui/DocumentMouse.h"
#include "support/ui/TestMainForm.h"

namespace corvane {
namespace {

using Kind = test::ScriptedDialogs::Kind;

std::vector<float> Values(const TFloatImage& map) {
    return {map.Data, map.Data + map.PixelCount()};
}

class UnwrapTools : public ::testing::Test {
  protected:
    UnwrapTools() {
        ui::CreateToolWindows(*frame->Form);
        region = frame->Form->findChild<ui::TNewUnwrapForm*>();
        simple = frame->Form->findChild<ui::TSimpleUnwrapForm*>();
    }
    ~UnwrapTools() override { frame->Destroy(); }

    QString File(const QString& name) const { return frame->File(name); }
    std::string Bytes(const QString& name) const { return test::ReadFileBytes(File(name).toStdString()); }
    // A wrapped map of known phase saved as name (scales 0.5 and 0.25), with one disturbed pixel
    // that gives the residue test something to find.
    test::WrappedPhaseMap SaveWrapped(const QString& name, int width = 64, int height = 48) {
        test::WrappedPhaseMap map = test::MakeWrappedPhaseMap(width, height);
        const std::size_t spike = static_cast<std::size_t>(30 * width + 41);
        map.Wrapped[spike] = test::WrapPhase(map.Truth[spike] + 0.45);
        auto flt = test::MakeFloatMap(width, height, [&](int x, int y) {
            return map.Wrapped[static_cast<std::size_t>(y * width + x)];
        });
        flt->ScaleX = 0.5f;
        flt->ScaleY = 0.25f;
        flt->SaveFlt(File(name).toStdString());
        return map;
    }
    // Runs corvane-cli in the test folder; fails the test unless it succeeds.
    void Cli(const std::vector<std::string>& arguments) const {
        const test::ProgramRun run = test::RunProgram(CORVANE_CLI_EXE, arguments, frame->Dir.Path());
        ASSERT_EQ(run.Status, 0) << run.Err;
    }
    void Open(QToolButton* button, const QString& name) {
        frame->Dialogs.QueueFile(File(name));
        button->click();
    }
    void Save(QPushButton* button, const QString& name) {
        frame->Dialogs.QueueFile(File(name));
        button->click();
    }
    // Number of white pixels shown in a window.
    static int WhitePixels(const ui::TMDIChildForm& window) {
        int count = 0;
        const QImage& picture = window.Bitmap();
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                count += qRed(picture.pixel(x, y)) == 255;
        return count;
    }

    std::unique_ptr<test::TestMainForm> frame = test::MakeTestMainForm();
    ui::TNewUnwrapForm* region = nullptr;
    ui::TSimpleUnwrapForm* simple = nullptr;
};

// Open, click the start point, Mask Noise, Unwrap, save: each step shows its window, and the saved
// map is the verb's. Hiding the tool releases the phase map, so Save asks for nothing.
TEST_F(UnwrapTools, RegionToolUnwrapsFromTheClickedPointAndSavesWhatTheVerbWrites) {
    ASSERT_TRUE(region);
    ASSERT_TRUE(simple);
    region->UnwrapPageControl->setCurrentIndex(2);
    frame->Trigger("UnwrapAction");
    ASSERT_TRUE(region->isVisible());
    EXPECT_EQ(region->UnwrapPageControl->currentWidget(), region->InputPage);
    const test::WrappedPhaseMap map = SaveWrapped("in.flt");
    Open(region->PhaseImageSpeedButton, "in.flt");
    EXPECT_EQ(region->PhaseImageFileNameEdit->text(), "in.flt");
    EXPECT_EQ(region->WorkingDirLabel->text(), QFileInfo(File("in.flt")).absolutePath());
    ui::TMDIChildForm* phase = frame->Window("Phase Image");
    ASSERT_TRUE(phase);
    EXPECT_EQ(phase->Bitmap().size(), QSize(64, 48));

    test::ClickOnPicture(*phase, {20, 30});
    EXPECT_EQ(region->XEdit->text() + "," + region->YEdit->text(), "20,30");
    region->MaskNoiseButton->click();
    ASSERT_TRUE(frame->Window("Invalid Area"));
    EXPECT_GT(WhitePixels(*frame->Window("Invalid Area")), 0);
    region->UnwrapButton->click();
    EXPECT_EQ(frame->Dialogs.Errors().join("; ").toStdString(), "");
    ASSERT_TRUE(frame->Window("Unwrapped Phase Image"));
    ASSERT_TRUE(frame->Window("Final Phase Image"));
    EXPECT_EQ(frame->Window("Final Phase Image")->Bitmap().size(), QSize(64, 48));
    Save(region->SaveToFloatButton, "gui.flt");

    Cli({"unwrap", "--method", "region", "in.flt", "-o", "cli.flt", "--start", "20", "30", "--mask-noise"});
    ASSERT_FALSE(Bytes("gui.flt").empty());
    EXPECT_EQ(Bytes("gui.flt"), Bytes("cli.flt"));
    const TFloatImage saved(File("gui.flt").toStdString());
    EXPECT_GT(test::FractionWithin(saved.Data, map.Truth, 0.5), 0.99);

    region->CloseButton->click();
    EXPECT_FALSE(region->Model().Phase);
    EXPECT_TRUE(region->Model().InvalidArea); // kept for the next run
    const int saves = frame->Dialogs.Count(Kind::SaveFile);
    region->SaveToFloatButton->click();
    EXPECT_EQ(frame->Dialogs.Count(Kind::SaveFile), saves);
}

// A failing command tells why and leaves what the tool holds and shows as it was: no phase file, a
// start point outside the map (the default 128, 128 on a small map), a threshold that is no number.
TEST_F(UnwrapTools, RegionToolRefusesBadSettingsAndKeepsItsMaps) {
    frame->Trigger("UnwrapAction");
    region->MaskNoiseButton->click();
    region->UnwrapButton->click();
    EXPECT_EQ(frame->Dialogs.Errors(),
              QStringList({"Select an phase image first", "Select an phase image first"}));

    SaveWrapped("small.flt", 40, 30);
    Open(region->PhaseImageSpeedButton, "small.flt");
    const std::vector<float> wrapped = Values(*region->Model().Phase);
    frame->Dialogs.Clear();
    region->UnwrapButton->click();
    EXPECT_EQ(frame->Dialogs.Errors(),
              QStringList("the starting point (128,128) is outside the 40 x 30 phase map"));
    EXPECT_FALSE(frame->Window("Unwrapped Phase Image") || frame->Window("Final Phase Image"));
    EXPECT_FALSE(region->Model().InvalidArea);
    EXPECT_EQ(Values(*region->Model().Phase), wrapped);

    region->XEdit->setText("5");
    region->YEdit->setText("5");
    region->ThresholdEdit->setText("half");
    frame->Dialogs.Clear();
    region->UnwrapButton->click();
    EXPECT_EQ(frame->Dialogs.Errors(), QStringList("Threshold: 'half' is not a valid floating point value"));
    EXPECT_EQ(Values(*region->Model().Phase), wrapped);
}

// The invalid-area file counts only while its check box is on (which also enables its edit and
// button). A band of invalid columns cuts the map in two: the part beyond it is never reached and
// keeps its wrapped values, and the band itself ends at the map's minimum, as the verb gives it.
TEST_F(UnwrapTools, RegionToolUsesTheInvalidAreaFileWhenChecked) {
    frame->Trigger("UnwrapAction");
    const test::WrappedPhaseMap map = SaveWrapped("in.flt");
    test::MakeGreyPicture(64, 48, [](int x, int) {
        return x >= 30 && x <= 33 ? 255 : 0;
    })->SaveBmp(File("band.bmp").toStdString());
    EXPECT_FALSE(region->InvalidAreaFileNameSpeedButton->isEnabled() ||
                 region->InvalidAreaFileNameEdit->isEnabled());
    region->UseInvalidAreaFileCheckBox->click();
    EXPECT_TRUE(region->InvalidAreaFileNameSpeedButton->isEnabled());
    EXPECT_TRUE(region->InvalidAreaFileNameEdit->isEnabled());
    Open(region->PhaseImageSpeedButton, "in.flt");
    Open(region->InvalidAreaFileNameSpeedButton, "band.bmp");
    EXPECT_EQ(region->InvalidAreaFileNameEdit->text(), "band.bmp");
    ASSERT_TRUE(frame->Window("Invalid Area"));
    EXPECT_EQ(WhitePixels(*frame->Window("Invalid Area")), 4 * 48);
    region->XEdit->setText("10");
    region->YEdit->setText("10");
    region->UnwrapButton->click();
    Save(region->SaveToFloatButton, "gui.flt");
    Cli({"unwrap", "--method", "region", "in.flt", "-o", "cli.flt", "--start", "10", "10", "--invalid-area",
         "band.bmp"});
    EXPECT_EQ(Bytes("gui.flt"), Bytes("cli.flt"));

    const TFloatImage saved(File("gui.flt").toStdString());
    const float lowest = *std::min_element(saved.Data, saved.Data + saved.PixelCount());
    for (int y = 0; y < 48; ++y) {
        EXPECT_EQ(saved.GetPixel(31, y), lowest) << y;
        EXPECT_EQ(saved.GetPixel(50, y), map.Wrapped[static_cast<std::size_t>(y * 64 + 50)]) << y;
    }

    // Unchecked, a new phase file and Unwrap ignore the band: the whole map is unwrapped.
    region->UseInvalidAreaFileCheckBox->click();
    Open(region->PhaseImageSpeedButton, "in.flt");
    region->UnwrapButton->click();
    EXPECT_GT(test::FractionWithin(region->Model().Phase->Data, map.Truth, 0.5), 0.99);
}

// Median Input, Unwrap from the clicked point and Save give the verb's map; Median Output then
// filters only the result, with its own window size, and Unwrap starts again from the input.
TEST_F(UnwrapTools, SimpleToolFiltersUnwrapsAndSavesWhatTheVerbWrites) {
    frame->Trigger("SimpleUnwrapAction");
    ASSERT_TRUE(simple->isVisible());
    EXPECT_EQ(simple->UnwrapPageControl->currentWidget(), simple->InputPage);
    const test::WrappedPhaseMap map = SaveWrapped("in.flt");
    Open(simple->PhaseImageSpeedButton, "in.flt");
    ASSERT_TRUE(frame->Window("Phase Image:Simple Unwrap"));
    EXPECT_EQ(simple->Model().Output->Width, 64);

    simple->MedianFilterTrackBar->setValue(5);
    EXPECT_EQ(simple->PositionEdit->text() + " " + simple->OutPositionEdit->text(), "5 3");
    simple->MedianInputButton->click();
    ASSERT_TRUE(frame->Window("Median Result,input:Simple Unwrap"));
    test::ClickOnPicture(*frame->Window("Phase Image:Simple Unwrap"), {20, 30});
    simple->UnwrapButton->click();
    EXPECT_EQ(frame->Dialogs.Errors().join("; ").toStdString(), "");
    ASSERT_TRUE(frame->Window("Unwrapped Phase Image:Simple Unwrap"));
    Save(simple->SaveToFloatButton, "gui.flt");
    Cli({"unwrap", "--method", "scanline", "in.flt", "-o", "cli.flt", "--start", "20", "30", "--median",
         "5"});
    ASSERT_FALSE(Bytes("gui.flt").empty());
    EXPECT_EQ(Bytes("gui.flt"), Bytes("cli.flt"));
    // The median of a wrapped map blurs its wrap lines a little; the rest is unwrapped.
    EXPECT_GT(test::FractionWithin(simple->Model().Output->Data, map.Truth, 0.5), 0.9);

    simple->MedianFilterTrackBar->setValue(3);
    simple->TrackBar1->setValue(7);
    EXPECT_EQ(simple->PositionEdit->text() + " " + simple->OutPositionEdit->text(), "3 7");
    const std::vector<float> input = Values(*simple->Model().Input);
    auto expected = CopyFloatImage(*simple->Model().Output);
    expected->MedianFilter(7, 7);
    simple->MedianOutputButton->click();
    ASSERT_TRUE(frame->Window("Median Result,output:Simple Unwrap"));
    EXPECT_EQ(Values(*simple->Model().Output), Values(*expected));
    EXPECT_EQ(Values(*simple->Model().Input), input);
    simple->UnwrapButton->click();
    Save(simple->SaveToFloatButton, "again.flt");
    EXPECT_EQ(Bytes("again.flt"), Bytes("cli.flt"));
}

// Without a map Unwrap says so and the median and save commands do nothing; a start point outside
// the map is refused with the output left as it was; hiding releases both maps.
TEST_F(UnwrapTools, SimpleToolRefusesWhatItCannotDo) {
    frame->Trigger("SimpleUnwrapAction");
    simple->UnwrapButton->click();
    simple->MedianInputButton->click();
    simple->MedianOutputButton->click();
    simple->SaveToFloatButton->click();
    EXPECT_EQ(frame->Dialogs.Errors(), QStringList("open a phase first"));
    EXPECT_EQ(frame->Dialogs.Count(Kind::SaveFile), 0);
    EXPECT_EQ(frame->Form->MDIChildCount(), 0);

    SaveWrapped("small.flt", 40, 30);
    Open(simple->PhaseImageSpeedButton, "small.flt");
    frame->Dialogs.Clear();
    simple->UnwrapButton->click();
    EXPECT_EQ(frame->Dialogs.Errors(),
              QStringList("the starting point (128,128) is outside the 40 x 30 phase map"));
    EXPECT_EQ(Values(*simple->Model().Output), std::vector<float>(40 * 30, 0.0f));
    EXPECT_FALSE(frame->Window("Unwrapped Phase Image:Simple Unwrap"));

    test::ClickOnPicture(*frame->Window("Phase Image:Simple Unwrap"), {39, 29});
    simple->UnwrapButton->click();
    EXPECT_EQ(frame->Dialogs.Errors().size(), 1);
    simple->CloseButton->click();
    EXPECT_FALSE(simple->Model().Input || simple->Model().Output);
}

} // namespace
} // namespace corvane
