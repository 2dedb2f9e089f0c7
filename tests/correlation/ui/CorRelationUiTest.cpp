// The correlation windows driven as a user would. Correlation jobs and their status window (the ten
// slots, the overload refusal, the job-end beep and error, the frame's commands, exit with jobs
// running, what a finished job offers) and the parameter wizard (defaults, pages, fast-compute and
// output rules, mouse pickers, role windows, typed names, the checks before a job, the optional
// lines, and one run submitted from it and run again from the file it saved). The windows that work
// on the results: "Compute Strain" (fields and masks, derivatives, a strain window and the tensor,
// saves compared with `corvane-cli strain`, File > Export Map... and Colour Map), "Sample X/Y
// displacement" (header scales, the tables compared with `corvane-cli sample`), "Compute Scale" and
// "Material Parameters" (a dragged length, the scale kept over a restart).
#include <QtWidgets>

#include <algorithm>
#include <array>
#include <filesystem>
#include <functional>
#include <latch>
#include <stdexcept>

#include <gmock/gmock.h>

#include "app/ToolWindows.h"
#include "correlation/CorRelationConfig.h"
#include "correlation/CorRelationOptions.h"
#include "correlation/ui/TComputeScaleForm.h"
#include "correlation/ui/TComputeStrainForm.h"
#include "correlation/ui/TCorRelationCommands.h"
#include "correlation/ui/TCorRelationParaSelectorForm.h"
#include "correlation/ui/TCorRelationStatusForm.h"
#include "correlation/ui/TMergeXYForm.h"
#include "image/TFloatImage.h"
#include "image/TGrayImage.h"
#include "shell/TMDIChildForm.h"
#include "support/CliRun.h"
#include "support/ErrorText.h"
#include "support/FloatMaps.h"
#include "support/GreyPictures.h"
#include "support/SpeckleImages.h"
#include "support/ui/DocumentMouse.h"
#include "support/ui/TestMainForm.h"
#include "tools/ui/TColourMapForm.h"

