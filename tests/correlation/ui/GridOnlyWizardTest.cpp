// The wizard's "Compute only the grid points" box: checked for a new group whose grid is above 1,
// following the interval until the user sets it, and saved as the group's line.
#include <QtWidgets>

#include <gtest/gtest.h>

#include "app/ToolWindows.h"
#include "correlation/ui/TCorRelationCommands.h"
#include "correlation/ui/TCorRelationParaSelectorForm.h"
#include "support/ui/TestMainForm.h"

using namespace corvane;
using namespace corvane::ui;
using namespace corvane::test;

namespace {

class GridOnlyWizard : public FrameTest {};

TEST_F(GridOnlyWizard, TheBoxFollowsTheIntervalUntilTheUserSetsIt) {
    CreateToolWindows(*frame->Form);
    frame->Trigger("CorRelationAction");
    TCorRelationParaSelectorForm& w = *frame->Form->findChild<TCorRelationCommands*>()->Wizard();
    ASSERT_EQ(w.findChild<QCheckBox*>("GridOnlyCheckBox"), w.GridOnlyCheckBox);
    EXPECT_EQ(w.FillGroup().GridOnly, 1); // the default interval is 5 x 5
    w.IntervalxEdit->setText("1");
    w.IntervalyEdit->setText("1");
    EXPECT_EQ(w.FillGroup().GridOnly, 0);
    w.IntervalxEdit->setText("2");
    EXPECT_EQ(w.FillGroup().GridOnly, 1);
    w.GridOnlyCheckBox->click(); // the user's choice stays
    w.IntervalxEdit->setText("8");
    EXPECT_EQ(w.FillGroup().GridOnly, 0);
    frame->Destroy();
}

} // namespace
