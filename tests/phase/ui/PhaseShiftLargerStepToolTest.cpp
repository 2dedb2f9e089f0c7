// Step pictures larger than Step 2's: the tool and the phase-shift verb read them over Step 2's
// extent and write the same file.
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

#include <gtest/gtest.h>

#include "app/ToolWindows.h"
#include "phase/ui/TConst4StepPhaseShiftForm.h"
#include "shell/TMDIChildForm.h"
#include "support/CliRun.h"
#include "support/GreyPictures.h"
#include "support/ui/TestMainForm.h"

namespace corvane {
namespace {

TEST(PhaseShiftLargerStepTool, WindowAndVerbReadALargerStepOverStepTwosExtent) {
    auto frame = test::MakeTestMainForm();
    ui::CreateToolWindows(*frame->Form);
    const int sizes[4][2] = {{30, 20}, {30, 20}, {41, 27}, {33, 20}};
    for (int k = 0; k < 4; ++k)
        test::MakeGreyPicture(sizes[k][0], sizes[k][1], [k](int x, int y) {
            return (29 * x + 13 * y + 61 * k) % 256;
        })->SaveBmp(frame->File(QStringLiteral("s%1.bmp").arg(k + 1)).toStdString());
    frame->Trigger("PI4StepAction");
    auto* form = frame->Form->findChild<ui::TConst4StepPhaseShiftForm*>();
    frame->Dialogs.QueueFile(frame->File("s1.bmp"));
    form->Step1SpeedButton->click();
    form->Step2Edit->setText("s2.bmp");
    form->Step3Edit->setText("s3.bmp");
    form->Step4Edit->setText("s4.bmp");
    form->ComputePhaseButton->click();
    ASSERT_EQ(frame->Dialogs.Errors().join("; ").toStdString(), "");
    EXPECT_EQ(frame->Window("phase:Const 4 Step")->Bitmap().size(), QSize(30, 20));
    frame->Dialogs.QueueFile(frame->File("tool.flt"), 2);
    form->SaveToFloatButton->click();

    const test::ProgramRun verb = test::Cli(frame->Dir, {"phase-shift", "--method", "const4", "s1.bmp",
                                                         "s2.bmp", "s3.bmp", "s4.bmp", "-o", "verb.flt"});
    ASSERT_EQ(verb.Status, 0) << verb.Err;
    EXPECT_EQ(test::ReadFileBytes(frame->Dir.File("tool.flt")),
              test::ReadFileBytes(frame->Dir.File("verb.flt")));
    frame->Destroy();
}

} // namespace
} // namespace corvane
