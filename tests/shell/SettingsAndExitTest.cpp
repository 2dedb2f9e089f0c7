// First start, reading the settings, and the exit confirmation.
#include "support/ui/TestMainForm.h"

#include "shell/TMDIChildForm.h"

#include <array>

using Kind = corvane::test::ScriptedDialogs::Kind;
using MainFormSettings = corvane::test::FrameTest;
using MainFormExit = corvane::test::FrameTest;

const char* const kKeys[] = {"Image Scale/scalex", "Image Scale/scaley", "Encode Coordinate/Max X",
                             "Encode Coordinate/Max Y"};

/// The scale and the coordinate limits as stored in the settings file.
static std::vector<double> Stored(const corvane::test::TestMainForm& frame) {
    const QSettings settings(frame.SettingsFile(), QSettings::IniFormat);
    std::vector<double> values;
    for (const char* key : kKeys)
        values.push_back(settings.value(key).toDouble());
    return values;
}

TEST_F(MainFormSettings, FirstStartWritesTheFourDefaultsAndLaterStartsReadThem) {
    EXPECT_EQ(Stored(*frame), (std::vector<double>{1, 1, 50, 50}));
    for (int i = 0; i < 4; ++i)
        frame->Settings->setValue(kKeys[i], std::array{0.25, 0.5, 70.0, 30.0}[i]);
    corvane::ui::TMainForm second(frame->Dialogs, *frame->Settings);
    second.CreateMDIChild("phase:One Image");
    EXPECT_EQ((std::array{second.ScaleX, second.ScaleY, double(second.MDIChild(0)->MaxX),
                          double(second.MDIChild(0)->MaxY)}),
              (std::array{0.25, 0.5, 70.0, 30.0}));
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
    EXPECT_EQ(Stored(*frame), (std::vector<double>{1, 1, 50, 50}));

    frame->Dialogs.QueueYesNo(true);
    frame->Trigger("FileExitAction");
    EXPECT_TRUE(ended);
    EXPECT_FALSE(frame->Form->isVisible());
    EXPECT_EQ(Stored(*frame), (std::vector<double>{0.125, 2.5, 50, 50}));
}
