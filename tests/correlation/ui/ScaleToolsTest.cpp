// The "Compute Scale" and "Material Parameters" windows driven as a user would: a length measured by
// dragging on a picture, the scale typed or computed and stored in the frame, kept over a restart.
#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>

#include <gtest/gtest.h>

#include "correlation/ui/TComputeScaleForm.h"
#include "correlation/ui/TMaterialParaForm.h"
#include "shell/TMDIChildForm.h"
#include "support/GreyPictures.h"
#include "support/ui/DocumentMouse.h"
#include "support/ui/TestMainForm.h"

namespace corvane {
namespace {

using namespace test;

class ScaleTool : public ToolTest<ui::TComputeScaleForm> {
  protected:
    void SetUp() override {
        ASSERT_NE(tool, nullptr);
        frame->Trigger("ImageScaleAction");
        ASSERT_TRUE(tool->isVisible());
    }

    /// Opens a 320 x 200 picture into a document window and returns it.
    ui::TMDIChildForm& OpenPlate() {
        MakeGreyPicture(320, 200, [](int x, int y) {
            return (x + y) % 256;
        })->SaveBmp(frame->Dir.File("p.bmp"));
        frame->TriggerWithFile("FileOpenAction", frame->File("p.bmp"));
        return frame->Active();
    }
};

// Unchecking "Set Scale" turns the measurement on: a 250-pixel drag along x with an actual length
// of 5.0 gives 0.02, shown and stored in the frame; a drag along y fills the y length. While the
// scale is typed in, a drag measures nothing.
TEST_F(ScaleTool, DraggedLengthGivesTheComputedScale) {
    ui::TMDIChildForm& picture = OpenPlate();
    EXPECT_FALSE(tool->ComputeScaleGroupBox->isEnabled());
    DragOnPicture(picture, {10, 20}, {260, 90});
    EXPECT_EQ(tool->ImageScaleXEdit->text(), QStringLiteral("1"));

    tool->SetScaleCheckBox->setChecked(false);
    EXPECT_TRUE(tool->ComputeScaleGroupBox->isEnabled());
    EXPECT_FALSE(tool->SetScaleGroupBox->isEnabled());
    DragOnPicture(picture, {260, 20}, {10, 90});
    EXPECT_EQ(tool->ImageScaleXEdit->text(), QStringLiteral("250"));
    EXPECT_EQ(tool->ImageScaleYEdit->text(), QStringLiteral("1"));
    tool->ScaleYRadioButton->setChecked(true);
    DragOnPicture(picture, {30, 10}, {40, 170});
    EXPECT_EQ(tool->ImageScaleYEdit->text(), QStringLiteral("160"));
    EXPECT_EQ(tool->ImageScaleXEdit->text(), QStringLiteral("250"));

    tool->ActualScaleXEdit->setText(QStringLiteral("5.0"));
    tool->ActualScaleYEdit->setText(QStringLiteral("4"));
    tool->ApplyScaleButton->click();
    EXPECT_EQ(frame->Dialogs.Errors(), QStringList());
    EXPECT_EQ(tool->ScaleXEdit->text(), QStringLiteral("0.02"));
    EXPECT_EQ(tool->ScaleYEdit->text(), QStringLiteral("0.025"));
    EXPECT_EQ(frame->Form->ScaleX, 0.02);
    EXPECT_EQ(frame->Form->ScaleY, 0.025);
}

// A measured length of 0 pixels and text that is not a number are refused; the frame keeps its
// scale.
TEST_F(ScaleTool, ZeroLengthsAndBadNumbersStoreNothing) {
    tool->SetScaleCheckBox->setChecked(false);
    tool->ImageScaleXEdit->setText(QStringLiteral("0"));
    tool->ApplyScaleButton->click();
    EXPECT_EQ(frame->LastError(), QStringLiteral("The length in the image must not be 0 pixels"));
    tool->ImageScaleXEdit->setText(QStringLiteral("1"));
    tool->ActualScaleYEdit->setText(QStringLiteral("1,5"));
    tool->ApplyScaleButton->click();
    EXPECT_EQ(frame->LastError(),
              QStringLiteral("Actual Scale Y: '1,5' is not a valid floating point value"));
    tool->SetScaleCheckBox->setChecked(true);
    tool->ScaleXEdit->setText(QStringLiteral("0.3"));
    tool->ScaleYEdit->setText(QString());
    tool->ApplyScaleButton->click();
    EXPECT_EQ(frame->Dialogs.Count(ScriptedDialogs::Kind::Error), 3);
    EXPECT_EQ(frame->Form->ScaleX, 1.0);
    EXPECT_EQ(frame->Form->ScaleY, 1.0);
    EXPECT_EQ(tool->ScaleXEdit->text(), QStringLiteral("0.3"));
}

// A typed scale is stored whatever the measurement holds, shown again when the window is reopened,
// written to the settings on exit and read back by the next start.
TEST_F(ScaleTool, TypedScaleIsShownAgainAndKeptOverARestart) {
    tool->ImageScaleXEdit->setText(QStringLiteral("0"));
    tool->ScaleXEdit->setText(QStringLiteral("0.004"));
    tool->ScaleYEdit->setText(QStringLiteral("0.5"));
    tool->ApplyScaleButton->click();
    EXPECT_EQ(frame->Dialogs.Errors(), QStringList());
    EXPECT_EQ(frame->Form->ScaleX, 0.004);
    EXPECT_EQ(frame->Form->ScaleY, 0.5);
    tool->CloseButton->click();
    tool->ScaleYEdit->setText(QStringLiteral("7"));
    frame->Trigger("ImageScaleAction");
    EXPECT_EQ(tool->ScaleYEdit->text(), QStringLiteral("0.5"));

    frame->Dialogs.QueueYesNo(true);
    frame->Form->close();
    frame->Destroy();
    frame->Settings->sync();
    QSettings settings(frame->SettingsFile(), QSettings::IniFormat);
    ui::TMainForm next(frame->Dialogs, settings);
    ui::CreateToolWindows(next);
    next.Action(QStringLiteral("ImageScaleAction"))->trigger();
    auto* reopened = next.findChild<ui::TComputeScaleForm*>();
    ASSERT_NE(reopened, nullptr);
    EXPECT_EQ(reopened->ScaleXEdit->text(), QStringLiteral("0.004"));
    EXPECT_EQ(reopened->ScaleYEdit->text(), QStringLiteral("0.5"));
}

} // namespace
} // namespace corvane
