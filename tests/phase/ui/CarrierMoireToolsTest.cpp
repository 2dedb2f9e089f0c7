// The one-image and two-image carrier-fringe wizards driven as a user would: the frame's commands,
// named controls, mouse input in the role windows and scripted dialogs.
#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QToolButton>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <string>
#include <tuple>

#include "app/ToolWindows.h"
#include "image/TFloatImage.h"
#include "image/TGrayImage.h"
#include "phase/ui/TOneImageMoireFFTForm.h"
#include "phase/ui/TTwoImageMoireFFTForm.h"
#include "shell/TMDIChildForm.h"
#include "support/CarrierFringes.h"
#include "support/GreyPictures.h"
#include "support/ui/DocumentMouse.h"
#include "support/ui/TestMainForm.h"

namespace corvane {
namespace {

using Kind = test::ScriptedDialogs::Kind;

std::string Bytes(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

int LineCount(const std::string& file) {
    const std::string text = Bytes(file);
    return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

class CarrierMoireTools : public ::testing::Test {
  protected:
    CarrierMoireTools() {
        ui::CreateToolWindows(*frame->Form);
        one = frame->Form->findChild<ui::TOneImageMoireFFTForm*>();
        two = frame->Form->findChild<ui::TTwoImageMoireFFTForm*>();
    }
    ~CarrierMoireTools() override {
        frame->Destroy();
        QDir::setCurrent(startDir); // the pickers move the current directory into the temporary one
    }

    QString File(const QString& name) const { return frame->File(name); }
    // A 300 x 140 carrier picture (processed as 256 x 128) with a smooth bump of phase.
    QString Fringes(const QString& name, double fx = 0.15, double fy = 0.0, double bump = 1.5) {
        test::SaveCarrierFringes(File(name).toStdString(), 300, 140, fx, fy, [bump](int x, int y) {
            return bump * std::exp(-((x - 150.0) * (x - 150.0) + (y - 90.0) * (y - 90.0)) / 2000.0);
        });
        return File(name);
    }
    ui::TMDIChildForm* Window(const QString& caption) const {
        const int index = frame->Form->FindMDIChild(caption);
        return index < 0 ? nullptr : frame->Form->MDIChild(index);
    }
    QSize WindowSize(const QString& caption) const {
        const ui::TMDIChildForm* window = Window(caption);
        return window ? window->Bitmap().size() : QSize();
    }
    void Pick(QToolButton* button, const QString& file) {
        frame->Dialogs.QueueFile(file);
        button->click();
    }
    // Step 2 values the carrier verb is given too.
    template <class Form> void EnterCarrierValues(Form* form) {
        form->XEdit->setText("0");
        form->YEdit->setText("0");
        form->WidthEdit->setText("125");
        form->HeightEdit->setText(QString::number(form->Wizard().Moire().Field()->RefHeight));
        form->ComputeCarrierButton->click();
        form->MovingWidthEdit->setText("40");
        form->MovingHeightEdit->setText("24");
    }
    std::string RunVerb(const QStringList& arguments) {
        QProcess verb;
        verb.start(QStringLiteral(CORVANE_CLI_EXE), arguments);
        EXPECT_TRUE(verb.waitForFinished(60000));
        EXPECT_EQ(verb.exitCode(), 0) << verb.readAllStandardError().toStdString();
        return Bytes(arguments.last().toStdString());
    }
    std::tuple<bool, bool> CommandsEnabled() const {
        return {frame->Form->Action("OneGridImageFFTAction")->isEnabled(),
                frame->Form->Action("TwoGridImageFFTAction")->isEnabled()};
    }

    QString startDir = QDir::currentPath();
    std::unique_ptr<test::TestMainForm> frame = test::MakeTestMainForm();
    ui::TOneImageMoireFFTForm* one = nullptr;
    ui::TTwoImageMoireFFTForm* two = nullptr;
};

// The whole one-image road: the refusal of a missing picture, the five pages, every role window
// at its size, the plane labels, and the final map saved from the pop-up equal byte for byte to
// what the carrier verb writes with the same values. Closing hides the tool, closes every role
// window, releases the state and gives both commands back.
TEST_F(CarrierMoireTools, OneImageWizardGivesTheVerbsMapAndClosingClearsEverything) {
    ASSERT_TRUE(one);
    ASSERT_TRUE(two);
    frame->Trigger("OneGridImageFFTAction");
    EXPECT_TRUE(one->isVisible());
    EXPECT_EQ(CommandsEnabled(), std::tuple(false, false));
    EXPECT_FALSE(one->PreviousButton->isEnabled());
    one->NextButton->click();
    EXPECT_EQ(frame->Dialogs.Errors(), QStringList{"Select One Moire Image First"});
    EXPECT_EQ(one->MoireNotebook->currentIndex(), 0);

    const QString picture = Fringes("one.bmp");
    Pick(one->BrowseMoireIMageFileSpeedButton, picture);
    EXPECT_EQ(one->WorkingDirLabel->text(), QFileInfo(picture).absolutePath());
    EXPECT_EQ(WindowSize("raw image:One Image"), QSize(300, 140));
    one->RefSizeEdit->setText("40"); // cut down to 32 rows
    one->NextButton->click();
    EXPECT_EQ(WindowSize("Spectra:One Image"), QSize(256, 128));
    EXPECT_EQ(WindowSize("Ref Spectra:One Image"), QSize(256, 32));
    EnterCarrierValues(one);
    EXPECT_EQ(one->CarrierXEdit->text(), "-38");
    one->NextButton->click();
    EXPECT_EQ(WindowSize("phase:One Image"), QSize(256, 128));
    EXPECT_EQ(WindowSize("Ref phase:One Image"), QSize(256, 32));
    EXPECT_EQ(std::tuple(one->StartingXEdit->text(), one->StartingYEdit->text(),
                         one->RefStartingXEdit->text(), one->RefStartingYEdit->text()),
              std::tuple("128", "64", "128", "16"));
    one->NextButton->click();
    EXPECT_EQ(WindowSize("unwrapped phase:One Image"), QSize(256, 128));
    EXPECT_EQ(WindowSize("unwrapped ref phase:One Image"), QSize(256, 32));
    EXPECT_EQ(WindowSize("absolute phase:One Image"), QSize(256, 128));
    EXPECT_TRUE(one->ALabel->text().startsWith("Double Linear Simulate  A="));
    EXPECT_FALSE(one->ALabel->isHidden());
    one->NextButton->click();
    one->NextButton->click();
    EXPECT_EQ(one->MoireNotebook->currentIndex(), 4);
    EXPECT_FALSE(one->NextButton->isEnabled());
    frame->Dialogs.QueueFile(File("gui"), 2);
    one->SavetoBinFileMenuItem->trigger();
    EXPECT_EQ(frame->Dialogs.Errors().size(), 1);

    const std::string verb =
        RunVerb({"carrier",    picture, "--strip", "rows",          "--strip-size", "40", "--search", "0",
                 "0",          "125",   "32",      "--window",      "40",           "24", "--coef",   "0.7",
                 "--boundary", "4",     "-o",      File("verb.flt")});
    EXPECT_FALSE(verb.empty());
    EXPECT_TRUE(Bytes(File("gui.flt").toStdString()) == verb);

    one->CloseButton->click();
    test::ProcessEvents();
    EXPECT_EQ(CommandsEnabled(), std::tuple(true, true));
    EXPECT_FALSE(one->Wizard().Moire().HasState());
    for (const QString& role : one->Wizard().Roles.All())
        EXPECT_EQ(Window(role), nullptr) << role.toStdString();
    frame->Trigger("OneGridImageFFTAction");
    EXPECT_EQ(one->MoireNotebook->currentIndex(), 0);
}

// A strip below 16 rows is refused on the way to Step 2; there every command needing the state
// does nothing but say so (no window, Next stays on Step 2) until Step 1 is passed with 16.
TEST_F(CarrierMoireTools, AThinStripLeavesStepTwoWithoutStateUntilSixteenIsGiven) {
    frame->Trigger("OneGridImageFFTAction");
    one->MoireImageFileNameEdit->setText(Fringes("one.bmp"));
    one->RefSizeEdit->setText("15");
    one->NextButton->click();
    EXPECT_EQ(frame->Dialogs.Errors(), QStringList{"Reference size too small"});
    EXPECT_EQ(one->MoireNotebook->currentIndex(), 1);
    one->WidthEdit->setText("100");
    one->HeightEdit->setText("10");
    one->MovingWidthEdit->setText("30");
    for (QPushButton* button :
         {one->ComputeCarrierButton, one->ModifyButton, one->AdjustButton, one->NextButton, one->NextButton,
          one->SaveDeformedPhaseButton, one->PhaseIntegerButton, one->SaveButton})
        button->click();
    EXPECT_EQ(one->CarrierXEdit->text(), "0");
    EXPECT_EQ(one->MovingWidthEdit->text(), "30");
    EXPECT_EQ(Window("Spectra:One Image"), nullptr);
    EXPECT_EQ(frame->Dialogs.Errors().size(), 1);
    EXPECT_EQ(frame->Dialogs.Count(Kind::SaveFile), 0);
    EXPECT_EQ(frame->Dialogs.Informations(),
              QStringList(8, ui::TCarrierMoireWizard::kNothingComputedMessage));
    EXPECT_EQ(one->MoireNotebook->currentIndex(), 1);

    for (int i = 0; i < 3; ++i)
        one->PreviousButton->click();
    EXPECT_FALSE(one->PreviousButton->isEnabled());
    one->RefSizeEdit->setText("16");
    one->NextButton->click();
    EXPECT_EQ(WindowSize("Ref Spectra:One Image"), QSize(256, 16));
}

// Mouse input: any drag gives the strip size (rows: height, columns: width), a drag in the
// reference spectrum the search rectangle, in the image spectrum the window size. Adjust for a
// carrier x of 10 on a strip of rows turns 20 into 17 and outlines the window in both spectra.
TEST_F(CarrierMoireTools, DragsFillTheStepFieldsAndAdjustOutlinesTheWindowInBothSpectra) {
    frame->Trigger("OneGridImageFFTAction");
    Pick(one->BrowseMoireIMageFileSpeedButton, Fringes("one.bmp"));
    test::DragOnPicture(*Window("raw image:One Image"), {10, 20}, {50, 59});
    EXPECT_EQ(one->RefSizeEdit->text(), "40");
    one->VerticalRadioButton->setChecked(true);
    test::DragOnPicture(*Window("raw image:One Image"), {10, 20}, {33, 59});
    EXPECT_EQ(one->RefSizeEdit->text(), "24");
    one->HorizontalRadioButton->setChecked(true);
    one->RefSizeEdit->setText("32");
    one->NextButton->click();

    test::DragOnPicture(*Window("Ref Spectra:One Image"), {100, 25}, {5, 2});
    EXPECT_EQ(
        std::tuple(one->XEdit->text(), one->YEdit->text(), one->WidthEdit->text(), one->HeightEdit->text()),
        std::tuple("5", "2", "96", "24"));
    test::DragOnPicture(*Window("Spectra:One Image"), {10, 10}, {29, 40});
    EXPECT_EQ(std::tuple(one->MovingWidthEdit->text(), one->MovingHeightEdit->text()),
              std::tuple("20", "31"));

    one->CarrierXEdit->setText("10");
    one->CarrierYEdit->setText("0");
    one->MovingHeightEdit->setText("40");
    one->AdjustButton->click();
    EXPECT_EQ(std::tuple(one->MovingWidthEdit->text(), one->MovingHeightEdit->text()),
              std::tuple("17", "27"));
    const ui::TMDIChildForm& spectra = *Window("Spectra:One Image");
    const ui::TMDIChildForm& refSpectra = *Window("Ref Spectra:One Image");
    EXPECT_TRUE(spectra.MarqueeShown());
    EXPECT_TRUE(refSpectra.MarqueeShown());
    EXPECT_EQ(spectra.MarqueeRect(), QRect(QPoint(128 + 10 - 8, 64 - 13), QPoint(128 + 10 + 8, 64 + 13)));
    EXPECT_EQ(refSpectra.MarqueeRect(), QRect(QPoint(128 + 10 - 8, 16 - 13), QPoint(128 + 10 + 8, 16 + 13)));
    EXPECT_TRUE(frame->Dialogs.Errors().isEmpty());
}

// Step 4 on the final map: the fringe order, the pitch (carried by the popup save's value scale
// but not by Step 3's), a dragged averaging rectangle, the absolute offset read back under the
// mouse; Step 5's table by grid, range and mask. The table dialog keeps its own title after an
// FLT save showed another.
TEST_F(CarrierMoireTools, StepFourConvertsTheMapAndStepFiveWritesTheTableByGridRangeAndMask) {
    frame->Trigger("OneGridImageFFTAction");
    Pick(one->BrowseMoireIMageFileSpeedButton, Fringes("one.bmp"));
    one->NextButton->click();
    EnterCarrierValues(one);
    one->NextButton->click();
    one->NextButton->click();
    ASSERT_EQ(one->MoireNotebook->currentIndex(), 3);
    const TFloatImage& map = *one->Wizard().Moire().Field()->Phase->Phase;
    ui::TMDIChildForm& absolute = *Window("absolute phase:One Image");

    one->PhaseIntegerXEdit->setText("100");
    one->PhaseIntegerYEdit->setText("60");
    one->PhaseIntegerEdit->setText("2");
    one->PhaseIntegerButton->click();
    const float ordered = map.GetPixel(100, 60);
    EXPECT_GE(ordered, 4 * M_PI - M_PI - 1e-4);
    EXPECT_LT(ordered, 4 * M_PI + M_PI);
    one->PEdit->setText("2");
    one->ConvertButton->click();
    EXPECT_NEAR(map.GetPixel(100, 60), ordered / M_PI, 1e-4);

    test::DragOnPicture(absolute, {20, 30}, {11, 21});
    EXPECT_EQ(std::tuple(one->BaseXEdit->text(), one->BaseYEdit->text(), one->BaseWidthEdit->text(),
                         one->BaseHeightEdit->text()),
              std::tuple("11", "21", "9", "9"));
    one->ComputeBaseValueButton->click();
    EXPECT_NEAR(one->AbsoluteDisplacementEdit->text().toDouble(), map.GetPixel(15, 25), 0.5);
    one->AbsXEdit->setText("7");
    one->AbsYEdit->setText("9");
    one->AbsoluteDisplacementEdit->setText("1.5");
    one->ConvertToAbsoluteDisplacementButton->click();
    test::MoveOnPicture(absolute, {7, 9});
    EXPECT_NEAR(one->PhaseEdit->text().toDouble(), 1.5, 1e-5);

    frame->Dialogs.QueueFile(File("kept"), 2);
    one->SavetoBinFileMenuItem->trigger();
    frame->Dialogs.QueueFile(File("wrapped"), 2);
    one->SaveDeformedPhaseButton->click();
    EXPECT_FLOAT_EQ(TFloatImage(File("kept.flt").toStdString()).ValueScale, static_cast<float>(1.0 / M_PI));
    EXPECT_FLOAT_EQ(TFloatImage(File("wrapped.flt").toStdString()).ValueScale, 1.0f);

    one->NextButton->click();
    frame->Dialogs.QueueFile(File("all.dat"));
    one->SaveButton->click();
    EXPECT_EQ(LineCount(File("all.dat").toStdString()), 256 * 128);
    test::MakeGreyPicture(256, 128, [](int x, int y) {
        return x < 100 && y < 50 ? 255 : 254;
    })->SaveBmp(File("mask.bmp").toStdString());
    one->UseMaskCheckBox->setChecked(true);
    EXPECT_TRUE(one->MaskFileEdit->isVisibleTo(one));
    Pick(one->MaskFileSpeedButton, File("mask.bmp"));
    EXPECT_NE(Window("Mask File"), nullptr);
    one->UseOutputGridCheckBox->setChecked(true);
    one->OutputRangeCheckBox->setChecked(true);
    test::DragOnPicture(absolute, {200, 100}, {20, 10});
    EXPECT_EQ(std::tuple(one->LeftEdit->text(), one->TopEdit->text(), one->RightEdit->text(),
                         one->BottomEdit->text()),
              std::tuple("20", "10", "200", "100"));
    frame->Dialogs.QueueFile(File("masked.dat"));
    one->SaveButton->click();
    // x = 20, 25, ... 95 (16 columns) and y = 10, 15, ... 45 (8 rows) inside the mask.
    EXPECT_EQ(LineCount(File("masked.dat").toStdString()), 16 * 8);
    const auto requests = frame->Dialogs.FileRequests();
    EXPECT_EQ(requests.back().Title, "Save Result To");
    EXPECT_EQ(requests.back().FilterIndex, 1);
    EXPECT_TRUE(frame->Dialogs.Errors().isEmpty()) << frame->Dialogs.Errors().join("; ").toStdString();
}

// Two pictures: both must exist; identical ones give zero pixel by pixel (no plane labels); the
// reference must cover the transform size; the window saved equals the verb's; with "Use BiLinear
// Simulate" the border edit is on and the plane is shown.
TEST_F(CarrierMoireTools, TwoImageWizardSubtractsTheReferenceAndMatchesTheVerb) {
    frame->Trigger("TwoGridImageFFTAction");
    EXPECT_EQ(CommandsEnabled(), std::tuple(false, false));
    const QString deformed = Fringes("deformed.bmp", 0.12, 0.03);
    Pick(two->BrowseMoireIMageFileSpeedButton, deformed);
    two->NextButton->click();
    EXPECT_EQ(frame->Dialogs.Errors(), QStringList{"Select Two Moire Images First"});
    EXPECT_EQ(two->MoireNotebook->currentIndex(), 0);

    test::SaveCarrierFringes(File("small.bmp").toStdString(), 200, 140, 0.12, 0.03,
                             [](int, int) { return 0.0; });
    Pick(two->SpeedButton1, File("small.bmp"));
    EXPECT_EQ(WindowSize("raw ref image:Two Image"), QSize(200, 140));
    two->NextButton->click();
    EXPECT_EQ(frame->Dialogs.Errors().size(), 2);
    EXPECT_FALSE(two->Wizard().Moire().HasState());

    // Identical pictures, pixel by pixel: zero everywhere.
    two->RefImageFileNameEdit->setText(deformed);
    for (int i = 0; i < 3; ++i)
        two->PreviousButton->click();
    EXPECT_FALSE(two->BoundaryEdit->isEnabled());
    two->NextButton->click();
    EnterCarrierValues(two);
    two->NextButton->click();
    two->NextButton->click();
    const TFloatImage& map = *two->Wizard().Moire().Field()->Phase->Phase;
    EXPECT_EQ(std::count(map.Data, map.Data + map.PixelCount(), 0.0f), 256 * 128);
    EXPECT_TRUE(two->ALabel->isHidden());

    // A reference of the same carrier without the bump: the verb with --reference gives the same map.
    const QString reference = Fringes("reference.bmp", 0.12, 0.03, 0.0);
    Pick(two->SpeedButton1, reference);
    for (int i = 0; i < 3; ++i)
        two->PreviousButton->click();
    two->NextButton->click();
    EnterCarrierValues(two);
    two->NextButton->click();
    two->NextButton->click();
    frame->Dialogs.QueueFile(File("gui"), 2);
    two->SaveToBinFileMenuItem->trigger();
    const std::string verb = RunVerb({"carrier", deformed, "--reference", reference, "--search", "0", "0",
                                      "125", "128", "--window", "40", "24", "-o", File("verb.flt")});
    EXPECT_TRUE(Bytes(File("gui.flt").toStdString()) == verb);

    two->PreviousButton->click();
    two->UseBiLinearSimulateCheckBox->setChecked(true);
    EXPECT_TRUE(two->BoundaryEdit->isEnabled());
    two->NextButton->click();
    EXPECT_FALSE(two->ALabel->isHidden());
    EXPECT_TRUE(two->BLabel->text().startsWith("Double Linear Simulate  B="));
    EXPECT_EQ(frame->Dialogs.Errors().size(), 2);

    two->CloseButton->click();
    test::ProcessEvents();
    EXPECT_EQ(Window("raw ref image:Two Image"), nullptr);
    EXPECT_EQ(CommandsEnabled(), std::tuple(true, true));
}

// Adjust by the larger carrier component: (12, -3) limits the width to 21 and the height to
// refH - 5; (4, -4) counts as y-dominated and limits the height to 5.
TEST_F(CarrierMoireTools, TwoImageAdjustFollowsTheLargerCarrierComponent) {
    frame->Trigger("TwoGridImageFFTAction");
    const QString picture = Fringes("p.bmp", 0.12, 0.03);
    two->MoireImageFileNameEdit->setText(picture);
    two->RefImageFileNameEdit->setText(picture);
    two->NextButton->click();
    const auto adjust = [&](const char* cx, const char* cy, const char* w, const char* h) {
        two->CarrierXEdit->setText(cx);
        two->CarrierYEdit->setText(cy);
        two->MovingWidthEdit->setText(w);
        two->MovingHeightEdit->setText(h);
        two->AdjustButton->click();
        return std::tuple(two->MovingWidthEdit->text(), two->MovingHeightEdit->text());
    };
    EXPECT_EQ(adjust("12", "-3", "24", "128"), std::tuple("21", "123"));
    EXPECT_EQ(adjust("12", "-3", "23", "127"), std::tuple("23", "127"));
    EXPECT_EQ(adjust("4", "-4", "6", "8"), std::tuple("6", "5"));
}

} // namespace
} // namespace corvane
