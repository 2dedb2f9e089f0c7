// The correlation wizard checks a group before it becomes a job, takes a typed picture name as a
// chosen one.
#include <QtWidgets>

#include <gmock/gmock.h>

#include "app/ToolWindows.h"
#include "correlation/TCorRelationPara.h"
#include "correlation/ui/TCorRelationCommands.h"
#include "correlation/ui/TCorRelationParaSelectorForm.h"
#include "support/SpeckleImages.h"
#include "support/ui/TestMainForm.h"

using namespace corvane;
using namespace corvane::ui;
using namespace corvane::test;

namespace {

class WizardCheck : public FrameTest {
  protected:
    void SetUp() override {
        CreateToolWindows(*frame->Form);
        commands = frame->Form->findChild<TCorRelationCommands*>();
        ASSERT_NE(commands, nullptr);
        // A speckle pair of 120 x 90 shifted by (2, -1).
        const SpecklePair pair = MakeSpecklePair({.Width = 120, .Height = 90, .ShiftX = 2.0, .ShiftY = -1.0});
        SaveGreyBmp(frame->Dir.File("before.bmp"), pair.Width, pair.Height, pair.Initial);
        SaveGreyBmp(frame->Dir.File("after.bmp"), pair.Width, pair.Height, pair.Deformed);
        frame->Trigger("CorRelationAction");
    }
    void TearDown() override {
        for (const QDeadlineTimer end(120000); commands->LiveJobs() > 0 && !end.hasExpired();)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        frame->Destroy();
    }
    TCorRelationParaSelectorForm& W() const { return *commands->Wizard(); }
    void Submit() {
        for (int i = 0; i < 6 && W().NextButton->text() != "Submit"; ++i)
            W().NextButton->click();
        W().NextButton->click();
    }
    /// Types a name into an edit and leaves it, as the user does.
    static void Type(QLineEdit* edit, const QString& text) {
        edit->setText(text);
        emit edit->editingFinished();
    }
    TCorRelationCommands* commands = nullptr;
};

TEST_F(WizardCheck, ATypedInitialNameSetsTheDomainAndWidthHeightFollowTheCorners) {
    W().WorkingDirLabel->setText(QString::fromStdString(frame->Dir.Path().string()));
    Type(W().InitialEdit, "before.bmp");
    EXPECT_EQ(QStringList({W().RightEdit->text(), W().BottomEdit->text(), W().WidthEdit->text()}),
              QStringList({"90", "60", "61"}));
    EXPECT_GE(frame->Form->FindMDIChild("CorRelation:Initial"), 0);
    // A name that names no picture changes nothing, and says nothing while the user types.
    Type(W().InitialEdit, "befor");
    EXPECT_EQ(W().RightEdit->text(), "90");
    EXPECT_TRUE(frame->Dialogs.Errors().isEmpty());

    W().LeftEdit->setText("20");
    W().BottomEdit->setText("45");
    EXPECT_EQ(QStringList({W().WidthEdit->text(), W().HeightEdit->text()}), QStringList({"71", "16"}));
}

TEST_F(WizardCheck, ABadFieldKeepsTheWizardOpenOnItsPageAndTheMessageNamesIt) {
    W().WorkingDirLabel->setText(QString::fromStdString(frame->Dir.Path().string()));
    Type(W().InitialEdit, "before.bmp");
    Type(W().DeformedEdit, "after.bmp");
    W().RightEdit->setText("150"); // the picture is 120 wide
    W().SeedxEdit->setText("5");
    Submit();
    ASSERT_EQ(frame->Dialogs.Errors().size(), 1);
    const QString error = frame->Dialogs.Errors()[0];
    EXPECT_TRUE(error.startsWith(QString::fromLatin1(kCheckParameters))) << error.toStdString();
    EXPECT_THAT(error.toStdString(), testing::HasSubstr("Right"));
    EXPECT_TRUE(W().isVisible());
    EXPECT_EQ(W().CurrentPageName(), "ComputeDomain");
    EXPECT_EQ(W().focusWidget(), W().RightEdit);
    EXPECT_EQ(W().SeedxEdit->text(), "5"); // nothing was lost
    EXPECT_EQ(commands->LiveJobs(), 0);

    // A seed count of 0 sends the user to the seed page; text that is no number names its field too.
    W().RightEdit->setText("89");
    W().SeedyEdit->setText("0");
    Submit();
    EXPECT_EQ(W().CurrentPageName(), "SeedInfo");
    EXPECT_EQ(W().focusWidget(), W().SeedyEdit);
    W().SeedyEdit->setText("2");
    W().IntervalxEdit->setText("abc");
    Submit();
    EXPECT_EQ(W().CurrentPageName(), "OutputControl");
    EXPECT_THAT(frame->Dialogs.Errors().back().toStdString(), testing::StartsWith("Output Interval"));

    // A missing deformed picture is found before the job too.
    W().IntervalxEdit->setText("5");
    Type(W().DeformedEdit, "gone.bmp");
    Submit();
    EXPECT_EQ(W().CurrentPageName(), "InputFiles");
    EXPECT_EQ(commands->LiveJobs(), 0);
    EXPECT_EQ(frame->Dialogs.Errors().size(), 4);
}

} // namespace
