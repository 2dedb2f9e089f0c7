// The one-image and two-image carrier-fringe wizards driven as a user would, and the sign of the
// phase from the peak on either side of the spectrum centre.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QToolButton>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "phase/CarrierMoireOptions.h"
#include "phase/ui/PhaseToolsTest.h"
#include "phase/ui/TOneImageMoireFFTForm.h"
#include "phase/ui/TTwoImageMoireFFTForm.h"
#include "shell/TMDIChildForm.h"
#include "support/CarrierFringes.h"
#include "support/CliRun.h"
#include "support/FloatMaps.h"
#include "support/TestSupport.h"
#include "support/ui/DocumentMouse.h"

namespace corvane {
namespace {

class CarrierMoireTools : public test::ToolTest<ui::TOneImageMoireFFTForm> {
  protected:
    ~CarrierMoireTools() override {
        QDir::setCurrent(startDir); // the pickers move the current directory into the temporary one
    }

    // A 300 x 140 carrier picture (processed as 256 x 128) with a smooth bump of phase.
    QString Fringes(const QString& name, double fx = 0.15, double fy = 0.0, double bump = 1.5) {
        test::SaveCarrierFringes(Path(name), 300, 140, fx, fy, [bump](int x, int y) {
            return bump * std::exp(-((x - 150.0) * (x - 150.0) + (y - 90.0) * (y - 90.0)) / 2000.0);
        });
        return File(name);
    }
    QSize WindowSize(const QString& caption) const { return ShownSize(Window(caption)); }
    // Step 2 values: search rectangle from column x and window.
    template <class Form> void EnterCarrierValues(Form* form, int x = 0) {
        form->XEdit->setText(QString::number(x));
        form->YEdit->setText("0");
        form->WidthEdit->setText("124");
        form->HeightEdit->setText(QString::number(form->Wizard().Moire().Field()->RefHeight));
        form->ComputeCarrierButton->click();
        form->MovingWidthEdit->setText("40");
        form->MovingHeightEdit->setText("24");
    }
    std::tuple<bool, bool> CommandsEnabled() const {
        return {frame->Form->Action("OneGridImageFFTAction")->isEnabled(),
                frame->Form->Action("TwoGridImageFFTAction")->isEnabled()};
    }

