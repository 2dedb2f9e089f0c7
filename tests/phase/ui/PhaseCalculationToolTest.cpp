// The phase calculation tool driven as a user would: two FLT sources, the method, the fit
// rectangle (typed or dragged in the Source 2 window), Calculation and Save To Float.
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <functional>
#include <tuple>

#include "image/TFloatImage.h"
#include "phase/PhaseCalculation.h"
#include "phase/ui/TPhaseCalculationForm.h"
#include "shell/TMDIChildForm.h"
#include "support/FloatMaps.h"
#include "support/ui/DocumentMouse.h"
#include "support/ui/TestMainForm.h"

namespace corvane {
namespace {

class PhaseCalculationTool : public test::ToolTest<ui::TPhaseCalculationForm> {
  protected:
    PhaseCalculationTool() { frame->Trigger("PhaseCalculationAction"); }
    QString Map(const QString& name, int w, int h, const std::function<double(int, int)>& f,
                float scaleX = 1.0f) {
        auto map = test::MakeFloatMap(w, h, f);
        map->ScaleX = scaleX;
        map->ScaleY = 2 * scaleX;
        map->ValueScale = 3.0f;
        map->SaveFlt(File(name).toStdString());
        return File(name);
    }
    TFloatImage SaveResult(const QString& name) {
        frame->Dialogs.QueueFile(File(name));
        form->SaveToFloatButton->click();
        return TFloatImage(File(name).toStdString());
    }

    ui::TPhaseCalculationForm* form = tool;
};

// Method 0 with identical files gives 0 everywhere and keeps Source 1's three scales; a larger
// Source 2 is read over its top-left part. The sources are read from the edits when not chosen.
TEST_F(PhaseCalculationTool, DifferenceOfTwoMaps) {
    const auto ramp = [](int x, int y) { return 0.3 * x - 0.1 * y + 1; };
    const QString one = Map("one.flt", 20, 10, ramp, 0.5f);
    form->Source1Edit->setText("one.flt");
    form->Source2Edit->setText(Map("same.flt", 20, 10, ramp));
    ClickWithFile(form->SpeedButton1, one); // sets the working directory for the relative name
    form->CalculationButton->click();
    ASSERT_TRUE(frame->Dialogs.Errors().isEmpty()) << frame->Dialogs.Errors().join("; ").toStdString();
    const TFloatImage zero = SaveResult("zero.flt");
    EXPECT_EQ(std::tuple(zero.ScaleX, zero.ScaleY, zero.ValueScale, zero.Data[199]),
              std::tuple(0.5f, 1.0f, 3.0f, 0.0f));
    EXPECT_EQ(Window("Result: Source1 ? Source2")->Bitmap().size(), QSize(20, 10));

    ClickWithFile(form->SpeedButton2, Map("big.flt", 30, 15, [](int x, int y) { return x * 100 + y; }));
    EXPECT_NE(Window("Source2:phase calculation"), nullptr);
    form->CalculationButton->click();
    const TFloatImage diff = SaveResult("diff.flt");
    ASSERT_EQ(diff.Width, 20);
    EXPECT_FLOAT_EQ(diff.GetPixel(19, 9), static_cast<float>(ramp(19, 9)) - (1900 + 9));
}

// Method 1 recovers an exact plane 0.5 x - 0.25 y fitted over the rectangle of Source 2 set when
// it was chosen, shows A and B, and subtracts the plane; a dragged rectangle in the Source 2 window
// becomes the fit rectangle. Method 0 shortens the window by the fit group.
TEST_F(PhaseCalculationTool, LinearFitOfSource2) {
    const int heightWithout = form->height();
    EXPECT_FALSE(form->Source2LinearFitInfoGroupBox->isVisible());
    form->MethodComboBox->setCurrentIndex(1);
    EXPECT_TRUE(form->Source2LinearFitInfoGroupBox->isVisible());
    EXPECT_GT(form->height(), heightWithout);

    ClickWithFile(form->SpeedButton1,
                  Map("s1.flt", 40, 30, [](int x, int y) { return 1.0 + 0.5 * x - 0.25 * y; }));
    ClickWithFile(form->SpeedButton2,
                  Map("plane.flt", 40, 30, [](int x, int y) { return 0.5 * x - 0.25 * y; }));
    EXPECT_EQ(QStringList({form->LeftEdit->text(), form->TopEdit->text(), form->RightEdit->text(),
                           form->BottomEdit->text()}),
              QStringList({"0", "0", "40", "30"}));
    form->CalculationButton->click();
    ASSERT_TRUE(frame->Dialogs.Errors().isEmpty()) << frame->Dialogs.Errors().join("; ").toStdString();
    EXPECT_TRUE(form->ALabel->text().startsWith("A=    0.5")) << form->ALabel->text().toStdString();
    EXPECT_TRUE(form->BLabel->text().startsWith("B=   -0.2")) << form->BLabel->text().toStdString();
    EXPECT_NEAR(SaveResult("flat.flt").GetPixel(39, 29), 1.0f, 1e-4);

    test::DragOnPicture(*Window("Source2:phase calculation"), QPoint(30, 20), QPoint(5, 2));
    EXPECT_EQ(QStringList({form->LeftEdit->text(), form->TopEdit->text(), form->RightEdit->text(),
                           form->BottomEdit->text()}),
              QStringList({"5", "2", "30", "20"}));
    // An empty rectangle fits no plane: the result is Source 1 itself.
    form->RightEdit->setText("5");
    form->CalculationButton->click();
    EXPECT_EQ(form->ALabel->text(), "A=    0.000000000000000");
    EXPECT_NEAR(SaveResult("same.flt").Data[40 * 29 + 39], 1.0 + 0.5 * 39 - 0.25 * 29, 1e-5);
    // A drag in another window changes nothing.
    test::DragOnPicture(*Window("Source1:phase calculation"), QPoint(1, 1), QPoint(3, 3));
    EXPECT_EQ(form->LeftEdit->text(), "5");
}

} // namespace
} // namespace corvane
