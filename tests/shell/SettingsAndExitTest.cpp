// First start, reading the settings, and the exit confirmation.
#include "support/ui/TestMainForm.h"

#include "shell/TMDIChildForm.h"

#include <QAction>

#include <gtest/gtest.h>

using corvane::test::MakeTestMainForm;
using Kind = corvane::test::ScriptedDialogs::Kind;

TEST(MainFormSettings, FirstStartWritesTheFourDefaultsAndExistingValuesAreRead) {
    auto frame = MakeTestMainForm();
    {
        QSettings file(frame->SettingsFile(), QSettings::IniFormat);
        EXPECT_DOUBLE_EQ(file.value("Image Scale/scalex").toDouble(), 1.0);
        EXPECT_DOUBLE_EQ(file.value("Image Scale/scaley").toDouble(), 1.0);
        EXPECT_EQ(file.value("Encode Coordinate/Max X").toInt(), 50);
        EXPECT_EQ(file.value("Encode Coordinate/Max Y").toInt(), 50);
    }
    // A second frame on a store with other values reads them, and new windows take Max X / Max Y.
    frame->Settings->setValue("Image Scale/scalex", 0.25);
    frame->Settings->setValue("Image Scale/scaley", 0.5);
    frame->Settings->setValue("Encode Coordinate/Max X", 70);
    frame->Settings->setValue("Encode Coordinate/Max Y", 30);
    corvane::ui::TMainForm second(frame->Dialogs, *frame->Settings);
    EXPECT_DOUBLE_EQ(second.ScaleX, 0.25);
    EXPECT_DOUBLE_EQ(second.ScaleY, 0.5);
    second.CreateMDIChild("phase:One Image");
    ASSERT_EQ(second.MDIChildCount(), 1);
    EXPECT_EQ(second.MDIChild(0)->MaxX, 70);
    EXPECT_EQ(second.MDIChild(0)->MaxY, 30);
}

TEST(MainFormSettings, AMissingEncodeGroupIsWrittenWhenAWindowIsMade) {
    auto frame = MakeTestMainForm();
    frame->Settings->remove("Encode Coordinate");
    frame->Form->CreateMDIChild("CorRelation:Initial");
    EXPECT_EQ(frame->Settings->value("Encode Coordinate/Max X").toInt(), 50);
    EXPECT_EQ(frame->Form->MDIChild(0)->MaxY, 50);
}

TEST(MainFormExit, NoKeepsEveryWindowAndWritesNothing) {
    auto frame = MakeTestMainForm();
    frame->Form->CreateMDIChild("phase:One Image");
    frame->Form->ScaleX = 3.5;
    frame->Dialogs.QueueYesNo(false);
    frame->Trigger("FileExitAction");
    corvane::test::ProcessEvents();
    EXPECT_EQ(frame->Dialogs.Texts(Kind::WarningYesNo), QStringList{"Do you really want to Exit ?"});
    EXPECT_TRUE(frame->Form->isVisible());
    EXPECT_EQ(frame->Form->MDIChildCount(), 1);
    QSettings file(frame->SettingsFile(), QSettings::IniFormat);
    EXPECT_DOUBLE_EQ(file.value("Image Scale/scalex").toDouble(), 1.0);
}

TEST(MainFormExit, YesWritesTheImageScaleAndAnnouncesTheEnd) {
    auto frame = MakeTestMainForm();
    bool ended = false;
    QObject::connect(frame->Form.get(), &corvane::ui::TMainForm::ExitAccepted, [&] { ended = true; });
    frame->Form->ScaleX = 0.125;
    frame->Form->ScaleY = 2.5;
    frame->Dialogs.QueueYesNo(true);
    frame->Trigger("FileExitAction");
    EXPECT_TRUE(ended);
    EXPECT_FALSE(frame->Form->isVisible());
    QSettings file(frame->SettingsFile(), QSettings::IniFormat);
    EXPECT_DOUBLE_EQ(file.value("Image Scale/scalex").toDouble(), 0.125);
    EXPECT_DOUBLE_EQ(file.value("Image Scale/scaley").toDouble(), 2.5);
}