namespace corvane {
namespace {

using namespace ui;
using namespace test;
using Kind = ScriptedDialogs::Kind;

const QString kOverload = QStringLiteral("System overload, Wait for other threads terminate");

/// Runs the event loop until cond holds or timeoutMs passed; true when cond holds.
bool WaitUntil(const std::function<bool()>& cond, int timeoutMs = 60000) {
    for (const QDeadlineTimer end(timeoutMs); !cond(); QThread::msleep(2)) {
        if (end.hasExpired()) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

/// The texts of the edits, joined by blanks.
template <typename... Edits> QString Texts(const Edits*... edits) {
    return QStringList{edits->text()...}.join(' ');
}

/// A shown frame on scripted dialogs with the workbench's tool windows; jobs that block until the
/// test opens their gate; the ends of jobs as the frame reported them. Every gate is opened and
/// every job waited for before the frame goes.
class CorRelationJobs : public FrameTest {
  protected:
    void SetUp() override {
        CreateToolWindows(*frame->Form);
        commands = frame->Form->findChild<TCorRelationCommands*>();
        ASSERT_NE(commands, nullptr);
        QObject::connect(commands, &TCorRelationCommands::JobEnded, commands,
                         [this](int slot, const QString& error) { Ended.emplace_back(slot, error); });
    }
    void TearDown() override {
        for (const auto& gate : gates)
            if (!gate->try_wait()) gate->count_down();
        WaitUntil([&] { return !commands || commands->LiveJobs() == 0; });
        frame->Destroy();
    }

    TMainForm& Main() const { return *frame->Form; }
    TCorRelationStatusForm& Status() const { return commands->StatusForm(); }
    TCorRelationParaSelectorForm& W() const { return *commands->Wizard(); }
    QStringList Errors() const { return frame->Dialogs.Errors(); }
    std::string File(const char* name) const { return frame->Dir.File(name); }
    void QueueFile(const char* name) const { frame->Dialogs.QueueFile(frame->File(name)); }
    /// Triggers a frame command whose file dialog is answered with this file of the test folder.
    void Run(const char* action, const char* file) { frame->TriggerWithFile(action, frame->File(file)); }
    QString Cell(int slot, int column) const {
        return Status().ComputeThreadsStringGrid->model()->index(slot - 1, column).data().toString();
    }
    /// Starts a job that blocks until Release opens the gate of the n-th such job (from 0);
    /// returns its slot.
    int StartBlocked() {
        auto gate = gates.emplace_back(std::make_shared<std::latch>(1));
        return commands->StartWorkJob([gate] { gate->wait(); });
    }
    void Release(std::initializer_list<std::size_t> jobs) {
        for (std::size_t n : jobs)
            gates.at(n)->count_down();
    }
    /// Waits until count jobs have ended in all.
    bool WaitForEnds(std::size_t count, int timeoutMs = 60000) {
        return WaitUntil([&] { return Ended.size() >= count; }, timeoutMs);
    }

    TCorRelationCommands* commands = nullptr;
    std::vector<std::shared_ptr<std::latch>> gates;
    std::vector<std::pair<int, QString>> Ended; ///< slot and error text of each job that ended
};

TEST_F(CorRelationJobs, TenRunningJobsRefuseAnEleventhAFreedSlotIsReusedAndExitWaitsForThem) {
    frame->Dialogs.QueueYesNo(false);
    Main().close(); // nothing running: only the exit question
    EXPECT_EQ(frame->Dialogs.Log.size(), 1u);
    for (int expected = 1; expected <= 10; ++expected)
        EXPECT_EQ(StartBlocked(), expected);
    EXPECT_EQ(ErrorText([&] { StartBlocked(); }), kOverload.toStdString());
    // The same refusal through "Config File..." and through the wizard's Submit, which stays
    // open on its last page.
    WriteFileBytes(File("any.cor"), "HowManyGroup =0\n");
    Run("ConfigFileAction", "any.cor");
    frame->Trigger("CorRelationAction");
    SaveGreyBmp(File("flat.bmp"), 100, 100, std::vector<std::uint8_t>(100 * 100, 200));
    W().WorkingDirLabel->setText(frame->File(""));
    W().InitialEdit->setText("flat.bmp");
    W().DeformedEdit->setText("flat.bmp");
    for (int i = 0; i < 6; ++i)
        W().NextButton->click();
    EXPECT_EQ(Errors(), QStringList({kOverload, kOverload}));
    EXPECT_TRUE(W().isVisible());
    EXPECT_EQ(W().NextButton->text(), "Submit");

    // Jobs 4 and 7 end; the next starts take 4, then 7.
    Release({6, 3});
    ASSERT_TRUE(WaitForEnds(2));
    EXPECT_EQ(StartBlocked(), 4);
    EXPECT_EQ(StartBlocked(), 7);

    // Exit with jobs running says the program waits for them.
    frame->Dialogs.QueueYesNo(false);
    Main().close();
    EXPECT_TRUE(Main().isVisible());
    EXPECT_EQ(frame->Dialogs.Texts(Kind::Information),
              QStringList{"10 correlation job(s) still running: after Exit the program ends only when they "
                          "have finished."});
    EXPECT_EQ(frame->Dialogs.Log.back().What, Kind::WarningYesNo);
}

TEST_F(CorRelationJobs, SlotThreeShowsItsTimesAndGoesIdleWithABeepWhileTheWindowPausesWhenHidden) {
    TCorRelationStatusForm& s = Status();
    StartBlocked();
    StartBlocked();
    s.show();
    const QTime before = QTime::currentTime();
    ASSERT_EQ(StartBlocked(), 3);
    const QTime start = QTime::fromString(Cell(3, 2), QStringLiteral("HH:mm:ss"));
    ASSERT_TRUE(start.isValid()) << Cell(3, 2).toStdString();
    EXPECT_LE(std::abs(start.secsTo(before)), 2);
    EXPECT_EQ(Cell(3, 1), "00:00:00");
    EXPECT_EQ(QStringList({DurationText(3725), DurationText(90061)}), QStringList({"01:02:05", "25:01:01"}));

    // The one-second timer refreshes the running time while the user-interface thread stays free.
    ASSERT_TRUE(WaitUntil([&] { return Cell(3, 1) != "00:00:00"; }, 10000));
    EXPECT_THAT(Cell(3, 1).toStdString(), testing::MatchesRegex("00:00:0[1-9]"));
    EXPECT_EQ(s.RunningJobsLabel->text(), "3");
    EXPECT_TRUE(s.AnimationPlaying());

    // The status command hides the window, which pauses the animation and the timer, and shows
    // it again, which resumes both; its caption tells what the next use does.
    QAction* action = Main().Action("CorRelationStatusAction");
    for (const bool shown : {false, true}) {
        action->trigger();
        EXPECT_EQ(action->text(), shown ? "Hide Status" : "Show Status");
        EXPECT_EQ(s.isVisible() + s.AnimationPlaying() + s.ThreadsMangerTimer->isActive(), shown ? 3 : 0);
    }

    Release({2});
    ASSERT_TRUE(WaitForEnds(1));
    ASSERT_EQ(Ended.size(), 1u);
    EXPECT_EQ(Ended[0].first, 3);
    EXPECT_EQ(QStringList({Cell(3, 1), Cell(3, 2)}), QStringList({"idle", "idle"}));
    ASSERT_EQ(frame->Dialogs.Log.size(), 1u); // no error
    EXPECT_EQ(frame->Dialogs.Log[0].What, Kind::Beep);
    EXPECT_TRUE(s.SlotBusy(1) && s.SlotBusy(2));
    Release({0, 1});
    ASSERT_TRUE(WaitForEnds(3));
    s.ThreadsMangerTimerTimer();
    EXPECT_EQ(s.RunningJobsLabel->text(), "0");
    EXPECT_FALSE(s.AnimationPlaying());
}

TEST_F(CorRelationJobs, AJobThatFailsShowsItsErrorAndFreesItsSlotAndTheDefaultFileIsGenerated) {
    commands->StartWorkJob([] { throw CorvaneError("Check your computing parameters, then start again"); });
    commands->StartWorkJob([] { throw std::runtime_error("disk full"); });
    ASSERT_TRUE(WaitForEnds(2));
    EXPECT_EQ(frame->Dialogs.Count(Kind::Beep), 2);
    EXPECT_THAT(Errors(), testing::UnorderedElementsAre("Check your computing parameters, then start again",
                                                        "disk full"));

    // A configuration file that cannot be read ends its job with the reader's message.
    Run("ConfigFileAction", "missing.cor");
    EXPECT_TRUE(Status().isVisible());
    ASSERT_TRUE(WaitForEnds(3));
    EXPECT_EQ(QStringList({Ended.back().second, Errors().back()}),
              QStringList(2, "Read CorRelation Config file ERROR!!!"));
    EXPECT_EQ(Status().BusyCount(), 0);
    Run("GenerateModalFileAction", "modal.cor");
    EXPECT_THAT(ReadFileBytes(File("modal.cor")),
                testing::StartsWith("HowManyGroup =1\nFastCompute(0=no, 1=yes) =0\n"));
}

// Two engine jobs on speckle pairs: the large one is cancelled from its slot once it shows
// progress; it ends within a second, writes nothing and frees its slot, while the other finishes.
TEST_F(CorRelationJobs, ACancelledJobEndsWithinASecondWritesNothingAndFreesItsSlot) {
    auto group = [&](const char* name, int w, int h) {
        const SpecklePair pair = MakeSpecklePair({.Width = w, .Height = h, .ShiftX = 1.5, .ShiftY = 0.5});
        const std::string folder = File(name);
        std::filesystem::create_directories(folder);
        SaveGreyBmp(folder + "/test0.bmp", w, h, pair.Initial);
        SaveGreyBmp(folder + "/test2.bmp", w, h, pair.Deformed);
        GenerateConfigFile(folder + "/run.cor");
        TCorRelationPara p = ReadConfigFile(folder + "/run.cor").at(0);
        p.Left = p.Up = 20, p.Right = w - 21, p.Bottom = h - 21, p.SeedNumX = p.SeedNumY = 1;
        return p;
    };
    const TCorRelationPara large = group("large", 1400, 1100), small = group("small", 160, 120);
    TCorRelationStatusForm& s = Status();
    s.show();
    ASSERT_EQ(commands->StartGroupJob(large), 1);
    ASSERT_EQ(commands->StartGroupJob(small), 2);
    EXPECT_FALSE(s.CancelButtons[2]->isEnabled()) << "an idle slot has nothing to cancel";
    ASSERT_TRUE(WaitUntil([&] { return Cell(1, 3) != "0%"; }));
    EXPECT_THAT(Cell(1, 3).toStdString(), testing::MatchesRegex("[0-9]+%"));

    QElapsedTimer clock;
    clock.start();
    s.findChild<QPushButton*>("CancelButton1")->click();
    ASSERT_TRUE(WaitUntil(
        [&] { return std::any_of(Ended.begin(), Ended.end(), [](auto& e) { return e.first == 1; }); }));
    EXPECT_LT(clock.elapsed(), 1000);
    EXPECT_EQ(Cell(1, 1), "idle");
    EXPECT_FALSE(s.SlotBusy(1));
    EXPECT_FALSE(s.CancelButtons[0]->isEnabled());
    ASSERT_TRUE(WaitForEnds(2));
    EXPECT_TRUE(Errors().isEmpty()) << Errors().join('\n').toStdString();
    // A stopped run writing nothing is the engine's rule; here the large job is the one stopped.
    EXPECT_FALSE(std::filesystem::exists(large.InfoFile));
    EXPECT_TRUE(std::filesystem::exists(small.InfoFile));
}

class CorRelationWizard : public CorRelationJobs {
  protected:
    void SetUp() override {
        CorRelationJobs::SetUp();
        frame->Trigger("CorRelationAction");
        ASSERT_NE(commands->Wizard(), nullptr);
    }
    void GoToPage(const QString& name) {
        for (int i = 0; i < 6 && W().CurrentPageName() != name; ++i)
            W().NextButton->click();
        ASSERT_EQ(W().CurrentPageName(), name);
    }
    TMDIChildForm* Window(const char* caption) const { return Main().MDIChild(Main().FindMDIChild(caption)); }
    void OpenPicture(QToolButton* button, const char* name) {
        QueueFile(name);
        button->click();
    }
    /// A flat grey picture of the given size, saved as BMP.
    void WriteFlatBmp(const char* name, int width, int height) {
        SaveGreyBmp(File(name), width, height, std::vector<std::uint8_t>(std::size_t(width) * height, 200));
    }
    /// before.bmp and after.bmp, a 120 x 90 speckle pair shifted by (2, -1), in the wizard's folder.
    void WriteShiftedPair() {
        const SpecklePair pair = MakeSpecklePair({.Width = 120, .Height = 90, .ShiftX = 2.0, .ShiftY = -1.0});
        SaveGreyBmp(File("before.bmp"), pair.Width, pair.Height, pair.Initial);
        SaveGreyBmp(File("after.bmp"), pair.Width, pair.Height, pair.Deformed);
        W().WorkingDirLabel->setText(frame->File(""));
    }
    /// Types a name into an edit and leaves it, as the user does.
    static void Type(QLineEdit* edit, const QString& text) {
        edit->setText(text);
        emit edit->editingFinished();
    }
    void Submit() {
        GoToPage("OutputControl");
        W().NextButton->click();
    }
};

TEST_F(CorRelationWizard, PagesWalkBothWaysAndEachNewWizardFillsTheDefaultGroup) {
    EXPECT_TRUE(W().isVisible());
    EXPECT_TRUE(Status().isVisible());
    // Page, whether Previous is enabled, caption of Next.
    const auto state = [this] {
        return QStringList{W().CurrentPageName(), W().PreviousButton->isEnabled() ? "back" : "",
                           W().NextButton->text()};
    };
    const QStringList first{"InputFiles", "", "Next >>"};
    EXPECT_EQ(state(), first);
    for (const QString page : {"OutputFiles", "SeedInfo", "SearchInfo", "ComputeDomain", "OutputControl"}) {
        W().NextButton->click();
        EXPECT_EQ(state(), QStringList({page, "back", page == "OutputControl" ? "Submit" : "Next >>"}));
    }
    for (int i = 0; i < 5; ++i)
        W().PreviousButton->click();
    EXPECT_EQ(state(), first);

    // A new "CorRelation" command gives a fresh wizard on its first page with the defaults.
    W().SeedxEdit->setText("9");
    GoToPage("SearchInfo");
    frame->Trigger("CorRelationAction");
    EXPECT_EQ(W().CurrentPageName(), "InputFiles");
    const TCorRelationPara p = W().FillGroup();
    const std::string dir = QDir::currentPath().toStdString() + "/";
    EXPECT_EQ((std::array{p.MaskFile, p.BinYFile, p.InfoFile}),
              (std::array{dir + "none", dir + "dy_bin.flt", dir + "Info.inf"}));
    EXPECT_EQ((std::array{p.OutputGray, p.OutputBin, p.ChangeYaxis, p.FastCompute}),
              (std::array{0, 1, 1, 0}));
    // Window moving range = searching field + searching window.
    EXPECT_EQ((std::array{p.WinMoveX, p.SearchWinY, p.LargeWinY, p.SeedNumX, p.Right, p.GridY, p.FilterType}),
              (std::array{33, 13, 15, 2, 70, 5, 2}));
    EXPECT_FLOAT_EQ(p.SeedPrecision, 0.1f);
    EXPECT_FLOAT_EQ(p.AverageThreshold, 0.5f);
}

TEST_F(CorRelationWizard, MousePickersTakeTheDraggedRectangleOnTheirPage) {
    WriteFlatBmp("plate.bmp", 160, 140);
    Main().CreateMDIChild(frame->File("plate.bmp"));
    TMDIChildForm* child = Main().MDIChild(0);
    ASSERT_NE(child, nullptr);
    const auto drag = [child](QPoint from, QPoint to) { DragOnPicture(*child, from, to); };

    GoToPage("ComputeDomain");
    drag({1, 2}, {3, 4}); // picker off: nothing changes
    EXPECT_EQ(W().LeftEdit->text(), "30");
    W().ComputeDomainMousePickerCheckBox->setChecked(true);
    drag({100, 80}, {40, 120});
    EXPECT_EQ(Texts(W().LeftEdit, W().RightEdit, W().TopEdit, W().BottomEdit, W().WidthEdit, W().HeightEdit),
              "40 100 80 120 61 41");

    W().PreviousButton->click(); // "SearchInfo"
    W().SearchFieldMousePickerCheckBox->setChecked(true);
    drag({10, 10}, {34, 16});
    EXPECT_EQ(Texts(W().SearchFieldxEdit, W().SearchFieldyEdit), "24 6");
    W().SearchWinMousePickerCheckBox->setChecked(true);
    EXPECT_FALSE(W().SearchFieldMousePickerCheckBox->isChecked());
    drag({50, 50}, {39, 61});
    EXPECT_EQ(Texts(W().WinSizexEdit, W().WinSizeyEdit, W().SearchFieldxEdit), "11 11 24");
    W().SearchFieldMousePickerCheckBox->setChecked(true);
    EXPECT_FALSE(W().SearchWinMousePickerCheckBox->isChecked());

    W().PreviousButton->click(); // "SeedInfo"
    W().MousePickerCheckBox->setChecked(true);
    drag({20, 30}, {41, 47});
    EXPECT_EQ(Texts(W().LargeWinSizexEdit, W().LargeWinSizeyEdit, W().LeftEdit), "21 17 40");
}

TEST_F(CorRelationWizard, InitialPictureSetsTheDomainAndRoleWindowsCloseWithTheWizard) {
    WriteFlatBmp("initial.bmp", 640, 480);
    WriteFlatBmp("deformed.bmp", 640, 480);
    OpenPicture(W().InitialSpeedButton, "initial.bmp");
    ASSERT_TRUE(Errors().isEmpty()) << Errors().join("; ").toStdString();
    EXPECT_EQ(std::filesystem::path(W().WorkingDirLabel->text().toStdString()), frame->Dir.Path());
    EXPECT_EQ(Texts(W().InitialEdit, W().LeftEdit, W().TopEdit, W().RightEdit, W().BottomEdit, W().WidthEdit,
                    W().HeightEdit),
              "initial.bmp 30 30 610 450 581 421");
    EXPECT_EQ(Window("CorRelation:Initial") ? Window("CorRelation:Initial")->Bitmap().width() : 0, 640);

    // A typed name counts as a chosen one; one that names no picture changes nothing, and says
    // nothing while the user types. Width and height follow the corners.
    WriteFlatBmp("small.bmp", 120, 90);
    Type(W().InitialEdit, "small.bmp");
    EXPECT_EQ(Texts(W().RightEdit, W().BottomEdit, W().WidthEdit), "90 60 61");
    EXPECT_EQ(Window("CorRelation:Initial") ? Window("CorRelation:Initial")->Bitmap().width() : 0, 120);
    Type(W().InitialEdit, "smal");
    W().LeftEdit->setText("20");
    W().BottomEdit->setText("45");
    EXPECT_EQ(Texts(W().RightEdit, W().WidthEdit, W().HeightEdit), "90 71 16");

    // The deformed picture and the mask leave the domain alone.
    W().RightEdit->setText("300");
    OpenPicture(W().DeformedSpeedButton, "deformed.bmp");
    OpenPicture(W().MaskSpeedButton, "deformed.bmp");
    EXPECT_EQ(Texts(W().DeformedEdit, W().RightEdit), "deformed.bmp 300");
    EXPECT_TRUE(Window("CorRelation:Deformed"));
    EXPECT_TRUE(Window("CorRelation:Mask"));

    // A picture that cannot be read: the error, the name kept in the edit, no new window.
    WriteFileBytes(File("broken.bmp"), "BM");
    OpenPicture(W().MaskSpeedButton, "broken.bmp");
    EXPECT_EQ(Errors().size(), 1);
    EXPECT_EQ(W().MaskEdit->text(), "broken.bmp");
    EXPECT_EQ(Main().MDIChildCount(), 3);

    W().CloseButton->click();
    EXPECT_FALSE(W().isVisible());
    EXPECT_TRUE(WaitUntil([&] { return Main().MDIChildCount() == 0; }, 5000));
}

// A new group is refined and, its grid being above 1, computes only the grid; the box follows the
// interval until the user sets it. Optional lines are written only when on, the minimum last; fast
// compute has no whole-field search to refine, so the refinement box goes with the search page. A
// field that is no number saves nothing.
TEST_F(CorRelationWizard, TheWizardsOptionalBoxesAndTheirSavedLines) {
    TCorRelationParaSelectorForm& w = W();
    const auto save = [&](const char* name) {
        QueueFile(name);
        w.SaveParaTo1->trigger();
        return ReadFileBytes(File(name));
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
    // A comma is no decimal point, whatever the user's locale says: nothing is saved.
    w.ScalexEdit->setText("0,5");
    save("comma.cor");
    EXPECT_EQ(Errors(), QStringList("Scale x: '0,5' is not a valid floating point value"));
    EXPECT_FALSE(std::filesystem::exists(File("comma.cor")));
    w.FastComputeCheckBox->setChecked(true);
    GoToPage("SearchInfo");
    EXPECT_FALSE(w.SubpixelRefinementCheck->isVisible());
}

// The wizard checks a group before it becomes a job; once right, the group is saved and run.
TEST_F(CorRelationWizard, ABadFieldKeepsTheWizardOpenOnItsPageAndTheRightGroupIsSavedAndRun) {
    WriteShiftedPair();
    Type(W().InitialEdit, "before.bmp");
    Type(W().DeformedEdit, "after.bmp");
    W().RightEdit->setText("150"); // the picture is 120 wide
    W().SeedxEdit->setText("5");
    Submit();
    ASSERT_EQ(Errors().size(), 1);
    const QString error = Errors()[0];
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
    EXPECT_THAT(Errors().back().toStdString(), testing::StartsWith("Output Interval"));

    // A missing deformed picture is found before the job too.
    W().IntervalxEdit->setText("5");
    Type(W().DeformedEdit, "gone.bmp");
    Submit();
    EXPECT_EQ(W().CurrentPageName(), "InputFiles");
    EXPECT_EQ(commands->LiveJobs(), 0);
    EXPECT_EQ(Errors().size(), 4);

    // Put right, the group is saved with bare names, which the reader resolves against the file's
    // folder, and runs.
    Type(W().DeformedEdit, "after.bmp");
    W().ChangeYaxisCheckBox->setChecked(false);
    QueueFile("run.cor");
    W().SaveParaTo1->trigger();
    ASSERT_EQ(Errors().size(), 4);

    const std::string saved = ReadFileBytes(File("run.cor"));
    EXPECT_THAT(saved, testing::HasSubstr("Initial File =before.bmp\n"));
    EXPECT_THAT(saved, testing::HasSubstr("Mask Special Area File =none\n"));
    EXPECT_EQ(saved.find(frame->Dir.Path().string()), std::string::npos);

    Submit();
    EXPECT_FALSE(W().isVisible());
    EXPECT_EQ(Status().BusyCount(), 1);
    // The job runs its own copy of the group: a new wizard replacing this one changes nothing.
    frame->Trigger("CorRelationAction");
    ASSERT_TRUE(WaitForEnds(1, 120000));
    ASSERT_EQ(Ended.front().second, "");
    EXPECT_EQ(TFloatImage(File("dx_bin.flt")).ScaleX, 5.0f) << "a new group computes only its grid";
    // A new group is refined: the job lists its correlation and gradient maps, Open Results opens all seven.
    for (const char* name : {"dx_bin.flt", "dx_bin_zncc.flt", "dx_bin_dudy.flt", "dy_bin_dvdx.flt"})
        EXPECT_TRUE(Status().ResultsLabel->text().contains(name)) << name;
    const int before = Main().MDIChildCount();
    Status().OpenResultsButton->click();
    EXPECT_EQ(Main().MDIChildCount(), before + 7);

    // A job cancelled afterwards says so in its slot, and Open Results forgets the earlier files.
    auto gate = std::make_shared<std::latch>(1);
    const int slot = commands->StartWorkJob([gate] { gate->wait(), throw CorRelationCancelled(); });
    gate->count_down();
    ASSERT_TRUE(WaitForEnds(2));
    EXPECT_EQ(Cell(slot, 3), "cancelled");
    EXPECT_TRUE(Status().ResultsLabel->text().startsWith(QStringLiteral("Job %1 was cancelled").arg(slot)));
    EXPECT_FALSE(Status().OpenResultsButton->isEnabled());
}

// The windows that work on correlation results, driven as a user would. "Compute Strain": fields and
// masks chosen through the dialogs, the derivative commands, their windows, the save menu, a strain
// window and the tensor, the files it saves compared with those of `corvane-cli strain`, File >
// Export Map... and Colour Map. "Sample X/Y displacement": header scales shown and rewritten, the
// maps shown, the tables compared with those of `corvane-cli sample`. "Compute Scale" and "Material
// Parameters": a length measured by dragging, the scale stored in the frame and kept over a restart.

constexpr float kNotComputed = 1000.0f;

class StrainTool : public ToolTest<ui::TComputeStrainForm> {
  protected:
    void SetUp() override {
        ASSERT_NE(tool, nullptr);
        frame->Trigger("StrainAction");
        ASSERT_TRUE(tool->isVisible());
    }
    void Open(QAction* open, const char* name) {
        frame->Dialogs.QueueFile(frame->File(name));
        open->trigger();
    }
    /// Saves through a "Save Strain" item; the full name of the file written.
    std::string Save(QAction* item, const char* name) {
        frame->Dialogs.QueueFile(frame->File(name));
        item->trigger();
        return Path(name);
    }
};

// A U map with a not-computed point at (12, 10): the field is chosen and shown; a bad mask value is
// refused; with a mask picture Ux leaves both the marker and the picture's black points out, shows
// them black, and is saved.
TEST_F(StrainTool, UxWithAMarkerAndAMaskPictureIsShownAndSaved) {
    MakeFloatMap(30, 20, [](int x, int y) {
        return x == 12 && y == 10 ? kNotComputed : 0.01f * x;
    })->SaveFlt(Path("u.flt"));
    MakeGreyPicture(30, 20, [](int x, int) { return x < 10 ? 0 : 255; })->SaveBmp(Path("mask.bmp"));
    Open(tool->OpenUFieldFileAction, "u.flt");
    EXPECT_EQ(tool->UFieldEdit->text(), QStringLiteral("u.flt"));
    EXPECT_EQ(tool->WorkingDirLabel->text().toStdString(), frame->Dir.Path().string());
    ASSERT_NE(frame->Window(" U Field"), nullptr);
    EXPECT_EQ(frame->Window(" U Field")->Bitmap().size(), QSize(30, 20));

    tool->MaskValueEdit->setText(QStringLiteral("abc"));
    tool->UxAction->trigger();
    EXPECT_EQ(frame->LastError(), QStringLiteral("Mask Value: 'abc' is not a valid floating point value"));
    tool->MaskValueEdit->setText(QStringLiteral("1000"));
    tool->UseMaskFileCheckBox->setChecked(true);
    Open(tool->OpenMaskFileAction, "mask.bmp");
    EXPECT_EQ(tool->MaskFileEdit->text(), QStringLiteral("mask.bmp"));
    EXPECT_NE(frame->Window(" Mask File"), nullptr);
    tool->UxAction->trigger();
    ASSERT_EQ(frame->Dialogs.Count(Kind::Error), 1);
    ASSERT_NE(frame->Window(" Ux "), nullptr);
    ASSERT_NE(frame->Window("Strain Mask"), nullptr);
    const QImage mask = frame->Window("Strain Mask")->Bitmap(), shown = frame->Window(" Ux ")->Bitmap();
    EXPECT_EQ((std::array{qGray(mask.pixel(12, 10)), qGray(mask.pixel(5, 5)), qGray(mask.pixel(13, 10)),
                          qGray(shown.pixel(12, 10))}),
              (std::array{0, 0, 255, 0}));

    const TFloatImage saved(Save(tool->SaveUxAction, "ux.flt"));
    EXPECT_EQ(saved.GetPixel(5, 5), 0.0f);
    EXPECT_NEAR(saved.GetPixel(13, 10), 0.01f, 1e-6f); // one-sided beside the marker
    EXPECT_EQ(frame->Dialogs.FileRequests().back().Title, QStringLiteral("Save To Float Strain File"));
}

// Saving what was not computed is refused before any dialog. The marker is invalid without a
// click; exx with a 5-point window is shown, tells its value under the mouse, is saved and exported
// as the verbs write it, and opens in Colour Map with one click. The shear strain of U and V, and
// the mask, are saved once both derivatives are there.
TEST_F(StrainTool, ExxWithAWindowIsShownSavedAndOpensInColourMapAndShearFollows) {
    tool->SaveVxAction->trigger();
    EXPECT_EQ(frame->LastError(), QStringLiteral("compute Vx first"));
    tool->SaveMaskAction->trigger();
    EXPECT_EQ(frame->LastError(), QStringLiteral("compute a strain first"));
    EXPECT_EQ(frame->Dialogs.Count(Kind::SaveFile), 0);
    // u = 0.02 x + 0.1 y, v = -0.01 y with the correlation's marker at (8, 6) of U.
    MakeFloatMap(24, 18, [](int x, int y) {
        return x == 8 && y == 6 ? 1000.0 : 0.02 * x + 0.1 * y;
    })->SaveFlt(Path("u.flt"));
    MakeFloatMap(24, 18, [](int, int y) { return -0.01 * y; })->SaveFlt(Path("v.flt"));
    Open(tool->OpenUFieldFileAction, "u.flt");
    Open(tool->OpenVFieldFileAction, "v.flt");
    EXPECT_EQ(tool->VFieldEdit->text(), QStringLiteral("v.flt"));
    EXPECT_NE(frame->Window(" V Field"), nullptr);
    EXPECT_TRUE(tool->MaskValueCheckBox->isChecked());
    EXPECT_TRUE(tool->StrainWindowEdit->text().isEmpty());
    tool->StrainWindowEdit->setText(QStringLiteral("5"));
    tool->ExxAction->trigger();
    ASSERT_EQ(frame->Dialogs.Count(Kind::Error), 2);
    ui::TMDIChildForm* window = frame->Window(" exx ");
    ASSERT_NE(window, nullptr);
    ASSERT_NE(window->FloatMap(), nullptr);
    window->PictureMouseMove(QPoint(3, 4));
    EXPECT_TRUE(window->HintText().startsWith(QStringLiteral("Position(3,4),value=0.0202")))
        << window->HintText().toStdString();
    window->PictureMouseMove(QPoint(8, 6));
    EXPECT_TRUE(window->HintText().endsWith(QStringLiteral("(not computed)")))
        << window->HintText().toStdString();

    frame->Dialogs.QueueFile(frame->File("exx.flt"));
    tool->SaveExxAction->trigger();
    const ProgramRun cli = Cli(
        frame->Dir, {"strain", "u.flt", "v.flt", "-o", "cli.flt", "--component", "exx", "--fit-window", "5"});
    ASSERT_EQ(cli.Status, 0) << cli.Err;
    EXPECT_EQ(ReadFileBytes(frame->Dir.File("exx.flt")), ReadFileBytes(frame->Dir.File("cli.flt")));

    // File > Export Map... refuses the mask picture (the active window) and writes what
    // `corvane-cli export` writes for the strain window.
    frame->Trigger("ExportMapAction");
    EXPECT_TRUE(frame->LastError().startsWith(QStringLiteral("Export Map saves a float map")));
    frame->Form->MdiArea()->setActiveSubWindow(window->SubWindow());
    frame->TriggerWithFile("ExportMapAction", frame->File("exx.npy"));
    ASSERT_EQ(Cli(frame->Dir, {"export", "cli.flt", "-o", "cli.npy"}).Status, 0);
    EXPECT_EQ(ReadFileBytes(frame->Dir.File("exx.npy")), ReadFileBytes(frame->Dir.File("cli.npy")));

    tool->ShowColourMapAction->trigger();
    auto* colour = frame->Form->findChild<ui::TColourMapForm*>();
    ASSERT_TRUE(colour && colour->isVisible());
    EXPECT_EQ(colour->MapFileEdit->text(), QStringLiteral(" exx "));
    EXPECT_TRUE(colour->ValueHint(3, 4).startsWith(QStringLiteral("Position(3,4),value=0.0202")));

    tool->UyAction->trigger();
    tool->VxAction->trigger();
    tool->UyVxAction->trigger();
    EXPECT_EQ(frame->Dialogs.Count(Kind::Error), 3);
    EXPECT_NE(frame->Window(" Shear Strain "), nullptr);
    EXPECT_EQ(TFloatImage(Save(tool->SaveShearStrainAction, "shear.flt")).Width, 24);
    frame->Dialogs.QueueFile(frame->File("mask"));
    tool->SaveMaskAction->trigger(); // ".bmp" follows the filter
    EXPECT_EQ(frame->Dialogs.Count(Kind::Error), 3);
    EXPECT_EQ(TGrayImage(Path("mask.bmp")).Width, 24);
}

// The "Sample X/Y displacement" window driven as a user would: U and V chosen through the dialogs,
// their header scales shown and rewritten, both maps shown, and the tables it saves compared with
// those of `corvane-cli sample`.

class SampleTool : public ToolTest<ui::TMergeXYForm> {
  protected:
    void SetUp() override {
        ASSERT_NE(tool, nullptr);
        frame->Trigger("MergeXandYDisplacementAction");
        ASSERT_TRUE(tool->isVisible());
    }
    /// u = x / 10 and v = -y / 20, with the not-computed marker at (3, 2) in U; header scales sx, sy.
    void WriteFields(int w, int h, float sx = 1.0f, float sy = 1.0f, int vWidth = 0) const {
        auto u = MakeFloatMap(w, h, [](int x, int y) { return x == 3 && y == 2 ? 1000.0 : x / 10.0; });
        auto v = MakeFloatMap(vWidth > 0 ? vWidth : w, h, [](int, int y) { return -y / 20.0; });
        for (TFloatImage* map : {u.get(), v.get()}) {
            map->ScaleX = sx;
            map->ScaleY = sy;
        }
        u->SaveFlt(Path("u.flt"));
        v->SaveFlt(Path("v.flt"));
    }
    void LoadBoth() {
        ClickWithFile(tool->DisplaceXSpeedButton, File("u.flt"));
        ClickWithFile(tool->DisplaceYSpeedButton, File("v.flt"));
    }
    /// Saves the table under name; its text.
    std::string SaveTable(const char* name) {
        frame->Dialogs.QueueFile(frame->File(name));
        tool->SaveResultButton->click();
        return ReadFileBytes(Path(name));
    }
};

// Loading shows each file's header scales and takes the last one's as output scales; the default
// table of two 100 x 80 maps holds 7999 records (the marker left out), and every option set in the window
// gives the table the verb writes with the same options.
TEST_F(SampleTool, TablesAreThoseOfTheVerbWithTheSameOptions) {
    WriteFields(100, 80, 0.5f, 0.25f);
    LoadBoth();
    EXPECT_EQ(tool->WorkingDirLabel->text().toStdString(), frame->Dir.Path().string());
    EXPECT_EQ(Texts(tool->DisplaceXFileEdit, tool->DisplaceYFileEdit, tool->UScaleXEdit, tool->VScaleYEdit,
                    tool->VValueScaleEdit, tool->ScaleXEdit, tool->ScaleYEdit),
              "u.flt v.flt 0.5 0.25 1.0 0.5 0.25");

    const std::string table = SaveTable("xy.dat");
    // The marker at (3, 2) is left out by default.
    EXPECT_EQ(std::count(table.begin(), table.end(), '\n'), 8000);
    EXPECT_EQ(frame->Dialogs.FileRequests().back().InitialDir.toStdString(), frame->Dir.Path().string());

    // Grid 5 over 0 ... 20, y axis up, the marker left out, coordinates and displacements scaled.
    tool->UseOutputGridCheckBox->setChecked(true);
    tool->OutputRangeCheckBox->setChecked(true);
    tool->RightEdit->setText(QStringLiteral("20"));
    tool->BottomEdit->setText(QStringLiteral("20"));
    tool->ChangeYaxisCheckBox->setChecked(true);
    tool->MaskValueCheckBox->setChecked(true);
    tool->DisplacementCheckBox->setChecked(true);
    for (int type = 0; type < 6; ++type) {
        tool->ResultTypeComboBox->setCurrentIndex(type);
        const ProgramRun cli =
            Cli(frame->Dir, {"sample", "u.flt", "v.flt", "-o", "cli.dat", "--grid", "5", "5", "--range", "0",
                             "0", "20", "20", "--change-y", "--invalid", "1000", "--scale-displacement",
                             "--type", std::to_string(type)});
        ASSERT_EQ(cli.Status, 0) << cli.Err;
        EXPECT_EQ(SaveTable("grid.dat"), ReadFileBytes(Path("cli.dat"))) << "type " << type;
    }
    EXPECT_EQ(frame->Dialogs.Errors(), QStringList());
}

// Saving without both maps, or with maps of different sizes, is refused before the dialog; a
// cancelled dialog writes nothing. "Modify" writes the edited scales into the file's own header and
// makes them the output scales; "Show" displays both maps, without the marker taking the grey range
// when the invalid value is on; the mask picture is shown and limits the table to its white points.
// Text that is not a number is reported; hiding the window frees the maps.
TEST_F(SampleTool, RefusalsModifyShowAndMask) {
    tool->SaveResultButton->click();
    EXPECT_EQ(frame->LastError(), QStringLiteral("You should give two Binary Float File at the Input Page"));
    WriteFields(16, 12, 1.0f, 1.0f, 14);
    LoadBoth();
    tool->SaveResultButton->click();
    EXPECT_TRUE(frame->LastError().contains(QStringLiteral("same size"))) << frame->LastError().toStdString();
    EXPECT_EQ(frame->Dialogs.Count(Kind::SaveFile), 0);

    WriteFields(16, 12);
    LoadBoth();
    frame->Dialogs.QueueFileCancel();
    tool->SaveResultButton->click();
    EXPECT_EQ(frame->Dialogs.Count(Kind::SaveFile), 1);

    tool->UScaleXEdit->setText(QStringLiteral("0.125"));
    tool->UValueScaleEdit->setText(QStringLiteral("2"));
    tool->ModifyUScaleButton->click();
    const TFloatImage u(Path("u.flt"));
    EXPECT_EQ(std::pair(u.ScaleX, u.ValueScale), std::pair(0.125f, 2.0f));

    tool->MaskValueCheckBox->setChecked(true);
    tool->ShowContentButton->click();
    ASSERT_NE(frame->Window("X displacement: to Merge"), nullptr);
    ASSERT_NE(frame->Window("Y displacement: to Merge"), nullptr);
    const QImage shown = frame->Window("X displacement: to Merge")->Bitmap();
    EXPECT_EQ(shown.size(), QSize(16, 12));
    EXPECT_EQ(qGray(shown.pixel(15, 0)), 255); // the largest valid value, not the marker

    MakeGreyPicture(16, 12, [](int x, int) { return x < 8 ? 255 : 0; })->SaveBmp(Path("mask.bmp"));
    tool->UseMaskFileCheckBox->setChecked(true);
    EXPECT_FALSE(tool->MaskFileEdit->isHidden());
    ClickWithFile(tool->MaskFileSpeedButton, File("mask.bmp"));
    EXPECT_EQ(tool->MaskFileEdit->text(), QStringLiteral("mask.bmp"));
    ASSERT_NE(frame->Window(" Output Mask Image: to Merge"), nullptr);
    const std::string table = SaveTable("masked.dat");
    EXPECT_NE(table.find("\n    0.87500     11.00000"), std::string::npos) << table; // x = 7 at scale 0.125
    EXPECT_EQ(std::count(table.begin(), table.end(), '\n'), 1 + 8 * 12 - 1);         // the marker is left out

    tool->UseOutputGridCheckBox->setChecked(true);
    tool->GridxEdit->setText(QStringLiteral("five"));
    frame->Dialogs.QueueFile(frame->File("bad.dat"));
    tool->SaveResultButton->click();
    EXPECT_EQ(frame->LastError(), QStringLiteral("Gridx: 'five' is not a valid integer value"));
    EXPECT_FALSE(std::filesystem::exists(Path("bad.dat")));
    tool->CloseButton->click();
    frame->Trigger("MergeXandYDisplacementAction");
    tool->SaveResultButton->click();
    EXPECT_EQ(frame->LastError(), QStringLiteral("You should give two Binary Float File at the Input Page"));
}

// The "Compute Scale" and "Material Parameters" windows driven as a user would: a length measured by
// dragging on a picture, the scale typed or computed and stored in the frame, kept over a restart.
class ScaleTool : public ToolTest<ui::TComputeScaleForm> {
  protected:
    void SetUp() override {
        ASSERT_NE(tool, nullptr);
        frame->Trigger("ImageScaleAction");
        ASSERT_TRUE(tool->isVisible());
    }
};

// Unchecking "Set Scale" turns the measurement on: a 250-pixel drag along x with an actual length
// of 5.0 gives 0.02, shown and stored in the frame; a drag along y fills the y length. While the
// scale is typed in, a drag measures nothing.
TEST_F(ScaleTool, DraggedLengthGivesTheComputedScaleAndTheTypedScaleIsKeptOverARestart) {
    MakeGreyPicture(320, 200, [](int x, int y) { return (x + y) % 256; })->SaveBmp(Path("p.bmp"));
    frame->TriggerWithFile("FileOpenAction", frame->File("p.bmp"));
    ui::TMDIChildForm& picture = frame->Active();
    EXPECT_FALSE(tool->ComputeScaleGroupBox->isEnabled());
    DragOnPicture(picture, {10, 20}, {260, 90});
    EXPECT_EQ(tool->ImageScaleXEdit->text(), QStringLiteral("1"));

    tool->SetScaleCheckBox->setChecked(false);
    EXPECT_TRUE(tool->ComputeScaleGroupBox->isEnabled());
    EXPECT_FALSE(tool->SetScaleGroupBox->isEnabled());
    DragOnPicture(picture, {260, 20}, {10, 90});
    EXPECT_EQ(Texts(tool->ImageScaleXEdit, tool->ImageScaleYEdit), "250 1");
    tool->ScaleYRadioButton->setChecked(true);
    DragOnPicture(picture, {30, 10}, {40, 170});
    EXPECT_EQ(Texts(tool->ImageScaleXEdit, tool->ImageScaleYEdit), "250 160");

    tool->ActualScaleXEdit->setText(QStringLiteral("5.0"));
    tool->ActualScaleYEdit->setText(QStringLiteral("4"));
    tool->ApplyScaleButton->click();
    EXPECT_EQ(frame->Dialogs.Errors(), QStringList());
    EXPECT_EQ(Texts(tool->ScaleXEdit, tool->ScaleYEdit), "0.02 0.025");
    EXPECT_EQ(std::pair(frame->Form->ScaleX, frame->Form->ScaleY), std::pair(0.02, 0.025));

    // A measured length of 0 pixels and text that is not a number are refused and the frame keeps
    // its scale. A typed scale is stored whatever the measurement holds, shown again when the window
    // is reopened, written to the settings on exit and read back by the next start.
    tool->ImageScaleXEdit->setText(QStringLiteral("0"));
    tool->ApplyScaleButton->click();
    EXPECT_EQ(frame->LastError(), QStringLiteral("The length in the image must not be 0 pixels"));
    tool->SetScaleCheckBox->setChecked(true);
    tool->ScaleXEdit->setText(QStringLiteral("0.3"));
    tool->ScaleYEdit->setText(QString());
    tool->ApplyScaleButton->click();
    EXPECT_EQ(frame->Dialogs.Count(ScriptedDialogs::Kind::Error), 2);
    EXPECT_EQ(std::pair(frame->Form->ScaleX, frame->Form->ScaleY), std::pair(0.02, 0.025));
    EXPECT_EQ(tool->ScaleXEdit->text(), QStringLiteral("0.3"));

    tool->ScaleXEdit->setText(QStringLiteral("0.004"));
    tool->ScaleYEdit->setText(QStringLiteral("0.5"));
    tool->ApplyScaleButton->click();
    EXPECT_EQ(frame->Dialogs.Count(ScriptedDialogs::Kind::Error), 2);
    EXPECT_EQ(std::pair(frame->Form->ScaleX, frame->Form->ScaleY), std::pair(0.004, 0.5));
    tool->CloseButton->click();
    tool->ScaleYEdit->setText(QStringLiteral("7"));
    frame->Trigger("ImageScaleAction");
    EXPECT_EQ(tool->ScaleYEdit->text(), QStringLiteral("0.5"));

    frame->Dialogs.QueueYesNo(true);
    frame->Form->close();
    frame->Destroy();
    frame->Settings->sync();
    QSettings settings(frame->SettingsFile(), QSettings::IniFormat);
    ui::TMainForm next(frame->Dialogs, settings);
    ui::CreateToolWindows(next);
    next.Action(QStringLiteral("ImageScaleAction"))->trigger();
    auto* reopened = next.findChild<ui::TComputeScaleForm*>();
    ASSERT_NE(reopened, nullptr);
    EXPECT_EQ(Texts(reopened->ScaleXEdit, reopened->ScaleYEdit), "0.004 0.5");
}

} // namespace
} // namespace corvane
