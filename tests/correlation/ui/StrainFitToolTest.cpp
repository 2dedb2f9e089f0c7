// The "Compute Strain" window with a strain window and the strain tensor, its result windows that
// tell their values, open in Colour Map and are exported by File > Export Map....
#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QMdiArea>

#include <gtest/gtest.h>

#include "app/ToolWindows.h"
#include "correlation/ui/TComputeStrainForm.h"
#include "image/FloatMapDisplay.h"
#include "image/TFloatImage.h"
#include "shell/TMDIChildForm.h"
#include "support/FloatMaps.h"
#include "support/ui/TestMainForm.h"
#include "tools/ui/TColourMapForm.h"

namespace corvane {
namespace {

using namespace test;

class StrainFitTool : public FrameTest {
  protected:
    void SetUp() override {
        ui::CreateToolWindows(*frame->Form);
        tool = frame->Form->findChild<ui::TComputeStrainForm*>();
        ASSERT_NE(tool, nullptr);
        frame->Trigger("StrainAction");
        // u = 0.02 x + 0.1 y, v = -0.01 y with the correlation's marker at (8, 6) of U.
        MakeFloatMap(24, 18, [](int x, int y) {
            return x == 8 && y == 6 ? 1000.0 : 0.02 * x + 0.1 * y;
        })->SaveFlt(frame->Dir.File("u.flt"));
        MakeFloatMap(24, 18, [](int, int y) { return -0.01 * y; })->SaveFlt(frame->Dir.File("v.flt"));
        frame->Dialogs.QueueFile(frame->File("u.flt"));
        tool->OpenUFieldFileAction->trigger();
        frame->Dialogs.QueueFile(frame->File("v.flt"));
        tool->OpenVFieldFileAction->trigger();
    }
    void TearDown() override { frame->Destroy(); }

    ui::TComputeStrainForm* tool = nullptr;
};

// The marker is invalid without a click; exx with a 5-point window is shown, tells its value
// under the mouse, is saved and exported as the verbs write it, and opens in Colour Map with one
// click.
TEST_F(StrainFitTool, ExxWithAWindowIsShownSavedAndOpensInColourMap) {
    EXPECT_TRUE(tool->MaskValueCheckBox->isChecked());
    EXPECT_TRUE(tool->StrainWindowEdit->text().isEmpty());
    tool->StrainWindowEdit->setText(QStringLiteral("5"));
    tool->ExxAction->trigger();
    ASSERT_EQ(frame->LastError(), QString());
    ui::TMDIChildForm* window = frame->Window(" exx ");
    ASSERT_NE(window, nullptr);
    ASSERT_NE(window->FloatMap(), nullptr);
    window->PictureMouseMove(QPoint(3, 4));
    EXPECT_TRUE(window->HintText().startsWith(QStringLiteral("Position(3,4),value=0.0202")))
        << window->HintText().toStdString();
    window->PictureMouseMove(QPoint(8, 6));
    EXPECT_TRUE(window->HintText().endsWith(QStringLiteral("(not computed)")))
        << window->HintText().toStdString();

    frame->Dialogs.QueueFile(frame->File("exx.flt"));
    tool->SaveExxAction->trigger();
    const ProgramRun cli =
        RunProgram(CORVANE_CLI_EXE,
                   {"strain", "u.flt", "v.flt", "-o", "cli.flt", "--component", "exx", "--fit-window", "5"},
                   frame->Dir.Path());
    ASSERT_EQ(cli.Status, 0) << cli.Err;
    EXPECT_EQ(ReadFileBytes(frame->Dir.File("exx.flt")), ReadFileBytes(frame->Dir.File("cli.flt")));

    // File > Export Map... refuses the mask picture (the active window) and writes what
    // `corvane-cli export` writes for the strain window.
    frame->Trigger("ExportMapAction");
    EXPECT_TRUE(frame->LastError().startsWith(QStringLiteral("Export Map saves a float map")));
    frame->Form->MdiArea()->setActiveSubWindow(window->SubWindow());
    frame->TriggerWithFile("ExportMapAction", frame->File("exx.npy"));
    ASSERT_EQ(RunProgram(CORVANE_CLI_EXE, {"export", "cli.flt", "-o", "cli.npy"}, frame->Dir.Path()).Status,
              0);
    EXPECT_EQ(ReadFileBytes(frame->Dir.File("exx.npy")), ReadFileBytes(frame->Dir.File("cli.npy")));

    tool->ShowColourMapAction->trigger();
    auto* colour = frame->Form->findChild<ui::TColourMapForm*>();
    ASSERT_TRUE(colour && colour->isVisible());
    EXPECT_EQ(colour->MapFileEdit->text(), QStringLiteral(" exx "));
    EXPECT_TRUE(colour->ValueHint(3, 4).startsWith(QStringLiteral("Position(3,4),value=0.0202")));
}

} // namespace
} // namespace corvane
