// First start, reading the settings, and the exit confirmation.
#include "support/ui/TestMainForm.h"

#include "shell/TMDIChildForm.h"

using Kind = corvane::test::ScriptedDialogs::Kind;
using MainFormSettings = corvane::test::FrameTest;
using MainFormExit = corvane::test::FrameTest;

namespace {

/// The value as stored in the settings file.
double Stored(const corvane::test::TestMainForm& frame, const char* key) {
    return QSettings(frame.SettingsFile(), QSettings::IniFormat).value(key).toDouble();
}

} // namespace

TEST_F(MainFormSettings, FirstStartWritesTheFourDefaultsAndLaterStartsReadThem) {
    for (const auto& [key, value] :
         {std::pair{"Image Scale/scalex", 1.0}, std::pair{"Image Scale/scaley", 1.0},
          std::pair{"Encode Coordinate/Max X", 50.0}, std::pair{"Encode Coordinate/Max Y", 50.0}})
        EXPECT_EQ(Stored(*frame, key), value) << key;
    frame->Settings->setValue("Image Scale/scalex", 0.25);
    frame->Settings->setValue("Image Scale/scaley", 0.5);
    frame->Settings->setValue("Encode Coordinate/Max X", 70);
    frame->Settings->setValue("Encode Coordinate/Max Y", 30);
    corvane::ui::TMainForm second(frame->Dialogs, *frame->Settings);
    EXPECT_DOUBLE_EQ(second.ScaleX, 0.25);
    EXPECT_DOUBLE_EQ(second.ScaleY, 0.5);
    second.CreateMDIChild("phase:One Image");
    EXPECT_EQ(second.MDIChild(0)->MaxX, 70);
    EXPECT_EQ(second.MDIChild(0)->MaxY, 30);
    // A removed group is written again with its defaults when the next window is made.
    frame->Settings->remove("Encode Coordinate");
    second.CreateMDIChild("CorRelation:Initial");
    EXPECT_EQ(frame->Settings->value("Encode Coordinate/Max X").toInt(), 50);
    EXPECT_EQ(second.MDIChild(1)->MaxY, 50);
}

TEST_F(MainFormExit, NoKeepsEveryWindowAndWritesNothingYesWritesTheScaleAndEnds) {
    bool ended = false;
    QObject::connect(frame->Form.get(), &corvane::ui::TMainForm::ExitAccepted, [&] { ended = true; });
    frame->Form->CreateMDIChild("phase:One Image");
    frame->Form->ScaleX = 0.125;
    frame->Form->ScaleY = 2.5;
    frame->Dialogs.QueueYesNo(false);
    frame->Trigger("FileExitAction");
    corvane::test::ProcessEvents();
    EXPECT_EQ(frame->Dialogs.Texts(Kind::WarningYesNo), QStringList{"Do you really want to Exit ?"});
    EXPECT_FALSE(ended);
    EXPECT_TRUE(frame->Form->isVisible());
    EXPECT_EQ(frame->Form->MDIChildCount(), 1);
    EXPECT_EQ(Stored(*frame, "Image Scale/scalex"), 1.0);

    frame->Dialogs.QueueYesNo(true);
    frame->Trigger("FileExitAction");
    EXPECT_TRUE(ended);
    EXPECT_FALSE(frame->Form->isVisible());
    EXPECT_EQ(Stored(*frame, "Image Scale/scalex"), 0.125);
    EXPECT_EQ(Stored(*frame, "Image Scale/scaley"), 2.5);
}
