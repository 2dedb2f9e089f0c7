// The region-growing and the simple unwrap tools driven as a user would: the frame's commands,
// named controls, clicks in the document windows and scripted dialogs. What they save is compared
// with what corvane-cli writes for the same settings.
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>
#include <QToolButton>

#include <gtest/gtest.h>

#include <vector>

#include "image/TFloatImage.h"
#include "phase/ui/TNewUnwrapForm.h"
#include "phase/ui/TSimpleUnwrapForm.h"
#include "shell/TMDIChildForm.h"
#include "support/CliRun.h"
#include "support/FloatMaps.h"
#include "support/GreyPictures.h"
#include "support/TestSupport.h"
#include "support/WrappedPhaseMaps.h"
#include "support/ui/DocumentMouse.h"
#include "support/ui/TestMainForm.h"

namespace corvane {
namespace {

using test::Values;

using Kind = test::ScriptedDialogs::Kind;

class UnwrapTools : public test::ToolTest<ui::TNewUnwrapForm> {
  protected:
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
    // Clicks the button, answering its file dialog with this file of the test folder.
    void Click(QAbstractButton* button, const QString& name) { ClickWithFile(button, File(name)); }
    // Number of white pixels shown in a window.
    static int WhitePixels(const ui::TMDIChildForm& window) {
        int count = 0;
        const QImage& picture = window.Bitmap();
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                count += qRed(picture.pixel(x, y)) == 255;
        return count;
    }

    ui::TNewUnwrapForm* region = tool;
    ui::TSimpleUnwrapForm* simple = frame->Form->findChild<ui::TSimpleUnwrapForm*>();
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
    Click(region->PhaseImageSpeedButton, "in.flt");
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
    Click(region->SaveToFloatButton, "gui.flt");

