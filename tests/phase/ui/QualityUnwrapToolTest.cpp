// The region-growing tool's method choice, and the notes at the controls whose units or input trap
// users, driven through named controls and scripted dialogs.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>

#include <gtest/gtest.h>

#include "app/ToolWindows.h"
#include "phase/ui/TNewUnwrapForm.h"
#include "phase/ui/TSimpleUnwrapForm.h"
#include "support/FloatMaps.h"
#include "support/WrappedPhaseMaps.h"
#include "support/ui/TestMainForm.h"

namespace corvane {
namespace {

// On a noisy map where region growing fails "Quality guided" gets the fringes right and shows its
// reliability map in "Quality". Mask Noise's threshold in radians and Median Input on the wrapped
// phase are said beside those controls and on their tips.
using QualityUnwrapTool = test::FrameTest;

TEST_F(QualityUnwrapTool, QualityGuidedMethodAndTheNotesAtTheControls) {
    ui::CreateToolWindows(*frame->Form);
    auto* region = frame->Form->findChild<ui::TNewUnwrapForm*>();
    auto* simple = frame->Form->findChild<ui::TSimpleUnwrapForm*>();
    frame->Trigger("UnwrapAction");
    const test::WrappedPhaseMap map = test::MakeWrappedPhaseMap(80, 60, 0.7, 3);
    test::MakeFloatMap(80, 60, [&](int x, int y) {
        return map.Wrapped[static_cast<std::size_t>(y * 80 + x)];
    })->SaveFlt(frame->File("noisy.flt").toStdString());
    frame->Dialogs.QueueFile(frame->File("noisy.flt"));
    region->PhaseImageSpeedButton->click();
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
