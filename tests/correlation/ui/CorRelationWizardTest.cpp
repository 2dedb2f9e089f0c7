// The parameter wizard: defaults and the group it fills, page navigation, the fast-compute and
// output visibility rules, the mouse pickers, pictures opened into the role windows, numbers that
// are not numbers, and a whole run submitted from it or saved from it and run as a file.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

#include <array>
#include <cmath>
#include <filesystem>
#include <sstream>

#include "CorRelationUiFixture.h"
#include "correlation/ui/TCorRelationParaSelectorForm.h"
#include "image/CorvaneError.h"
#include "image/TGrayImage.h"
#include "shell/TMDIChildForm.h"
#include "support/SpeckleImages.h"
#include "support/TestSupport.h"
#include "support/ui/DocumentMouse.h"

using namespace corvane;
using namespace corvane::ui;
using namespace corvane::test;

namespace {

class CorRelationWizard : public CorRelationUiFixture {
protected:
    void SetUp() override
    {
        CorRelationUiFixture::SetUp();
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
        TGrayImage image(nullptr, width, height);
        image.FillRect(200, 0, 0, width - 1, height - 1);
        image.SaveBmp(file);
    }

    TCorRelationParaSelectorForm* wizard_ = nullptr;
};

TEST_F(CorRelationWizard, FreshWizardFillsTheDefaultGroup)
{
    EXPECT_TRUE(W().isVisible());
    EXPECT_TRUE(Status().isVisible());
    const TCorRelationPara p = W().FillGroup();
    const std::string dir = QDir::currentPath().toStdString() + "/";
    EXPECT_EQ(p.MaskFile, dir + "none");
    EXPECT_EQ(p.BinYFile, dir + "dy_bin.flt");
    EXPECT_EQ(p.InfoFile, dir + "Info.inf");
    EXPECT_EQ((std::array{p.OutputGray, p.OutputBin, p.ChangeYaxis, p.FastCompute}), (std::array{0, 1, 1, 0}));
    // Window moving range = searching field + searching window.
    EXPECT_EQ((std::array{p.WinMoveX, p.SearchWinY, p.LargeWinY, p.SeedNumX, p.Right, p.GridY, p.FilterType}),
              (std::array{33, 13, 15, 2, 70, 5, 2}));
    EXPECT_FLOAT_EQ(p.SeedPrecision, 0.1f);
    EXPECT_FLOAT_EQ(p.AverageThreshold, 0.5f);
}

TEST_F(CorRelationWizard, NextAndPreviousWalkTheSixPages)
{
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
    EXPECT_EQ(W().SeedxEdit->text(), "2");
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
    EXPECT_TRUE(W().DyBinEdit->isHidden());
    EXPECT_TRUE(W().SkipPageLabel->isHidden());

    W().FastComputeCheckBox->setChecked(true);
    EXPECT_TRUE(W().OutputGrayCheckBox->isHidden());
    EXPECT_TRUE(W().DxGrayEdit->isHidden());
    EXPECT_EQ(captions(), QStringList({" Fast Computing Info", "How many points to get", "Fast Computing Window Size",
                                       "Fast Computing precision"}));
    EXPECT_TRUE(W().SearchInfoGroupBox->isHidden());
    EXPECT_FALSE(W().SkipPageLabel->isHidden());
    EXPECT_TRUE(W().FilterTypeComboBox->isHidden());
    EXPECT_TRUE(W().IntervalxEdit->isHidden());

    // Back to normal: each output's file edits follow their own box again.
    W().FastComputeCheckBox->setChecked(false);
    EXPECT_FALSE(W().DxGrayEdit->isHidden());
    EXPECT_TRUE(W().DxBinEdit->isHidden());
    EXPECT_EQ(captions(), QStringList({"Seed Info", "How many seed included", "Seed Searching Window Size",
                                       "Seed Searching Precision"}));
    EXPECT_FALSE(W().SearchInfoGroupBox->isHidden());
    EXPECT_FALSE(W().AverageThresholdEdit->isHidden());
}

TEST_F(CorRelationWizard, MousePickersTakeTheDraggedRectangleOnTheirPage)
{
    const TempDir dir;
    WriteFlatBmp(dir.File("plate.bmp"), 160, 140);
    Main().CreateMDIChild(QString::fromStdString(dir.File("plate.bmp")));
    TMDIChildForm* child = Main().MDIChild(0);
    ASSERT_NE(child, nullptr);
    const auto drag = [child](QPoint from, QPoint to) { DragOnPicture(*child, from, to); };
    const auto texts = [](std::initializer_list<QLineEdit*> edits) {
        QStringList list;
        for (QLineEdit* e : edits)
            list << e->text();
        return list;
    };

    GoToPage("ComputeDomain");
    drag({1, 2}, {3, 4}); // picker off: nothing changes
    EXPECT_EQ(W().LeftEdit->text(), "30");
    W().ComputeDomainMousePickerCheckBox->setChecked(true);
    drag({100, 80}, {40, 120});
    EXPECT_EQ(texts({W().LeftEdit, W().RightEdit, W().TopEdit, W().BottomEdit, W().WidthEdit, W().HeightEdit}),
              QStringList({"40", "100", "80", "120", "61", "41"}));

    W().PreviousButton->click(); // "SearchInfo"
    W().SearchFieldMousePickerCheckBox->setChecked(true);
    drag({10, 10}, {34, 16});
    EXPECT_EQ(texts({W().SearchFieldxEdit, W().SearchFieldyEdit}), QStringList({"24", "6"}));
    W().SearchWinMousePickerCheckBox->setChecked(true);
    EXPECT_FALSE(W().SearchFieldMousePickerCheckBox->isChecked());
    drag({50, 50}, {39, 61});
    EXPECT_EQ(texts({W().WinSizexEdit, W().WinSizeyEdit, W().SearchFieldxEdit}), QStringList({"11", "11", "24"}));
    W().SearchFieldMousePickerCheckBox->setChecked(true);
    EXPECT_FALSE(W().SearchWinMousePickerCheckBox->isChecked());

    W().PreviousButton->click(); // "SeedInfo"
    W().MousePickerCheckBox->setChecked(true);
    drag({20, 30}, {41, 47});
    EXPECT_EQ(texts({W().LargeWinSizexEdit, W().LargeWinSizeyEdit}), QStringList({"21", "17"}));
    EXPECT_EQ(W().LeftEdit->text(), "40"); // other pages' pickers do not follow
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
    EXPECT_EQ(QStringList({W().LeftEdit->text(), W().TopEdit->text(), W().RightEdit->text(), W().BottomEdit->text(),
                           W().WidthEdit->text(), W().HeightEdit->text()}),
              QStringList({"30", "30", "610", "450", "581", "421"}));
    ASSERT_NE(Window("CorRelation:Initial"), nullptr);
    EXPECT_EQ(Window("CorRelation:Initial")->Bitmap().width(), 640);

    // The deformed picture and the mask leave the domain alone.
    W().RightEdit->setText("300");
    OpenPicture(W().DeformedSpeedButton, dir.File("deformed.bmp"));
    OpenPicture(W().MaskSpeedButton, dir.File("deformed.bmp"));
    EXPECT_EQ(W().DeformedEdit->text(), "deformed.bmp");
    EXPECT_EQ(W().RightEdit->text(), "300");
    EXPECT_NE(Window("CorRelation:Deformed"), nullptr);
    EXPECT_NE(Window("CorRelation:Mask"), nullptr);

    // A picture that cannot be read: the error, the name kept in the edit, no new window.
    WriteFileBytes(dir.File("broken.bmp"), "BM");
    const int windows = Main().MDIChildCount();
    OpenPicture(W().MaskSpeedButton, dir.File("broken.bmp"));
    EXPECT_EQ(Errors().size(), 1);
    EXPECT_EQ(W().MaskEdit->text(), "broken.bmp");
    EXPECT_EQ(Main().MDIChildCount(), windows);

    W().CloseButton->click();
    EXPECT_FALSE(W().isVisible());
    ASSERT_TRUE(WaitUntil([&] { return Window("CorRelation:Initial") == nullptr &&
                                       Window("CorRelation:Deformed") == nullptr &&
                                       Window("CorRelation:Mask") == nullptr; },
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

    W().ScalexEdit->setText(" 0.5 ");
    W().LeftEdit->setText("+12");
    const TCorRelationPara p = W().FillGroup();
    EXPECT_FLOAT_EQ(p.ScaleX, 0.5f);
    EXPECT_EQ(p.Left, 12);
    for (const char* bad : {"", "1e3", "99999999999"}) {
        W().LeftEdit->setText(bad);
        EXPECT_THROW(W().FillGroup(), CorvaneError) << bad;
    }
    W().LeftEdit->setText("12");
    W().AverageThresholdEdit->setText("nan");
    EXPECT_THROW(W().FillGroup(), CorvaneError);
}

/// Reads the records of a displacement file: X, Y and two values each.
std::vector<std::array<double, 4>> ReadRecords(const std::string& file)
{
    std::istringstream in(ReadFileBytes(file));
    std::vector<std::array<double, 4>> records;
    std::array<double, 4> r{};
    while (in >> r[0] >> r[1] >> r[2] >> r[3])
        records.push_back(r);
    return records;
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
    const auto submitted = ReadRecords(dir.File("xy.dat"));
    const std::string submittedTheta = ReadFileBytes(dir.File("ThetaR.dat"));
    ASSERT_FALSE(submitted.empty());
    EXPECT_TRUE(std::filesystem::exists(dir.File("Info.inf")));
    EXPECT_TRUE(std::filesystem::exists(dir.File("dx_bin.flt")));
    int near = 0;
    for (const auto& r : submitted)
        near += std::abs(r[2] - 2.0) < 0.2 && std::abs(r[3] + 1.0) < 0.2;
    EXPECT_GT(near, static_cast<int>(submitted.size() * 9 / 10));

    std::filesystem::remove(dir.File("xy.dat"));
    std::filesystem::remove(dir.File("ThetaR.dat"));
    QueueFile(dir.File("run.cor"));
    Main().Action("ConfigFileAction")->trigger();
    ASSERT_TRUE(WaitForEnds(2, 120000));
    EXPECT_EQ(EndedErrors.back(), "");
    EXPECT_EQ(ReadRecords(dir.File("xy.dat")), submitted);
    EXPECT_EQ(ReadFileBytes(dir.File("ThetaR.dat")), submittedTheta);
    EXPECT_TRUE(Errors().isEmpty());
}

} // namespace
