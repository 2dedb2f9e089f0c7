// The "Filter" and "Resize the Encode Coordinate System" dialogs run from the frame's commands, as
// a user runs them: the active window filtered in place, the stored range of new windows.
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>

#include <gtest/gtest.h>

#include <functional>

#include "image/MedianFilterTool.h"
#include "shell/TWorkbenchSettings.h"
#include "support/GreyPictures.h"
#include "support/ui/TestMainForm.h"
#include "tools/ui/TFilterForm.h"
#include "tools/ui/TReSetCoordinateForm.h"

namespace corvane {
namespace {

using Kind = test::ScriptedDialogs::Kind;

// A texture with isolated salt pixels, which every median window removes differently.
int Noisy(int x, int y) {
    return (x * 31 + y * 17) % 23 == 0 ? 255 : (x * 3 + y * 5) % 120;
}

class InspectionDialogs : public test::ToolTest<ui::TFilterForm> {
  protected:
    ui::TMDIChildForm& Open(const char* name) {
        return frame->Open(name, *test::MakeGreyPicture(60, 50, Noisy));
    }
    // Runs "Filter..." with the track bar at position, closed with OK (or Cancel).
    void Filter(int position, bool ok = true) {
        frame->Dialogs.QueueModal([=](QDialog& dialog) {
            auto& form = dynamic_cast<ui::TFilterForm&>(dialog);
            form.MedianFilterTrackBar->setValue(position);
            EXPECT_EQ(form.TrackBarValueLabel->text(), QString::number(position));
            (ok ? form.BitBtn1 : form.BitBtn2)->click();
            return form.result();
        });
        frame->Trigger("FilterAction");
    }
    // Runs "Coordinate Size": checks the values shown, enters x and y, presses OK; the result code.
    int Coordinates(const QString& shownX, const QString& x, const QString& y) {
        int result = -1;
        frame->Dialogs.QueueModal([&](QDialog& dialog) {
            auto& form = dynamic_cast<ui::TReSetCoordinateForm&>(dialog);
            EXPECT_EQ(form.MaxNxEdit->text(), shownX);
            form.MaxNxEdit->setText(x);
            form.MaxNyEdit->setText(y);
            form.BitBtn1->click();
            result = form.result();
            return result;
        });
        frame->Trigger("ModifyCoordinateSizeAction");
        return result;
    }
    std::pair<int, int> Stored() const {
        int x = 0, y = 0;
        frame->Form->Settings().ReadEncodeCoordinate(x, y);
        return {x, y};
    }
};

// Without a window no dialog is shown; position 1 and Cancel leave the picture as it was; position 4
// filters the window in place with a 5 x 5 window.
TEST_F(InspectionDialogs, TrackBarFourFiltersFiveByFiveOneAndCancelLeaveThePicture) {
    frame->Trigger("FilterAction"); // an unscripted dialog would fail the test
    ui::TMDIChildForm& window = Open("noisy.bmp");
    const auto before = Levels(window);
    Filter(1);
    EXPECT_EQ(Levels(window), before);
    Filter(5, false);
    EXPECT_EQ(Levels(window), before);
    Filter(4);
    TGrayImage expected(Path("noisy.bmp")), threeByThree(Path("noisy.bmp"));
    ApplyMedianFilterTool(expected, 4);
    ApplyMedianFilterTool(threeByThree, 3);
    EXPECT_EQ(Levels(window), test::Levels(expected));
    EXPECT_NE(Levels(window), test::Levels(threeByThree));
    EXPECT_EQ(frame->Dialogs.Count(Kind::Modal), 3);
    EXPECT_TRUE(frame->Dialogs.Errors().isEmpty());
}

// "Max X" 20 is stored and taken by windows opened afterwards only; an entry that is not an integer
// is reported, stores nothing and keeps the dialog open.
TEST_F(InspectionDialogs, CoordinateSizeAffectsOnlyNewWindows) {
    ui::TMDIChildForm& before = Open("a.bmp");
    EXPECT_EQ(Coordinates("50", "20", "50"), QDialog::Accepted);
    EXPECT_EQ(Stored(), std::pair(20, 50));
    EXPECT_EQ(before.MaxX, 50);
    ui::TMDIChildForm& after = Open("b.bmp");
    EXPECT_EQ(std::pair(after.MaxX, after.MaxY), std::pair(20, 50));

    EXPECT_NE(Coordinates("20", "7", "1.5"), QDialog::Accepted);
    EXPECT_EQ(frame->Dialogs.Errors().size(), 1);
    EXPECT_EQ(Stored(), std::pair(20, 50));
}

} // namespace
} // namespace corvane
