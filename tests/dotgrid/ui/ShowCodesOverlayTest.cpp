// "Show Codes" on a lattice of 16-pixel pitch draws the codes over the picture at screen
// resolution, never into its pixels; "Codes Into a Copy" draws them into a copy for a report.
#include <QPushButton>

#include <gtest/gtest.h>

#include "app/ToolWindows.h"
#include "dotgrid/ui/TEncodeParameterForm.h"
#include "shell/TMDIChildForm.h"
#include "support/DotGridPictures.h"
#include "support/SpeckleImages.h"
#include "support/ui/TestMainForm.h"

namespace corvane {
namespace {

TEST(ShowCodesOverlay, CodesOnASixteenPixelLatticeStayOutOfThePixels) {
    auto frame = test::MakeTestMainForm();
    ui::CreateToolWindows(*frame->Form);
    const int width = 330, height = 250;
    const QString file = frame->File("lattice.bmp");
    test::SaveGreyBmp(
        file.toStdString(), width, height,
        test::RenderDots(width, height, test::LatticeCentres(21, 19, 16, 16, 19, 14), 4.5, 255, 0));
    frame->TriggerWithFile("FileOpenAction", file);
    frame->Trigger("EncodingAction");
    auto* form = frame->Form->findChild<ui::TEncodeParameterForm*>();
    form->AutoEvaluateSpeedButton->click();
    form->EncodeButton->click();
    ui::TMDIChildForm& window = frame->Active();
    const QImage encoded = window.Bitmap();
    frame->Trigger("ShowCodesAction");
    EXPECT_EQ(window.Bitmap(), encoded) << "the codes are not in the pixels";
    ASSERT_EQ(window.Overlay()->Labels.size(), 19u * 14u);

    // Labels that would overlap are left out; more fit at 3:1, in the same screen size.
    std::vector<ui::TPlacedLabel> before;
    for (int zoom : {1, 3}) {
        while (window.Zoom() < zoom)
            window.Amplify();
        const std::vector<ui::TPlacedLabel>& placed = window.PlacedLabels();
        ASSERT_GT(placed.size(), before.size());
        EXPECT_LT(placed.size(), window.Overlay()->Labels.size());
        for (std::size_t i = 0; i < placed.size(); ++i)
            for (std::size_t j = i + 1; j < placed.size(); ++j)
                ASSERT_FALSE(placed[i].Box.intersects(placed[j].Box)) << i << " " << j;
        if (zoom == 3) {
            EXPECT_EQ(placed[0].Box.size(), before[0].Box.size()) << "the text keeps its size";
        }
        before = placed;
    }
    frame->Trigger("CodesIntoCopyAction");
    const QImage copy = frame->Window((file + ":Codes").toUtf8().constData())->Bitmap();
    EXPECT_EQ(copy.size(), QSize(3 * width, 3 * height));
    EXPECT_NE(copy, encoded.scaled(3 * width, 3 * height)) << "the copy holds the codes in its pixels";
    EXPECT_EQ(window.Bitmap(), encoded);
    frame->Destroy();
}

} // namespace
} // namespace corvane
