// "Show Codes" on a lattice of 16-pixel pitch: the codes are drawn over the picture at screen
// resolution, never into its pixels; labels that would overlap are left out, more of them fit as
// the zoom grows; "Codes Into a Copy" draws them into the pixels of a copy for a report.
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

bool AnyColoured(const QImage& image) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            if (qRed(p) != qGreen(p) || qGreen(p) != qBlue(p)) return true;
        }
    return false;
}

TEST(ShowCodesOverlay, CodesOnASixteenPixelLatticeStayOutOfThePixels) {
    auto frame = test::MakeTestMainForm();
    ui::CreateToolWindows(*frame->Form);
    const int width = 330, height = 250, columns = 19, rows = 14;
    const QString file = frame->File("lattice.bmp");
    test::SaveGreyBmp(
        file.toStdString(), width, height,
        test::RenderDots(width, height, test::LatticeCentres(21, 19, 16, 16, columns, rows), 4.5, 255, 0));
    frame->TriggerWithFile("FileOpenAction", file);
    frame->Trigger("EncodingAction");
    auto* form = frame->Form->findChild<ui::TEncodeParameterForm*>();
    form->AutoEvaluateSpeedButton->click();
    form->EncodeButton->click();
    ASSERT_TRUE(frame->Dialogs.Errors().isEmpty()) << frame->Dialogs.Errors().join('|').toStdString();
    ui::TMDIChildForm& window = frame->Active();
    const QImage encoded = window.Bitmap();

    frame->Trigger("ShowCodesAction");
    EXPECT_EQ(window.Bitmap(), encoded) << "the codes are not in the pixels";
    EXPECT_FALSE(AnyColoured(window.Bitmap()));
    ASSERT_NE(window.Overlay(), nullptr);
    ASSERT_EQ(window.Overlay()->Labels.size(), static_cast<std::size_t>(columns * rows));

    int shownAtOne = 0, labelHeight = 0;
    for (int zoom : {1, 3}) {
        SCOPED_TRACE(zoom);
        while (window.Zoom() < zoom)
            window.Amplify();
        const std::vector<ui::TPlacedLabel>& placed = window.PlacedLabels();
        ASSERT_FALSE(placed.empty());
        EXPECT_LT(placed.size(), window.Overlay()->Labels.size()) << "a 16-pixel pitch has no room for all";
        for (std::size_t i = 0; i < placed.size(); ++i)
            for (std::size_t j = i + 1; j < placed.size(); ++j)
                ASSERT_FALSE(placed[i].Box.intersects(placed[j].Box)) << i << " " << j;
        // The text keeps its screen size at every zoom.
        if (zoom == 1) {
            shownAtOne = static_cast<int>(placed.size());
            labelHeight = placed.front().Box.height();
        } else {
            EXPECT_GT(static_cast<int>(placed.size()), shownAtOne);
            EXPECT_EQ(placed.front().Box.height(), labelHeight);
        }
    }

    frame->Trigger("CodesIntoCopyAction");
    ui::TMDIChildForm* copy = frame->Window((file + ":Codes").toUtf8().constData());
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->Bitmap().size(), QSize(3 * width, 3 * height));
    EXPECT_TRUE(AnyColoured(copy->Bitmap())) << "the copy holds the codes in its pixels";
    EXPECT_EQ(window.Bitmap(), encoded);
    frame->Destroy();
}

} // namespace
} // namespace corvane
