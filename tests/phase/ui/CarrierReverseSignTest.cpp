// The carrier peak right of (or below) the spectrum centre gives the phase with its sign reversed:
// the wizard warns where the carrier is picked and the carrier verb on standard error; "Reverse
// sign" and --reverse-sign turn the phase over.
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

#include <gtest/gtest.h>

#include <cmath>

#include "app/ToolWindows.h"
#include "image/TFloatImage.h"
#include "phase/CarrierMoireOptions.h"
#include "phase/ui/TOneImageMoireFFTForm.h"
#include "support/CarrierFringes.h"
#include "support/CliRun.h"
#include "support/ui/TestMainForm.h"

namespace corvane {
namespace {

// Fringes of the carrier with a bump of 1.5 rad at (cx, cy), below the reference strip.
void Fringes(const std::string& file, int w, int h, double fx, double fy, double cx, double cy) {
    test::SaveCarrierFringes(file, w, h, fx, fy, [=](int x, int y) {
        return 1.5 * std::exp(-((x - cx) * (x - cx) + (y - cy) * (y - cy)) / 400.0);
    });
}

TEST(CarrierReverseSign, WizardWarnsAboutThePlusPeakAndReverseSignTurnsThePhaseOver) {
    const QString startDir = QDir::currentPath();
    auto frame = test::MakeTestMainForm();
    ui::CreateToolWindows(*frame->Form);
    auto* one = frame->Form->findChild<ui::TOneImageMoireFFTForm*>();
    Fringes(frame->Dir.File("one.bmp"), 300, 140, 0.15, 0.0, 150, 90);
    frame->Trigger("OneGridImageFFTAction");
    EXPECT_FALSE(one->ReverseSignCheckBox->isChecked());
    // Steps 1 to 3, the carrier searched from column x of the 256 x 32 reference spectrum: the
    // final map, and whether the carrier was warned about.
    const auto run = [&](int x, bool reverse) {
        frame->Dialogs.QueueFile(frame->File("one.bmp"));
        one->BrowseMoireIMageFileSpeedButton->click();
        one->NextButton->click();
        const std::pair<QLineEdit*, int> values[] = {{one->XEdit, x},
                                                     {one->YEdit, 0},
                                                     {one->WidthEdit, 124},
                                                     {one->HeightEdit, 32},
                                                     {one->MovingWidthEdit, 40},
                                                     {one->MovingHeightEdit, 24}};
        for (auto [edit, value] : values)
            edit->setText(QString::number(value));
        one->ComputeCarrierButton->click();
        one->ReverseSignCheckBox->setChecked(reverse);
        const bool warned = !one->CarrierSignLabel->styleSheet().isEmpty();
        one->NextButton->click();
        one->NextButton->click();
        const TFloatImage& map = *one->Wizard().Moire().Field()->Phase->Phase;
        for (int k = 0; k < 3; ++k)
            one->PreviousButton->click();
        return std::pair(std::vector<float>(map.Data, map.Data + map.PixelCount()), warned);
    };
    EXPECT_FALSE(run(0, false).second) << "the peak left of the centre";
    const auto [asPicked, warned] = run(132, false);
    EXPECT_TRUE(warned);
    const auto [reversed, warnedAgain] = run(132, true);
    EXPECT_FALSE(warnedAgain) << "Reverse sign answers the warning";
    for (std::size_t i = 0; i < reversed.size(); ++i)
        ASSERT_EQ(reversed[i], -asPicked[i]) << i;
    frame->Destroy();
    QDir::setCurrent(startDir);
}

// The larger component decides (y where they are equal): right of or below the centre reverses.
TEST(CarrierReverseSign, ThePeakRightOfOrBelowTheCentreReversesTheSign) {
    for (const auto& [carrier, reverses] :
         {std::pair(TCarrierOffset{20, -3}, true), std::pair(TCarrierOffset{-20, 3}, false),
          std::pair(TCarrierOffset{-3, 20}, true), std::pair(TCarrierOffset{3, -20}, false),
          std::pair(TCarrierOffset{-5, 5}, true), std::pair(TCarrierOffset{5, -5}, false)})
        EXPECT_EQ(CarrierReversesSign(carrier), reverses) << carrier.X << "," << carrier.Y;
}

// The bump comes out raised from the default peak and sunk from the far one.
TEST(CarrierReverseSign, VerbNotesThePlusPeakAndReverseSignTurnsItBack) {
    const test::TempDir dir;
    Fringes(dir.File("x.bmp"), 128, 96, 20.3 / 128, 0, 80, 48);
    const auto run = [&](const std::vector<std::string>& options, const char* out, int cx, int cy,
                         float sign) {
        std::vector<std::string> words{"carrier", "-o", out};
        words.insert(words.end(), options.begin(), options.end());
        const test::ProgramRun result = test::Cli(dir, words);
        EXPECT_EQ(result.Status, 0) << result.Err;
        const TFloatImage map(dir.File(out));
        EXPECT_GT(sign * (map.GetPixel(cx, cy) - map.GetPixel(map.Width - 1, map.Height - 1)), 1.0f) << out;
        return std::pair(result.Err.find("sign reversed") != std::string::npos,
                         std::vector<float>(map.Data, map.Data + map.PixelCount()));
    };
    EXPECT_FALSE(run({"x.bmp"}, "x0.flt", 80, 48, 1).first);
    const auto xPlus = run({"x.bmp", "--search", "68", "0", "60", "32"}, "x1.flt", 80, 48, -1);
    EXPECT_TRUE(xPlus.first) << "a note on standard error";
    const auto xBack =
        run({"x.bmp", "--search", "68", "0", "60", "32", "--reverse-sign"}, "x2.flt", 80, 48, 1);
    EXPECT_FALSE(xBack.first);
    for (std::size_t i = 0; i < xBack.second.size(); ++i)
        ASSERT_EQ(xBack.second[i], -xPlus.second[i]) << i;
}

} // namespace
} // namespace corvane
