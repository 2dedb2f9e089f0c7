// Correlation jobs and their status window (the ten slots, the overload refusal, the job-end beep
// and error, the frame's commands, exit with jobs running) and the parameter wizard (defaults,
// pages, fast-compute and output rules, mouse pickers, role windows, numbers that are not
// numbers, and one run submitted from it and run again from the file it saved).
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableWidget>
#include <QThread>
#include <QTime>
#include <QTimer>
#include <QToolButton>

#include <array>
#include <chrono>
#include <filesystem>
#include <functional>
#include <latch>
#include <stdexcept>

#include <gtest/gtest.h>

#include "correlation/ui/TCorRelationCommands.h"
#include "correlation/ui/TCorRelationParaSelectorForm.h"
#include "correlation/ui/TCorRelationStatusForm.h"
#include "image/CorvaneError.h"
#include "shell/TMDIChildForm.h"
#include "shell/TMainForm.h"
#include "support/SpeckleImages.h"
#include "support/TestSupport.h"
#include "support/ui/DocumentMouse.h"
#include "support/ui/TestMainForm.h"

using namespace corvane;
using namespace corvane::ui;
using namespace corvane::test;

namespace {

const QString kOverload = QStringLiteral("System overload, Wait for other threads terminate");

/// Runs the event loop until cond holds or timeoutMs passed; true when cond holds.
bool WaitUntil(const std::function<bool()>& cond, int timeoutMs = 60000)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!cond()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(2);
    }
    return true;
}

QStringList Texts(std::initializer_list<const QLineEdit*> edits)
{
    QStringList texts;
    for (const QLineEdit* edit : edits)
        texts << edit->text();
    return texts;
}

/// A shown frame on scripted dialogs with the workbench's tool windows; jobs that block until the
/// test opens their gate; the ends of jobs as the frame reported them. Every gate is opened and
/// every job waited for before the frame goes.
class CorRelationJobs : public ::testing::Test {
protected:
    void SetUp() override
    {
        frame_ = MakeTestMainForm();
        CreateToolWindows(*frame_->Form);
        commands_ = frame_->Form->findChild<TCorRelationCommands*>();
        ASSERT_NE(commands_, nullptr);
        QObject::connect(commands_, &TCorRelationCommands::JobEnded, commands_, [this](int slot, const QString& e) {
            EndedSlots.push_back(slot);
            EndedErrors.push_back(e);
        });
    }
    void TearDown() override
    {
        for (const auto& gate : gates_)
            if (!gate->try_wait())
                gate->count_down();
        WaitUntil([&] { return commands_->LiveJobs() == 0; });
        frame_->Destroy();
    }

    TMainForm& Main() const { return *frame_->Form; }
    TCorRelationCommands& Commands() const { return *commands_; }
    TCorRelationStatusForm& Status() const { return commands_->StatusForm(); }
    ScriptedDialogs& Dialogs() const { return frame_->Dialogs; }
    QStringList Errors() const { return frame_->Dialogs.Errors(); }
    void QueueFile(const std::string& name) const { frame_->Dialogs.QueueFile(QString::fromStdString(name)); }
    QString Cell(int slot, int column) const
    {
        const QTableWidgetItem* item = Status().ComputeThreadsStringGrid->item(slot - 1, column);
        return item ? item->text() : QString();
    }
    /// Starts a job that blocks until Release(n) for the n-th such job (from 0); returns its slot.
    int StartBlocked()
    {
        auto gate = std::make_shared<std::latch>(1);
        gates_.push_back(gate);
        return commands_->StartWorkJob([gate] { gate->wait(); });
    }
    void Release(std::size_t n) { gates_.at(n)->count_down(); }
    /// Waits until count jobs have ended in all.
    bool WaitForEnds(int count, int timeoutMs = 60000)
    {
        return WaitUntil([&] { return static_cast<int>(EndedSlots.size()) >= count; }, timeoutMs);
    }

