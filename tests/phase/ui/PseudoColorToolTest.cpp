// The pseudo-colour tool driven as a user would: open a mask and a phase map, look at the colours,
// move the mouse over the picture, double and halve the fringe density.
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

#include "image/TFloatImage.h"
#include "phase/ui/TPseudoColorForm.h"
#include "shell/TMDIChildForm.h"
#include "support/FloatMaps.h"
#include "support/GreyPictures.h"
#include "support/ui/DocumentMouse.h"
#include "support/ui/TestMainForm.h"

namespace corvane {
namespace {

constexpr double kPi = 3.14159265358979;

class PseudoColorTool : public test::ToolTest<ui::TPseudoColorForm> {
  protected:
    PseudoColorTool() { frame->Trigger("PseudoColorAction"); }

    ui::TMDIChildForm* Picture() const { return Window("Pseudo Color Display Phase"); }
    QColor At(int x, int y) const { return Picture()->Bitmap().pixelColor(x, y); }
    // The colour at (x, y) within one level of want in each channel (a blend at a fringe edge).
    bool Near(int x, int y, const QColor& want) const {
        const QColor c = At(x, y);
        return std::abs(c.red() - want.red()) <= 1 && std::abs(c.green() - want.green()) <= 1 &&
               std::abs(c.blue() - want.blue()) <= 1;
    }
    // A 6 x 1 map of the values the colour table is checked with.
    QString Values(float valueScale = 1.0f) {
        const double v[] = {0, kPi, -0.1, 15 * kPi, 16 * kPi, 2 * kPi};
        auto map = test::MakeFloatMap(6, 1, [&](int x, int) { return v[x] * valueScale; });
        map->ValueScale = valueScale;
        map->SaveFlt(File("values.flt").toStdString());
        return File("values.flt");
    }
    void Open(const QString& mask, const QString& phase) {
        if (mask.isEmpty())
            frame->Dialogs.QueueFileCancel();
        else
            frame->Dialogs.QueueFile(mask);
        frame->Dialogs.QueueFile(phase);
        form->BitBtn1->click();
    }

    ui::TPseudoColorForm* form = tool;
};

// With nothing loaded the density buttons do nothing. A mask of the map's size paints level 255 as
// background, also under the mouse; the value scale divides first (2 pi stored at scale 2 shows
// half red), and one press of the double button makes 2 pi show order 2, as the level under the
// mouse says. Cancelling the phase dialog changes nothing; a mask of another size is ignored and
// a cancelled mask dialog means none.
TEST_F(PseudoColorTool, MaskColoursMouseAndTheDensityButtons) {
    form->Multiple2SpeedButton->click();
    form->Div2SpeedButton->click();
    EXPECT_EQ(form->RenderCount(), 0);
    test::MakeGreyPicture(6, 1, [](int x, int) {
        return x == 0 ? 255 : 254;
    })->SaveBmp(File("m.bmp").toStdString());
    test::MakeGreyPicture(5, 1, [](int, int) { return 255; })->SaveBmp(File("other.bmp").toStdString());
    const QString values = Values(2.0f);
    Open(File("m.bmp"), values);
    ASSERT_TRUE(frame->Dialogs.Errors().isEmpty()) << frame->Dialogs.Errors().join("; ").toStdString();
    EXPECT_EQ(form->MaskFileNameEdit->text() + " " + form->PhaseFileNameEdit->text(), "m.bmp values.flt");
    ASSERT_EQ(Picture()->Bitmap().size(), QSize(6, 1));
    EXPECT_EQ(frame->Form->ActiveMDIChild(), Picture());
    EXPECT_GE(frame->Form->FindMDIChild("Pseudo Color Mask"), 0);
    EXPECT_EQ(At(0, 0), QColor(0, 128, 128));
    EXPECT_EQ(At(1, 0), QColor(255, 127, 127));
    EXPECT_TRUE(Near(5, 0, QColor(255, 0, 0))); // 2 pi: order 1 exactly
    test::MoveOnPicture(*Picture(), QPoint(0, 0));
    EXPECT_EQ(form->FringeLevelEdit->text(), "Background");
    test::MoveOnPicture(*Picture(), QPoint(5, 0));
    EXPECT_EQ(form->FringeLevelEdit->text() + " " + form->PosXEdit->text(), "1.0 5");
    form->Multiple2SpeedButton->click();
    EXPECT_TRUE(Near(5, 0, QColor(255, 255, 0)));
    test::MoveOnPicture(*Picture(), QPoint(5, 0));
    EXPECT_EQ(form->FringeLevelEdit->text(), "2.0");
    test::MoveOnPicture(*Picture(), QPoint(2, 0));
    EXPECT_EQ(form->FringeLevelEdit->text(), "-0.0");
    form->Div2SpeedButton->click();
    EXPECT_TRUE(Near(5, 0, QColor(255, 0, 0)));
    EXPECT_EQ(form->RenderCount(), 3);

    frame->Dialogs.QueueFile(File("other.bmp"));
    frame->Dialogs.QueueFileCancel();
    form->BitBtn1->click();
    EXPECT_EQ(form->MaskFileNameEdit->text(), "m.bmp");
    EXPECT_NE(form->Mask(), nullptr);
    Open(File("other.bmp"), values);
    EXPECT_EQ(form->Mask(), nullptr);
    EXPECT_EQ(At(0, 0), QColor(255, 255, 255));
    Open(QString(), values);
    EXPECT_EQ(form->MaskFileNameEdit->text(), "none mask");
    const auto requests = frame->Dialogs.FileRequests();
    EXPECT_EQ(requests[0].Title, "Open Mask File");
    EXPECT_EQ(requests[1].Title, "Open Phase File");
}

} // namespace
} // namespace corvane
