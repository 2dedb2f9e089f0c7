// What the status window offers after a job ends, and the wizard's refinement and minimum.
#include <QtWidgets>

#include <latch>

#include <gtest/gtest.h>

#include "app/ToolWindows.h"
#include "correlation/CorRelationConfig.h"
#include "correlation/CorRelationOptions.h"
#include "correlation/ui/TCorRelationCommands.h"
#include "correlation/ui/TCorRelationParaSelectorForm.h"
#include "correlation/ui/TCorRelationStatusForm.h"
#include "support/SpeckleImages.h"
#include "support/ui/TestMainForm.h"

using namespace corvane;
using namespace corvane::ui;
using namespace corvane::test;

namespace {

class CorRelationJobResults : public FrameTest {
  protected:
    void SetUp() override {
        CreateToolWindows(*frame->Form);
        commands = frame->Form->findChild<TCorRelationCommands*>();
        QObject::connect(commands, &TCorRelationCommands::JobEnded, commands, [this] { ++ended; });
    }
    void WaitForEnds(int count) {
        for (const QDeadlineTimer end(120000); ended < count && !end.hasExpired(); QThread::msleep(2))
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    TCorRelationCommands* commands = nullptr;
    int ended = 0;
};

// A refined run lists its correlation map and four gradient maps, and Open Results opens all seven
// maps. A job cancelled afterwards says so in its slot, and Open Results forgets the earlier files.
TEST_F(CorRelationJobResults, OpenResultsOpensEveryMapOfARefinedRunAndNothingAfterACancelledJob) {
    const SpecklePair pair = MakeSpecklePair({.Width = 120, .Height = 100, .ShiftX = 1.5, .ShiftY = 0.5});
    SaveGreyBmp(frame->Dir.File("test0.bmp"), 120, 100, pair.Initial);
    SaveGreyBmp(frame->Dir.File("test2.bmp"), 120, 100, pair.Deformed);
    GenerateConfigFile(frame->Dir.File("run.cor"));
    TCorRelationPara p = ReadConfigFile(frame->Dir.File("run.cor")).at(0);
    p.OutputBin = 1, p.SubpixelRefinement = 1, p.BinXFile = frame->Dir.File("dx.flt");
    p.BinYFile = frame->Dir.File("dy_bin.flt");
    TCorRelationStatusForm& status = commands->StatusForm();
    commands->StartGroupJob(p);
    WaitForEnds(1);
    for (const char* name : {"dx.flt", "dx_zncc.flt", "dx_dudx.flt", "dx_dudy.flt", "dy_bin_dvdx.flt"})
        EXPECT_TRUE(status.ResultsLabel->text().contains(name)) << name;
    const int before = frame->Form->MDIChildCount();
    status.OpenResultsButton->click();
    EXPECT_EQ(frame->Form->MDIChildCount(), before + 7);

    auto gate = std::make_shared<std::latch>(1);
    const int slot = commands->StartWorkJob([gate] { gate->wait(), throw CorRelationCancelled(); });
    gate->count_down();
    WaitForEnds(2);
    EXPECT_EQ(status.ComputeThreadsStringGrid->item(slot - 1, 3)->text(), "cancelled");
    EXPECT_TRUE(status.ResultsLabel->text().startsWith(QStringLiteral("Job %1 was cancelled").arg(slot)));
    EXPECT_FALSE(status.OpenResultsButton->isEnabled());
}

// A new group is refined and, its grid being above 1, computes only the grid; the box follows the
// interval until the user sets it. Optional lines are written only when on, the minimum last; fast
// compute has no whole-field search to refine, so the refinement box goes with the search page.
TEST_F(CorRelationJobResults, TheWizardsOptionalBoxesAndTheirSavedLines) {
    frame->Trigger("CorRelationAction");
    TCorRelationParaSelectorForm& w = *commands->Wizard();
    const auto save = [&](const char* name) {
        frame->Dialogs.QueueFile(frame->File(name));
        w.SaveParaTo1->trigger();
        return ReadFileBytes(frame->Dir.File(name));
    };
    EXPECT_EQ(w.FillGroup().SubpixelRefinement, 1);
    w.MinCorrelationEdit->setText("0.85");
    const std::string saved = save("saved.cor");
    EXPECT_EQ(saved.substr(saved.find("Subpixel")), "Subpixel Refinement(0=none, 1=gauss-newton) =1\n"
                                                    "Compute Only Output Grid(0=no, 1=yes) =1\n"
                                                    "Minimum Correlation(0=keep every point) =0.85\n");
    w.MinCorrelationEdit->setText("0");
    w.SubpixelRefinementCheck->setChecked(false);
    w.IntervalxEdit->setText("1");
    w.IntervalyEdit->setText("1");
    EXPECT_EQ(w.FillGroup().GridOnly, 0);
    EXPECT_EQ(save("plain.cor").find("Subpixel"), std::string::npos);
    w.IntervalxEdit->setText("2");
    EXPECT_EQ(w.FillGroup().GridOnly, 1);
    w.GridOnlyCheckBox->click(); // the user's choice stays
    w.IntervalxEdit->setText("8");
    EXPECT_EQ(w.FillGroup().GridOnly, 0);
    ASSERT_TRUE(frame->Dialogs.Errors().isEmpty()) << frame->Dialogs.Errors().join("; ").toStdString();
    w.FastComputeCheckBox->setChecked(true);
    for (int i = 0; i < 3; ++i)
        w.NextButton->click();
    EXPECT_EQ(w.CurrentPageName(), "SearchInfo");
    EXPECT_FALSE(w.SubpixelRefinementCheck->isVisible());
}

} // namespace
