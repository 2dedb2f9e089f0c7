// The absolute displacement tool driven as a user would: the frame's command, named controls,
// clicks and drags in "Relative Phase" and scripted dialogs.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "image/TFloatImage.h"
#include "phase/AbsolutePhase.h"
#include "phase/ui/TAbsolutePhaseForm.h"
#include "shell/TMDIChildForm.h"
#include "support/FloatMaps.h"
#include "support/TestSupport.h"
#include "support/WrappedPhaseMaps.h"
#include "support/ui/DocumentMouse.h"
#include "support/ui/TestMainForm.h"

namespace corvane {
namespace {

using test::Values;

using Kind = test::ScriptedDialogs::Kind;

class AbsolutePhaseTool : public test::ToolTest<ui::TAbsolutePhaseForm> {
  protected:
    std::string Bytes(const QString& name) const { return test::ReadFileBytes(File(name).toStdString()); }
    // Shows the tool and loads an unwrapped map of 40 x 30 (scales 0.5 and 0.25) into it.
    void ShowWithMap() {
        const test::WrappedPhaseMap map = test::MakeWrappedPhaseMap(40, 30);
        auto flt = test::MakeFloatMap(40, 30, [&](int x, int y) { return map.Truth[y * 40 + x]; });
        flt->ScaleX = 0.5f;
        flt->ScaleY = 0.25f;
        flt->SaveFlt(File("unwrapped.flt").toStdString());
        frame->Trigger("AbsolutePhaseAction");
        ClickWithFile(tool->UnwrappedPhaseSpeedButton, File("unwrapped.flt"));
        ASSERT_TRUE(tool->Map());
    }
    // Types text into an edit and leaves it.
    static void Leave(QLineEdit* edit, const QString& text) {
        edit->setText(text);
        emit edit->editingFinished();
    }
};

// Fringe order, pitch and known value at the clicked pixel, then both saves: the FLT map and the
// table over a dragged range with output steps.
TEST_F(AbsolutePhaseTool, ConvertsTheLoadedMapAndSavesItsMapAndTable) {
    ASSERT_TRUE(tool);
    ShowWithMap();
    EXPECT_EQ(tool->AbsolutePhasePageControl->currentWidget(), tool->InputPage);
    EXPECT_EQ(tool->PhaseFileNameEdit->text(), "unwrapped.flt");
    ui::TMDIChildForm* shown = frame->Window("Relative Phase");
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown->Bitmap().size(), QSize(40, 30));

    test::ClickOnPicture(*shown, {12, 7});
    EXPECT_EQ(QStringList({tool->PhaseIntegerXEdit->text(), tool->PhaseIntegerYEdit->text(),
                           tool->AbsXEdit->text(), tool->AbsYEdit->text()}),
              QStringList({"12", "7", "12", "7"}));
    EXPECT_EQ(tool->AbsoluteDisplacementEdit->text().toStdString(), *PixelValueText(*tool->Map(), 12, 7));
    tool->PhaseIntegerEdit->setText("2");
    tool->PhaseIntegerButton->click();
    Leave(tool->PEdit, "0.5");
    EXPECT_EQ(tool->GridFrequencyEdit->text(), "     2.00000000");
    tool->ConvertButton->click();
    tool->AbsoluteDisplacementEdit->setText("0");
    tool->ConvertToAbsoluteDisplacementButton->click();
    EXPECT_EQ(frame->Dialogs.Errors().join("; ").toStdString(), "");
    EXPECT_EQ(tool->Map()->GetPixel(12, 7), 0.0f);

    frame->Dialogs.QueueFile(File("gui.flt"));
    tool->SaveToFloatButton->click();
    ASSERT_EQ(frame->Dialogs.FileRequests().back().FilterIndex, 1);
    EXPECT_EQ(TFloatImage(File("gui.flt").toStdString()).GetPixel(12, 7), 0.0f);

    // A drag sets the range only while the "Output" page is shown.
    test::DragOnPicture(*shown, {30, 20}, {5, 3});
    EXPECT_EQ(tool->LeftEdit->text(), "0");
    tool->AbsolutePhasePageControl->setCurrentWidget(tool->OutputPage);
    test::DragOnPicture(*shown, {30, 20}, {5, 3});
    EXPECT_EQ(QStringList({tool->LeftEdit->text(), tool->TopEdit->text(), tool->RightEdit->text(),
                           tool->BottomEdit->text()}),
              QStringList({"5", "3", "30", "20"}));
    EXPECT_TRUE(tool->OutputGridPanel->isHidden());
    EXPECT_TRUE(tool->OutputRangePanel->isHidden());
    tool->UseOutputGridCheckBox->click();
    tool->OutputRangeCheckBox->click();
    EXPECT_FALSE(tool->OutputGridPanel->isHidden() || tool->OutputRangePanel->isHidden());
    tool->GridxEdit->setText("3");
    tool->GridyEdit->setText("2");
    frame->Dialogs.QueueFile(File("gui"), 2);
    tool->SaveToAsciiButton->click();
    const ui::FileDialogRequest request = frame->Dialogs.FileRequests().back();
    EXPECT_EQ(request.FilterIndex, 2);
    EXPECT_EQ(request.InitialDir, tool->WorkingDirLabel->text());
    // x = 5, 8, ... 29 and y = 3, 5, ... 19: 9 by 9, where swapped steps give 13 by 6.
    EXPECT_EQ(test::Lines(Bytes("gui.dat")).size(), 9u * 9);
}

// Refusals leave the map as it was: a pitch or frequency of 0 or no number (both edits keep their
// last values), Convert with a pitch of 0 typed but not left, a reference pixel outside the map.
// Without a map every command does nothing.
TEST_F(AbsolutePhaseTool, RefusesZeroPitchAndPixelsOutsideTheMapAndChangesNothing) {
    frame->Trigger("AbsolutePhaseAction");
    for (QPushButton* button :
         {tool->PhaseIntegerButton, tool->ConvertButton, tool->ConvertToAbsoluteDisplacementButton,
          tool->SaveToAsciiButton, tool->SaveToFloatButton})
        button->click();
    EXPECT_EQ(frame->Dialogs.Log.size(), 0u);

    ShowWithMap();
    const std::vector<float> before = Values(*tool->Map());
    Leave(tool->PEdit, "4");
    EXPECT_EQ(tool->GridFrequencyEdit->text(), "     0.25000000");
    Leave(tool->PEdit, "0");
    Leave(tool->GridFrequencyEdit, "1/4");
    EXPECT_EQ(frame->Dialogs.Errors(),
              QStringList({"The grid's parameter P and its frequency can not be 0",
                           "Grid Frequency: '1/4' is not a valid floating point value"}));
    EXPECT_EQ(tool->PEdit->text(), "4");
    EXPECT_EQ(tool->GridFrequencyEdit->text(), "     0.25000000");

    frame->Dialogs.Clear();
    tool->PEdit->setText("0");
    tool->ConvertButton->click();
    tool->PhaseIntegerXEdit->setText("40");
    tool->PhaseIntegerButton->click();
    tool->AbsYEdit->setText("-1");
    tool->ConvertToAbsoluteDisplacementButton->click();
    EXPECT_EQ(frame->Dialogs.Errors(), QStringList({"The grid's parameter P and its frequency can not be 0",
                                                    "(40,0) not in the image", "(0,-1) not in the image"}));
    EXPECT_EQ(Values(*tool->Map()), before);
    EXPECT_EQ(tool->Map()->ValueScale, 1.0f);
}

} // namespace
} // namespace corvane