    std::vector<int> EndedSlots;
    QStringList EndedErrors;

private:
    std::unique_ptr<TestMainForm> frame_;
    TCorRelationCommands* commands_ = nullptr;
    std::vector<std::shared_ptr<std::latch>> gates_;
};

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
    // The same refusal through "Config File..." and through the wizard's Submit, which stays
    // open on its last page.
    const TempDir dir;
    WriteFileBytes(dir.File("any.cor"), "HowManyGroup =0\n");
    QueueFile(dir.File("any.cor"));
    Main().Action("ConfigFileAction")->trigger();
    Main().Action("CorRelationAction")->trigger();
    TCorRelationParaSelectorForm& wizard = *Commands().Wizard();
    for (int i = 0; i < 6; ++i)
        wizard.NextButton->click();
    EXPECT_EQ(Errors(), QStringList({kOverload, kOverload}));
    EXPECT_TRUE(wizard.isVisible());
    EXPECT_EQ(wizard.NextButton->text(), "Submit");

    // Jobs 4 and 7 end; the next starts take 4, then 7.
    Release(6);
    Release(3);
    ASSERT_TRUE(WaitForEnds(2));
    EXPECT_EQ(StartBlocked(), 4);
    EXPECT_EQ(StartBlocked(), 7);
}

TEST_F(CorRelationJobs, SlotThreeShowsItsTimesAndGoesIdleWithABeepWhileTheWindowPausesWhenHidden)
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
    EXPECT_EQ(QStringList({DurationText(3725), DurationText(90061)}), QStringList({"01:02:05", "25:01:01"}));

    // The one-second timer refreshes the running time while the user-interface thread stays free.
    ASSERT_TRUE(WaitUntil([&] { return Cell(3, 1) != "00:00:00"; }, 10000));
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^00:00:0[1-9]$")).match(Cell(3, 1)).hasMatch())
        << Cell(3, 1).toStdString();
    EXPECT_EQ(Status().RunningJobsLabel->text(), "3");
    EXPECT_TRUE(Status().AnimationPlaying());

    // The status command hides the window, which pauses the animation and the timer, and shows
    // it again, which resumes both; its caption tells what the next use does.
    QAction* action = Main().Action("CorRelationStatusAction");
    action->trigger();
    EXPECT_EQ(action->text(), "Show Status");
    EXPECT_FALSE(Status().isVisible() || Status().AnimationPlaying() || Status().ThreadsMangerTimer->isActive());
    action->trigger();
    EXPECT_EQ(action->text(), "Hide Status");
    EXPECT_TRUE(Status().isVisible() && Status().AnimationPlaying() && Status().ThreadsMangerTimer->isActive());

    Release(2);
    ASSERT_TRUE(WaitForEnds(1));
    EXPECT_EQ(EndedSlots.front(), 3);
    EXPECT_EQ(QStringList({Cell(3, 1), Cell(3, 2)}), QStringList({"idle", "idle"}));
    EXPECT_EQ(Dialogs().Count(ScriptedDialogs::Kind::Beep), 1);
    EXPECT_TRUE(Errors().isEmpty());
    EXPECT_TRUE(Status().SlotBusy(1) && Status().SlotBusy(2));
    Release(0);
    Release(1);
    ASSERT_TRUE(WaitForEnds(3));
    Status().ThreadsMangerTimerTimer();
    EXPECT_FALSE(Status().AnimationPlaying());
    EXPECT_EQ(Status().RunningJobsLabel->text(), "0");
}

