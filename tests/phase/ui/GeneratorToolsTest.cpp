// The grid generator window and the frame's Geometric Moire and Phase To Fringe commands, driven
// as a user would.
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

#include <cmath>

#include "image/TFloatImage.h"
#include "phase/GridGenerator.h"
#include "phase/PhaseToFringe.h"
#include "phase/ui/TGenerateGridForm.h"
#include "shell/TMDIChildForm.h"
#include "support/FloatMaps.h"
#include "support/GreyPictures.h"
#include "support/ui/TestMainForm.h"

namespace corvane {
namespace {

constexpr double kPi = 3.14159265358979;

class GeneratorTools : public test::ToolTest<ui::TGenerateGridForm> {
  protected:
    int Grey(const QString& caption, int x, int y) const {
        return qRed(Window(caption)->Bitmap().pixel(x, y));
    }
    ui::TGenerateGridForm* Grid() {
        frame->Trigger("GenerateGridAction");
        return tool;
    }
};

// A size of 0 or text that is not a number is refused before anything is drawn. The default grid
// is drawn into "Carrier 16": 255 in column 0, 0 in column 8; an initial phase of 1 inverts it
// into a window of the new title; the crossed and cylinder grids are the core's.
TEST_F(GeneratorTools, GridWindow) {
    ui::TGenerateGridForm* form = Grid();
    form->WidthEdit->setText("0");
    form->Button1->click();
    form->WidthEdit->setText("256");
    form->XCarrierEdit->setText("sixteen");
    form->Button1->click();
    ASSERT_EQ(frame->Dialogs.Errors().size(), 2);
    EXPECT_EQ(frame->Dialogs.Errors()[0], kGridSizeMessage);
    EXPECT_EQ(frame->Form->MDIChildCount(), 0);

    form->XCarrierEdit->setText("16");
    form->Button1->click();
    ASSERT_EQ(Window("Carrier 16")->Bitmap().size(), QSize(256, 256));
    EXPECT_EQ(Grey("Carrier 16", 0, 100), 255);
    EXPECT_EQ(Grey("Carrier 16", 8, 100), 0);
    form->InitPhaseEdit->setText("1");
    form->FileNameEdit->setText("inverted");
    form->Button1->click();
    EXPECT_EQ(Grey("inverted", 0, 0), 0);
    EXPECT_EQ(Grey("Carrier 16", 0, 100), 255);

    form->WidthEdit->setText("64");
    form->HeightEdit->setText("48");
    form->LeanXEdit->setText("0.5");
    for (const auto& [direction, deformation] : {std::pair(1, 1), std::pair(2, 0), std::pair(0, 2)}) {
        form->SetDirectionIndex(direction);
        form->SetDeformationIndex(deformation);
        form->Button1->click();
        const auto want = GenerateGrid({.Title = "inverted",
                                        .Width = 64,
                                        .Height = 48,
                                        .LeanX = 0.5f,
                                        .InitPhase = 1.0f,
                                        .Direction = static_cast<GridDirection>(direction),
                                        .Deformation = static_cast<GridDeformation>(deformation)});
        EXPECT_EQ(Levels(*Window("inverted")), std::vector<std::uint8_t>(want->Data, want->Data + want->Size))
            << direction << deformation;
    }
    EXPECT_EQ(frame->Dialogs.Errors().size(), 2);
}

// Geometric Moire multiplies two pictures; cancelling the second dialog does nothing; a smaller
// second picture is refused naming both sizes, with no window made.
TEST_F(GeneratorTools, GeometricMoire) {
    const auto picture = [&](const char* name, int w, int h, int level) {
        test::MakeGreyPicture(w, h, [=](int x, int) {
            return (level * (x + 1)) % 256;
        })->SaveBmp(File(name).toStdString());
        return File(name);
    };
    frame->Dialogs.QueueFile(picture("a.bmp", 8, 4, 30));
    frame->Dialogs.QueueFileCancel();
    frame->Trigger("GeometricMoireAction");
    EXPECT_EQ(frame->Form->MDIChildCount(), 0);

    frame->Dialogs.QueueFile(File("a.bmp"));
    frame->Dialogs.QueueFile(picture("small.bmp", 8, 3, 1));
    frame->Trigger("GeometricMoireAction");
    ASSERT_EQ(frame->Dialogs.Errors().size(), 1);
    EXPECT_EQ(frame->Form->MDIChildCount(), 0);

    frame->Dialogs.QueueFile(File("a.bmp"));
    frame->Dialogs.QueueFile(picture("b.bmp", 9, 4, 7));
    frame->Trigger("GeometricMoireAction");
    EXPECT_EQ(Grey("Geometric Moire", 7, 3), 115); // sqrt(240 * 56) = 115.9, over the first's extent
}

// Phase To Fringe shows the map under its file name and the fringes in "Generate Fringe": 255 at
// 0 and 0 at pi; a map whose value scale is 0 is refused before any window is made.
TEST_F(GeneratorTools, PhaseToFringe) {
    auto map = test::MakeFloatMap(4, 2, [](int x, int) { return x % 2 ? kPi : 0.0; });
    map->ValueScale = 0.0f;
    map->SaveFlt(File("flat.flt").toStdString());
    frame->Dialogs.QueueFile(File("flat.flt"));
    frame->Trigger("PhaseToFringeAction");
    EXPECT_EQ(frame->Dialogs.Errors(), QStringList{kZeroValueScaleMessage});
    EXPECT_EQ(frame->Form->MDIChildCount(), 0);

    map->ValueScale = 1.0f;
    map->SaveFlt(File("phase.flt").toStdString());
    frame->Dialogs.QueueFile(File("phase.flt"));
    frame->Trigger("PhaseToFringeAction");
    EXPECT_EQ(frame->Dialogs.FileRequests().back().FilterIndex, 2);
    ASSERT_NE(Window(File("phase.flt")), nullptr);
    EXPECT_EQ(Grey("Generate Fringe", 0, 1), 255);
    EXPECT_EQ(Grey("Generate Fringe", 1, 1), 0);
}

} // namespace
} // namespace corvane