    const test::ProgramRun run = test::Cli(frame->Dir, {"unwrap", "--method", "region", "in.flt", "-o",
                                                        "cli.flt", "--start", "20", "30", "--mask-noise"});
    ASSERT_EQ(run.Status, 0) << run.Err;
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

// A failing command tells why and leaves what the tool holds and shows as it was: a start point
// outside the map (the default 128, 128 on a small map), a threshold that is no number.
TEST_F(UnwrapTools, RegionToolRefusesBadSettingsAndKeepsItsMaps) {
    frame->Trigger("UnwrapAction");
    SaveWrapped("small.flt", 40, 30);
    Click(region->PhaseImageSpeedButton, "small.flt");
    const std::vector<float> wrapped = Values(*region->Model().Phase);
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
// button); the chosen file is shown in "Invalid Area".
TEST_F(UnwrapTools, RegionToolUsesTheInvalidAreaFileWhenChecked) {
    frame->Trigger("UnwrapAction");
    SaveWrapped("in.flt");
    test::MakeGreyPicture(64, 48, [](int x, int) {
        return x >= 30 && x <= 33 ? 255 : 0;
    })->SaveBmp(File("band.bmp").toStdString());
    EXPECT_FALSE(region->InvalidAreaFileNameSpeedButton->isEnabled() ||
                 region->InvalidAreaFileNameEdit->isEnabled());
    region->UseInvalidAreaFileCheckBox->click();
    EXPECT_TRUE(region->InvalidAreaFileNameSpeedButton->isEnabled());
    EXPECT_TRUE(region->InvalidAreaFileNameEdit->isEnabled());
    Click(region->PhaseImageSpeedButton, "in.flt");
    Click(region->InvalidAreaFileNameSpeedButton, "band.bmp");
    EXPECT_EQ(region->InvalidAreaFileNameEdit->text(), "band.bmp");
    ASSERT_TRUE(frame->Window("Invalid Area"));
    EXPECT_EQ(WhitePixels(*frame->Window("Invalid Area")), 4 * 48);
}

// Without a map Unwrap says so and the median and save commands do nothing; a start point outside
// the map is refused with the output left as it was. The median window sizes follow their track
// bars; Median Input and Unwrap from the clicked point show their windows, Save writes the output
// map, and hiding releases both maps.
TEST_F(UnwrapTools, SimpleToolFiltersUnwrapsSavesAndRefusesWhatItCannotDo) {
    frame->Trigger("SimpleUnwrapAction");
    ASSERT_TRUE(simple->isVisible());
    EXPECT_EQ(simple->UnwrapPageControl->currentWidget(), simple->InputPage);
    for (QPushButton* button : {simple->UnwrapButton, simple->MedianInputButton, simple->MedianOutputButton,
                                simple->SaveToFloatButton})
        button->click();
    EXPECT_EQ(frame->Dialogs.Errors(), QStringList("open a phase first"));
    EXPECT_EQ(frame->Dialogs.Count(Kind::SaveFile), 0);
    EXPECT_EQ(frame->Form->MDIChildCount(), 0);

    SaveWrapped("in.flt", 40, 30);
    Click(simple->PhaseImageSpeedButton, "in.flt");
    simple->UnwrapButton->click();
    EXPECT_EQ(frame->Dialogs.Errors().value(1),
              "the starting point (128,128) is outside the 40 x 30 phase map");
    EXPECT_EQ(Values(*simple->Model().Output), std::vector<float>(40 * 30, 0.0f));
    EXPECT_FALSE(frame->Window("Unwrapped Phase Image:Simple Unwrap"));

    simple->MedianFilterTrackBar->setValue(5);
    EXPECT_EQ(simple->PositionEdit->text() + " " + simple->OutPositionEdit->text(), "5 3");
    simple->MedianInputButton->click();
    ASSERT_TRUE(frame->Window("Median Result,input:Simple Unwrap"));
    test::ClickOnPicture(*frame->Window("Phase Image:Simple Unwrap"), {39, 29});
    simple->UnwrapButton->click();
    EXPECT_EQ(frame->Dialogs.Errors().size(), 2);
    ASSERT_TRUE(frame->Window("Unwrapped Phase Image:Simple Unwrap"));
    Click(simple->SaveToFloatButton, "gui.flt");
    EXPECT_EQ(TFloatImage(File("gui.flt").toStdString()).GetPixel(20, 15),
              simple->Model().Output->GetPixel(20, 15));

    simple->MedianFilterTrackBar->setValue(3);
    simple->TrackBar1->setValue(7);
    EXPECT_EQ(simple->PositionEdit->text() + " " + simple->OutPositionEdit->text(), "3 7");
    simple->MedianOutputButton->click();
    ASSERT_TRUE(frame->Window("Median Result,output:Simple Unwrap"));
    simple->CloseButton->click();
    EXPECT_FALSE(simple->Model().Input || simple->Model().Output);
}

// On a noisy map where region growing fails "Quality guided" gets the fringes right and shows its
// reliability map in "Quality". Mask Noise's threshold in radians and Median Input on the wrapped
// phase are said beside those controls and on their tips.
TEST_F(UnwrapTools, QualityGuidedMethodAndTheNotesAtTheControls) {
    frame->Trigger("UnwrapAction");
    const test::WrappedPhaseMap map = test::MakeWrappedPhaseMap(80, 60, 0.7, 3);
    test::MakeFloatMap(80, 60, [&](int x, int y) {
        return map.Wrapped[static_cast<std::size_t>(y * 80 + x)];
    })->SaveFlt(Path("noisy.flt"));
    Click(region->PhaseImageSpeedButton, "noisy.flt");
    region->XEdit->setText("30");
    region->YEdit->setText("20");
    region->MethodComboBox->setCurrentText("Quality guided");
    EXPECT_TRUE(region->MethodHintLabel->text().startsWith("Quality guided"));
    region->UnwrapButton->click();
    EXPECT_EQ(frame->Dialogs.Errors().join("; ").toStdString(), "");
    EXPECT_GT(test::FractionWithin(region->Model().Phase->Data, map.Noisy, 0.5), 0.99);
    ASSERT_TRUE(frame->Window("Final Phase Image") && frame->Window("Quality"));

    region->UnwrapPageControl->setCurrentWidget(region->UnwrapPage);
    EXPECT_TRUE(region->MaskNoiseNoteLabel->isVisible());
    EXPECT_TRUE(region->MaskNoiseNoteLabel->text().contains("radians, not X 2PI"));
    EXPECT_EQ(region->MaskNoiseButton->toolTip(), region->MaskNoiseNoteLabel->text());
    frame->Trigger("SimpleUnwrapAction");
    EXPECT_TRUE(simple->MedianInputNoteLabel->isVisible());
    EXPECT_TRUE(simple->MedianInputNoteLabel->text().contains("wrapped phase"));
    EXPECT_EQ(simple->MedianInputButton->toolTip(), simple->MedianInputNoteLabel->text());
}

} // namespace
} // namespace corvane
