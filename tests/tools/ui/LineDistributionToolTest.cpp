// The "Section" tool driven as a user drives it: clicks in a document window, the direction, the
// pop-up menu's saves, and the line marker of the clicked window.
#include <QAction>
#include <QImage>
#include <QLineEdit>
#include <QRadioButton>

#include <gtest/gtest.h>

#include <filesystem>

#include "image/LineProfile.h"
#include "support/GreyPictures.h"
#include "support/ui/DocumentMouse.h"
#include "support/ui/TestMainForm.h"
#include "tools/ui/TLineDistributionForm.h"

namespace corvane {
namespace {

using Kind = test::ScriptedDialogs::Kind;

int Texture(int x, int y) {
    return (x * 7 + y * 13 + x * y) % 251;
}

bool SameRect(const ui::TSelectionRect& a, const ui::TSelectionRect& b) {
    return a.Left == b.Left && a.Top == b.Top && a.Right == b.Right && a.Bottom == b.Bottom;
}

using LineDistributionTool = test::ToolTest<ui::TLineDistributionForm>;

// A click takes the row through it, marks it in the window and saves its profile; switching to "Vertical"
// takes the column through the same click; hiding the tool removes the marker.
TEST_F(LineDistributionTool, ClickedRowIsSavedAndDirectionTakesTheColumn) {
    ui::TMDIChildForm& window = frame->Open("texture.bmp", *test::MakeGreyPicture(512, 40, Texture));
    frame->Trigger("LineDistributionAction");
    ASSERT_TRUE(tool);
    ASSERT_TRUE(tool->isVisible());
    test::ClickOnPicture(window, QPoint(100, 17));
    EXPECT_EQ(tool->PosEdit->text(), "17");
    EXPECT_TRUE(SameRect(window.SecondMarquee(), {0, 17, 511, 19}));

    frame->Dialogs.QueueFile(File("row"));
    tool->SaveAsData->trigger();
    const std::string saved = test::ReadFileBytes(File("row.dat").toStdString());
    EXPECT_EQ(std::count(saved.begin(), saved.end(), '\n'), 512);
    EXPECT_NE(saved.find("\n 511   "), std::string::npos);
    EXPECT_TRUE(frame->Dialogs.FileRequests().back().ConfirmOverwrite);

    frame->Dialogs.QueueFile(File("plot"));
    tool->SaveAsImageMenuItem->trigger();
    const QImage plot(File("plot.bmp"));
    EXPECT_EQ(plot.convertToFormat(QImage::Format_RGB888),
              tool->PlotImage().convertToFormat(QImage::Format_RGB888));

    tool->VerticalRadioButton->click();
    EXPECT_EQ(tool->PosEdit->text(), "100");
    EXPECT_EQ(tool->Samples(),
              LineProfile(TGrayImage(File("texture.bmp").toStdString()), ProfileDirection::Vertical, 100));
    EXPECT_TRUE(SameRect(window.SecondMarquee(), {100, 0, 102, 39}));

    tool->close();
    EXPECT_TRUE(SameRect(window.SecondMarquee(), {}));
    test::ClickOnPicture(window, QPoint(5, 5)); // a hidden tool takes no clicks
    EXPECT_EQ(tool->PosEdit->text(), "100");
    EXPECT_TRUE(frame->Dialogs.Errors().isEmpty());
}

// A row of one level has no range: the plot is a flat line along its bottom row.
TEST_F(LineDistributionTool, UniformRowPlotsAFlatLineOnTheBottomRow) {
    ui::TMDIChildForm& window = frame->Open(
        "flat.bmp", *test::MakeGreyPicture(512, 8, [](int, int y) { return y == 3 ? 90 : 10 * y; }));
    frame->Trigger("LineDistributionAction");
    test::ClickOnPicture(window, QPoint(300, 3));
    const QImage plot = tool->PlotImage().convertToFormat(QImage::Format_RGB32);
    const int bottom = ui::TLineDistributionForm::PlotHeight - 1;
    for (int x = 0; x < plot.width(); ++x) {
        ASSERT_NE(plot.pixel(x, bottom), qRgb(255, 255, 255)) << x;
        ASSERT_EQ(plot.pixel(x, bottom - 1), qRgb(255, 255, 255)) << x;
    }
}

// Without a profile there is nothing to save: an error, no file dialog, no file. Switching direction
// with no document window clears the plot and leaves "none". A cancelled save writes nothing.
TEST_F(LineDistributionTool, WithoutAProfileNothingIsSaved) {
    frame->Trigger("LineDistributionAction");
    tool->VerticalRadioButton->click();
    EXPECT_EQ(tool->PosEdit->text(), "none");
    tool->SaveAsData->trigger();
    tool->SaveAsImageMenuItem->trigger();
    EXPECT_EQ(frame->Dialogs.Errors().size(), 2);
    EXPECT_EQ(frame->Dialogs.FileRequests().size(), 0u);

    ui::TMDIChildForm& window = frame->Open("texture.bmp", *test::MakeGreyPicture(30, 20, Texture));
    test::ClickOnPicture(window, QPoint(12, 4));
    EXPECT_EQ(tool->Samples().size(), 20u);
    tool->HorizontalRadioButton->click();
    EXPECT_EQ(tool->Samples().size(), 30u);
    frame->Dialogs.QueueFileCancel();
    tool->SaveAsData->trigger();
    for (const auto& entry : std::filesystem::directory_iterator(frame->Dir.Path()))
        EXPECT_NE(entry.path().extension(), ".dat") << entry.path();

    // A new window was never clicked: changing the direction there only clears the profile.
    frame->Open("other.bmp", *test::MakeGreyPicture(30, 20, Texture));
    tool->VerticalRadioButton->click();
    EXPECT_EQ(tool->PosEdit->text(), "none");
    EXPECT_TRUE(tool->Samples().empty());
    EXPECT_EQ(tool->PlotImage().convertToFormat(QImage::Format_RGB32).pixel(5, 5), qRgb(255, 255, 255));
}

} // namespace
} // namespace corvane
