// What the status window offers after a job ends (every float map of a refined run, nothing after a
// cancelled one) and the wizard's refinement and minimum-correlation controls.
#include <QtWidgets>

#include <filesystem>
#include <functional>
#include <latch>
#include <memory>

#include <gtest/gtest.h>

#include "app/ToolWindows.h"
#include "correlation/CorRelationConfig.h"
#include "correlation/CorRelationOptions.h"
#include "correlation/ui/TCorRelationCommands.h"
#include "correlation/ui/TCorRelationParaSelectorForm.h"
#include "correlation/ui/TCorRelationStatusForm.h"
#include "shell/TMDIChildForm.h"
#include "support/SpeckleImages.h"
#include "support/ui/TestMainForm.h"

using namespace corvane;
using namespace corvane::ui;
using namespace corvane::test;

namespace {

bool WaitUntil(const std::function<bool()>& cond) {
    for (const QDeadlineTimer end(120000); !cond(); QThread::msleep(2)) {
        if (end.hasExpired()) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

class CorRelationJobResults : public FrameTest {
  protected:
    void SetUp() override {
        CreateToolWindows(*frame->Form);
        commands = frame->Form->findChild<TCorRelationCommands*>();
        ASSERT_NE(commands, nullptr);
        QObject::connect(commands, &TCorRelationCommands::JobEnded, commands,
                         [this](int, const QString&) { ++ended; });
    }
    void TearDown() override {
        WaitUntil([&] { return commands->LiveJobs() == 0; });
        frame->Destroy();
    }
    TCorRelationStatusForm& Status() const { return commands->StatusForm(); }
    QString DoneCell(int slot) const {
        return Status().ComputeThreadsStringGrid->model()->index(slot - 1, 3).data().toString();
    }
    /// A refined group with the float maps on over a 120 x 100 speckle pair in the test folder.
    TCorRelationPara RefinedGroup() const {
        const SpecklePair pair = MakeSpecklePair({.Width = 120, .Height = 100, .ShiftX = 1.5, .ShiftY = 0.5});
        SaveGreyBmp(frame->Dir.File("test0.bmp"), 120, 100, pair.Initial);
        SaveGreyBmp(frame->Dir.File("test2.bmp"), 120, 100, pair.Deformed);
        GenerateConfigFile(frame->Dir.File("run.cor"));
        TCorRelationPara p = ReadConfigFile(frame->Dir.File("run.cor")).at(0);
        p.OutputBin = 1, p.SubpixelRefinement = 1;
        p.BinXFile = frame->Dir.File("dx.flt"), p.BinYFile = frame->Dir.File("dy.flt");
        return p;
    }

    TCorRelationCommands* commands = nullptr;
    int ended = 0;
};

// A refined run's status lists its correlation map and four gradient maps, and Open Results opens
// all seven maps. A job cancelled afterwards says so in its slot, and Open Results no longer offers
// the earlier job's files as if they were its own.
TEST_F(CorRelationJobResults, OpenResultsOpensEveryMapOfARefinedRunAndNothingAfterACancelledJob) {
    Status().show();
    ASSERT_EQ(commands->StartGroupJob(RefinedGroup()), 1);
    ASSERT_TRUE(WaitUntil([&] { return ended == 1; }));
    const QString listed = Status().ResultsLabel->text();
    for (const char* name :
         {"dx.flt", "dy.flt", "dx_zncc.flt", "dx_dudx.flt", "dx_dudy.flt", "dy_dvdx.flt", "dy_dvdy.flt"})
        EXPECT_TRUE(listed.contains(QString::fromLatin1(name))) << name << " " << listed.toStdString();
    ASSERT_TRUE(Status().OpenResultsButton->isEnabled());
    const int before = frame->Form->MDIChildCount();
    Status().OpenResultsButton->click();
    EXPECT_EQ(frame->Form->MDIChildCount(), before + 7);

    auto gate = std::make_shared<std::latch>(1);
    const int slot = commands->StartWorkJob([gate] {
        gate->wait();
        throw CorRelationCancelled();
    });
    EXPECT_EQ(DoneCell(slot), "0%");
    gate->count_down();
    ASSERT_TRUE(WaitUntil([&] { return ended == 2; }));
    EXPECT_EQ(DoneCell(slot), "cancelled");
    EXPECT_TRUE(Status().ResultsLabel->text().contains(QStringLiteral("Job %1 was cancelled").arg(slot)));
    EXPECT_FALSE(Status().OpenResultsButton->isEnabled());
    EXPECT_TRUE(frame->Dialogs.Errors().isEmpty());
}

// A new group is refined, and a minimum correlation the user types goes into the saved file after
// the refinement line; "0" writes no line. A file without the refinement line still reads unrefined.
TEST_F(CorRelationJobResults, TheWizardRefinesNewGroupsAndSavesTheMinimumCorrelationOnlyWhenSet) {
    frame->Trigger("CorRelationAction");
    TCorRelationParaSelectorForm& w = *commands->Wizard();
    EXPECT_TRUE(w.SubpixelRefinementCheck->isChecked());
    EXPECT_EQ(w.MinCorrelationEdit->text(), "0");
    const TCorRelationPara fresh = w.FillGroup();
    EXPECT_EQ(std::pair(fresh.SubpixelRefinement, fresh.MinCorrelation), std::pair(1, 0.0f));
    for (const char* minimum : {"0", "0.85"}) {
        w.MinCorrelationEdit->setText(QString::fromLatin1(minimum));
        frame->Dialogs.QueueFile(frame->File("saved.cor"));
        w.SaveParaTo1->trigger();
        const std::string saved = ReadFileBytes(frame->Dir.File("saved.cor"));
        const std::string tail = saved.substr(saved.find("Subpixel Refinement"));
        EXPECT_EQ(tail, std::string("Subpixel Refinement(0=none, 1=gauss-newton) =1\n") +
                            (minimum[1] ? "Minimum Correlation(0=keep every point) =0.85\n" : ""));
    }
    EXPECT_TRUE(frame->Dialogs.Errors().isEmpty());
    GenerateConfigFile(frame->Dir.File("default.cor"));
    EXPECT_EQ(ReadConfigFile(frame->Dir.File("default.cor")).at(0).SubpixelRefinement, 0);
}

} // namespace
