// The region-growing tool's method choice and the notes at the controls whose units or input trap
// users, driven through named controls and scripted dialogs.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>

#include <gtest/gtest.h>

#include "app/ToolWindows.h"
#include "image/TFloatImage.h"
#include "phase/ui/TNewUnwrapForm.h"
#include "phase/ui/TSimpleUnwrapForm.h"
#include "shell/TMDIChildForm.h"
#include "support/FloatMaps.h"
#include "support/TestSupport.h"
#include "support/WrappedPhaseMaps.h"
#include "support/ui/TestMainForm.h"

namespace corvane {
namespace {

class QualityUnwrapTool : public test::FrameTest {
  protected:
    QualityUnwrapTool() {
        ui::CreateToolWindows(*frame->Form);
        region = frame->Form->findChild<ui::TNewUnwrapForm*>();
    }
    ~QualityUnwrapTool() override { frame->Destroy(); }
    std::string Bytes(const QString& name) const {
        return test::ReadFileBytes(frame->File(name).toStdString());
    }
    ui::TNewUnwrapForm* region = nullptr;
};

// On a noisy map "Quality guided" gets the fringes right where region growing does not, shows its
// reliability map in "Quality" and saves what the verb writes.
TEST_F(QualityUnwrapTool, QualityGuidedMethodUnwrapsANoisyMapAndShowsItsReliability) {
    ASSERT_TRUE(region);
    frame->Trigger("UnwrapAction");
    const test::WrappedPhaseMap map = test::MakeWrappedPhaseMap(80, 60, 0.7, 3);
    test::MakeFloatMap(80, 60, [&](int x, int y) {
        return map.Wrapped[static_cast<std::size_t>(y * 80 + x)];
    })->SaveFlt(frame->File("noisy.flt").toStdString());
    frame->Dialogs.QueueFile(frame->File("noisy.flt"));
    region->PhaseImageSpeedButton->click();
    region->XEdit->setText("30");
    region->YEdit->setText("20");
    EXPECT_EQ(region->MethodComboBox->currentText(), "Region growing");
    region->UnwrapButton->click();
    const double grown = test::FractionWithin(region->Model().Phase->Data, map.Noisy, 0.5);
    EXPECT_FALSE(frame->Window("Quality"));
    const QString regionHint = region->MethodHintLabel->text();

    region->MethodComboBox->setCurrentText("Quality guided");
    EXPECT_NE(region->MethodHintLabel->text(), regionHint);
    region->UnwrapButton->click();
    EXPECT_EQ(frame->Dialogs.Errors().join("; ").toStdString(), "");
    EXPECT_GT(test::FractionWithin(region->Model().Phase->Data, map.Noisy, 0.5), 0.99);
    EXPECT_LT(grown, 0.98);
    ASSERT_TRUE(frame->Window("Unwrapped Phase Image") && frame->Window("Final Phase Image"));
    ASSERT_TRUE(frame->Window("Quality"));
    EXPECT_EQ(frame->Window("Quality")->Bitmap().size(), QSize(80, 60));
    frame->Dialogs.QueueFile(frame->File("gui.flt"));
    region->SaveToFloatButton->click();
    const test::ProgramRun run = test::RunProgram(
        CORVANE_CLI_EXE,
        {"unwrap", "--method", "quality", "noisy.flt", "-o", "cli.flt", "--start", "30", "20"},
        frame->Dir.Path());
    ASSERT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(Bytes("gui.flt"), Bytes("cli.flt"));
}

// Mask Noise's threshold in radians and Median Input on the wrapped phase are said on the page
// where the user chooses them, and on the buttons' tips.
TEST_F(QualityUnwrapTool, NotesStandAtTheControlsTheyConcern) {
    auto* simple = frame->Form->findChild<ui::TSimpleUnwrapForm*>();
    ASSERT_TRUE(region && simple);
    frame->Trigger("UnwrapAction");
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