    QString startDir = QDir::currentPath();
    ui::TOneImageMoireFFTForm* one = tool;
    ui::TTwoImageMoireFFTForm* two = frame->Form->findChild<ui::TTwoImageMoireFFTForm*>();
};

// The whole one-image road: the refusal of a missing picture, the drags that fill each page's
// fields, every role window at its size, Adjust's outline in both spectra, the Step 4 conversions,
// the plane labels and the saves. Closing hides the tool, closes every role window, releases the
// state (no plane of the run shown again) and gives both commands back.
TEST_F(CarrierMoireTools, OneImageWizardWalksItsPagesAndClosingClearsEverything) {
    ASSERT_TRUE(one && two);
    frame->Trigger("OneGridImageFFTAction");
    EXPECT_TRUE(one->isVisible());
    EXPECT_EQ(CommandsEnabled(), std::tuple(false, false));
    EXPECT_FALSE(one->PreviousButton->isEnabled());
    one->NextButton->click();
    EXPECT_EQ(frame->Dialogs.Errors(), QStringList{"Select One Moire Image First"});
    EXPECT_EQ(one->MoireNotebook->currentIndex(), 0);

    const QString picture = Fringes("one.bmp");
    ClickWithFile(one->BrowseMoireIMageFileSpeedButton, picture);
    EXPECT_EQ(one->WorkingDirLabel->text(), QFileInfo(picture).absolutePath());
    EXPECT_EQ(WindowSize("raw image:One Image"), QSize(300, 140));
    // A strip below 16 rows is refused on the way to Step 2; there every command needing the state
    // does nothing but say so (no window, no save, Next stays on Step 2).
    one->RefSizeEdit->setText("15");
    one->NextButton->click();
    EXPECT_EQ(frame->Dialogs.Errors().value(1), "Reference size too small");
    EXPECT_EQ(one->MoireNotebook->currentIndex(), 1);
    one->WidthEdit->setText("100");
    one->MovingWidthEdit->setText("30");
    for (QPushButton* button :
         {one->ComputeCarrierButton, one->ModifyButton, one->AdjustButton, one->NextButton, one->NextButton,
          one->SaveDeformedPhaseButton, one->PhaseIntegerButton, one->SaveButton})
        button->click();
    EXPECT_EQ(Texts({one->CarrierXEdit, one->MovingWidthEdit}), "0 30");
    EXPECT_TRUE(!Window("Spectra:One Image") && frame->Dialogs.Count(Kind::SaveFile) == 0);
    EXPECT_EQ(frame->Dialogs.Informations(),
              QStringList(8, ui::TCarrierMoireWizard::kNothingComputedMessage));
    EXPECT_EQ(one->MoireNotebook->currentIndex(), 1);
    one->PreviousButton->click();
    // Any drag gives the strip size: its height for rows, its width for columns.
    one->VerticalRadioButton->setChecked(true);
    test::DragOnPicture(*Window("raw image:One Image"), {10, 20}, {33, 59});
    EXPECT_EQ(one->RefSizeEdit->text(), "24");
    one->HorizontalRadioButton->setChecked(true);
    test::DragOnPicture(*Window("raw image:One Image"), {10, 20}, {50, 59});
    EXPECT_EQ(one->RefSizeEdit->text(), "40"); // cut down to 32 rows
    one->NextButton->click();
    EXPECT_EQ(std::pair(WindowSize("Spectra:One Image"), WindowSize("Ref Spectra:One Image")),
              std::pair(QSize(256, 128), QSize(256, 32)));

    // A drag in the reference spectrum gives the search rectangle, in the image spectrum the window.
    test::DragOnPicture(*Window("Ref Spectra:One Image"), {100, 25}, {5, 2});
    EXPECT_EQ(Texts({one->XEdit, one->YEdit, one->WidthEdit, one->HeightEdit}), "5 2 96 24");
    test::DragOnPicture(*Window("Spectra:One Image"), {10, 10}, {29, 40});
    EXPECT_EQ(Texts({one->MovingWidthEdit, one->MovingHeightEdit}), "20 31");
    // Adjust (the core's case: a carrier x of 10 turns 20 x 40 into 17 x 27) reaches the edits and
    // outlines the window in both spectra.
    one->CarrierXEdit->setText("10");
    one->MovingHeightEdit->setText("40");
    one->AdjustButton->click();
    EXPECT_EQ(Texts({one->MovingWidthEdit, one->MovingHeightEdit}), "17 27");
    const ui::TMDIChildForm &image = *Window("Spectra:One Image"), &strip = *Window("Ref Spectra:One Image");
    EXPECT_EQ(
        std::tuple(image.MarqueeShown(), strip.MarqueeShown(), image.MarqueeRect(), strip.MarqueeRect()),
        std::tuple(true, true, QRect(QPoint(130, 51), QPoint(146, 77)),
                   QRect(QPoint(130, 3), QPoint(146, 29))));

    EnterCarrierValues(one);
    EXPECT_EQ(one->CarrierXEdit->text(), "-38");
    one->NextButton->click();
    EXPECT_EQ(std::pair(WindowSize("phase:One Image"), WindowSize("Ref phase:One Image")),
              std::pair(QSize(256, 128), QSize(256, 32)));
    EXPECT_EQ(Texts({one->StartingXEdit, one->StartingYEdit, one->RefStartingXEdit, one->RefStartingYEdit}),
              "128 64 128 16");
    one->NextButton->click();
    EXPECT_EQ(std::pair(WindowSize("unwrapped phase:One Image"), WindowSize("unwrapped ref phase:One Image")),
              std::pair(QSize(256, 128), QSize(256, 32)));
    EXPECT_TRUE(one->ALabel->text().startsWith("Double Linear Simulate  A="));
    EXPECT_FALSE(one->ALabel->isHidden());

    // Step 4 on the final map: the fringe order, the pitch (carried by the pop-up save's value
    // scale but not by Step 3's), a dragged averaging rectangle, the offset read under the mouse.
    const TFloatImage& map = *one->Wizard().Moire().Field()->Phase->Phase;
    ui::TMDIChildForm& absolute = *Window("absolute phase:One Image");
    EXPECT_EQ(absolute.Bitmap().size(), QSize(256, 128));
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
    EXPECT_EQ(Texts({one->BaseXEdit, one->BaseYEdit, one->BaseWidthEdit, one->BaseHeightEdit}), "11 21 9 9");
    one->ComputeBaseValueButton->click();
    EXPECT_NEAR(one->AbsoluteDisplacementEdit->text().toDouble(), map.GetPixel(15, 25), 0.5);
    one->AbsXEdit->setText("7");
    one->AbsYEdit->setText("9");
    one->AbsoluteDisplacementEdit->setText("1.5");
    one->ConvertToAbsoluteDisplacementButton->click();
    test::MoveOnPicture(absolute, {7, 9});
    EXPECT_NEAR(one->PhaseEdit->text().toDouble(), 1.5, 1e-5);

    one->NextButton->click();
    one->NextButton->click();
    EXPECT_EQ(std::pair(one->MoireNotebook->currentIndex(), one->NextButton->isEnabled()),
              std::pair(4, false));
    frame->Dialogs.QueueFile(File("kept"), 2);
    one->SavetoBinFileMenuItem->trigger();
    ClickWithFile(one->SaveDeformedPhaseButton, File("wrapped"), 2);
    EXPECT_EQ(
        std::pair(TFloatImage(Path("kept.flt")).ValueScale, TFloatImage(Path("wrapped.flt")).ValueScale),
        std::pair(static_cast<float>(1.0 / M_PI), 1.0f));
    EXPECT_EQ(frame->Dialogs.Errors().size(), 2);

    one->CloseButton->click();
    test::ProcessEvents();
    EXPECT_EQ(std::tuple(CommandsEnabled(), one->Wizard().Moire().HasState()),
              std::tuple(std::tuple(true, true), false));
    for (const QString& role : one->Wizard().Roles.All())
        EXPECT_EQ(Window(role), nullptr) << role.toStdString();
    frame->Trigger("OneGridImageFFTAction");
    EXPECT_EQ(one->MoireNotebook->currentIndex(), 0);
    EXPECT_EQ(one->ALabel->text() + one->BLabel->text(),
              "Double Linear Simulate  A=Double Linear Simulate  B=");
}

// Two pictures: both must exist; identical ones give zero pixel by pixel (no plane labels); the
// reference must cover the transform size; with "Use BiLinear Simulate" the border edit is on and
// the plane is shown.
TEST_F(CarrierMoireTools, TwoImageWizardSubtractsTheReference) {
    frame->Trigger("TwoGridImageFFTAction");
    EXPECT_EQ(CommandsEnabled(), std::tuple(false, false));
    const QString deformed = Fringes("deformed.bmp", 0.12, 0.03);
    ClickWithFile(two->BrowseMoireIMageFileSpeedButton, deformed);
    two->NextButton->click();
    EXPECT_EQ(frame->Dialogs.Errors(), QStringList{"Select Two Moire Images First"});
    EXPECT_EQ(two->MoireNotebook->currentIndex(), 0);

    test::SaveCarrierFringes(Path("small.bmp"), 200, 140, 0.12, 0.03, [](int, int) { return 0.0; });
    ClickWithFile(two->SpeedButton1, File("small.bmp"));
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

    two->PreviousButton->click();
    two->UseBiLinearSimulateCheckBox->setChecked(true);
    EXPECT_TRUE(two->BoundaryEdit->isEnabled());
    two->NextButton->click();
    EXPECT_TRUE(!two->ALabel->isHidden() && two->BLabel->text().startsWith("Double Linear Simulate  B="));
    EXPECT_EQ(frame->Dialogs.Errors().size(), 2);

    two->CloseButton->click();
    test::ProcessEvents();
    EXPECT_EQ(Window("raw ref image:Two Image"), nullptr);
    EXPECT_EQ(CommandsEnabled(), std::tuple(true, true));
}

// The carrier peak right of (or below) the spectrum centre gives the phase with its sign reversed:
// the wizard warns where the carrier is picked, and "Reverse sign" turns the phase over.
TEST_F(CarrierMoireTools, ThePlusPeakIsWarnedAboutAndReverseSignTurnsThePhaseOver) {
    frame->Trigger("OneGridImageFFTAction");
    EXPECT_FALSE(one->ReverseSignCheckBox->isChecked());
    ClickWithFile(one->BrowseMoireIMageFileSpeedButton, Fringes("one.bmp"));
    // Steps 1 to 3, the carrier searched from column x of the 256 x 32 reference spectrum: the
    // final map, and whether the carrier was warned about.
    const auto run = [&](int x, bool reverse) {
        one->NextButton->click();
        EnterCarrierValues(one, x);
        one->ReverseSignCheckBox->setChecked(reverse);
        const bool warned = !one->CarrierSignLabel->styleSheet().isEmpty();
        one->NextButton->click();
        one->NextButton->click();
        const std::vector<float> map = test::Values(*one->Wizard().Moire().Field()->Phase->Phase);
        for (int k = 0; k < 3; ++k)
            one->PreviousButton->click();
        return std::pair(map, warned);
    };
    EXPECT_FALSE(run(0, false).second) << "the peak left of the centre";
    const auto [asPicked, warned] = run(132, false);
    EXPECT_TRUE(warned);
    const auto [reversed, warnedAgain] = run(132, true);
    EXPECT_FALSE(warnedAgain) << "Reverse sign answers the warning";
    for (std::size_t i = 0; i < reversed.size(); ++i)
        ASSERT_EQ(reversed[i], -asPicked[i]) << i;
}

// The larger component decides (y where they are equal): right of or below the centre reverses.
TEST(CarrierReverseSign, ThePeakRightOfOrBelowTheCentreReversesTheSign) {
    for (const auto& [carrier, reverses] :
         {std::pair(TCarrierOffset{20, -3}, true), std::pair(TCarrierOffset{-20, 3}, false),
          std::pair(TCarrierOffset{-3, 20}, true), std::pair(TCarrierOffset{3, -20}, false),
          std::pair(TCarrierOffset{-5, 5}, true), std::pair(TCarrierOffset{5, -5}, false)})
        EXPECT_EQ(CarrierReversesSign(carrier), reverses) << carrier.X << "," << carrier.Y;
}

// The verb notes the far peak on standard error: the bump comes out raised from the default peak,
// sunk from the far one, and raised again with --reverse-sign.
TEST(CarrierReverseSign, VerbNotesThePlusPeakAndReverseSignTurnsItBack) {
    const test::TempDir dir;
    test::SaveCarrierFringes(dir.File("x.bmp"), 128, 96, 20.3 / 128, 0, [](int x, int y) {
        return 1.5 * std::exp(-((x - 80.0) * (x - 80.0) + (y - 48.0) * (y - 48.0)) / 400.0);
    });
    const auto run = [&](const std::vector<std::string>& options, const char* out, float sign) {
        std::vector<std::string> words{"carrier", "x.bmp", "-o", out};
        words.insert(words.end(), options.begin(), options.end());
        const test::ProgramRun result = test::Cli(dir, words);
        EXPECT_EQ(result.Status, 0) << result.Err;
        const TFloatImage map(dir.File(out));
        EXPECT_GT(sign * (map.GetPixel(80, 48) - map.GetPixel(map.Width - 1, map.Height - 1)), 1.0f) << out;
        return std::pair(result.Err.find("sign reversed") != std::string::npos, test::Values(map));
    };
    EXPECT_FALSE(run({}, "x0.flt", 1).first);
    const auto xPlus = run({"--search", "68", "0", "60", "32"}, "x1.flt", -1);
    EXPECT_TRUE(xPlus.first) << "a note on standard error";
    const auto xBack = run({"--search", "68", "0", "60", "32", "--reverse-sign"}, "x2.flt", 1);
    EXPECT_FALSE(xBack.first);
    for (std::size_t i = 0; i < xBack.second.size(); ++i)
        ASSERT_EQ(xBack.second[i], -xPlus.second[i]) << i;
}

} // namespace
} // namespace corvane
