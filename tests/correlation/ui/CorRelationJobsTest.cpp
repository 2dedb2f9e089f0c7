// Correlation jobs: the ten status slots, the overload refusal, the job-end handling (beep, slot
// freed, error shown), the frame's correlation commands and exit with jobs still running.
#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableWidget>
#include <QTime>
#include <QTimer>

#include <stdexcept>

#include "CorRelationUiFixture.h"
#include "correlation/ui/TCorRelationParaSelectorForm.h"
#include "image/CorvaneError.h"
#include "support/TestSupport.h"

using namespace corvane;
using namespace corvane::ui;
using namespace corvane::test;

namespace {

const QString kOverload = QStringLiteral("System overload, Wait for other threads terminate");

class CorRelationJobs : public CorRelationUiFixture {
protected:
    QString Cell(int slot, int column) const
    {
        const QTableWidgetItem* item = Status().ComputeThreadsStringGrid->item(slot - 1, column);
        return item ? item->text() : QString();
    }
};

TEST_F(CorRelationJobs, SlotNumbersAreClampedAndTheLowestFreeSlotIsFound)
{
    TCorRelationStatusForm& status = Status();
    status.StartSlot(0);  // clamped to 1
    status.StartSlot(42); // clamped to 10
    status.StartSlot(2);
    EXPECT_EQ(Cell(10, 0), "10");
    EXPECT_EQ(Cell(10, 1), "00:00:00");
    EXPECT_EQ(status.FindFreeSlot(), 3);
    status.EndSlot(-5); // clamped to 1
    EXPECT_EQ(status.FindFreeSlot(), 1);
    EXPECT_EQ(Cell(1, 1), "idle");
    EXPECT_EQ(Cell(1, 2), "idle");
    for (int slot = 1; slot <= 10; ++slot)
        status.StartSlot(slot);
    EXPECT_EQ(status.FindFreeSlot(), -1);
    EXPECT_EQ(DurationText(3725), "01:02:05");
    EXPECT_EQ(DurationText(90061), "25:01:01"); // a run past a day keeps counting hours
}

TEST_F(CorRelationJobs, TenRunningJobsRefuseAnEleventhAndAFreedSlotIsReused)
{
    for (int expected = 1; expected <= 10; ++expected)
        EXPECT_EQ(StartBlocked(), expected);
    try {
        StartBlocked();
        ADD_FAILURE() << "an eleventh job was started";
    } catch (const CorvaneError& e) {
        EXPECT_EQ(QString::fromStdString(e.what()), kOverload);
    }
    // The same refusal through "Config File...": an error box, no job.
    const TempDir dir;
    WriteFileBytes(dir.File("any.cor"), "HowManyGroup =0\n");
    QueueFile(dir.File("any.cor"));
    Main().Action("ConfigFileAction")->trigger();
    // And through the wizard's Submit, which stays open on its last page.
    Main().Action("CorRelationAction")->trigger();
    TCorRelationParaSelectorForm& wizard = *Commands().Wizard();
    for (int i = 0; i < 6; ++i)
        wizard.NextButton->click();
    EXPECT_EQ(Errors(), QStringList({kOverload, kOverload}));
    EXPECT_TRUE(wizard.isVisible());
    EXPECT_EQ(wizard.CurrentPageName(), "OutputControl");
    EXPECT_EQ(wizard.NextButton->text(), "Submit");
    EXPECT_EQ(Commands().LiveJobs(), 10);

    // Jobs 4 and 7 end; the next starts take 4, then 7.
    Release(6);
    Release(3);
    ASSERT_TRUE(WaitForEnds(2));
    EXPECT_EQ(StartBlocked(), 4);
    EXPECT_EQ(StartBlocked(), 7);
    EXPECT_EQ(Status().FindFreeSlot(), -1);
}

TEST_F(CorRelationJobs, SlotThreeShowsItsTimesThenGoesIdleWithABeep)
{
    StartBlocked();
    StartBlocked();
    Status().show();
    const QTime before = QTime::currentTime();
    ASSERT_EQ(StartBlocked(), 3);
    const QTime start = QTime::fromString(Cell(3, 2), QStringLiteral("HH:mm:ss"));
    ASSERT_TRUE(start.isValid()) << Cell(3, 2).toStdString();
    EXPECT_LE(std::abs(start.secsTo(before)), 2);
    EXPECT_EQ(Cell(3, 1), "00:00:00");

    // The one-second timer refreshes the running time while the user-interface thread stays free.
    ASSERT_TRUE(WaitUntil([&] { return Cell(3, 1) != "00:00:00"; }, 10000));
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^00:00:0[1-9]$")).match(Cell(3, 1)).hasMatch())
        << Cell(3, 1).toStdString();
    EXPECT_EQ(Status().RunningJobsLabel->text(), "3");
    EXPECT_TRUE(Status().AnimationPlaying());

    Release(2);
    ASSERT_TRUE(WaitForEnds(1));
    EXPECT_EQ(EndedSlots.front(), 3);
    EXPECT_EQ(Cell(3, 1), "idle");
    EXPECT_EQ(Cell(3, 2), "idle");
    EXPECT_EQ(Dialogs().Count(ScriptedDialogs::Kind::Beep), 1);
    EXPECT_TRUE(Errors().isEmpty());
    EXPECT_TRUE(Status().SlotBusy(1) && Status().SlotBusy(2));
}

TEST_F(CorRelationJobs, AJobThatFailsShowsItsErrorAndFreesItsSlot)
{
    Commands().StartWorkJob([] { throw CorvaneError("Check your computing parameters, then start again"); });
    Commands().StartWorkJob([] { throw std::runtime_error("disk full"); });
    ASSERT_TRUE(WaitForEnds(2));
    EXPECT_EQ(Dialogs().Count(ScriptedDialogs::Kind::Beep), 2);
    EXPECT_EQ(Status().FindFreeSlot(), 1);
    EXPECT_TRUE(Errors().contains("Check your computing parameters, then start again"));
    EXPECT_TRUE(Errors().contains("disk full"));

    // A configuration file that cannot be read ends its job with the reader's message.
    const TempDir dir;
    QueueFile(dir.File("missing.cor"));
    Main().Action("ConfigFileAction")->trigger();
    EXPECT_TRUE(Status().isVisible());
    ASSERT_TRUE(WaitForEnds(3));
    EXPECT_EQ(EndedErrors.back(), "Read CorRelation Config file ERROR!!!");
    EXPECT_EQ(Errors().back(), "Read CorRelation Config file ERROR!!!");
    EXPECT_EQ(Status().BusyCount(), 0);
}

TEST_F(CorRelationJobs, ShowStatusTogglesTheWindowWhichPausesWhileHidden)
{
    QAction* action = Main().Action("CorRelationStatusAction");
    ASSERT_TRUE(action->isEnabled());
    action->trigger();
    EXPECT_TRUE(Status().isVisible());
    EXPECT_EQ(action->text(), "Hide Status");
    StartBlocked();
    Status().ThreadsMangerTimerTimer();
    EXPECT_TRUE(Status().AnimationPlaying());

    action->trigger();
    EXPECT_FALSE(Status().isVisible());
    EXPECT_EQ(action->text(), "Show Status");
    EXPECT_FALSE(Status().AnimationPlaying());
    EXPECT_FALSE(Status().ThreadsMangerTimer->isActive());
    action->trigger();
    EXPECT_TRUE(Status().AnimationPlaying());
    EXPECT_TRUE(Status().ThreadsMangerTimer->isActive());

    Release(0);
    ASSERT_TRUE(WaitForEnds(1));
    Status().ThreadsMangerTimerTimer();
    EXPECT_FALSE(Status().AnimationPlaying());
    EXPECT_EQ(Status().RunningJobsLabel->text(), "0");
}

TEST_F(CorRelationJobs, GenerateModalFileWritesTheDefaultConfiguration)
{
    const TempDir dir;
    QueueFile(dir.File("modal.cor"));
    Main().Action("GenerateModalFileAction")->trigger();
    ASSERT_EQ(Dialogs().Count(ScriptedDialogs::Kind::OpenFile), 1);
    EXPECT_EQ(Dialogs().FileRequests().back().Title, "Generate a modal file used by CorRelation");
    const std::string text = ReadFileBytes(dir.File("modal.cor"));
    EXPECT_EQ(text.rfind("HowManyGroup =1\nFastCompute(0=no, 1=yes) =0\n", 0), 0u) << text;
    EXPECT_TRUE(Errors().isEmpty());
}

TEST_F(CorRelationJobs, ExitWithJobsRunningSaysTheProgramWaitsForThem)
{
    // Nothing running: only the exit question.
    Dialogs().QueueYesNo(false);
    Main().close();
    EXPECT_TRUE(Dialogs().Informations().isEmpty());

    StartBlocked();
    StartBlocked();
    Dialogs().QueueYesNo(false);
    Main().close();
    EXPECT_TRUE(Main().isVisible());
    ASSERT_EQ(Dialogs().Log.size(), 3u);
    EXPECT_EQ(Dialogs().Log[1].Text,
              "2 correlation job(s) still running: after Exit the program ends only when they have finished.");
    EXPECT_EQ(Dialogs().Log[1].What, ScriptedDialogs::Kind::Information);
    EXPECT_EQ(Dialogs().Log[2].What, ScriptedDialogs::Kind::WarningYesNo);
}

} // namespace