TEST_F(CorRelationJobs, AJobThatFailsShowsItsErrorAndFreesItsSlot)
{
    Commands().StartWorkJob([] { throw CorvaneError("Check your computing parameters, then start again"); });
    Commands().StartWorkJob([] { throw std::runtime_error("disk full"); });
    ASSERT_TRUE(WaitForEnds(2));
    EXPECT_EQ(Dialogs().Count(ScriptedDialogs::Kind::Beep), 2);
    EXPECT_EQ(Status().FindFreeSlot(), 1);
    EXPECT_TRUE(Errors().contains("Check your computing parameters, then start again") && Errors().contains("disk full"));

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

TEST_F(CorRelationJobs, GenerateModalFileWritesTheDefaultConfiguration)
{
    const TempDir dir;
    QueueFile(dir.File("modal.cor"));
    Main().Action("GenerateModalFileAction")->trigger();
    ASSERT_EQ(Dialogs().Count(ScriptedDialogs::Kind::OpenFile), 1);
    EXPECT_EQ(Dialogs().FileRequests().back().Title, "Generate a modal file used by CorRelation");
    const std::string text = ReadFileBytes(dir.File("modal.cor"));
    EXPECT_EQ(text.rfind("HowManyGroup =1\nFastCompute(0=no, 1=yes) =0\n", 0), 0u) << text;
}

TEST_F(CorRelationJobs, ExitWithJobsRunningSaysTheProgramWaitsForThem)
{
    Dialogs().QueueYesNo(false);
    Main().close(); // nothing running: only the exit question
    StartBlocked();
    StartBlocked();
    Dialogs().QueueYesNo(false);
    Main().close();
    EXPECT_TRUE(Main().isVisible());
    ASSERT_EQ(Dialogs().Log.size(), 3u);
    EXPECT_EQ(Dialogs().Log[1].What, ScriptedDialogs::Kind::Information);
    EXPECT_EQ(Dialogs().Log[1].Text,
              "2 correlation job(s) still running: after Exit the program ends only when they have finished.");
    EXPECT_EQ(Dialogs().Log[2].What, ScriptedDialogs::Kind::WarningYesNo);
}

class CorRelationWizard : public CorRelationJobs {
protected:
    void SetUp() override
    {
        CorRelationJobs::SetUp();
        Main().Action("CorRelationAction")->trigger();
        wizard_ = Commands().Wizard();
        ASSERT_NE(wizard_, nullptr);
    }
    TCorRelationParaSelectorForm& W() { return *wizard_; }
    void GoToPage(const QString& name)
    {
        for (int i = 0; i < 6 && W().CurrentPageName() != name; ++i)
            W().NextButton->click();
        ASSERT_EQ(W().CurrentPageName(), name);
    }
    TMDIChildForm* Window(const QString& caption) const
    {
        const int index = Main().FindMDIChild(caption);
        return index < 0 ? nullptr : Main().MDIChild(index);
    }
    void OpenPicture(QToolButton* button, const std::string& file)
    {
        QueueFile(file);
        button->click();
    }
    /// A flat grey picture of the given size, saved as BMP.
    static void WriteFlatBmp(const std::string& file, int width, int height)
    {
        SaveGreyBmp(file, width, height, std::vector<std::uint8_t>(std::size_t(width) * height, 200));
    }

    TCorRelationParaSelectorForm* wizard_ = nullptr;
};

TEST_F(CorRelationWizard, PagesWalkBothWaysAndEachNewWizardFillsTheDefaultGroup)
{
    EXPECT_TRUE(W().isVisible() && Status().isVisible());
    const QStringList pages{"InputFiles", "OutputFiles", "SeedInfo", "SearchInfo", "ComputeDomain", "OutputControl"};
    EXPECT_FALSE(W().PreviousButton->isEnabled());
    for (int i = 1; i < pages.size(); ++i) {
        W().NextButton->click();
        EXPECT_EQ(W().CurrentPageName(), pages[i]);
        EXPECT_TRUE(W().PreviousButton->isEnabled());
        EXPECT_EQ(W().NextButton->text(), i == 5 ? "Submit" : "Next >>");
    }
    for (int i = 4; i >= 0; --i)
        W().PreviousButton->click();
    EXPECT_EQ(W().CurrentPageName(), "InputFiles");
    EXPECT_FALSE(W().PreviousButton->isEnabled());
    EXPECT_EQ(W().NextButton->text(), "Next >>");

    // A new "CorRelation" command gives a fresh wizard on its first page with the defaults.
    W().SeedxEdit->setText("9");
    GoToPage("SearchInfo");
    Main().Action("CorRelationAction")->trigger();
    wizard_ = Commands().Wizard();
    EXPECT_EQ(W().CurrentPageName(), "InputFiles");
    const TCorRelationPara p = W().FillGroup();
    const std::string dir = QDir::currentPath().toStdString() + "/";
    EXPECT_EQ((std::array{p.MaskFile, p.BinYFile, p.InfoFile}),
              (std::array{dir + "none", dir + "dy_bin.flt", dir + "Info.inf"}));
    EXPECT_EQ((std::array{p.OutputGray, p.OutputBin, p.ChangeYaxis, p.FastCompute}), (std::array{0, 1, 1, 0}));
    // Window moving range = searching field + searching window.
    EXPECT_EQ((std::array{p.WinMoveX, p.SearchWinY, p.LargeWinY, p.SeedNumX, p.Right, p.GridY, p.FilterType}),
              (std::array{33, 13, 15, 2, 70, 5, 2}));
    EXPECT_FLOAT_EQ(p.SeedPrecision, 0.1f);
    EXPECT_FLOAT_EQ(p.AverageThreshold, 0.5f);
}

TEST_F(CorRelationWizard, FastComputeAndOutputBoxesDecideWhatIsShownAndSaid)
{
    const auto captions = [this] {
        return QStringList{W().SeedInfoGroupBox->title(), W().SeedNumLabel->text(), W().LargeWinSizeLabel->text(),
                           W().SeedFineLabel->text()};
    };
    EXPECT_TRUE(W().DxGrayEdit->isHidden());
    EXPECT_FALSE(W().DxBinEdit->isHidden());
    W().OutputGrayCheckBox->setChecked(true);
    W().OutputBinFloatCheckBox->setChecked(false);
    EXPECT_FALSE(W().DyGrayLabel->isHidden());
    EXPECT_TRUE(W().DyBinEdit->isHidden() && W().SkipPageLabel->isHidden());

    W().FastComputeCheckBox->setChecked(true);
    EXPECT_TRUE(W().OutputGrayCheckBox->isHidden() && W().DxGrayEdit->isHidden());
    EXPECT_EQ(captions(), QStringList({" Fast Computing Info", "How many points to get", "Fast Computing Window Size",
                                       "Fast Computing precision"}));
    EXPECT_TRUE(W().SearchInfoGroupBox->isHidden());
    EXPECT_FALSE(W().SkipPageLabel->isHidden());
    EXPECT_TRUE(W().FilterTypeComboBox->isHidden() && W().IntervalxEdit->isHidden());

    // Back to normal: each output's file edits follow their own box again.
    W().FastComputeCheckBox->setChecked(false);
    EXPECT_FALSE(W().DxGrayEdit->isHidden());
    EXPECT_TRUE(W().DxBinEdit->isHidden());
    EXPECT_EQ(captions(), QStringList({"Seed Info", "How many seed included", "Seed Searching Window Size",
                                       "Seed Searching Precision"}));
    EXPECT_FALSE(W().SearchInfoGroupBox->isHidden() || W().AverageThresholdEdit->isHidden());
}

TEST_F(CorRelationWizard, MousePickersTakeTheDraggedRectangleOnTheirPage)
{
    const TempDir dir;
    WriteFlatBmp(dir.File("plate.bmp"), 160, 140);
    Main().CreateMDIChild(QString::fromStdString(dir.File("plate.bmp")));
    TMDIChildForm* child = Main().MDIChild(0);
    ASSERT_NE(child, nullptr);
    const auto drag = [child](QPoint from, QPoint to) { DragOnPicture(*child, from, to); };

    GoToPage("ComputeDomain");
    drag({1, 2}, {3, 4}); // picker off: nothing changes
    EXPECT_EQ(W().LeftEdit->text(), "30");
    W().ComputeDomainMousePickerCheckBox->setChecked(true);
    drag({100, 80}, {40, 120});
    EXPECT_EQ(Texts({W().LeftEdit, W().RightEdit, W().TopEdit, W().BottomEdit, W().WidthEdit, W().HeightEdit}),
              QStringList({"40", "100", "80", "120", "61", "41"}));

    W().PreviousButton->click(); // "SearchInfo"
    W().SearchFieldMousePickerCheckBox->setChecked(true);
    drag({10, 10}, {34, 16});
    EXPECT_EQ(Texts({W().SearchFieldxEdit, W().SearchFieldyEdit}), QStringList({"24", "6"}));
    W().SearchWinMousePickerCheckBox->setChecked(true);
    EXPECT_FALSE(W().SearchFieldMousePickerCheckBox->isChecked());
    drag({50, 50}, {39, 61});
    EXPECT_EQ(Texts({W().WinSizexEdit, W().WinSizeyEdit, W().SearchFieldxEdit}), QStringList({"11", "11", "24"}));
    W().SearchFieldMousePickerCheckBox->setChecked(true);
    EXPECT_FALSE(W().SearchWinMousePickerCheckBox->isChecked());

    W().PreviousButton->click(); // "SeedInfo"
    W().MousePickerCheckBox->setChecked(true);
    drag({20, 30}, {41, 47});
    EXPECT_EQ(Texts({W().LargeWinSizexEdit, W().LargeWinSizeyEdit, W().LeftEdit}), QStringList({"21", "17", "40"}));
}

TEST_F(CorRelationWizard, InitialPictureSetsTheDomainAndRoleWindowsCloseWithTheWizard)
{
    const TempDir dir;
    WriteFlatBmp(dir.File("initial.bmp"), 640, 480);
    WriteFlatBmp(dir.File("deformed.bmp"), 640, 480);
    OpenPicture(W().InitialSpeedButton, dir.File("initial.bmp"));
    ASSERT_TRUE(Errors().isEmpty()) << Errors().join("; ").toStdString();
    EXPECT_EQ(W().InitialEdit->text(), "initial.bmp");
    EXPECT_EQ(std::filesystem::path(W().WorkingDirLabel->text().toStdString()), dir.Path());
    EXPECT_EQ(Texts({W().LeftEdit, W().TopEdit, W().RightEdit, W().BottomEdit, W().WidthEdit, W().HeightEdit}),
              QStringList({"30", "30", "610", "450", "581", "421"}));
    ASSERT_NE(Window("CorRelation:Initial"), nullptr);
    EXPECT_EQ(Window("CorRelation:Initial")->Bitmap().width(), 640);

    // The deformed picture and the mask leave the domain alone.
    W().RightEdit->setText("300");
    OpenPicture(W().DeformedSpeedButton, dir.File("deformed.bmp"));
    OpenPicture(W().MaskSpeedButton, dir.File("deformed.bmp"));
    EXPECT_EQ(Texts({W().DeformedEdit, W().RightEdit}), QStringList({"deformed.bmp", "300"}));
    EXPECT_TRUE(Window("CorRelation:Deformed") && Window("CorRelation:Mask"));

    // A picture that cannot be read: the error, the name kept in the edit, no new window.
    WriteFileBytes(dir.File("broken.bmp"), "BM");
    const int windows = Main().MDIChildCount();
    OpenPicture(W().MaskSpeedButton, dir.File("broken.bmp"));
    EXPECT_EQ(Errors().size(), 1);
    EXPECT_EQ(W().MaskEdit->text(), "broken.bmp");
    EXPECT_EQ(Main().MDIChildCount(), windows);

    W().CloseButton->click();
    EXPECT_FALSE(W().isVisible());
    EXPECT_TRUE(WaitUntil(
        [&] {
            return !Window("CorRelation:Initial") && !Window("CorRelation:Deformed") && !Window("CorRelation:Mask");
        },
        5000));
}

TEST_F(CorRelationWizard, TextThatIsNotANumberSubmitsAndSavesNothing)
{
    const TempDir dir;
    W().SeedxEdit->setText("abc");
    GoToPage("OutputControl");
    W().NextButton->click();
    EXPECT_EQ(Errors(), QStringList{"'abc' is not a valid integer value"});
    EXPECT_EQ(Commands().LiveJobs(), 0);
    EXPECT_TRUE(W().isVisible());

    // A comma is no decimal point, whatever the user's locale says.
    W().SeedxEdit->setText("2");
    W().ScalexEdit->setText("0,5");
    QueueFile(dir.File("para.cor"));
    W().SaveParaTo1->trigger();
    EXPECT_EQ(Errors().back(), "'0,5' is not a valid floating point value");
    EXPECT_FALSE(std::filesystem::exists(dir.File("para.cor")));

    W().ScalexEdit->setText("0.5");
    for (const char* bad : {"", "1e3", "99999999999"}) {
        W().LeftEdit->setText(bad);
        EXPECT_THROW(W().FillGroup(), CorvaneError) << bad;
    }
    W().LeftEdit->setText("12");
    W().AverageThresholdEdit->setText("nan");
    EXPECT_THROW(W().FillGroup(), CorvaneError);
}

TEST_F(CorRelationWizard, SubmittedAndSavedRunsWriteTheSameResults)
{
    const TempDir dir;
    SpeckleOptions options;
    options.Width = options.Height = 100;
    options.ShiftX = 2.0;
    options.ShiftY = -1.0;
    const SpecklePair pair = MakeSpecklePair(options);
    SaveGreyBmp(dir.File("before.bmp"), pair.Width, pair.Height, pair.Initial);
    SaveGreyBmp(dir.File("after.bmp"), pair.Width, pair.Height, pair.Deformed);
    OpenPicture(W().InitialSpeedButton, dir.File("before.bmp"));
    OpenPicture(W().DeformedSpeedButton, dir.File("after.bmp"));
    W().ChangeYaxisCheckBox->setChecked(false);
    QueueFile(dir.File("run.cor"));
    W().SaveParaTo1->trigger();
    ASSERT_TRUE(Errors().isEmpty()) << Errors().join("; ").toStdString();

    // The saved file holds bare names, which the reader resolves against the file's folder.
    const std::string saved = ReadFileBytes(dir.File("run.cor"));
    EXPECT_NE(saved.find("Initial File =before.bmp\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find("Mask Special Area File =none\n"), std::string::npos);
    EXPECT_EQ(saved.find(dir.Path().string()), std::string::npos);

    GoToPage("OutputControl");
    W().NextButton->click();
    EXPECT_FALSE(W().isVisible());
    EXPECT_EQ(Status().BusyCount(), 1);
    // The job runs its own copy of the group: a new wizard replacing this one changes nothing.
    Main().Action("CorRelationAction")->trigger();
    ASSERT_TRUE(WaitForEnds(1, 120000));
    ASSERT_EQ(EndedErrors.front(), "");
    const std::string submitted = ReadFileBytes(dir.File("xy.dat"));
    const std::string submittedTheta = ReadFileBytes(dir.File("ThetaR.dat"));
    const auto count = [&submitted](const std::string& what) {
        std::size_t n = 0;
        for (auto at = submitted.find(what); at != std::string::npos; at = submitted.find(what, at + 1))
            ++n;
        return n;
    };
    // Nine records in ten or more carry the pictures' shift of (2, -1) pixels.
    EXPECT_GT(count("   2.000  -1.000 \n") * 10, count("\n") * 9) << submitted;
    EXPECT_NE(ReadFileBytes(dir.File("Info.inf")).find("The average seed displacement is ( 2.000 , -1.000 )"),
              std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(dir.File("dx_bin.flt")));

    std::filesystem::remove(dir.File("xy.dat"));
    std::filesystem::remove(dir.File("ThetaR.dat"));
    QueueFile(dir.File("run.cor"));
    Main().Action("ConfigFileAction")->trigger();
    ASSERT_TRUE(WaitForEnds(2, 120000));
    EXPECT_EQ(EndedErrors.back(), "");
    EXPECT_EQ(ReadFileBytes(dir.File("xy.dat")), submitted);
    EXPECT_EQ(ReadFileBytes(dir.File("ThetaR.dat")), submittedTheta);
}

} // namespace
