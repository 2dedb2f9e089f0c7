// The carrier wizard says which peak reverses the phase's sign where the carrier is picked, and its
// "Reverse sign" box turns the phase over.
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "app/ToolWindows.h"
#include "image/TFloatImage.h"
#include "phase/ui/TOneImageMoireFFTForm.h"
#include "support/CarrierFringes.h"
#include "support/ui/TestMainForm.h"

namespace corvane {
namespace {

TEST(CarrierReverseSignTool, PlusPeakIsWarnedAndReverseSignTurnsThePhaseOver) {
    const QString startDir = QDir::currentPath();
    auto frame = test::MakeTestMainForm();
    ui::CreateToolWindows(*frame->Form);
    auto* one = frame->Form->findChild<ui::TOneImageMoireFFTForm*>();
    const QString picture = frame->File("one.bmp");
    test::SaveCarrierFringes(picture.toStdString(), 300, 140, 0.15, 0.0, [](int x, int y) {
        return 1.5 * std::exp(-((x - 150.0) * (x - 150.0) + (y - 90.0) * (y - 90.0)) / 2000.0);
    });
    frame->Trigger("OneGridImageFFTAction");
    EXPECT_FALSE(one->ReverseSignCheckBox->isChecked());

    // Steps 1 to 3 with the carrier searched from x on (the reference spectrum is 256 x 32); gives
    // the final map.
    const auto run = [&](int x, bool reverse) {
        frame->Dialogs.QueueFile(picture);
        one->BrowseMoireIMageFileSpeedButton->click();
        one->RefSizeEdit->setText("40");
        one->NextButton->click();
        one->XEdit->setText(QString::number(x));
        one->YEdit->setText("0");
        one->WidthEdit->setText("124");
        one->HeightEdit->setText("32");
        one->ComputeCarrierButton->click();
        one->ReverseSignCheckBox->setChecked(reverse);
        one->MovingWidthEdit->setText("40");
        one->MovingHeightEdit->setText("24");
        one->NextButton->click();
        one->NextButton->click();
        const TFloatImage& map = *one->Wizard().Moire().Field()->Phase->Phase;
        std::vector<float> values(map.Data, map.Data + map.PixelCount());
        for (int k = 0; k < 3; ++k)
            one->PreviousButton->click();
        return values;
    };

    run(0, false);
    EXPECT_EQ(one->CarrierXEdit->text(), "-38");
    EXPECT_TRUE(one->CarrierSignLabel->styleSheet().isEmpty()) << "no warning for the left peak";
    const std::vector<float> asPicked = run(132, false);
    EXPECT_EQ(one->CarrierXEdit->text(), "38");
    EXPECT_TRUE(one->CarrierSignLabel->text().contains("sign reversed"));
    EXPECT_FALSE(one->CarrierSignLabel->styleSheet().isEmpty()) << "the right peak is warned";
    const std::vector<float> reversed = run(132, true);
    EXPECT_TRUE(one->CarrierSignLabel->styleSheet().isEmpty()) << "Reverse sign answers the warning";
    ASSERT_EQ(reversed.size(), asPicked.size());
    for (std::size_t i = 0; i < reversed.size(); ++i)
        ASSERT_EQ(reversed[i], -asPicked[i]) << i;
    frame->Destroy();
    QDir::setCurrent(startDir);
}

} // namespace
} // namespace corvane
